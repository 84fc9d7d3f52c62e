// The plug-in's engine: accepts cameras and creates their device agents.
#pragma once

#include <tesh/sdk/analytics/i_action.h>
#include <tesh/sdk/analytics/i_active_setting_changed_action.h>
#include <tesh/sdk/analytics/i_device_agent.h>
#include <tesh/sdk/analytics/i_engine_handler.h>
#include <tesh/sdk/analytics/i_engine_info.h>
#include <tesh/sdk/i_device_info.h>
#include <tesh/sdk/i_settings_response.h>
#include <tesh/sdk/i_string.h>
#include <tesh/sdk/i_string_map.h>
#include <tesh/sdk/result.h>

namespace tesh::sdk::analytics {

class IEngine0: public Interface<IEngine0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEngine"}; }

    /** Slot 4: expected before any other call. */
    virtual void setEngineInfo(const IEngineInfo* engineInfo) = 0;

    /** Slot 5. */
    virtual void doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings) = 0;

    /** Slot 6. */
    virtual void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const = 0;

    /** Slot 7: the engine manifest (JSON). */
    virtual void getManifest(Result<IString*>* outResult) const = 0;

    /** Slot 8. */
    virtual bool isCompatible(const IDeviceInfo* deviceInfo) const = 0;

    /** Slot 9: a new agent with one reference for the host. */
    virtual void obtainDeviceAgent(Result<IDeviceAgent*>* outResult, const IDeviceInfo* deviceInfo) = 0;

    /** Slot 10. */
    virtual void doExecuteAction(Result<ActionResult>* outResult, const IAction* action) = 0;

    /** Slot 11: the engine keeps its own reference. */
    virtual void setHandler(IEngineHandler* handler) = 0;
};

class IEngine: public Interface<IEngine, IEngine0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEngine1"}; }

    /** Slot 12. */
    virtual void onActiveSettingChanged(
        Result<IActiveSettingChangedResponse*>* outResult, const IActiveSettingChangedAction* action)
        = 0;
};

} // namespace tesh::sdk::analytics
