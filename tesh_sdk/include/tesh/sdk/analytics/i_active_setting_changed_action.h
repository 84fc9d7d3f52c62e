// The host's notice that the user is operating an active setting of the dialog.
#pragma once

#include <tesh/sdk/i_ref_countable.h>
#include <tesh/sdk/i_string_map.h>

namespace tesh::sdk::analytics {

class IActiveSettingChangedAction: public Interface<IActiveSettingChangedAction>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IActiveSettingChangedAction"}; }

    /** Slot 4: the name of the setting being operated. */
    virtual const char* activeSettingName() const = 0;

    /** Slot 5: the host's parameters of the operation; not used by this plug-in. */
    virtual IStringMap* params() const = 0;

    /** Slot 6. @return The current values of all settings, with a new reference. */
    virtual IStringMap* settingsValues() const = 0;
};

/** What an active-setting hook may hand back; this plug-in never fills it. */
class IActiveSettingChangedResponse: public Interface<IActiveSettingChangedResponse>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IActiveSettingChangedResponse"}; }
};

} // namespace tesh::sdk::analytics
