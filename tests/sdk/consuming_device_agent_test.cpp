// The consuming device agent base as the host and a concrete agent drive it.
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/compressed_video_packet.h>
#include <host_double/custom_metadata_packet.h>
#include <host_double/device_agent_handler.h>
#include <host_double/device_info.h>
#include <host_double/host_object.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/plain_data_packet.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <host_double/taken_error.h>
#include <host_double/uncompressed_video_frame.h>
#include <tesh/sdk/analytics/helpers/consuming_device_agent.h>
#include <tesh/sdk/analytics/helpers/event_metadata.h>
#include <tesh/sdk/analytics/helpers/event_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_metadata.h>
#include <tesh/sdk/analytics/helpers/object_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::test {
namespace {

using sdk::adopt;
using sdk::ErrorCode;
using sdk::makePtr;
using sdk::Ptr;
using sdk::Result;
using sdk::analytics::IConsumingDeviceAgent;
using sdk::analytics::IDataPacket;
using sdk::analytics::IMetadataPacket;
using Settings = std::map<std::string, std::string>;
using Lines = std::vector<std::string>;

Ptr<DeviceInfo> deviceInfo(const std::string& id)
{
    auto info = makePtr<DeviceInfo>();
    info->setId(id);
    return info;
}

std::string devicePrefix(const std::string& deviceId, const std::string& overridingPrefix = "")
{
    return "[" + sdk::libContext().name() + (overridingPrefix.empty() ? "" : "_" + overridingPrefix) + "_device_"
        + deviceId + "] ";
}

Ptr<IMetadataPacket> objectPacket(int64_t timestampUs, const std::vector<std::string>& typeIds)
{
    auto packet = makePtr<sdk::analytics::ObjectMetadataPacket>();
    packet->setTimestampUs(timestampUs);
    for (const std::string& typeId: typeIds)
    {
        const auto item = makePtr<sdk::analytics::ObjectMetadata>();
        item->setTypeId(typeId);
        packet->addItem(item.get());
    }
    return Ptr<IMetadataPacket>(std::move(packet));
}

Ptr<IMetadataPacket> eventPacket(int64_t timestampUs, const std::vector<std::string>& typeIds)
{
    auto packet = makePtr<sdk::analytics::EventMetadataPacket>();
    packet->setTimestampUs(timestampUs);
    for (const std::string& typeId: typeIds)
    {
        const auto item = makePtr<sdk::analytics::EventMetadata>();
        item->setTypeId(typeId);
        packet->addItem(item.get());
    }
    return Ptr<IMetadataPacket>(std::move(packet));
}

Ptr<IMetadataPacket> bestShotPacket(int64_t timestampUs)
{
    return Ptr<IMetadataPacket>(makePtr<sdk::analytics::ObjectTrackBestShotPacket>(
        sdk::Uuid{}, timestampUs, sdk::analytics::Rect{0.1F, 0.1F, 0.2F, 0.2F}));
}

/** A metadata packet of the host's own making: none of the kinds the base knows. */
class ForeignMetadataPacket: public HostObject<IMetadataPacket>
{
public:
    explicit ForeignMetadataPacket(int64_t timestampUs): m_timestampUs(timestampUs) {}

    int64_t timestampUs() const override { return m_timestampUs; }

private:
    const int64_t m_timestampUs;
};

enum class Hook
{
    compressedVideo,
    uncompressedVideo,
    customMetadata,
};

/**
 * Records which push hook ran and what it saw, answers the hooks and the pull as told, hands out
 * queued packets on the pull, and opens the base's protected members to the test.
 */
class TestAgent: public sdk::analytics::ConsumingDeviceAgent
{
public:
    static constexpr const char* kManifest = "{\"capabilities\": \"test\"}";

    TestAgent(const sdk::IDeviceInfo* deviceInfo, bool enableOutput, std::string overridingPrefix = ""):
        ConsumingDeviceAgent(deviceInfo, enableOutput, std::move(overridingPrefix))
    {}

    using ConsumingDeviceAgent::printPrefix;
    using ConsumingDeviceAgent::pushMetadataPacket;
    using ConsumingDeviceAgent::pushMetadataPackets;
    using ConsumingDeviceAgent::settings;

    std::string manifestString() const override { return kManifest; }

    void neededMetadataTypes(Result<void>* /*outResult*/, const sdk::analytics::IMetadataTypes* /*types*/) override {}

    bool pushCompressedVideoFrame(const sdk::analytics::ICompressedVideoPacket* videoFrame) override
    {
        return hook(Hook::compressedVideo, videoFrame);
    }

    bool pushUncompressedVideoFrame(const sdk::analytics::IUncompressedVideoFrame* videoFrame) override
    {
        return hook(Hook::uncompressedVideo, videoFrame);
    }

    bool pushCustomMetadataPacket(const sdk::analytics::ICustomMetadataPacket* customMetadataPacket) override
    {
        return hook(Hook::customMetadata, customMetadataPacket);
    }

    bool pullMetadataPackets(std::vector<IMetadataPacket*>* metadataPackets) override
    {
        ++m_pullCount;
        for (Ptr<IMetadataPacket>& packet: m_queuedPackets)
            metadataPackets->push_back(packet.releasePtr());
        m_queuedPackets.clear();
        return m_pullSucceeds;
    }

    Result<sdk::ISettingsResponse*> settingsReceived() override
    {
        ++m_settingsReceivedCount;
        return ConsumingDeviceAgent::settingsReceived();
    }

    void setHooksSucceed(bool succeed) { m_hooksSucceed = succeed; }
    void setPullSucceeds(bool succeed) { m_pullSucceeds = succeed; }

    /** Handed out, with the reference the base takes over, on the next pull. */
    void queueForPull(Ptr<IMetadataPacket> packet) { m_queuedPackets.push_back(std::move(packet)); }

    const std::vector<Hook>& hookCalls() const { return m_hookCalls; }
    const std::vector<const IDataPacket*>& hookPackets() const { return m_hookPackets; }
    int pullCount() const { return m_pullCount; }
    int settingsReceivedCount() const { return m_settingsReceivedCount; }

private:
    bool hook(Hook kind, const IDataPacket* packet)
    {
        m_hookCalls.push_back(kind);
        m_hookPackets.push_back(packet);
        return m_hooksSucceed;
    }

private:
    bool m_hooksSucceed = true;
    bool m_pullSucceeds = true;
    std::vector<Ptr<IMetadataPacket>> m_queuedPackets;
    std::vector<Hook> m_hookCalls;
    std::vector<const IDataPacket*> m_hookPackets; //< Only compared, never dereferenced.
    int m_pullCount = 0;
    std::atomic<int> m_settingsReceivedCount{0};
};

/** Library objects and the host double's objects must all be gone once a test body has ended. */
class ConsumingDeviceAgentTest: public NoLeakTest
{
protected:
    void TearDown() override { EXPECT_TRUE(leakCheck().noHostObjectLeaks()); }
};

/** An agent for device "cam1" with a recording handler already set. */
struct Fixture
{
    explicit Fixture(bool enableOutput):
        info(deviceInfo("cam1")),
        handler(makePtr<DeviceAgentHandler>()),
        agent(makePtr<TestAgent>(info.get(), enableOutput)),
        host(agent.get())
    {
        host->setHandler(handler.get());
    }

    const Ptr<DeviceInfo> info;
    const Ptr<DeviceAgentHandler> handler;
    const Ptr<TestAgent> agent;
    IConsumingDeviceAgent* const host;
};

// ------------------------------------------------------------------------------------------------
// Lifetime and prefix.

TEST_F(ConsumingDeviceAgentTest, creationAndDestructionAreLoggedWithTheDevicePrefix)
{
    struct Case
    {
        bool enableOutput;
        std::string overridingPrefix;
    };
    for (const Case& c: std::vector<Case>{{false, ""}, {true, ""}, {false, "qv"}})
    {
        SCOPED_TRACE("enableOutput " + std::to_string(c.enableOutput) + ", prefix " + c.overridingPrefix);
        const auto info = deviceInfo("cam1");
        StderrCapture capture;
        auto agent = makePtr<TestAgent>(info.get(), c.enableOutput, c.overridingPrefix);
        const void* const address = agent.get();
        const std::string prefix = devicePrefix("cam1", c.overridingPrefix);
        EXPECT_EQ(prefix, agent->printPrefix());
        agent.reset();

        const Lines expected{
            prefix + "Created " + streamPointer(address), prefix + "Destroyed " + streamPointer(address)};
        EXPECT_EQ(expected, capture.lines());
        EXPECT_EQ(1, refCountOf(info.get())) << "the description is not kept";
    }
}

TEST_F(ConsumingDeviceAgentTest, nullDeviceInfoIsReportedAndThePrefixHasNoDeviceId)
{
    StderrCapture capture;
    auto agent = makePtr<TestAgent>(nullptr, /*enableOutput*/ false);
    const void* const address = agent.get();
    agent.reset();
    const std::string text = capture.text();

    const std::string prefix = "[" + sdk::libContext().name() + "_device] ";
    const auto reports = assertionReports(text);
    ASSERT_EQ(1U, reports.size()) << text;
    EXPECT_EQ(prefix, reports[0].prefix);
    EXPECT_EQ("deviceInfo", reports[0].condition);
    EXPECT_EQ("", reports[0].message);
    const Lines lines = splitLines(text);
    ASSERT_EQ(4U, lines.size()) << text;
    EXPECT_EQ(prefix + "Created " + streamPointer(address), lines[2]);
    EXPECT_EQ(prefix + "Destroyed " + streamPointer(address), lines[3]);
}

TEST_F(ConsumingDeviceAgentTest, setHandlerKeepsOneReferenceAndTheAgentReleasesItWhenItDies)
{
    const auto info = deviceInfo("cam1");
    const auto first = makePtr<DeviceAgentHandler>();
    const auto second = makePtr<DeviceAgentHandler>();
    auto agent = makePtr<TestAgent>(info.get(), /*enableOutput*/ false);
    IConsumingDeviceAgent* const host = agent.get();

    host->setHandler(first.get());
    host->setHandler(first.get());
    EXPECT_EQ(2, refCountOf(first.get()));

    host->setHandler(second.get());
    EXPECT_EQ(1, refCountOf(first.get()));
    EXPECT_EQ(2, refCountOf(second.get()));

    agent.reset();
    EXPECT_EQ(1, refCountOf(second.get()));
}

// ------------------------------------------------------------------------------------------------
// doPushDataPacket.

TEST_F(ConsumingDeviceAgentTest, timestampZeroIsDispatchedAndNegativeIsRefused)
{
    {
        Fixture f(/*enableOutput*/ false);
        const auto packet = makePtr<CustomMetadataPacket>(0, CustomMetadataPacket::kDefaultCodec, "<x/>");
        Result<void> result;
        f.host->doPushDataPacket(&result, packet.get());
        EXPECT_EQ(kSuccess, takeError(&result.error));
        EXPECT_EQ(std::vector<Hook>{Hook::customMetadata}, f.agent->hookCalls());
    }
    {
        Fixture f(/*enableOutput*/ false);
        const auto packet = makePtr<CustomMetadataPacket>(-1, CustomMetadataPacket::kDefaultCodec, "<x/>");
        Result<void> result;
        StderrCapture capture;
        f.host->doPushDataPacket(&result, packet.get());

        const std::string message = "dataPacket has invalid timestamp -1; discarding the packet.";
        EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, message), takeError(&result.error));
        EXPECT_TRUE(f.agent->hookCalls().empty());
        EXPECT_EQ(0, f.agent->pullCount());
        EXPECT_EQ(Lines{devicePrefix("cam1") + "doPushDataPacket() -> invalidParams: " + message}, capture.lines());
    }
}

TEST_F(ConsumingDeviceAgentTest, errorLineCarriesEndOnlyWithOutputOn)
{
    const std::string message = "dataPacket is null; discarding it.";
    const std::string p = devicePrefix("cam1");
    struct Case
    {
        bool enableOutput;
        Lines expectedLines;
    };
    const std::vector<Case> cases{
        {false, {p + "doPushDataPacket() -> invalidParams: " + message}},
        {true, {p + "doPushDataPacket() BEGIN", p + "doPushDataPacket() END -> invalidParams: " + message}},
    };
    for (const Case& c: cases)
    {
        SCOPED_TRACE("enableOutput " + std::to_string(c.enableOutput));
        Fixture f(c.enableOutput);
        Result<void> result;
        StderrCapture capture;
        f.host->doPushDataPacket(&result, nullptr);

        EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, message), takeError(&result.error));
        EXPECT_EQ(c.expectedLines, capture.lines());
        EXPECT_EQ(0, f.agent->pullCount());
    }
}

TEST_F(ConsumingDeviceAgentTest, successfulPushLogsOnlyBeginAndEndWithOutputOn)
{
    const std::string p = devicePrefix("cam1");
    for (const bool enableOutput: {false, true})
    {
        SCOPED_TRACE("enableOutput " + std::to_string(enableOutput));
        Fixture f(enableOutput);
        const auto packet = makePtr<CompressedVideoPacket>(100, 640, 480);
        Result<void> result;
        StderrCapture capture;
        f.host->doPushDataPacket(&result, packet.get());

        EXPECT_EQ(kSuccess, takeError(&result.error));
        const Lines expected
            = enableOutput ? Lines{p + "doPushDataPacket() BEGIN", p + "doPushDataPacket() END"} : Lines{};
        EXPECT_EQ(expected, capture.lines());
        EXPECT_EQ(1, f.agent->pullCount());
    }
}

TEST_F(ConsumingDeviceAgentTest, packetsAreDispatchedByKindAndARefusingHookFailsThePush)
{
    struct Case
    {
        const char* name;
        std::function<Ptr<IDataPacket>()> makePacket;
        Hook hook;
        std::string failureMessage;
    };
    const std::vector<Case> cases{
        {"compressed video", [] { return Ptr<IDataPacket>(new CompressedVideoPacket(100, 640, 480)); },
            Hook::compressedVideo, "pushCompressedVideoFrame() failed."},
        {"uncompressed video", [] { return Ptr<IDataPacket>(new UncompressedVideoFrame(100)); },
            Hook::uncompressedVideo, "pushUncompressedVideoFrame() failed."},
        {"custom metadata",
            [] { return Ptr<IDataPacket>(new CustomMetadataPacket(100, CustomMetadataPacket::kDefaultCodec, "<x/>")); },
            Hook::customMetadata, "pushCustomMetadataPacket() failed."},
    };
    for (const Case& c: cases)
    {
        for (const bool hookSucceeds: {true, false})
        {
            SCOPED_TRACE(std::string(c.name) + (hookSucceeds ? ", accepted" : ", refused"));
            Fixture f(/*enableOutput*/ false);
            f.agent->setHooksSucceed(hookSucceeds);
            const auto packet = c.makePacket();

            Result<void> result;
            StderrCapture capture;
            f.host->doPushDataPacket(&result, packet.get());
            const Lines lines = capture.lines();

            EXPECT_EQ(std::vector<Hook>{c.hook}, f.agent->hookCalls());
            ASSERT_EQ(1U, f.agent->hookPackets().size());
            EXPECT_EQ(packet.get(), f.agent->hookPackets()[0]) << "the hook gets the pushed packet itself";
            EXPECT_EQ(1, refCountOf(packet.get())) << "the queried reference is released";
            if (hookSucceeds)
            {
                EXPECT_EQ(kSuccess, takeError(&result.error));
                EXPECT_EQ(1, f.agent->pullCount());
                EXPECT_EQ(Lines{}, lines);
            }
            else
            {
                EXPECT_EQ(ErrorSeen(ErrorCode::otherError, c.failureMessage), takeError(&result.error));
                EXPECT_EQ(0, f.agent->pullCount());
                EXPECT_EQ(Lines{devicePrefix("cam1") + "doPushDataPacket() -> otherError: " + c.failureMessage}, lines);
            }
        }
    }
}

TEST_F(ConsumingDeviceAgentTest, packetOfNoKnownKindIsRefusedWithoutPull)
{
    Fixture f(/*enableOutput*/ false);
    f.agent->queueForPull(objectPacket(100, {"tesh.qv.Human"}));
    const auto packet = makePtr<PlainDataPacket>(100);

    Result<void> result;
    StderrCapture capture;
    f.host->doPushDataPacket(&result, packet.get());

    const std::string message = "Unsupported frame supplied; ignored.";
    EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, message), takeError(&result.error));
    EXPECT_EQ(Lines{devicePrefix("cam1") + "doPushDataPacket() -> invalidParams: " + message}, capture.lines());
    EXPECT_TRUE(f.agent->hookCalls().empty());
    EXPECT_EQ(0, f.agent->pullCount());
    EXPECT_EQ(0, f.handler->callCount());
    EXPECT_EQ(1, refCountOf(packet.get()));
}

TEST_F(ConsumingDeviceAgentTest, pushBeforeSetHandlerDispatchesThenFailsWithInternalError)
{
    const auto info = deviceInfo("cam1");
    const auto agent = makePtr<TestAgent>(info.get(), /*enableOutput*/ false);
    IConsumingDeviceAgent* const host = agent.get();
    const auto packet = makePtr<CustomMetadataPacket>(100, CustomMetadataPacket::kDefaultCodec, "<x/>");

    Result<void> result;
    StderrCapture capture;
    host->doPushDataPacket(&result, packet.get());

    const std::string message = "setHandler() was not called.";
    EXPECT_EQ(ErrorSeen(ErrorCode::internalError, message), takeError(&result.error));
    EXPECT_EQ(std::vector<Hook>{Hook::customMetadata}, agent->hookCalls());
    EXPECT_EQ(0, agent->pullCount());
    EXPECT_EQ(Lines{devicePrefix("cam1") + "doPushDataPacket() -> internalError: " + message}, capture.lines());
}

TEST_F(ConsumingDeviceAgentTest, refusedPullFailsWithOtherErrorAndItsPacketsAreReleased)
{
    Fixture f(/*enableOutput*/ false);
    const auto pulled = objectPacket(100, {"tesh.qv.Human"});
    f.agent->queueForPull(pulled);
    f.agent->setPullSucceeds(false);
    const auto packet = makePtr<CompressedVideoPacket>(100, 640, 480);

    Result<void> result;
    StderrCapture capture;
    f.host->doPushDataPacket(&result, packet.get());

    const std::string message = "pullMetadataPackets() failed.";
    EXPECT_EQ(ErrorSeen(ErrorCode::otherError, message), takeError(&result.error));
    EXPECT_EQ(Lines{devicePrefix("cam1") + "doPushDataPacket() -> otherError: " + message}, capture.lines());
    EXPECT_EQ(0, f.handler->callCount());
    EXPECT_EQ(1, refCountOf(pulled.get()));
}

TEST_F(ConsumingDeviceAgentTest, pulledPacketsReachTheHandlerInOrderWithTheirReferencesReleased)
{
    Fixture f(/*enableOutput*/ false);
    const std::vector<Ptr<IMetadataPacket>> pulled{
        objectPacket(300, {"tesh.qv.Human"}),
        eventPacket(100, {"tesh.qv.LineCrossing"}),
        objectPacket(200, {"tesh.qv.Car"}),
    };
    for (const auto& packet: pulled)
        f.agent->queueForPull(packet);
    const auto frame = makePtr<CompressedVideoPacket>(100, 640, 480);

    Result<void> result;
    f.host->doPushDataPacket(&result, frame.get());

    EXPECT_EQ(kSuccess, takeError(&result.error));
    {
        const auto delivered = f.handler->packets();
        ASSERT_EQ(pulled.size(), delivered.size());
        for (size_t i = 0; i < pulled.size(); ++i)
            EXPECT_EQ(pulled[i].get(), delivered[i].get()) << "packet " << i;
    }

    f.handler->clear();
    for (const auto& packet: pulled)
        EXPECT_EQ(1, refCountOf(packet.get())) << "the base gives back the reference the pull handed over";
}

TEST_F(ConsumingDeviceAgentTest, pulledPacketsAreLoggedWithTheirIndexWithOutputOn)
{
    Fixture f(/*enableOutput*/ true);
    f.agent->queueForPull(objectPacket(100, {"tesh.qv.Human"}));
    f.agent->queueForPull(eventPacket(0, {"tesh.qv.LineCrossing", "tesh.qv.Tampering"}));
    const auto frame = makePtr<CompressedVideoPacket>(100, 640, 480);

    Result<void> result;
    StderrCapture capture;
    f.host->doPushDataPacket(&result, frame.get());

    EXPECT_EQ(kSuccess, takeError(&result.error));
    const std::string p = devicePrefix("cam1");
    EXPECT_EQ((Lines{
                  p + "doPushDataPacket() BEGIN",
                  p + "processMetadataPackets(): Producing 2 metadata packet(s).",
                  p + "logMetadataPacketIfNeeded(): Object #0 metadata packet contains 1 item of type tesh.qv.Human.",
                  p + "logMetadataPacketIfNeeded(): Event #1 metadata packet contains 2 item(s).",
                  p + "logMetadataPacketIfNeeded(): WARNING: Event #1 metadata packet has timestamp 0.",
                  p + "doPushDataPacket() END",
              }),
        capture.lines());
    EXPECT_EQ(2, f.handler->callCount());
}

// ------------------------------------------------------------------------------------------------
// pushMetadataPacket.

TEST_F(ConsumingDeviceAgentTest, pushMetadataPacketDeliversAndTakesOverTheCallersReference)
{
    Fixture f(/*enableOutput*/ false);
    const auto packet = objectPacket(100, {"tesh.qv.Human"});

    StderrCapture capture;
    f.agent->pushMetadataPacket(sdk::share(packet.get()).releasePtr());

    EXPECT_EQ("", capture.text());
    ASSERT_EQ(1, f.handler->callCount());
    EXPECT_EQ(packet.get(), f.handler->packets()[0].get());
    EXPECT_EQ(2, refCountOf(packet.get())) << "ours and the handler's: the handed-over one is released";
    f.handler->clear();
    EXPECT_EQ(1, refCountOf(packet.get()));
}

TEST_F(ConsumingDeviceAgentTest, pushedRunOfPacketsIsLoggedAndDeliveredInOrder)
{
    Fixture f(/*enableOutput*/ true);
    const std::vector<Ptr<IMetadataPacket>> packets{
        objectPacket(100, {"tesh.qv.Human"}), eventPacket(0, {"tesh.qv.LineCrossing", "tesh.qv.Tampering"})};

    StderrCapture capture;
    f.agent->pushMetadataPackets(packets);

    const std::string p = devicePrefix("cam1");
    EXPECT_EQ((Lines{
                  p + "logMetadataPacketIfNeeded(): Object metadata packet contains 1 item of type tesh.qv.Human.",
                  p + "logMetadataPacketIfNeeded(): Event metadata packet contains 2 item(s).",
                  p + "logMetadataPacketIfNeeded(): WARNING: Event metadata packet has timestamp 0.",
              }),
        capture.lines());
    ASSERT_EQ(2, f.handler->callCount());
    EXPECT_EQ(packets[0].get(), f.handler->packets()[0].get());
    EXPECT_EQ(packets[1].get(), f.handler->packets()[1].get());
    f.handler->clear();
    for (const auto& packet: packets)
        EXPECT_EQ(1, refCountOf(packet.get())) << "the base keeps no reference of its own";
}

TEST_F(ConsumingDeviceAgentTest, pushMetadataPacketWithNegativeTimeReportsTheCheckAndStillDelivers)
{
    Fixture f(/*enableOutput*/ false);
    const auto packet = objectPacket(-1, {"tesh.qv.Human"});

    StderrCapture capture;
    f.agent->pushMetadataPacket(sdk::share(packet.get()).releasePtr());
    const std::string text = capture.text();

    const auto reports = assertionReports(text);
    ASSERT_EQ(1U, reports.size()) << text;
    EXPECT_EQ(devicePrefix("cam1"), reports[0].prefix);
    EXPECT_EQ("metadataPacket->timestampUs() >= 0", reports[0].condition);
    EXPECT_EQ("", reports[0].message);
    EXPECT_EQ(2U, splitLines(text).size()) << text;
    ASSERT_EQ(1, f.handler->callCount());
    EXPECT_EQ(packet.get(), f.handler->packets()[0].get());
}

TEST_F(ConsumingDeviceAgentTest, pushMetadataPacketWithoutHandlerLogsAndReleasesThePacket)
{
    for (const bool enableOutput: {false, true})
    {
        SCOPED_TRACE("enableOutput " + std::to_string(enableOutput));
        const auto info = deviceInfo("cam1");
        const auto agent = makePtr<TestAgent>(info.get(), enableOutput);
        const auto packet = objectPacket(100, {"tesh.qv.Human"});

        StderrCapture capture;
        agent->pushMetadataPacket(sdk::share(packet.get()).releasePtr());

        EXPECT_EQ(Lines{devicePrefix("cam1")
                      + "processMetadataPacket(): INTERNAL ERROR: setHandler() was not called; ignoring the packet"},
            capture.lines());
        EXPECT_EQ(1, refCountOf(packet.get()));
    }
}

TEST_F(ConsumingDeviceAgentTest, pushMetadataPacketAfterTheHandlerWasDroppedIsIgnored)
{
    Fixture f(/*enableOutput*/ false);
    f.host->setHandler(nullptr);
    EXPECT_EQ(1, refCountOf(f.handler.get()));
    const auto packet = objectPacket(100, {"tesh.qv.Human"});

    StderrCapture capture;
    f.agent->pushMetadataPacket(sdk::share(packet.get()).releasePtr());

    EXPECT_EQ(Lines{devicePrefix("cam1")
                  + "processMetadataPacket(): INTERNAL ERROR: setHandler() was not called; ignoring the packet"},
        capture.lines());
    EXPECT_EQ(0, f.handler->callCount());
    EXPECT_EQ(1, refCountOf(packet.get()));
}

TEST_F(ConsumingDeviceAgentTest, deliveredPacketsAreDescribedOnlyWithOutputOn)
{
    const std::string p = devicePrefix("cam1") + "logMetadataPacketIfNeeded";
    struct Case
    {
        const char* name;
        std::function<Ptr<IMetadataPacket>()> makePacket;
        Lines expectedLines;
    };
    const std::vector<Case> cases{
        {"object, one item", [] { return objectPacket(100, {"tesh.qv.Human"}); },
            {p + "(): Object metadata packet contains 1 item of type tesh.qv.Human."}},
        {"object, one item, time 0", [] { return objectPacket(0, {"tesh.qv.Human"}); },
            {
                p + "(): Object metadata packet contains 1 item of type tesh.qv.Human.",
                p + "(): WARNING: Object metadata packet has timestamp 0.",
            }},
        {"object, two items",
            [] {
                return objectPacket(100, {"tesh.qv.Human", "tesh.qv.Car"});
            },
            {p + "(): Object metadata packet contains 2 item(s)."}},
        {"event, one item", [] { return eventPacket(100, {"tesh.qv.Tampering"}); },
            {p + "(): Event metadata packet contains 1 item of type tesh.qv.Tampering."}},
        {"event, empty", [] { return eventPacket(100, {}); }, {p + "(): WARNING: Event metadata packet is empty."}},
        {"object, empty, time 0", [] { return objectPacket(0, {}); },
            {p + "(): WARNING: Object metadata packet is empty."}},
        {"best shot", [] { return bestShotPacket(100); }, {}},
        {"foreign", [] { return Ptr<IMetadataPacket>(new ForeignMetadataPacket(100)); },
            {p + "(): WARNING: Metadata packet has unknown type."}},
    };
    for (const Case& c: cases)
    {
        for (const bool enableOutput: {true, false})
        {
            SCOPED_TRACE(std::string(c.name) + (enableOutput ? ", output on" : ", output off"));
            Fixture f(enableOutput);
            const auto packet = c.makePacket();

            StderrCapture capture;
            f.agent->pushMetadataPacket(sdk::share(packet.get()).releasePtr());

            EXPECT_EQ(enableOutput ? c.expectedLines : Lines{}, capture.lines());
            EXPECT_EQ(1, f.handler->callCount()) << "logging never keeps a packet from the handler";
        }
    }
}

// ------------------------------------------------------------------------------------------------
// Settings, manifest, finalize.

TEST_F(ConsumingDeviceAgentTest, settingsDeliveriesAreMergedAndEachEndsInSettingsReceived)
{
    Fixture f(/*enableOutput*/ false);

    for (const Settings& delivery: std::vector<Settings>{{{"a", "1"}}, {{"b", "2"}}, {{"a", "3"}}})
    {
        const auto settings = makeHostStringMap(delivery);
        Result<sdk::ISettingsResponse*> result;
        f.host->doSetSettings(&result, settings.get());
        EXPECT_EQ(kSuccess, takeError(&result.error));
        EXPECT_EQ(nullptr, result.value);
    }

    EXPECT_EQ((Settings{{"a", "3"}, {"b", "2"}}), f.agent->settings());
    EXPECT_EQ(3, f.agent->settingsReceivedCount());
}

TEST_F(ConsumingDeviceAgentTest, unusableSettingsMapFailsAndLeavesTheStoredSettings)
{
    struct Case
    {
        const char* name;
        std::function<Ptr<sdk::IStringMap>()> makeMap;
        std::string expectedLine;
    };
    const std::vector<Case> cases{
        {"null map", [] { return Ptr<sdk::IStringMap>(); }, "ERROR: stringMap is null"},
        {"negative count",
            [] {
                auto map = makeHostStringMap({{"b", "2"}});
                map->setReportedCount(-2);
                return Ptr<sdk::IStringMap>(map);
            },
            "ERROR: Received settings: count is -2"},
    };
    for (const Case& c: cases)
    {
        SCOPED_TRACE(c.name);
        Fixture f(/*enableOutput*/ false);
        const auto initial = makeHostStringMap({{"a", "1"}});
        Result<sdk::ISettingsResponse*> initialResult;
        f.host->doSetSettings(&initialResult, initial.get());
        EXPECT_EQ(kSuccess, takeError(&initialResult.error));

        const auto settings = c.makeMap();
        Result<sdk::ISettingsResponse*> result;
        StderrCapture capture;
        f.host->doSetSettings(&result, settings.get());

        EXPECT_EQ(ErrorSeen(ErrorCode::invalidParams, "Settings are invalid"), takeError(&result.error));
        EXPECT_EQ(nullptr, result.value);
        EXPECT_EQ(Lines{devicePrefix("cam1") + c.expectedLine}, capture.lines());
        EXPECT_EQ((Settings{{"a", "1"}}), f.agent->settings());
        EXPECT_EQ(1, f.agent->settingsReceivedCount());
    }
}

TEST_F(ConsumingDeviceAgentTest, getManifestWrapsManifestString)
{
    Fixture f(/*enableOutput*/ false);

    Result<sdk::IString*> result;
    f.host->getManifest(&result);

    EXPECT_EQ(kSuccess, takeError(&result.error));
    ASSERT_NE(nullptr, result.value);
    const auto manifest = adopt(result.value);
    EXPECT_STREQ(TestAgent::kManifest, manifest->str());
}

TEST_F(ConsumingDeviceAgentTest, finalizeWritesOneLineOnlyWithOutputOn)
{
    for (const bool enableOutput: {false, true})
    {
        SCOPED_TRACE("enableOutput " + std::to_string(enableOutput));
        Fixture f(enableOutput);

        StderrCapture capture;
        f.host->finalize();

        EXPECT_EQ(enableOutput ? devicePrefix("cam1") + "finalize()\n" : "", capture.text());
    }
}

// ------------------------------------------------------------------------------------------------
// Concurrency.

/** Shares one in-call flag with every other instance: deliveries must not overlap across handlers either. */
class OverlapDetectingHandler: public HostObject<sdk::analytics::IDeviceAgentHandler>
{
public:
    OverlapDetectingHandler(std::atomic<bool>* deliveryInProgress, std::atomic<int>* overlapCount):
        m_deliveryInProgress(deliveryInProgress),
        m_overlapCount(overlapCount)
    {}

    void handleMetadata(IMetadataPacket* metadataPacket) override
    {
        if (m_deliveryInProgress->exchange(true))
            ++*m_overlapCount;
        if (!metadataPacket || metadataPacket->timestampUs() < 0)
            ++m_badPacketCount;
        // Stay in the call a little, so that an unserialised delivery would land inside it.
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(20);
        while (std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        ++m_callCount;
        m_deliveryInProgress->store(false);
    }

    int callCount() const { return m_callCount.load(); }
    int badPacketCount() const { return m_badPacketCount.load(); }

private:
    std::atomic<bool>* const m_deliveryInProgress;
    std::atomic<int>* const m_overlapCount;
    std::atomic<int> m_callCount{0};
    std::atomic<int> m_badPacketCount{0};
};

TEST_F(ConsumingDeviceAgentTest, concurrentPushesHandlerSwapsAndSettingsNeverOverlapDeliveries)
{
    constexpr int kThreadCount = 4;
    const auto info = deviceInfo("cam1");
    auto agent = makePtr<TestAgent>(info.get(), /*enableOutput*/ false);
    IConsumingDeviceAgent* const host = agent.get();

    std::atomic<bool> deliveryInProgress{false};
    std::atomic<int> overlapCount{0};
    std::mutex handlersMutex;
    std::vector<Ptr<OverlapDetectingHandler>> handlers;
    const auto newHandler = [&]() {
        auto handler = makePtr<OverlapDetectingHandler>(&deliveryInProgress, &overlapCount);
        const std::lock_guard<std::mutex> lock(handlersMutex);
        handlers.push_back(handler);
        return handler;
    };
    host->setHandler(newHandler().get());

    std::atomic<bool> stop{false};
    std::atomic<int> pushedCount{0};
    std::atomic<int> settingsDeliveryCount{0};
    std::atomic<int> failedSettingsCount{0};
    std::vector<int> lastSettingValue(kThreadCount, -1);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreadCount; ++t)
    {
        threads.emplace_back([&, t]() {
            for (int i = 0; !stop.load(); ++i)
            {
                switch (i % 16)
                {
                    case 0: host->setHandler(newHandler().get()); break;
                    case 1: {
                        const auto settings = makeHostStringMap({{"thread" + std::to_string(t), std::to_string(i)}});
                        Result<sdk::ISettingsResponse*> result;
                        host->doSetSettings(&result, settings.get());
                        if (takeError(&result.error) != kSuccess)
                            ++failedSettingsCount;
                        lastSettingValue[static_cast<size_t>(t)] = i;
                        ++settingsDeliveryCount;
                        break;
                    }
                    default:
                        agent->pushMetadataPacket(objectPacket(i, {"tesh.qv.Human"}).releasePtr());
                        ++pushedCount;
                        break;
                }
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    stop = true;
    for (std::thread& thread: threads)
        thread.join();

    EXPECT_EQ(0, overlapCount.load());
    EXPECT_EQ(0, failedSettingsCount.load());
    int deliveredCount = 0;
    int badPacketCount = 0;
    for (const auto& handler: handlers)
    {
        deliveredCount += handler->callCount();
        badPacketCount += handler->badPacketCount();
    }
    EXPECT_GT(pushedCount.load(), 0);
    EXPECT_EQ(pushedCount.load(), deliveredCount) << "every packet reaches exactly one handler";
    EXPECT_EQ(0, badPacketCount);
    EXPECT_GT(handlers.size(), 1U);

    EXPECT_EQ(settingsDeliveryCount.load(), agent->settingsReceivedCount());
    Settings expectedSettings;
    for (int t = 0; t < kThreadCount; ++t)
    {
        const int last = lastSettingValue[static_cast<size_t>(t)];
        if (last >= 0)
            expectedSettings["thread" + std::to_string(t)] = std::to_string(last);
    }
    EXPECT_EQ(expectedSettings, agent->settings());

    agent.reset();
    for (size_t i = 0; i < handlers.size(); ++i)
        ASSERT_EQ(1, refCountOf(handlers[i].get())) << "handler " << i << " of " << handlers.size();
}

} // namespace
} // namespace tesh::test
