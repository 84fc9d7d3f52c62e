// Base of the plug-in root object: answers the host's manifest and engine requests.
#pragma once

#include <functional>
#include <string>

#include <tesh/sdk/analytics/i_plugin.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>

namespace tesh::sdk::analytics {

/**
 * A concrete plug-in calls the parameterless constructor and overrides doObtainEngine() and
 * manifestString(). The constructor that takes a manifest and an engine factory is the older form,
 * kept for plug-ins written against it.
 */
class Plugin: public RefCountable<IPlugin>
{
public:
    using CreateEngine = std::function<IEngine*(Plugin* plugin)>;

    void setUtilityProvider(IUtilityProvider* utilityProvider) override;
    void getManifest(Result<IString*>* outResult) const override;
    void obtainEngine(Result<IEngine*>* outResult) override;

    /** Slot 7: an extra text the host may ask the base for; empty here. */
    virtual std::string instanceId() const { return ""; }

    /** Slot 8. @return A new engine with one reference for the caller. */
    virtual Result<IEngine*> doObtainEngine();

    /** Slot 9: the plug-in manifest (JSON). */
    virtual std::string manifestString() const;

protected:
    Plugin();
    Plugin(std::string pluginManifest, CreateEngine createEngine);
    ~Plugin() override;

    Ptr<IUtilityProvider> utilityProvider() const { return m_utilityProvider; }

private:
    const std::string m_pluginManifest;
    const CreateEngine m_createEngine;
    Ptr<IUtilityProvider> m_utilityProvider;
};

} // namespace tesh::sdk::analytics
