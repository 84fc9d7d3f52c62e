// Base of the plug-in's engine: stores engine settings, answers the manifest, runs actions.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include <tesh/kit/debug.h>
#include <tesh/sdk/analytics/i_engine.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>

namespace tesh::sdk::analytics {

/**
 * A concrete engine passes enableOutput and an optional overriding log prefix to the constructor and
 * overrides isCompatible(), obtainDeviceAgent() and manifestString().
 */
class Engine: public RefCountable<IEngine>
{
public:
    using Settings = std::map<std::string, std::string>;

    void setEngineInfo(const IEngineInfo* engineInfo) override;
    void doSetSettings(Result<ISettingsResponse*>* outResult, const IStringMap* settings) override;
    void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const override;
    void getManifest(Result<IString*>* outResult) const override;
    bool isCompatible(const IDeviceInfo* deviceInfo) const override;
    void doExecuteAction(Result<ActionResult>* outResult, const IAction* action) override;
    void setHandler(IEngineHandler* handler) override;
    void onActiveSettingChanged(
        Result<IActiveSettingChangedResponse*>* outResult, const IActiveSettingChangedAction* action) override;

    /** Slot 13: the engine manifest (JSON). */
    virtual std::string manifestString() const = 0;

    /** Slot 14: called after each settings delivery has been merged into settings(). */
    virtual Result<ISettingsResponse*> settingsReceived();

    /** Slot 15: one action, unpacked. */
    virtual Result<ActionResult> executeAction(const std::string& actionId,
        Uuid objectTrackId,
        Uuid deviceId,
        int64_t timestampUs,
        Ptr<IObjectTrackInfo> objectTrackInfo,
        const Settings& params);

protected:
    Engine(bool enableOutput, std::string overridingPrefix = "");
    ~Engine() override;

    /** A copy taken under the settings lock, so a concurrent delivery cannot change it under the reader. */
    Settings settings() const;

    bool enableOutput() const { return m_enableOutput; }
    std::string printPrefix() const;

    /** Writes the print prefix, text and an end of line. */
    void print(const std::string& text) const;

private:
    void logAction(const char* actionId, const Uuid& objectTrackId, const Uuid& deviceId, int64_t timestampUs) const;

private:
    const bool m_enableOutput;
    std::string m_printPrefix;
    mutable std::mutex m_mutex; //< Guards the handler and the print prefix.
    mutable std::mutex m_settingsMutex; //< Apart from m_mutex, so settings never wait behind the handler.
    Settings m_settings;
    Ptr<IEngineHandler> m_handler;
    const std::string m_overridingPrefix;
};

} // namespace tesh::sdk::analytics
