// Base of the plug-in's engine: stores engine settings, answers the manifest, runs actions.
#include "engine.h"

#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/from_string_map.h>
#include <tesh/sdk/helpers/lib_context.h>
#include <tesh/sdk/helpers/print_prefix.h>
#include <tesh/sdk/helpers/string.h>
#include <tesh/sdk/helpers/uuid_helper.h>

namespace tesh::sdk::analytics {

namespace {

constexpr const char* kKind = "_engine";

} // namespace

Engine::Engine(bool enableOutput, std::string overridingPrefix):
    m_enableOutput(enableOutput),
    m_printPrefix(makePrintPrefix(overridingPrefix, kKind, /*hasId*/ false, nullptr)),
    m_overridingPrefix(std::move(overridingPrefix))
{
    print("Created IEngine @" + kit::debug::toPointerText(this) + " of " + libContext().name());
}

Engine::~Engine()
{
    print("Destroyed " + kit::debug::toStreamPointerText(this));
}

std::string Engine::printPrefix() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_printPrefix;
}

void Engine::print(const std::string& text) const
{
    kit::debug::printLine(printPrefix(), text);
}

Engine::Settings Engine::settings() const
{
    const std::lock_guard<std::mutex> lock(m_settingsMutex);
    return m_settings;
}

void Engine::setEngineInfo(const IEngineInfo* engineInfo)
{
    runGuarded([this](const std::string& t) { print(t); }, "setEngineInfo",
        [&] {
            std::string prefix = makePrintPrefix(
                m_overridingPrefix, kKind, engineInfo != nullptr, engineInfo ? engineInfo->id() : nullptr);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_printPrefix = std::move(prefix);
        });
}

void Engine::doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings)
{
    runGuardedSlot([this](const std::string& t) { print(t); }, "doSetSettings", outResult,
        [&] {
            bool converted = false;
            {
                const std::lock_guard<std::mutex> lock(m_settingsMutex);
                converted = fromStringMap(m_enableOutput, printPrefix(), &m_settings, settings, "Received settings", 0);
            }
            if (!converted)
            {
                *outResult = {error(ErrorCode::invalidParams, "Unable to convert the input string map"), nullptr};
                return;
            }
            *outResult = settingsReceived();
        });
}

void Engine::getPluginSideSettings(Result<ISettingsResponse*>* /*outResult*/) const
{
    // The host's pre-set success with no value stands: the engine has no plug-in side settings.
}

void Engine::getManifest(Result<IString*>* outResult) const
{
    runGuardedSlot([this](const std::string& t) { print(t); }, "getManifest", outResult,
        [&] { outResult->value = new String(manifestString()); });
}

bool Engine::isCompatible(const IDeviceInfo* /*deviceInfo*/) const
{
    return true;
}

void Engine::doExecuteAction(Result<ActionResult>* outResult, const IAction* action)
{
    runGuardedSlot([this](const std::string& t) { print(t); }, "doExecuteAction", outResult,
        [&] {
            if (!action)
            {
                print(std::string("doExecuteAction") + "(): INTERNAL ERROR: action is null");
                *outResult = {error(ErrorCode::invalidParams, "Action is null"), {}};
                return;
            }
            const char* const actionId = action->actionId();
            Uuid objectTrackId;
            Uuid deviceId;
            action->getObjectTrackId(&objectTrackId);
            action->getDeviceId(&deviceId);
            const int64_t timestampUs = action->timestampUs();
            if (m_enableOutput)
                logAction(actionId, objectTrackId, deviceId, timestampUs);

            const auto params = adopt(action->params());
            Settings paramsMap;
            if (!fromStringMap(m_enableOutput, printPrefix(), &paramsMap, params.get(), "params", 4))
            {
                *outResult = {error(ErrorCode::invalidParams, "Invalid action parameters"), {}};
                return;
            }
            if (m_enableOutput)
                print("}");

            *outResult = executeAction(actionId ? actionId : "", objectTrackId, deviceId, timestampUs,
                adopt(action->objectTrackInfo()), paramsMap);
        });
}

void Engine::logAction(const char* actionId, const Uuid& objectTrackId, const Uuid& deviceId, int64_t timestampUs) const
{
    print(std::string("doExecuteAction") + "():");
    print("{");
    print("    actionId: " + kit::debug::toLiteral(actionId));
    print("    objectTrackId: " + uuidToText(objectTrackId, uuidAllFormats));
    print("    deviceId: " + uuidToText(deviceId, uuidAllFormats));
    print("    timestampUs: " + std::to_string(timestampUs));
}

void Engine::setHandler(IEngineHandler* handler)
{
    runGuarded([this](const std::string& t) { print(t); }, "setHandler",
        [&] {
            auto newHandler = share(handler);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_handler.swap(newHandler);
        });
}

void Engine::onActiveSettingChanged(
    Result<IActiveSettingChangedResponse*>* /*outResult*/, const IActiveSettingChangedAction* /*action*/)
{
    // The engine has no active settings of its own.
}

Result<ISettingsResponse*> Engine::settingsReceived()
{
    return {};
}

Result<ActionResult> Engine::executeAction(const std::string& /*actionId*/,
    Uuid /*objectTrackId*/,
    Uuid /*deviceId*/,
    int64_t /*timestampUs*/,
    Ptr<IObjectTrackInfo> /*objectTrackInfo*/,
    const Settings& /*params*/)
{
    return {};
}

} // namespace tesh::sdk::analytics
