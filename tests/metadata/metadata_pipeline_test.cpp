// The road of a metadata packet through an agent: admission, the pass on the agent's pool, delivery to the host.
#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/active_setting_changed_action.h>
#include <host_double/compressed_video_packet.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/taken_error.h>
#include <camera_settings/plugin_side_settings.h>

#include "agent_harness.h"
#include "data_files.h"
#include "metadata_views.h"

namespace tesh::test {
namespace {

using namespace std::chrono_literals;
using sdk::analytics::IEventMetadataPacket;
using sdk::analytics::IObjectMetadataPacket;
using sdk::analytics::IObjectTrackBestShotPacket;

struct Person
{
    int id;
    const char* imageRef = nullptr;
};

std::string objectXml(const Person& person)
{
    std::string xml = "<tt:Object ObjectId=\"" + std::to_string(person.id) +
        "\"><tt:Appearance><tt:Shape><tt:BoundingBox left=\"960\" top=\"540\" right=\"1920\" bottom=\"1080\"/>"
        "</tt:Shape><tt:Class><tt:Type Likelihood=\"0.9\">Person</tt:Type></tt:Class>";
    if (person.imageRef)
        xml += std::string("<tt:ImageRef>") + person.imageRef + "</tt:ImageRef>";
    return xml + "</tt:Appearance></tt:Object>";
}

std::string eventXml(const std::string& topic, const std::string& dataItems)
{
    return "<tt:Event><wsnt:NotificationMessage><wsnt:Topic Dialect=\"http://www.onvif.org/ver10/tev/"
           "topicExpression/ConcreteSet\">" +
        topic + "</wsnt:Topic><wsnt:Message><tt:Message UtcTime=\"2026-12-09T10:00:00Z\"><tt:Source>"
                "<tt:SimpleItem Name=\"Rule\" Value=\"0\"/></tt:Source><tt:Data>" +
        dataItems + "</tt:Data></tt:Message></wsnt:Message></wsnt:NotificationMessage></tt:Event>";
}

std::string counterEvent(int count)
{
    return eventXml("tns1:RuleEngine/CountAggregation/Counter",
        "<tt:SimpleItem Name=\"Count\" Value=\"" + std::to_string(count) + "\"/>");
}

std::string behaviorEvent(const std::string& objectId, const std::string& action)
{
    return eventXml("tns1:RuleEngine/ObjectDetection/vndObjectEx",
        "<tt:SimpleItem Name=\"ObjectId\" Value=\"" + objectId + "\"/><tt:SimpleItem Name=\"Actions\" Value=\"" + action
            + "\"/>");
}

std::string documentXml(const std::vector<Person>& people, const std::string& events = "")
{
    std::string xml
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tt:MetaDataStream "
          "xmlns:tt=\"http://www.onvif.org/ver10/schema\" "
          "xmlns:wsnt=\"http://docs.oasis-open.org/wsn/b-2\">";
    if (!people.empty())
    {
        xml += "<tt:VideoAnalytics><tt:Frame UtcTime=\"2026-12-09T10:00:00Z\"><tt:Transformation>"
               "<tt:Translate x=\"-1\" y=\"-1\"/><tt:Scale x=\"0.000520833\" y=\"0.000925926\"/></tt:Transformation>";
        for (const Person& person: people)
            xml += objectXml(person);
        xml += "</tt:Frame></tt:VideoAnalytics>";
    }
    return xml + events + "</tt:MetaDataStream>";
}

class MetadataPipeline: public NoLeakTest
{
protected:
    void SetUp() override { agent->setHandler(handler.get()); }

    /** Pushes a document and waits for its pass to end. */
    void process(int64_t timestampUs, const std::string& xml)
    {
        pushDocument(*agent, timestampUs, xml);
        ASSERT_TRUE(waitUntilReady(*agent));
    }

    std::vector<ObjectView> lastObjects() const
    {
        const auto packets = packetsOf<IObjectMetadataPacket>(*handler);
        return packets.empty() ? std::vector<ObjectView>{} : objectsOf(*packets.back());
    }

    sdk::Ptr<DeviceAgentHandler> handler = sdk::makePtr<DeviceAgentHandler>();
    sdk::Ptr<DeviceAgent> agent = makeAgent();
};

TEST_F(MetadataPipeline, packetsCarryThePacketTimeShiftedByTheCalibration)
{
    agent->setTimestampCalibrationUs(-100'000);

    process(1'000'000, documentXml({{1}, {2, "http://127.0.0.1/snapshot/2.jpg"}}, counterEvent(4)));

    ASSERT_EQ(handler->packets().size(), 3U);
    for (const auto& packet: handler->packets())
        EXPECT_EQ(packet->timestampUs(), 900'000);
    EXPECT_EQ(packetsOf<IObjectMetadataPacket>(*handler).size(), 1U);
    EXPECT_EQ(packetsOf<IObjectTrackBestShotPacket>(*handler).size(), 1U);
    EXPECT_EQ(packetsOf<IEventMetadataPacket>(*handler).size(), 1U);
}

TEST_F(MetadataPipeline, recordedSceneBecomesObjectsBestShotsAndEvents)
{
    process(1'000'000, readDataFile("scene_people_and_vehicles.xml"));
    process(2'000'000, readDataFile("events_all_topics.xml"));

    const auto objectPackets = packetsOf<IObjectMetadataPacket>(*handler);
    ASSERT_EQ(objectPackets.size(), 1U);
    std::vector<std::string> types;
    for (const ObjectView& object: objectsOf(*objectPackets[0]))
        types.push_back(object.typeId);
    EXPECT_EQ(types,
        (std::vector<std::string>{"tesh.qv.Human", "tesh.qv.Human", "tesh.qv.Head", "tesh.qv.Car", "tesh.qv.Truck",
            "tesh.qv.Bus", "tesh.qv.Bicycle", "tesh.qv.Motorcycle", "tesh.qv.Car", "tesh.qv.Human", "tesh.qv.Car"}))
        << "the face is of no class we know, a head without image is never tracked";
    EXPECT_EQ(objectsOf(*objectPackets[0])[0].attributes,
        (Attributes{{"Object ID", "101"}, {"Gender", "Male"}, {"Eyewear", "true"}, {"Mask", "false"}, {"Hat", "false"},
            {"Helmet", "false"}, {"Top Color", "Brown"}, {"Bottom Color", "Black"}, {"Bag", "Backpack"}}));

    std::vector<std::string> imageUrls;
    for (const auto& bestShot: packetsOf<IObjectTrackBestShotPacket>(*handler))
        imageUrls.push_back(bestShot->imageUrl());
    std::sort(imageUrls.begin(), imageUrls.end()); //< Deliveries of one pass run in parallel.
    EXPECT_EQ(imageUrls,
        (std::vector<std::string>{"http://127.0.0.1/snapshot/object_101.jpg",
            "http://127.0.0.1/snapshot/object_103.jpg", "http://127.0.0.1/snapshot/object_202.jpg",
            "http://127.0.0.1/snapshot/object_205.jpg", "http://127.0.0.1/snapshot/object_207.jpg"}));

    const auto eventPackets = packetsOf<IEventMetadataPacket>(*handler);
    ASSERT_EQ(eventPackets.size(), 1U);
    std::vector<std::string> eventTypes;
    for (const EventView& event: eventsOf(*eventPackets[0]))
        eventTypes.push_back(event.typeId);
    EXPECT_EQ(eventTypes,
        (std::vector<std::string>{"tesh.qv.LineCounting", "tesh.qv.Tampering", "tesh.qv.SettingChanged",
            "tesh.qv.Appear", "tesh.qv.Stay", "tesh.qv.Direction", "tesh.qv.Enter", "tesh.qv.Exit", "tesh.qv.Loitering",
            "tesh.qv.Unknown", ""}))
        << "the notification without a topic is left out";
    EXPECT_EQ(eventsOf(*eventPackets[0])[0].description, "Event Line : [1], Count : [17]");
    EXPECT_TRUE(agent->isRefreshPending()) << "the camera reported a change of its analytics settings";
}

TEST_F(MetadataPipeline, dropsDocumentWhilePassIsRunning)
{
    handler->holdCalls();
    pushDocument(*agent, 1'000'000, documentXml({}, counterEvent(1)));
    ASSERT_TRUE(handler->waitForHeldCalls(1, 5s)) << "the first pass is delivering";

    // Straight to admission: the base's own push would wait for the delivery lock that the held call keeps.
    const auto second = sdk::makePtr<CustomMetadataPacket>(2'000'000, "", documentXml({}, counterEvent(2)));
    EXPECT_TRUE(agent->pushCustomMetadataPacket(second.get()));
    handler->releaseCalls();
    ASSERT_TRUE(waitUntilReady(*agent));
    process(3'000'000, documentXml({}, counterEvent(3)));

    const auto events = packetsOf<IEventMetadataPacket>(*handler);
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0]->timestampUs(), 1'000'000);
    EXPECT_EQ(events[1]->timestampUs(), 3'000'000) << "the second document was dropped, not queued";
}

TEST_F(MetadataPipeline, onlyWhatTheDocumentHoldsIsConvertedAndTheAgentIsReadyAgain)
{
    process(1, documentXml({{1}}));
    EXPECT_EQ(handler->packets().size(), 1U);
    EXPECT_EQ(kindOf(handler->packets()[0].get()), PacketKind::objects);

    handler->clear();
    process(2, documentXml({}, counterEvent(1)));
    ASSERT_EQ(handler->packets().size(), 1U);
    EXPECT_EQ(kindOf(handler->packets()[0].get()), PacketKind::events);

    handler->clear();
    const std::string noFrame = "<tt:MetaDataStream xmlns:tt=\"x\"><tt:VideoAnalytics/></tt:MetaDataStream>";
    for (const std::optional<std::string>& text: {std::optional<std::string>(noFrame), {"<tt:MetaDataStream>"},
             {"<MetaDataStream/>"}, {""}, std::optional<std::string>()})
    {
        pushDocument(*agent, 3, text);
        EXPECT_TRUE(waitUntilReady(*agent));
    }
    EXPECT_TRUE(handler->packets().empty());
}

TEST_F(MetadataPipeline, hostDataIsReadOnlyUpToItsSize)
{
    const std::string document = documentXml({}, counterEvent(1));
    const auto packet = sdk::makePtr<CustomMetadataPacket>(5, "", document + "<!-- beyond the packet -->");
    for (const int reportedSize: {0, -1, static_cast<int>(document.size()) - 1})
    {
        packet->setReportedDataSize(reportedSize);
        sdk::Result<void> result;
        agent->doPushDataPacket(&result, packet.get());
        EXPECT_TRUE(waitUntilReady(*agent));
    }
    EXPECT_TRUE(handler->packets().empty()) << "an empty or cut document is no document";

    packet->setReportedDataSize(static_cast<int>(document.size()));
    sdk::Result<void> result;
    agent->doPushDataPacket(&result, packet.get());
    ASSERT_TRUE(waitUntilReady(*agent));
    EXPECT_EQ(handler->packets().size(), 1U);
}

TEST_F(MetadataPipeline, bestShotIsStampedAfterTheObjectsFirstAppearance)
{
    process(1'000'000, documentXml({{7}}));
    process(3'000'000, documentXml({{7, "http://127.0.0.1/snapshot/7.jpg"}}));
    process(4'000'000, documentXml({{7, "http://127.0.0.1/snapshot/7b.jpg"}}));

    const auto bestShots = packetsOf<IObjectTrackBestShotPacket>(*handler);
    ASSERT_EQ(bestShots.size(), 2U);
    EXPECT_EQ(bestShots[0]->timestampUs(), 1'001'000);
    EXPECT_EQ(bestShots[1]->timestampUs(), 4'000'000);
    sdk::Uuid bestShotTrack;
    bestShots[0]->getTrackId(&bestShotTrack);
    EXPECT_EQ(bestShotTrack, objectsOf(*packetsOf<IObjectMetadataPacket>(*handler)[0])[0].trackId);
}

TEST_F(MetadataPipeline, behaviourEventTurnsItsObjectRedUntilTheHighlightExpires)
{
    agent->setHighlightSeconds(1);

    process(1, documentXml({}, behaviorEvent("7", "Enter")));
    process(2, documentXml({{7}, {8}}));
    const auto highlighted = lastObjects();
    std::this_thread::sleep_for(1100ms);
    process(3, documentXml({{7}}));
    const auto expired = lastObjects();

    ASSERT_EQ(highlighted.size(), 2U);
    EXPECT_EQ(highlightOf(highlighted[0]), "Red");
    EXPECT_EQ(highlightOf(highlighted[1]), "Green");
    ASSERT_EQ(expired.size(), 1U);
    EXPECT_EQ(highlightOf(expired[0]), "Green");
}

TEST(PluginSideSettings, onlyIntegersWithinTheDialogsRangesAreTaken)
{
    using vms_server_plugins::analytics::qv::calibrationUsOf;
    using vms_server_plugins::analytics::qv::highlightSecondsOf;
    EXPECT_EQ(calibrationUsOf("-2"), -100'000);
    EXPECT_EQ(calibrationUsOf("20"), 1'000'000);
    EXPECT_EQ(calibrationUsOf("-20"), -1'000'000);
    EXPECT_EQ(calibrationUsOf("21"), std::nullopt) << "beyond the spin box";
    EXPECT_EQ(calibrationUsOf("42950"), std::nullopt) << "would overflow 32 bits once multiplied";
    EXPECT_EQ(calibrationUsOf("3 levels"), std::nullopt) << "not the whole text";
    EXPECT_EQ(calibrationUsOf(""), std::nullopt);
    EXPECT_EQ(highlightSecondsOf("0"), 0) << "off";
    EXPECT_EQ(highlightSecondsOf("60"), 60);
    EXPECT_EQ(highlightSecondsOf("-1"), std::nullopt);
    EXPECT_EQ(highlightSecondsOf("5 sec"), std::nullopt);
}

TEST_F(MetadataPipeline, hostSettingsSetTheBoxDelayAndTheHighlightTimeAndTheSpinBoxActsAtOnce)
{
    const auto deliver = [this](std::map<std::string, std::string> values)
    {
        sdk::Result<sdk::ISettingsResponse*> result;
        agent->doSetSettings(&result, makeHostStringMap(values).get());
        EXPECT_EQ(takeError(&result.error), kSuccess);
        sdk::adopt(result.value);
    };
    const auto turnSpinBox = [this](const char* name, const char* level)
    {
        const auto action = sdk::makePtr<ActiveSettingChangedAction>(
            name, makeHostStringMap({{"TS_CALIBRATION", level}, {"HL_DURATION", "5"}}));
        sdk::Result<sdk::analytics::IActiveSettingChangedResponse*> result;
        agent->onActiveSettingChanged(&result, action.get());
        EXPECT_EQ(takeError(&result.error), kSuccess);
        EXPECT_EQ(result.value, nullptr) << "the dialog is left as it is";
    };
    const auto lastTimestamp = [this] { return handler->packets().back()->timestampUs(); };

    deliver({{"TS_CALIBRATION", "-2"}, {"HL_DURATION", "1"}});
    process(1'000'000, documentXml({}, behaviorEvent("7", "Enter")));
    EXPECT_EQ(lastTimestamp(), 900'000);
    process(1'100'000, documentXml({{7}}));
    EXPECT_EQ(highlightOf(lastObjects()[0]), "Red");

    turnSpinBox("TS_CALIBRATION", "-3");
    process(2'000'000, documentXml({{7}}));
    EXPECT_EQ(lastTimestamp(), 1'850'000) << "before the dialog is applied";
    turnSpinBox("HL_DURATION", "5");
    process(3'000'000, documentXml({{7}}));
    EXPECT_EQ(lastTimestamp(), 2'850'000) << "another active setting changes nothing";

    deliver({{"TS_CALIBRATION", "99999"}, {"HL_DURATION", "0 sec"}});
    process(4'000'000, documentXml({}, behaviorEvent("8", "Enter")));
    EXPECT_EQ(lastTimestamp(), 3'850'000) << "values out of range or not integers are ignored";
    process(4'100'000, documentXml({{8}}));
    EXPECT_EQ(highlightOf(lastObjects()[0]), "Red") << "the highlight time is still 1 s";
    deliver({{"HL_DURATION", "0"}});
    process(4'200'000, documentXml({}, behaviorEvent("9", "Enter")));
    process(4'300'000, documentXml({{9}}));
    EXPECT_EQ(highlightOf(lastObjects()[0]), "Green") << "0 turns highlighting off";
}

TEST_F(MetadataPipeline, eventWithAnObjectIdThatIsNoNumberIsStillDelivered)
{
    agent->setHighlightSeconds(10);

    process(1, documentXml({}, behaviorEvent("not-a-number", "Stay") + behaviorEvent("99999999999", "Exit")));
    process(2, documentXml({}, counterEvent(5)));

    const auto packets = packetsOf<IEventMetadataPacket>(*handler);
    ASSERT_EQ(packets.size(), 2U);
    const auto events = eventsOf(*packets[0]);
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].typeId, "tesh.qv.Stay");
    EXPECT_EQ(events[1].typeId, "tesh.qv.Exit");
}

TEST_F(MetadataPipeline, objectSeenAgainAfter256NewOnesGetsANewTrack)
{
    std::vector<Person> crowd;
    for (int id = 1; id <= 257; ++id)
        crowd.push_back({id});

    process(1, documentXml({{1}}));
    const sdk::Uuid firstTrack = lastObjects()[0].trackId;
    process(2, documentXml({{1}}));
    EXPECT_EQ(lastObjects()[0].trackId, firstTrack);
    process(3, documentXml(crowd));
    process(4, documentXml({{1}}));
    EXPECT_NE(lastObjects()[0].trackId, firstTrack);
}

TEST_F(MetadataPipeline, releasingTheAgentDeliversTheWorkInFlightFirst)
{
    handler->setCallDuration(50ms);

    pushDocument(*agent, 1, documentXml({{1}, {2, "http://127.0.0.1/snapshot/2.jpg"}}, counterEvent(1)));
    agent.reset();

    EXPECT_EQ(handler->packets().size(), 3U);
}

TEST(DeviceAgentSetup, cameraAddressIsTheFirstDottedQuadOfTheUrl)
{
    const LeakCheck leakCheck;
    struct Row
    {
        const char* url;
        const char* address;
    };
    const Row rows[] = {
        {"http://10.1.2.3:8080/onvif/device_service", "10.1.2.3"},
        {"http://camera.example/onvif", ""},
        {"rtsp://192.168.0.10/a?b=10.0.0.1", "192.168.0.10"},
        {"http://1234.5.6.7/", "234.5.6.7"},
        {"http://1.2.3.4567/", "1.2.3.456"},
        {"http://999.1.1.1/", "999.1.1.1"},
        {"1.2.3", ""},
        {nullptr, ""},
    };
    for (const Row& row: rows)
        EXPECT_EQ(makeAgent(row.url)->cameraAddress(), row.address) << (row.url ? row.url : "null");
    EXPECT_NO_LEAKS(leakCheck);
}

TEST(DeviceAgentSetup, newFrameWidthAsksForAReadOfTheCamera)
{
    const LeakCheck leakCheck;
    {
        const auto agent = makeAgent();
        const auto handler = sdk::makePtr<DeviceAgentHandler>();
        agent->setHandler(handler.get());
        EXPECT_EQ(agent->frameSize().width, 3840);
        EXPECT_EQ(agent->frameSize().height, 2160);
        const auto push = [&](int width, int height) {
            const auto frame = sdk::makePtr<CompressedVideoPacket>(1, width, height);
            sdk::Result<void> result;
            agent->doPushDataPacket(&result, frame.get());
            EXPECT_TRUE(result.isOk());
        };
        push(1920, 1080);
        EXPECT_EQ(agent->frameSize().width, 1920);
        EXPECT_EQ(agent->frameSize().height, 1080);
        EXPECT_TRUE(agent->isRefreshPending());

        push(1920, 720);
        EXPECT_EQ(agent->frameSize().height, 1080) << "a new height alone changes nothing";
    }
    EXPECT_NO_LEAKS(leakCheck);
}

} // namespace
} // namespace tesh::test
