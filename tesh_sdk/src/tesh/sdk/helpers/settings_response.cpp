// The answer to a settings request: the values to show, and optionally errors and a model.
#include "settings_response.h"

namespace tesh::sdk {

void SettingsResponse::setValue(const std::string& key, const std::string& value)
{
    if (!m_values)
        m_values = makePtr<StringMap>();
    m_values->setItem(key, value);
}

void SettingsResponse::setError(const std::string& key, const std::string& message)
{
    if (!m_errors)
        m_errors = makePtr<StringMap>();
    m_errors->setItem(key, message);
}

} // namespace tesh::sdk
