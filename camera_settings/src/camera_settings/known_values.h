// What the agent last knew of every setting, on the camera or in the host: a delivery writes to the camera only
// what differs from it.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace tesh::vms_server_plugins::analytics::qv {

/** One lock for the readers of the camera and the host's deliveries alike. */
class KnownValues
{
public:
    using Values = std::map<std::string, std::string>;

    void replace(Values values);
    void set(const std::string& name, const std::string& value);

    /**
     * Records the value.
     * @return Whether it differs from the one known before; an unknown setting counts as known to be empty.
     */
    bool change(const std::string& name, const std::string& value);

    /** A write of the value failed: the next delivery of the same value must try again. */
    void forget(const std::string& name, const std::string& value);

    std::optional<std::string> value(const std::string& name) const;
    bool empty() const;

private:
    mutable std::mutex m_mutex;
    Values m_values;
};

} // namespace tesh::vms_server_plugins::analytics::qv
