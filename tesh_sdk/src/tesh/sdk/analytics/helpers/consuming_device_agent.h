// Base of the per-camera agent: checks and dispatches the host's data packets, stores settings and
// delivers metadata packets to the host's handler, one at a time.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <tesh/sdk/analytics/i_compressed_video_packet.h>
#include <tesh/sdk/analytics/i_consuming_device_agent.h>
#include <tesh/sdk/analytics/i_custom_metadata_packet.h>
#include <tesh/sdk/analytics/i_uncompressed_video_frame.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/i_device_info.h>

namespace tesh::sdk::analytics {

/**
 * A concrete agent overrides neededMetadataTypes(), manifestString() and the hooks it needs. It
 * either answers pullMetadataPackets() after each pushed packet or hands packets over at any time,
 * from any thread, through pushMetadataPacket().
 */
class ConsumingDeviceAgent: public RefCountable<IConsumingDeviceAgent>
{
public:
    using Settings = std::map<std::string, std::string>;

    void doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings) override;
    void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const override;
    void getManifest(Result<IString*>* outResult) const override;
    void setHandler(IDeviceAgentHandler* handler) override;
    void doPushDataPacket(Result<void>* outResult, IDataPacket* dataPacket) override;
    void finalize() override;
    void onActiveSettingChanged(
        Result<IActiveSettingChangedResponse*>* outResult, const IActiveSettingChangedAction* action) override;

    /** Slot 12: the device agent manifest (JSON). */
    virtual std::string manifestString() const = 0;

    /** Slot 13. @return false to fail the push. */
    virtual bool pushCompressedVideoFrame(const ICompressedVideoPacket* videoFrame);

    /** Slot 14. @return false to fail the push. */
    virtual bool pushUncompressedVideoFrame(const IUncompressedVideoFrame* videoFrame);

    /** Slot 15. @return false to fail the push. */
    virtual bool pushCustomMetadataPacket(const ICustomMetadataPacket* customMetadataPacket);

    /** Slot 16: packets ready after a push; each carries one reference for the base. */
    virtual bool pullMetadataPackets(std::vector<IMetadataPacket*>* metadataPackets);

    /** Slot 17: called after each settings delivery has been merged into settings(). */
    virtual Result<ISettingsResponse*> settingsReceived();

protected:
    ConsumingDeviceAgent(const IDeviceInfo* deviceInfo, bool enableOutput, std::string overridingPrefix = "");
    ~ConsumingDeviceAgent() override;

    /** Delivers one packet to the handler now and takes over the caller's reference. */
    void pushMetadataPacket(IMetadataPacket* metadataPacket);

    /**
     * Delivers the packets now, in order, each as pushMetadataPacket() delivers one, but leaves the caller's
     * references with the caller. Their log lines go out in one write ahead of the first delivery: a write per packet
     * would cost a call into the system per packet.
     */
    void pushMetadataPackets(const std::vector<Ptr<IMetadataPacket>>& metadataPackets);

    /** A copy taken under the settings lock, so a concurrent delivery cannot change it under the reader. */
    Settings settings() const;

    bool enableOutput() const { return m_enableOutput; }
    const std::string& printPrefix() const { return m_printPrefix; }

    /** Writes the print prefix, text and an end of line. */
    void print(std::string_view text) const;

private:
    bool dispatchByKind(Result<void>* outResult, IDataPacket* dataPacket);
    void deliverPulledPackets(Result<void>* outResult);
    bool hasHandler() const;
    Ptr<IDeviceAgentHandler> handler() const;
    void failPush(Result<void>* outResult, ErrorCode errorCode, const std::string& message) const;
    void processMetadataPackets(const std::vector<IMetadataPacket*>& metadataPackets);
    /** @param logged Its log lines were written already. */
    void processMetadataPacket(IMetadataPacket* metadataPacket, int packetIndex, bool logged = false);
    void logMetadataPacketIfNeeded(const IMetadataPacket* metadataPacket, int packetIndex) const;
    void appendMetadataPacketLog(std::string* lines, const IMetadataPacket* metadataPacket, int packetIndex) const;

private:
    const bool m_enableOutput;
    const std::string m_printPrefix;
    const std::string m_packetLogPrefix; //< Made once: a line is logged for each packet delivered.
    mutable std::mutex m_mutex; //< Guards m_handler alone: never held while the handler runs.
    Ptr<IDeviceAgentHandler> m_handler;
    /**
     * Serialises the deliveries, so the handler is called once at a time and the packets of one caller keep their
     * order. Recursive, as a handler may push data to the agent from inside its call (the host's own thread).
     */
    std::recursive_mutex m_deliveryMutex;
    mutable std::mutex m_settingsMutex; //< Apart from m_mutex, so settings never wait behind a delivery.
    Settings m_settings;
};

} // namespace tesh::sdk::analytics
