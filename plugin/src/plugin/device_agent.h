// The agent of one camera: admits the camera's metadata documents and turns them into the host's metadata.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <tesh/sdk/analytics/helpers/consuming_device_agent.h>
#include <tesh/sdk/analytics/helpers/event_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>

#include <camera_settings/agent_settings_state.h>
#include <camera_settings/camera_settings.h>
#include <metadata/behavior_highlights.h>
#include <metadata/conversion_context.h>
#include <metadata/first_appearances.h>
#include <metadata/metadata_document.h>
#include <metadata/metadata_parser.h>
#include <metadata/track_ids.h>

#include <tesh/kit/thread_pool.h>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Converts at most one document at a time, on its own pool: a document that arrives meanwhile is dropped, so the
 * host's push call never waits and no backlog can build up.
 */
class DeviceAgent: public sdk::analytics::ConsumingDeviceAgent
{
public:
    explicit DeviceAgent(const sdk::IDeviceInfo* deviceInfo);

    void neededMetadataTypes(
        sdk::Result<void>* outResult, const sdk::analytics::IMetadataTypes* neededMetadataTypes) override;
    std::string manifestString() const override;
    /** A frame of a new width asks for a new read of the camera; a frame of an unusable size changes nothing. */
    bool pushCompressedVideoFrame(const sdk::analytics::ICompressedVideoPacket* videoFrame) override;
    bool pushCustomMetadataPacket(const sdk::analytics::ICustomMetadataPacket* customMetadataPacket) override;

    /** The first delivery answers with the camera's configuration; later ones write what changed to the camera. */
    sdk::Result<sdk::ISettingsResponse*> settingsReceived() override;

    /** The camera's figures, or its whole configuration once that may have changed. */
    void getPluginSideSettings(sdk::Result<sdk::ISettingsResponse*>* outResult) const override;

    /** The box delay follows the spin box at once, before the user applies the dialog. */
    void onActiveSettingChanged(sdk::Result<sdk::analytics::IActiveSettingChangedResponse*>* outResult,
        const sdk::analytics::IActiveSettingChangedAction* action) override;

    /** Added to every packet's timestamp. */
    void setTimestampCalibrationUs(int32_t calibrationUs) { m_state.timestampCalibration = calibrationUs; }
    int32_t timestampCalibrationUs() const { return m_state.timestampCalibration; }

    /** How long a behaviour event keeps its object red; 0 turns highlighting off. */
    void setHighlightSeconds(int32_t seconds) { m_state.highlightSeconds = seconds; }
    int32_t highlightSeconds() const { return m_state.highlightSeconds; }

    /** False while a document is being converted. */
    bool isMetadataReady() const { return m_metadataReady; }

    FrameSize frameSize() const { return m_state.frameSize.load(); }
    bool isRefreshPending() const { return m_state.refreshPending; }
    const std::string& cameraAddress() const { return m_cameraAddress; }

protected:
    /** Lets the pass in flight finish and its packets reach the handler, then stops the pool. */
    ~DeviceAgent() override;

private:
    std::unique_ptr<MetadataDocument> parseDocument(const sdk::analytics::ICustomMetadataPacket* packet);
    void processMetadataDocument(std::unique_ptr<MetadataDocument> document, int64_t passTimestampUs);
    void pruneTrackingMaps();
    void convertDocument(std::unique_ptr<MetadataDocument> document, int64_t passTimestampUs);
    void deliverOutgoingPackets();
    void clearOutgoingPackets();
    DisplayTypes displayTypes() const;
    void applyCalibration(const Settings& values);

private:
    BehaviorHighlights m_behaviorHighlights;
    FirstAppearances m_firstAppearances;
    AgentSettingsState m_state;
    CoordinateSpan m_coordinateSpan; //< Touched by passes only, which never overlap.
    std::atomic<bool> m_metadataReady{true};
    TrackIds m_trackIds;
    std::vector<sdk::Ptr<sdk::analytics::ObjectMetadataPacket>> m_outgoingObjectPackets;
    std::vector<sdk::Ptr<sdk::analytics::ObjectTrackBestShotPacket>> m_outgoingBestShotPackets;
    std::vector<sdk::Ptr<sdk::analytics::EventMetadataPacket>> m_outgoingEventPackets;
    const std::string m_cameraAddress;
    const std::string m_cameraLogin;
    const std::string m_cameraPassword;
    /** Its readers and writers use m_state: declared after it, so they are joined before it goes. */
    const std::unique_ptr<CameraSettings> m_cameraSettings;
    std::mutex m_parserMutex; //< The host may push from more than one thread.
    MetadataParser m_metadataParser;
    kit::ThreadPool m_threadPool; //< Last, so it is destroyed first, while everything its tasks use still exists.
};

} // namespace tesh::vms_server_plugins::analytics::qv
