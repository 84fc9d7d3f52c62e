// The road of a metadata packet through a camera's pipeline: admission, the pass on the pool, the deliveries.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/custom_metadata_packet.h>
#include <host_double/device_agent_handler.h>
#include <host_double/leak_check.h>
#include <metadata/metadata_pipeline.h>
#include <tesh/kit/thread_pool.h>

#include <support/camera_documents.h>
#include <support/metadata_views.h>
#include "data_files.h"

namespace tesh::test {
namespace {

using namespace std::chrono_literals;
using sdk::analytics::IEventMetadataPacket;
using sdk::analytics::IMetadataPacket;
using sdk::analytics::IObjectMetadataPacket;
using sdk::analytics::IObjectTrackBestShotPacket;
using vms_server_plugins::analytics::qv::Admission;
using vms_server_plugins::analytics::qv::kMaxDocumentBytes;
using vms_server_plugins::analytics::qv::MetadataPipeline;
using vms_server_plugins::analytics::qv::PassSettings;

/** A pipeline as the plug-in builds it, delivering to the host's handler; its settings are the test's to set. */
class MetadataPipelineTest: public NoLeakTest
{
protected:
    /** Pushes a document and waits for its pass to end. */
    void process(int64_t timestampUs, const std::string& xml)
    {
        push(timestampUs, xml);
        ASSERT_TRUE(waitUntilReady());
    }

    /** A null text stands for a packet without data. */
    Admission push(int64_t timestampUs, std::optional<std::string> text)
    {
        return pipeline.push(sdk::makePtr<CustomMetadataPacket>(timestampUs, "", std::move(text)).get());
    }

    /** The pass ends after its last delivery; a test that pushes next must wait for that too. */
    bool waitUntilReady() const
    {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!pipeline.isReady())
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    std::vector<ObjectView> lastObjects() const
    {
        const auto packets = packetsOf<IObjectMetadataPacket>(*handler);
        return packets.empty() ? std::vector<ObjectView>{} : objectsOf(*packets.back());
    }

    const sdk::Ptr<DeviceAgentHandler> handler = sdk::makePtr<DeviceAgentHandler>();
    PassSettings settings; //< Asked for by admission, on the test's own thread.
    bool failSettings = false;
    std::atomic<bool> failDeliveries{false};
    std::atomic<int> settingsChangeReports{0};
    std::vector<std::string> printed; //< Written on the admitting thread, the test's own.
    MetadataPipeline pipeline{pool,
        [this]() {
            if (failSettings)
                throw std::runtime_error("settings unavailable");
            return settings;
        },
        [this]() { ++settingsChangeReports; },
        [this](const std::vector<sdk::Ptr<IMetadataPacket>>& packets) {
            if (failDeliveries)
                throw std::runtime_error("delivery failed");
            for (const auto& packet: packets)
                handler->handleMetadata(packet.get());
        },
        [this](const std::string& text) { printed.push_back(text); }};
    kit::ThreadPool pool{1}; //< Drained first.
};

TEST_F(MetadataPipelineTest, packetsCarryThePacketTimeShiftedByTheCalibration)
{
    settings.timestampCalibrationUs = -100'000;

    process(1'000'000, documentXml({{1}, {2, "http://127.0.0.1/snapshot/2.jpg"}}, counterEvent(4)));

    ASSERT_EQ(handler->packets().size(), 3U);
    for (const auto& packet: handler->packets())
        EXPECT_EQ(packet->timestampUs(), 900'000);
    EXPECT_EQ(packetsOf<IObjectMetadataPacket>(*handler).size(), 1U);
    EXPECT_EQ(packetsOf<IObjectTrackBestShotPacket>(*handler).size(), 1U);
    EXPECT_EQ(packetsOf<IEventMetadataPacket>(*handler).size(), 1U);
}

/** The street scene of samples/, one document per element of the result. */
std::vector<std::string> streetSceneDocuments()
{
    const std::string scene = readFile(std::string(QV_SAMPLES_DIR) + "/street_scene.xml");
    std::vector<std::string> documents;
    for (size_t at = scene.find("<?xml"); at != std::string::npos;)
    {
        const size_t next = scene.find("<?xml", at + 1);
        documents.push_back(scene.substr(at, next == std::string::npos ? std::string::npos : next - at));
        at = next;
    }
    return documents;
}

TEST_F(MetadataPipelineTest, recordedSceneKeepsObjectPacketsInTimeWithTheirBoxes)
{
    constexpr int64_t kStepUs = 100'000; //< 10 documents a second.
    settings.timestampCalibrationUs = 150'000;
    const std::vector<std::string> documents = streetSceneDocuments();
    ASSERT_EQ(documents.size(), 240U);

    int64_t previousUs = 0;
    size_t bestShots = 0;
    for (size_t i = 0; i < documents.size(); ++i)
    {
        const int64_t documentUs = static_cast<int64_t>(i) * kStepUs;
        process(documentUs, documents[i]);
        for (const auto& packet: packetsOf<IObjectMetadataPacket>(*handler))
        {
            EXPECT_GE(packet->timestampUs(), previousUs) << "document " << i;
            previousUs = packet->timestampUs();
            const auto objects = objectsOf(*packet);
            const bool hasBox
                = std::any_of(objects.begin(), objects.end(), [](const ObjectView& o) { return o.box.width >= 0; });
            if (hasBox)
            {
                EXPECT_EQ(packet->timestampUs(), documentUs + 150'000) << "document " << i;
            }
        }
        bestShots += packetsOf<IObjectTrackBestShotPacket>(*handler).size();
        handler->clear();
    }
    EXPECT_GT(bestShots, 0U) << "best shots came with boxes beside them";
}

TEST_F(MetadataPipelineTest, recordedSceneBecomesObjectsBestShotsAndEvents)
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
    EXPECT_EQ(settingsChangeReports, 1) << "the camera reported a change of its analytics settings";
}

TEST_F(MetadataPipelineTest, dropsDocumentOfBoxesOnlyWhilePassIsRunning)
{
    handler->holdCalls();
    push(1'000'000, documentXml({{1}}));
    ASSERT_TRUE(handler->waitForHeldCalls(1, 5s)) << "the first pass is delivering";

    push(2'000'000, documentXml({{2}}));
    handler->releaseCalls();
    ASSERT_TRUE(waitUntilReady());
    process(3'000'000, documentXml({{3}}));

    const auto objects = packetsOf<IObjectMetadataPacket>(*handler);
    ASSERT_EQ(objects.size(), 2U);
    EXPECT_EQ(objects[0]->timestampUs(), 1'000'000);
    EXPECT_EQ(objects[1]->timestampUs(), 3'000'000) << "the second document was dropped, not queued";
}

TEST_F(MetadataPipelineTest, documentsWithEventsWaitInOrderWhilePassIsRunning)
{
    struct Row
    {
        const char* reason;
        int documents;
        int eventEvery; //< Every n-th document carries a line count; the others hold boxes only.
        std::vector<int> delivered; //< The documents whose events reach the handler, in order.
        size_t logLines;
    };
    std::vector<int> allButTheOldestWaiting = {0};
    for (int i = 8; i < 40; ++i)
        allButTheOldestWaiting.push_back(i);
    const Row rows[] = {
        {"a burst of 50, every fifth with an event", 50, 5, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45}, 0},
        {"39 waiting where 32 fit: the 7 oldest go", 40, 1, allButTheOldestWaiting, 3}, //< Told at 1, 2 and 4.
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        handler->clear();
        printed.clear();
        handler->holdCalls();
        for (int i = 0; i < row.documents; ++i)
        {
            push(i, documentXml({{i + 1}}, i % row.eventEvery == 0 ? counterEvent(i) : ""));
            if (i == 0)
            {
                ASSERT_TRUE(handler->waitForHeldCalls(1, 5s)) << "the first pass is delivering";
            }
        }
        handler->releaseCalls();
        ASSERT_TRUE(waitUntilReady());

        std::vector<int> delivered;
        for (const auto& packet: packetsOf<IEventMetadataPacket>(*handler))
            delivered.push_back(static_cast<int>(packet->timestampUs()));
        EXPECT_EQ(delivered, row.delivered);
        EXPECT_EQ(packetsOf<IObjectMetadataPacket>(*handler).size(), row.delivered.size())
            << "boxes came only with the documents that waited for their events";
        EXPECT_EQ(printed.size(), row.logLines);
    }
}

TEST_F(MetadataPipelineTest, admissionSaysWhatBecameOfTheDocument)
{
    struct Row
    {
        const char* reason;
        bool busy; //< The pass of an unreadable document is under way, its worker not yet free to parse it.
        std::optional<std::string> text;
        Admission admission;
        size_t packets;
    };
    const std::string unreadable = "<tt:MetaDataStream>";
    const Row rows[] = {
        {"idle, readable: its pass parses it", false, documentXml({{1}}), Admission::started, 1},
        {"idle, unreadable: found so by its pass", false, unreadable, Admission::started, 0},
        {"no data", false, std::nullopt, Admission::refused, 0},
        {"above the size bound", false, std::string(kMaxDocumentBytes + 1, ' '), Admission::refused, 0},
        {"busy, unreadable", true, unreadable, Admission::refused, 0},
        {"busy, boxes only", true, documentXml({{2}}), Admission::droppedWhileBusy, 0},
        {"busy, with an event: taken by the unreadable one's pass", true, documentXml({{2}}, counterEvent(1)),
            Admission::queued, 2},
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        handler->clear();
        std::promise<void> workerFree;
        if (row.busy)
        {
            pool.enqueue([freed = workerFree.get_future()]() { freed.wait(); });
            ASSERT_EQ(push(1, unreadable), Admission::started);
        }
        EXPECT_EQ(push(2, row.text), row.admission);
        workerFree.set_value();
        ASSERT_TRUE(waitUntilReady());
        EXPECT_EQ(handler->packets().size(), row.packets);
    }
}

TEST_F(MetadataPipelineTest, aDocumentBeyondTheCapsIsCutWithOneLogLine)
{
    using vms_server_plugins::analytics::qv::kMaxEventsPerDocument;
    using vms_server_plugins::analytics::qv::kMaxObjectsPerDocument;
    std::vector<Person> crowd;
    for (int id = 1; id <= static_cast<int>(kMaxObjectsPerDocument) + 10; ++id)
        crowd.push_back({id, "http://127.0.0.1/snapshot/best.jpg"});
    std::string events;
    for (size_t i = 0; i < kMaxEventsPerDocument + 5; ++i)
        events += counterEvent(1);

    process(1, documentXml(crowd, events));

    EXPECT_EQ(packetsOf<IObjectTrackBestShotPacket>(*handler).size(), kMaxObjectsPerDocument);
    const auto eventPackets = packetsOf<IEventMetadataPacket>(*handler);
    ASSERT_EQ(eventPackets.size(), 1U);
    EXPECT_EQ(static_cast<size_t>(eventPackets[0]->count()), kMaxEventsPerDocument);
    ASSERT_EQ(printed.size(), 1U);
    EXPECT_NE(printed[0].find("left out 10 objects and 5 notifications"), std::string::npos) << printed[0];
}

TEST_F(MetadataPipelineTest, onlyWhatTheDocumentHoldsIsConvertedAndThePipelineIsReadyAgain)
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
        push(3, text);
        EXPECT_TRUE(waitUntilReady());
    }
    EXPECT_TRUE(handler->packets().empty());
}

TEST_F(MetadataPipelineTest, aFailureInAPassOrItsAdmissionLeavesThePipelineReady)
{
    struct Row
    {
        const char* reason;
        bool failSettings;
        bool failDeliveries;
    };
    const Row rows[] = {
        {"the settings cannot be had: no pass starts", true, false},
        {"every delivery fails: the pass still ends", false, true},
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        handler->clear();
        failSettings = row.failSettings;
        failDeliveries = row.failDeliveries;
        push(1, documentXml({{1}}, counterEvent(1)));
        EXPECT_TRUE(waitUntilReady());
        failSettings = false;
        failDeliveries = false;
        process(2, documentXml({}, counterEvent(2)));
        ASSERT_EQ(handler->packets().size(), 1U);
        EXPECT_EQ(handler->packets()[0]->timestampUs(), 2);
    }
}

TEST_F(MetadataPipelineTest, hostDataIsReadOnlyUpToItsSize)
{
    const std::string document = documentXml({}, counterEvent(1));
    const auto packet = sdk::makePtr<CustomMetadataPacket>(5, "", document + "<!-- beyond the packet -->");
    for (const int reportedSize: {0, -1, static_cast<int>(document.size()) - 1})
    {
        packet->setReportedDataSize(reportedSize);
        pipeline.push(packet.get());
        EXPECT_TRUE(waitUntilReady());
    }
    EXPECT_TRUE(handler->packets().empty()) << "an empty or cut document is no document";

    packet->setReportedDataSize(static_cast<int>(document.size()));
    pipeline.push(packet.get());
    ASSERT_TRUE(waitUntilReady());
    EXPECT_EQ(handler->packets().size(), 1U);
}

TEST_F(MetadataPipelineTest, bestShotIsStampedAfterTheObjectsFirstAppearance)
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

TEST_F(MetadataPipelineTest, behaviourEventTurnsItsObjectRedUntilTheHighlightExpires)
{
    settings.highlightSeconds = 1;

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

TEST_F(MetadataPipelineTest, eventWithAnObjectIdThatIsNoNumberIsStillDelivered)
{
    settings.highlightSeconds = 10;

    process(1, documentXml({}, behaviorEvent("not-a-number", "Stay") + behaviorEvent("99999999999", "Exit")));
    process(2, documentXml({}, counterEvent(5)));

    const auto packets = packetsOf<IEventMetadataPacket>(*handler);
    ASSERT_EQ(packets.size(), 2U);
    const auto events = eventsOf(*packets[0]);
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].typeId, "tesh.qv.Stay");
    EXPECT_EQ(events[1].typeId, "tesh.qv.Exit");
}

} // namespace
} // namespace tesh::test
