// The plug-in loaded and driven the way the server drives it: library, plug-in, engine, one device agent.
#pragma once

#include <cstdio>
#include <map>
#include <string>

#include <host_kit/counting_registry.h>
#include <tesh/sdk/analytics/i_consuming_device_agent.h>
#include <tesh/sdk/analytics/i_engine.h>
#include <tesh/sdk/analytics/i_plugin.h>

#include "device_description.h"
#include "host_ref.h"
#include "settings_reply.h"

namespace qvhost {

/** Releases everything it obtained when it goes; the library itself stays loaded until the process ends. */
class PluginSession
{
public:
    /**
     * Loads the library, names its context, installs the counting registry and obtains plug-in and engine.
     * @param registryDetail Counts only for a host that serves hundreds of cameras, where keeping every live object
     *     would cost the process more than some of what it measures; leak reports then list no objects.
     */
    explicit PluginSession(
        const std::string& libraryPath, host_kit::RegistryDetail registryDetail = host_kit::RegistryDetail::objects);
    ~PluginSession();

    /** The version of the host's SDK the library was built against. */
    std::string sdkVersion() const { return m_sdkVersion; }

    std::string pluginManifest() const;
    std::string engineManifest() const;

    /** Throws HostError when the engine refuses the camera or cannot make its agent. */
    tesh::sdk::analytics::IConsumingDeviceAgent* obtainAgent(
        const DeviceDescription& device, tesh::sdk::analytics::IDeviceAgentHandler* handler);

    /**
     * One more agent of the engine, owned by the caller, for a host that serves many cameras; the caller finalises
     * and releases it before the session goes. Throws HostError as obtainAgent() does.
     */
    HostRef<tesh::sdk::analytics::IConsumingDeviceAgent> makeAgent(
        const DeviceDescription& device, tesh::sdk::analytics::IDeviceAgentHandler* handler) const;

    std::string agentManifest() const;

    /** Pushes one packet to the agent. @return The error the agent reported, or empty. */
    std::string pushDataPacket(tesh::sdk::analytics::IDataPacket* packet);

    /** Delivers settings as the dialog does. @return What the agent answered. */
    SettingsReply deliverSettings(const SettingValues& values);

    /** Finalises and releases agent, engine and plug-in, in the server's order. */
    void release();

    /** Writes one line per plug-in object never destroyed. @return How many. */
    int reportLeaks(std::FILE* out) const;

    int createdObjectCount() const { return m_registry->createdCount(); }
    int liveObjectCount() const { return m_registry->liveCount(); }

private:
    std::string m_sdkVersion;
    // Owned by the library context, which lives until the process ends.
    host_kit::CountingRegistry* m_registry = nullptr;
    HostRef<tesh::sdk::analytics::IPlugin> m_plugin;
    HostRef<tesh::sdk::analytics::IEngine> m_engine;
    HostRef<tesh::sdk::analytics::IConsumingDeviceAgent> m_agent;
};

} // namespace qvhost
