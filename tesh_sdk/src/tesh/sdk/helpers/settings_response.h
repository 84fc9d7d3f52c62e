// The answer to a settings request: the values to show, and optionally errors and a model.
#pragma once

#include <string>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/helpers/string_map.h>
#include <tesh/sdk/i_settings_response.h>

namespace tesh::sdk {

class SettingsResponse: public RefCountable<ISettingsResponse>
{
public:
    SettingsResponse() = default;

    IStringMap* values() const override { return share(m_values.get()).releasePtr(); }
    IStringMap* errors() const override { return share(m_errors.get()).releasePtr(); }
    IString* model() const override { return share(m_model.get()).releasePtr(); }

    /** Creates the values map on first use. */
    void setValue(const std::string& key, const std::string& value);

    /** Why the setting key could not be given a value; creates the errors map on first use. */
    void setError(const std::string& key, const std::string& message);

protected:
    ~SettingsResponse() override = default;

private:
    Ptr<StringMap> m_values;
    Ptr<StringMap> m_errors;
    Ptr<IString> m_model;
};

} // namespace tesh::sdk
