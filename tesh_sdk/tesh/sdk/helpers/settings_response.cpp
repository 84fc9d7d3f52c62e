// The answer to a settings request: the values to show, and optionally errors and a model.
#include "settings_response.h"

namespace tesh::sdk {

void SettingsResponse::setValue(const std::string& key, const std::string& value)
{
    if (!m_values)
        m_values = makePtr<StringMap>();
    m_values->setItem(key, value);
}

} // namespace tesh::sdk
