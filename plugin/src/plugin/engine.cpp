// The engine: the compatibility rule, agent creation and the engine manifest.
#include "engine.h"

#include <tesh/sdk/helpers/boundary.h>

#include "device_agent.h"
#include "device_compatibility.h"
#include "engine_manifest.h"

namespace tesh::vms_server_plugins::analytics::qv {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;

Engine::Engine(): sdk::analytics::Engine(/*enableOutput*/ true) {}

Engine::~Engine() = default;

bool Engine::isCompatible(const IDeviceInfo* deviceInfo) const
{
    if (!deviceInfo)
        return false;
    bool compatible = false;
    runGuarded([this](const std::string& text) { print(text); }, "isCompatible",
        [&] { compatible = isCompatibleDevice(deviceInfo->vendor(), deviceInfo->model()); });
    return compatible;
}

void Engine::obtainDeviceAgent(Result<IDeviceAgent*>* outResult, const IDeviceInfo* deviceInfo)
{
    // Starting the agent's workers can fail; the host gets an error instead of an exception in its thread.
    runGuardedSlot([this](const std::string& text) { print(text); }, "obtainDeviceAgent", outResult,
        [&] {
            *outResult = {Error{}, new DeviceAgent(deviceInfo)};
        });
}

std::string Engine::manifestString() const
{
    return engineManifest();
}

} // namespace tesh::vms_server_plugins::analytics::qv
