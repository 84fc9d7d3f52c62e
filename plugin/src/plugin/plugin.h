// The plug-in's root object, the first thing the host receives from the library.
#pragma once

#include <string>

#include <tesh/sdk/analytics/helpers/plugin.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Adds nothing to the base but what to make as the engine and what the manifest says. */
class Plugin: public sdk::analytics::Plugin
{
public:
    Plugin() = default;

    sdk::Result<sdk::analytics::IEngine*> doObtainEngine() override;
    std::string manifestString() const override;

protected:
    ~Plugin() override = default;
};

} // namespace tesh::vms_server_plugins::analytics::qv
