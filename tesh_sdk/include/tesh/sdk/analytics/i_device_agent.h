// The per-camera object that the host drives: settings, manifest, handler.
#pragma once

#include <tesh/sdk/analytics/i_device_agent_handler.h>
#include <tesh/sdk/analytics/i_metadata_types.h>
#include <tesh/sdk/i_settings_response.h>
#include <tesh/sdk/i_string.h>
#include <tesh/sdk/i_string_map.h>
#include <tesh/sdk/result.h>

namespace tesh::sdk::analytics {

class IDeviceAgent: public Interface<IDeviceAgent>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IDeviceAgent"}; }

    /** Slot 4: merges the host's settings and answers with the values to show. */
    virtual void doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings) = 0;

    /** Slot 5: the values the plug-in side holds, for the settings dialog. */
    virtual void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const = 0;

    /** Slot 6: the device agent manifest (JSON). */
    virtual void getManifest(Result<IString*>* outResult) const = 0;

    /** Slot 7: the agent keeps its own reference; null drops the current handler. */
    virtual void setHandler(IDeviceAgentHandler* handler) = 0;

    /** Slot 8. */
    virtual void neededMetadataTypes(Result<void>* outResult, const IMetadataTypes* neededMetadataTypes) = 0;
};

} // namespace tesh::sdk::analytics
