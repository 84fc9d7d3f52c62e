// The host's notice that the user is operating an active setting of the settings dialog.
#pragma once

#include <host_double/host_object.h>
#include <host_double/nullable_text.h>
#include <tesh/sdk/analytics/i_active_setting_changed_action.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::test {

/** The maps are handed out with a new reference each time, or as null when none was given. */
class ActiveSettingChangedAction: public HostObject<sdk::analytics::IActiveSettingChangedAction>
{
public:
    ActiveSettingChangedAction(NullableText activeSettingName,
        sdk::Ptr<sdk::IStringMap> settingsValues,
        sdk::Ptr<sdk::IStringMap> params = nullptr):
        m_activeSettingName(std::move(activeSettingName)),
        m_settingsValues(std::move(settingsValues)),
        m_params(std::move(params))
    {}

    const char* activeSettingName() const override { return m_activeSettingName.get(); }
    sdk::IStringMap* params() const override { return sdk::share(m_params.get()).releasePtr(); }

    sdk::IStringMap* settingsValues() const override { return sdk::share(m_settingsValues.get()).releasePtr(); }

private:
    const NullableText m_activeSettingName;
    const sdk::Ptr<sdk::IStringMap> m_settingsValues;
    const sdk::Ptr<sdk::IStringMap> m_params;
};

} // namespace tesh::test
