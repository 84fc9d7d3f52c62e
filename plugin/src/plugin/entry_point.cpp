// The function through which the host enters the library.
#include <new>

#include <tesh/kit/debug.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/library_export.h>

#include "plugin.h"

/** A new plug-in with one reference for the host; null, with an error line, if it could not be made. */
TESH_LIBRARY_EXPORT tesh::sdk::IPlugin* createTeshPlugin()
{
    tesh::sdk::IPlugin* plugin = nullptr;
    tesh::sdk::runGuarded(
        [](const std::string& text) { tesh::kit::debug::printLine(tesh::kit::debug::srcFilePrefix(__FILE__), text); },
        "createTeshPlugin", [&] { plugin = new tesh::vms_server_plugins::analytics::qv::Plugin(); });
    return plugin;
}
