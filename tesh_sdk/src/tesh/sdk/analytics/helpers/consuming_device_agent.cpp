// Base of the per-camera agent: checks and dispatches the host's data packets, stores settings and
// delivers metadata packets to the host's handler, one at a time.
#include "consuming_device_agent.h"

#include <tesh/kit/debug.h>
#include <tesh/sdk/analytics/i_compound_metadata_packet.h>
#include <tesh/sdk/analytics/i_event_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_track_best_shot_packet.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/from_string_map.h>
#include <tesh/sdk/helpers/print_prefix.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::sdk::analytics {

namespace {

std::string indexText(int packetIndex)
{
    return packetIndex == -1 ? "" : " #" + std::to_string(packetIndex);
}

/** "Object", "Event", "Best shot", or empty for a packet of no known kind. */
const char* packetKind(const IMetadataPacket* metadataPacket)
{
    if (queryInterface<IObjectMetadataPacket>(metadataPacket))
        return "Object";
    if (queryInterface<IEventMetadataPacket>(metadataPacket))
        return "Event";
    if (queryInterface<IObjectTrackBestShotPacket>(metadataPacket))
        return "Best shot";
    return "";
}

/** "Object #2 metadata packet", the packet's name in each line about it, after "(): " and a warning if any. */
std::string packetLine(const char* warning, const char* kind, int packetIndex)
{
    std::string line;
    line.reserve(128);
    line.append("(): ").append(warning).append(kind).append(indexText(packetIndex)).append(" metadata packet");
    return line;
}

void appendItemsText(std::string* line, const ICompoundMetadataPacket* packet, int count)
{
    if (count != 1)
    {
        line->append("item(s)");
        return;
    }
    const auto item = adopt(packet->at(0));
    const char* const typeId = item ? item->typeId() : nullptr;
    line->append("item of type ").append(typeId ? typeId : "");
}

} // namespace

ConsumingDeviceAgent::ConsumingDeviceAgent(
    const IDeviceInfo* deviceInfo, bool enableOutput, std::string overridingPrefix):
    m_enableOutput(enableOutput),
    m_printPrefix(
        makePrintPrefix(overridingPrefix, "_device", deviceInfo != nullptr, deviceInfo ? deviceInfo->id() : nullptr)),
    m_packetLogPrefix(m_printPrefix + "logMetadataPacketIfNeeded")
{
    TESH_KIT_CHECK([this](const std::string& text) { print(text); }, deviceInfo, "");
    print("Created " + kit::debug::toStreamPointerText(this));
}

ConsumingDeviceAgent::~ConsumingDeviceAgent()
{
    print("Destroyed " + kit::debug::toStreamPointerText(this));
    m_settings.clear();
    m_handler.reset();
}

void ConsumingDeviceAgent::print(std::string_view text) const
{
    kit::debug::printLine(m_printPrefix, text);
}

ConsumingDeviceAgent::Settings ConsumingDeviceAgent::settings() const
{
    const std::lock_guard<std::mutex> lock(m_settingsMutex);
    return m_settings;
}

void ConsumingDeviceAgent::doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings)
{
    runGuardedSlot([this](const std::string& t) { print(t); }, "doSetSettings", outResult,
        [&] {
            bool converted = false;
            {
                const std::lock_guard<std::mutex> lock(m_settingsMutex);
                converted = fromStringMap(m_enableOutput, m_printPrefix, &m_settings, settings, "Received settings", 0);
            }
            if (!converted)
            {
                *outResult = {error(ErrorCode::invalidParams, "Settings are invalid"), nullptr};
                return;
            }
            *outResult = settingsReceived();
        });
}

void ConsumingDeviceAgent::getPluginSideSettings(Result<ISettingsResponse*>* /*outResult*/) const
{
    // The host's pre-set success with no value stands unless a concrete agent has something to show.
}

void ConsumingDeviceAgent::getManifest(Result<IString*>* outResult) const
{
    runGuardedSlot([this](const std::string& t) { print(t); }, "getManifest", outResult,
        [&] { outResult->value = new String(manifestString()); });
}

void ConsumingDeviceAgent::setHandler(IDeviceAgentHandler* handler)
{
    runGuarded([this](const std::string& t) { print(t); }, "setHandler",
        [&] {
            auto newHandler = share(handler);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_handler.swap(newHandler);
        });
}

void ConsumingDeviceAgent::doPushDataPacket(Result<void>* outResult, IDataPacket* dataPacket)
{
    runGuardedSlot([this](const std::string& t) { print(t); }, "doPushDataPacket", outResult,
        [&] {
            if (m_enableOutput)
                print("doPushDataPacket() BEGIN");
            if (!dataPacket)
                return failPush(outResult, ErrorCode::invalidParams, "dataPacket is null; discarding it.");
            const int64_t timestampUs = dataPacket->timestampUs();
            if (timestampUs < 0)
            {
                return failPush(outResult, ErrorCode::invalidParams,
                    "dataPacket has invalid timestamp " + std::to_string(timestampUs) + "; discarding the packet.");
            }
            if (!dispatchByKind(outResult, dataPacket))
                return;
            if (!hasHandler())
                return failPush(outResult, ErrorCode::internalError, "setHandler() was not called.");
            deliverPulledPackets(outResult);
        });
}

/** Hands the packets the concrete agent has ready to the handler; a failed pull fails the push. */
void ConsumingDeviceAgent::deliverPulledPackets(Result<void>* outResult)
{
    std::vector<IMetadataPacket*> metadataPackets;
    if (!pullMetadataPackets(&metadataPackets))
    {
        for (IMetadataPacket* packet: metadataPackets)
        {
            if (packet)
                packet->releaseRef();
        }
        return failPush(outResult, ErrorCode::otherError, "pullMetadataPackets() failed.");
    }
    processMetadataPackets(metadataPackets);
    if (m_enableOutput)
        print("doPushDataPacket() END");
}

bool ConsumingDeviceAgent::dispatchByKind(Result<void>* outResult, IDataPacket* dataPacket)
{
    if (const auto videoPacket = sdk::queryInterface<ICompressedVideoPacket>(dataPacket))
    {
        if (pushCompressedVideoFrame(videoPacket.get()))
            return true;
        failPush(outResult, ErrorCode::otherError, "pushCompressedVideoFrame() failed.");
        return false;
    }
    if (const auto videoFrame = sdk::queryInterface<IUncompressedVideoFrame>(dataPacket))
    {
        if (pushUncompressedVideoFrame(videoFrame.get()))
            return true;
        failPush(outResult, ErrorCode::otherError, "pushUncompressedVideoFrame() failed.");
        return false;
    }
    if (const auto customPacket = sdk::queryInterface<ICustomMetadataPacket>(dataPacket))
    {
        if (pushCustomMetadataPacket(customPacket.get()))
            return true;
        failPush(outResult, ErrorCode::otherError, "pushCustomMetadataPacket() failed.");
        return false;
    }
    failPush(outResult, ErrorCode::invalidParams, "Unsupported frame supplied; ignored.");
    return false;
}

bool ConsumingDeviceAgent::hasHandler() const
{
    return static_cast<bool>(handler());
}

Ptr<IDeviceAgentHandler> ConsumingDeviceAgent::handler() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_handler;
}

void ConsumingDeviceAgent::failPush(Result<void>* outResult, ErrorCode errorCode, const std::string& message) const
{
    print(std::string("doPushDataPacket") + "() " + (m_enableOutput ? "END " : "") + "-> " + toString(errorCode) + ": "
        + message);
    outResult->error = error(errorCode, message);
}

void ConsumingDeviceAgent::finalize()
{
    if (m_enableOutput)
        runGuarded([this](const std::string& t) { print(t); }, "finalize", [this] { print("finalize()"); });
}

void ConsumingDeviceAgent::onActiveSettingChanged(
    Result<IActiveSettingChangedResponse*>* /*outResult*/, const IActiveSettingChangedAction* /*action*/)
{
    // No active settings unless a concrete agent has them.
}

bool ConsumingDeviceAgent::pushCompressedVideoFrame(const ICompressedVideoPacket* /*videoFrame*/)
{
    return true;
}

bool ConsumingDeviceAgent::pushUncompressedVideoFrame(const IUncompressedVideoFrame* /*videoFrame*/)
{
    return true;
}

bool ConsumingDeviceAgent::pushCustomMetadataPacket(const ICustomMetadataPacket* /*customMetadataPacket*/)
{
    return true;
}

bool ConsumingDeviceAgent::pullMetadataPackets(std::vector<IMetadataPacket*>* /*metadataPackets*/)
{
    return true;
}

Result<ISettingsResponse*> ConsumingDeviceAgent::settingsReceived()
{
    return {};
}

void ConsumingDeviceAgent::pushMetadataPacket(IMetadataPacket* metadataPacket)
{
    const auto packet = adopt(metadataPacket);
    const std::lock_guard<std::recursive_mutex> lock(m_deliveryMutex);
    processMetadataPacket(packet.get(), -1);
}

void ConsumingDeviceAgent::pushMetadataPackets(const std::vector<Ptr<IMetadataPacket>>& metadataPackets)
{
    const std::lock_guard<std::recursive_mutex> lock(m_deliveryMutex);
    // Without a handler no packet is logged as delivered: each is reported as ignored instead.
    const bool logged = m_enableOutput && hasHandler();
    if (logged)
    {
        std::string lines;
        for (const Ptr<IMetadataPacket>& packet: metadataPackets)
        {
            if (packet)
                appendMetadataPacketLog(&lines, packet.get(), -1);
        }
        kit::debug::printLines(lines);
    }
    for (const Ptr<IMetadataPacket>& packet: metadataPackets)
    {
        try
        {
            processMetadataPacket(packet.get(), -1, logged);
        }
        catch (...)
        {
            // This packet is lost; the next ones are not.
        }
    }
}

void ConsumingDeviceAgent::processMetadataPackets(const std::vector<IMetadataPacket*>& metadataPackets)
{
    // Nothing to deliver must not wait for the delivery lock: a handler call in progress holds it, and the host's
    // push would then wait on its own handler (which may be waiting for that push to return).
    if (metadataPackets.empty())
        return;
    if (m_enableOutput)
    {
        print(std::string("processMetadataPackets") + "(): Producing " + std::to_string(metadataPackets.size())
            + " metadata packet(s).");
    }
    const std::lock_guard<std::recursive_mutex> lock(m_deliveryMutex);
    for (size_t i = 0; i < metadataPackets.size(); ++i)
    {
        const auto packet = adopt(metadataPackets[i]);
        processMetadataPacket(packet.get(), static_cast<int>(i));
    }
}

void ConsumingDeviceAgent::processMetadataPacket(IMetadataPacket* metadataPacket, int packetIndex, bool logged)
{
    const std::string operation = "processMetadataPacket";
    // Our own reference: a handler that detaches itself from inside its call must not die under it.
    const Ptr<IDeviceAgentHandler> currentHandler = handler();
    if (!currentHandler)
    {
        print(operation + "(): " + "INTERNAL ERROR: setHandler() was not called; ignoring the packet");
        return;
    }
    if (!metadataPacket)
    {
        if (m_enableOutput)
            print(operation + "(): WARNING: Null metadata packet" + indexText(packetIndex) + " found; discarded.");
        return;
    }
    if (!logged)
        logMetadataPacketIfNeeded(metadataPacket, packetIndex);
    TESH_KIT_CHECK([this](const std::string& text) { print(text); }, metadataPacket->timestampUs() >= 0, "");
    currentHandler->handleMetadata(metadataPacket);
}

void ConsumingDeviceAgent::logMetadataPacketIfNeeded(const IMetadataPacket* metadataPacket, int packetIndex) const
{
    if (!m_enableOutput)
        return;
    const auto printLine = [this](std::string_view text) { kit::debug::printLine(m_packetLogPrefix, text); };
    if (!TESH_KIT_CHECK(printLine, metadataPacket, ""))
        return;
    std::string lines;
    appendMetadataPacketLog(&lines, metadataPacket, packetIndex);
    kit::debug::printLines(lines);
}

/** The lines logged for a delivered packet, each a line of its own and written by the caller. */
void ConsumingDeviceAgent::appendMetadataPacketLog(
    std::string* lines, const IMetadataPacket* metadataPacket, int packetIndex) const
{
    const auto addLine = [&](std::string_view text) { kit::debug::appendLine(lines, m_packetLogPrefix, text); };

    const char* kind = packetKind(metadataPacket);
    if (kind[0] == '\0')
    {
        addLine("(): WARNING: Metadata packet" + indexText(packetIndex) + " has unknown type.");
        kind = "Unknown";
    }

    const auto compoundPacket = sdk::queryInterface<ICompoundMetadataPacket>(metadataPacket);
    if (!compoundPacket)
        return;
    const int count = compoundPacket->count();
    if (count == 0)
    {
        addLine(packetLine("WARNING: ", kind, packetIndex).append(" is empty."));
        return;
    }
    std::string line = packetLine("", kind, packetIndex);
    line.append(" contains ").append(std::to_string(count)).append(" ");
    appendItemsText(&line, compoundPacket.get(), count);
    line.push_back('.');
    addLine(line);
    if (metadataPacket->timestampUs() == 0)
        addLine(packetLine("WARNING: ", kind, packetIndex).append(" has timestamp 0."));
}

} // namespace tesh::sdk::analytics
