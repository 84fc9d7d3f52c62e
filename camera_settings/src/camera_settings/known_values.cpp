// The last known value of every setting, under one lock, and what a delivery changes of it.
#include "known_values.h"

#include <utility>

namespace tesh::vms_server_plugins::analytics::qv {

void KnownValues::replace(Values values)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_values = std::move(values);
}

void KnownValues::set(const std::string& name, const std::string& value)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_values[name] = value;
}

bool KnownValues::change(const std::string& name, const std::string& value)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::string& known = m_values[name];
    if (known == value)
        return false;
    known = value;
    return true;
}

void KnownValues::forget(const std::string& name, const std::string& value)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // A later delivery may have changed the setting again meanwhile; that value stays.
    const auto known = m_values.find(name);
    if (known != m_values.end() && known->second == value)
        m_values.erase(known);
}

std::optional<std::string> KnownValues::value(const std::string& name) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto known = m_values.find(name);
    if (known == m_values.end())
        return std::nullopt;
    return known->second;
}

bool KnownValues::empty() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_values.empty();
}

} // namespace tesh::vms_server_plugins::analytics::qv
