// Driving the plug-in through its exports and interface slots only, as the server does.
#include "plugin_session.h"

#include <host_kit/device_info.h>
#include <host_kit/engine_info.h>
#include <host_kit/host_string_map.h>
#include <host_kit/metadata_types.h>
#include <tesh/sdk/i_lib_context.h>
#include <tesh/sdk/i_settings_response.h>
#include <tesh/sdk/result.h>

#include "host_error.h"
#include "platform.h"

namespace qvhost {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;
using host_kit::CountingRegistry;
using host_kit::DeviceInfo;
using host_kit::EngineInfo;
using host_kit::HostStringMap;
using host_kit::MetadataTypes;

namespace {

/** The name the server gives the library's context: its module name. */
constexpr char kLibraryName[] = "qv_analytics_plugin";

/** The server's name for the engine, which the engine puts in its log lines. */
constexpr char kEngineId[] = "qvhost-engine";

/** The camera as the server describes it to the engine; the server names a camera after its model. */
HostRef<DeviceInfo> deviceInfoOf(const DeviceDescription& device)
{
    HostRef<DeviceInfo> info(new DeviceInfo());
    info->setId(device.id);
    info->setVendor(device.vendor);
    info->setModel(device.model);
    info->setName(device.model);
    info->setUrl(device.url);
    info->setLogin(device.login);
    info->setPassword(device.password);
    return info;
}

/** The error's message, released as the server releases it after reading; empty for success. */
std::string takeErrorText(Error* error)
{
    std::string text;
    if (error->errorCode != ErrorCode::noError)
        text = "error " + std::to_string(static_cast<int>(error->errorCode));
    if (error->errorMessage)
    {
        text += (text.empty() ? "" : ": ") + std::string(error->errorMessage->str());
        error->errorMessage->releaseRef();
        error->errorMessage = nullptr;
    }
    return text;
}

/** The map's pairs, the map released as the server releases it after reading. */
SettingValues pairsOf(const HostRef<IStringMap>& map)
{
    SettingValues pairs;
    for (int i = 0; map && i < map->count(); ++i)
    {
        const char* const key = map->key(i);
        const char* const value = map->value(i);
        if (key)
            pairs[key] = value ? value : "";
    }
    return pairs;
}

template<class Object>
std::string manifestOf(const HostRef<Object>& object)
{
    if (!object)
        return "";
    Result<IString*> result;
    object->getManifest(&result);
    const HostRef<IString> text(result.value);
    const std::string error = takeErrorText(&result.error);
    if (!error.empty())
        throw HostError(kChecksFailed, "the plug-in gave no manifest: " + error);
    return text ? text->str() : "";
}

template<class Function>
Function* exported(void* library, const std::string& path, const char* name)
{
    void* const symbol = platform::findSymbol(library, name);
    if (!symbol)
        throw HostError(kBadUse, "'" + path + "' is not the analytics plug-in: it exports no " + name);
    return reinterpret_cast<Function*>(symbol);
}

} // namespace

PluginSession::PluginSession(const std::string& libraryPath, host_kit::RegistryDetail registryDetail)
{
    std::string reason;
    void* const library = platform::openLibrary(libraryPath, &reason);
    if (!library)
        throw HostError(kBadUse, "cannot load the plug-in library: " + reason);
    const auto createPlugin = exported<tesh::sdk::IPlugin*()>(library, libraryPath, "createTeshPlugin");
    const auto libContext = exported<ILibContext*()>(library, libraryPath, "teshLibContext");
    const char* const sdkVersion = exported<const char*()>(library, libraryPath, "teshSdkVersion")();
    m_sdkVersion = sdkVersion ? sdkVersion : "";

    ILibContext* const context = libContext();
    context->setName(kLibraryName);
    m_registry = new CountingRegistry(registryDetail);
    context->setRefCountableRegistry(m_registry);

    const HostRef<tesh::sdk::IPlugin> root(createPlugin());
    m_plugin = queryAs<analytics::IPlugin>(root.get());
    if (!m_plugin)
        throw HostError(kBadUse, "'" + libraryPath + "' made no analytics plug-in");

    Result<IEngine*> engine;
    m_plugin->obtainEngine(&engine);
    m_engine = HostRef<IEngine>(engine.value);
    const std::string error = takeErrorText(&engine.error);
    if (!m_engine || !error.empty())
        throw HostError(kBadUse, "the plug-in made no engine: " + error);
    const HostRef<EngineInfo> engineInfo(new EngineInfo(kEngineId));
    m_engine->setEngineInfo(engineInfo.get());
}

PluginSession::~PluginSession()
{
    release();
}

std::string PluginSession::pluginManifest() const
{
    return manifestOf(m_plugin);
}

std::string PluginSession::engineManifest() const
{
    return manifestOf(m_engine);
}

std::string PluginSession::agentManifest() const
{
    return manifestOf(m_agent);
}

IConsumingDeviceAgent* PluginSession::obtainAgent(const DeviceDescription& device, IDeviceAgentHandler* handler)
{
    m_agent = makeAgent(device, handler);
    return m_agent.get();
}

HostRef<IConsumingDeviceAgent> PluginSession::makeAgent(
    const DeviceDescription& device, IDeviceAgentHandler* handler) const
{
    const HostRef<DeviceInfo> info = deviceInfoOf(device);
    if (!m_engine->isCompatible(info.get()))
    {
        throw HostError(
            kBadUse, "the engine does not accept vendor '" + device.vendor + "' model '" + device.model + "'");
    }
    Result<IDeviceAgent*> agent;
    m_engine->obtainDeviceAgent(&agent, info.get());
    const HostRef<IDeviceAgent> deviceAgent(agent.value);
    const std::string error = takeErrorText(&agent.error);
    HostRef<IConsumingDeviceAgent> consumingAgent = queryAs<IConsumingDeviceAgent>(deviceAgent.get());
    if (!consumingAgent || !error.empty())
        throw HostError(kBadUse, "the engine made no device agent: " + error);

    consumingAgent->setHandler(handler);
    // The agent is told which metadata the server wants; this plug-in sends what its camera sends, whatever it is.
    const HostRef<MetadataTypes> types(new MetadataTypes());
    Result<void> needed;
    consumingAgent->neededMetadataTypes(&needed, types.get());
    takeErrorText(&needed.error);
    return consumingAgent;
}

SettingsReply PluginSession::deliverSettings(const SettingValues& values)
{
    const HostRef<HostStringMap> settings(new HostStringMap(values));
    Result<ISettingsResponse*> result;
    m_agent->doSetSettings(&result, settings.get());
    const HostRef<ISettingsResponse> response(result.value);
    SettingsReply reply;
    reply.error = takeErrorText(&result.error);
    if (response)
    {
        reply.values = pairsOf(HostRef<IStringMap>(response->values()));
        reply.errors = pairsOf(HostRef<IStringMap>(response->errors()));
    }
    return reply;
}

std::string PluginSession::pushDataPacket(IDataPacket* packet)
{
    Result<void> result;
    m_agent->doPushDataPacket(&result, packet);
    return takeErrorText(&result.error);
}

void PluginSession::release()
{
    if (m_agent)
        m_agent->finalize();
    m_agent.reset();
    m_engine.reset();
    m_plugin.reset();
}

int PluginSession::reportLeaks(std::FILE* out) const
{
    const auto live = m_registry->liveObjects();
    for (const IRefCountable* object: live)
        std::fprintf(out, "qvhost: the plug-in never destroyed its object @%p\n", static_cast<const void*>(object));
    return static_cast<int>(live.size());
}

} // namespace qvhost
