// The analytics plug-in root: manifest and engine.
#pragma once

#include <tesh/sdk/analytics/i_engine.h>
#include <tesh/sdk/i_plugin.h>
#include <tesh/sdk/i_string.h>
#include <tesh/sdk/i_utility_provider.h>
#include <tesh/sdk/result.h>

namespace tesh::sdk::analytics {

class IPlugin: public Interface<IPlugin, tesh::sdk::IPlugin>
{
public:
    static constexpr InterfaceId interfaceId()
    {
        return {"tesh::sdk::analytics::IPlugin", "tesh::sdk::analytics::IIntegration"};
    }

    /** Slot 4: the plug-in keeps its own reference. */
    virtual void setUtilityProvider(IUtilityProvider* utilityProvider) = 0;

    /** Slot 5: the plug-in manifest (JSON). */
    virtual void getManifest(Result<IString*>* outResult) const = 0;

    /** Slot 6: the engine, with one reference for the host. */
    virtual void obtainEngine(Result<IEngine*>* outResult) = 0;
};

} // namespace tesh::sdk::analytics
