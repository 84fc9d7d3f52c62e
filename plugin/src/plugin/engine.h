// The engine: tells the host which cameras the plug-in serves and makes one device agent per camera.
#pragma once

#include <string>

#include <tesh/sdk/analytics/helpers/engine.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Keeps no state: the host owns every agent it obtains, and the engine remembers none of them. */
class Engine: public sdk::analytics::Engine
{
public:
    Engine();

    bool isCompatible(const sdk::IDeviceInfo* deviceInfo) const override;
    void obtainDeviceAgent(
        sdk::Result<sdk::analytics::IDeviceAgent*>* outResult, const sdk::IDeviceInfo* deviceInfo) override;
    std::string manifestString() const override;

protected:
    ~Engine() override;
};

} // namespace tesh::vms_server_plugins::analytics::qv
