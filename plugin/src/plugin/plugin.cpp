// The plug-in's root object: its manifest and its engine.
#include "plugin.h"

#include "engine.h"

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** The version the host shows for the plug-in: the project's version, which also names its package. */
constexpr char kPluginVersion[] = QV_PLUGIN_VERSION;

} // namespace

sdk::Result<sdk::analytics::IEngine*> Plugin::doObtainEngine()
{
    return {sdk::Error{}, new Engine()};
}

std::string Plugin::manifestString() const
{
    return std::string(R"json({
    "id": "tesh.qv",
    "name": "QV AI Camera Plugin",
    "description": "A plugin to support in-camera analytics for Quorvane IP cameras.",
    "version": ")json")
        + kPluginVersion + R"json(",
    "vendor": "Quorvane"
}
)json";
}

} // namespace tesh::vms_server_plugins::analytics::qv
