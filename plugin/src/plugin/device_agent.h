// The agent of one camera: the host's hooks, handed to the camera's metadata pipeline and to its settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <tesh/sdk/analytics/helpers/consuming_device_agent.h>

#include <camera_settings/camera_settings.h>
#include <metadata/metadata_pipeline.h>
#include <metadata/pass_settings.h>

#include <tesh/kit/thread_pool.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Knows neither how a document is converted nor how the camera is read: it only wires the host to the two. */
class DeviceAgent: public sdk::analytics::ConsumingDeviceAgent
{
public:
    explicit DeviceAgent(const sdk::IDeviceInfo* deviceInfo);

    /**
     * A host may drop its last reference from inside the handler's call, which runs on one of the pass workers: the
     * destructor would then wait for its own pass, or hold a worker that other agents' passes need. Such a release
     * is finished on a thread of its own; every other release is the ordinary one.
     */
    int releaseRef() const override;

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
    void setTimestampCalibrationUs(int32_t calibrationUs) { state().timestampCalibration = calibrationUs; }
    int32_t timestampCalibrationUs() const { return state().timestampCalibration; }

    /** How long a behaviour event keeps its object red; 0 turns highlighting off. */
    void setHighlightSeconds(int32_t seconds) { state().highlightSeconds = seconds; }
    int32_t highlightSeconds() const { return state().highlightSeconds; }

    /** False while a document is being converted. */
    bool isMetadataReady() const { return m_metadataPipeline.isReady(); }

    FrameSize frameSize() const { return state().frameSize.load(); }
    bool isRefreshPending() const { return state().refreshPending; }
    const std::string& cameraAddress() const { return m_cameraSettings->cameraAddress(); }

protected:
    /** Lets the pass in flight, and the documents waiting for it, finish and their packets reach the handler. */
    ~DeviceAgent() override;

private:
    AgentSettingsState& state() { return m_cameraSettings->state(); }
    const AgentSettingsState& state() const { return m_cameraSettings->state(); }
    PassSettings passSettings() const;

private:
    /** Behind a pointer, as the host's const hooks read the camera too; joins its readers and writers itself. */
    const std::unique_ptr<CameraSettings> m_cameraSettings;
    const std::shared_ptr<kit::ThreadPool> m_passPool; //< Shared with the other agents; outlives the pipeline.
    /** Last, so it is destroyed first: it waits for its pass while everything the pass uses still exists. */
    MetadataPipeline m_metadataPipeline;
};

} // namespace tesh::vms_server_plugins::analytics::qv
