// The agent of one camera: builds its two subsystems and hands each host hook to the one it concerns.
#include "device_agent.h"

#include <tesh/kit/finisher.h>

#include <camera_settings/settings_model.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/from_string_map.h>
#include <tesh/sdk/helpers/ptr.h>

#include "camera_address.h"
#include "device_agent_manifest.h"
#include "pass_pool.h"

namespace tesh::vms_server_plugins::analytics::qv {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;

namespace {

std::string textOf(const char* text)
{
    return text ? text : "";
}

CameraLink cameraLinkOf(const IDeviceInfo* deviceInfo)
{
    return CameraLink(cameraAddressFromUrl(textOf(deviceInfo ? deviceInfo->url() : nullptr)),
        textOf(deviceInfo ? deviceInfo->login() : nullptr), textOf(deviceInfo ? deviceInfo->password() : nullptr));
}

} // namespace

DeviceAgent::DeviceAgent(const IDeviceInfo* deviceInfo):
    ConsumingDeviceAgent(deviceInfo, /*enableOutput*/ true),
    m_cameraSettings(std::make_unique<CameraSettings>(cameraLinkOf(deviceInfo))),
    m_passPool(passPool()),
    m_metadataPipeline(
        *m_passPool,
        [this]() { return passSettings(); },
        [this]() { m_cameraSettings->cameraSettingsChanged(); },
        [this](const std::vector<Ptr<IMetadataPacket>>& packets) { pushMetadataPackets(packets); },
        [this](const std::string& text) { print(text); })
{}

DeviceAgent::~DeviceAgent() = default;

int DeviceAgent::releaseRef() const
{
    if (!m_passPool->isOwnWorker())
        return ConsumingDeviceAgent::releaseRef();
    const auto [newCount, ownerToDelete] = refCountHolder().releaseRef();
    if (!ownerToDelete)
        return newCount;
    try
    {
        kit::finishElsewhere([ownerToDelete = ownerToDelete]() { IRefCountable::destroy(ownerToDelete); });
    }
    catch (...)
    {
        // Destroying it here would wait for ever; kept alive, it only costs its memory.
        print("releaseRef(): no thread to finish the release on; the agent is left alive.");
    }
    return newCount;
}

void DeviceAgent::neededMetadataTypes(Result<void>* outResult, const IMetadataTypes* /*neededMetadataTypes*/)
{
    if (outResult)
        *outResult = {};
}

std::string DeviceAgent::manifestString() const
{
    return deviceAgentManifest();
}

Result<ISettingsResponse*> DeviceAgent::settingsReceived()
{
    return {Error(), m_cameraSettings->settingsReceived(settings()).releasePtr()};
}

void DeviceAgent::getPluginSideSettings(Result<ISettingsResponse*>* outResult) const
{
    runGuardedSlot([this](const std::string& text) { print(text); }, "getPluginSideSettings", outResult,
        [&] { outResult->value = m_cameraSettings->pluginSideSettings(settings()).releasePtr(); });
}

void DeviceAgent::onActiveSettingChanged(
    Result<IActiveSettingChangedResponse*>* /*outResult*/, const IActiveSettingChangedAction* action)
{
    // The result stays as the host set it: this hook changes nothing in the dialog.
    runGuarded([this](const std::string& text) { print(text); }, "onActiveSettingChanged",
        [&] {
            if (!action || textOf(action->activeSettingName()) != kCalibrationSetting)
                return;
            const auto values = adopt(action->settingsValues());
            Settings current;
            if (!fromStringMap(/*enableOutput*/ false, printPrefix(), &current, values.get(), "Active settings", 0))
                return;
            m_cameraSettings->applyCalibration(current);
        });
}

bool DeviceAgent::pushCompressedVideoFrame(const ICompressedVideoPacket* videoFrame)
{
    m_cameraSettings->videoFrameReceived(videoFrame->width(), videoFrame->height());
    return true;
}

bool DeviceAgent::pushCustomMetadataPacket(const ICustomMetadataPacket* customMetadataPacket)
{
    m_metadataPipeline.push(customMetadataPacket);
    return true;
}

PassSettings DeviceAgent::passSettings() const
{
    const AgentSettingsState& values = state();
    return {values.timestampCalibration, values.highlightSeconds,
        {values.personDisplayType != 0, values.bicycleDisplayType != 0, values.carDisplayType != 0}};
}

} // namespace tesh::vms_server_plugins::analytics::qv
