// A string map built by the host: settings values, action parameters, unit-test options.
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <host_kit/host_object.h>
#include <host_kit/nullable_text.h>
#include <tesh/sdk/i_string_map.h>

namespace host_kit {

/**
 * Pairs are indexed in insertion order, not in key order: the host promises no order, so whoever
 * builds the map chooses one, and a test sees whether the library depends on it. A key or value may be
 * null, and count() may report a chosen number (even a negative one); indices past the stored pairs
 * give null.
 */
class HostStringMap: public HostObject<tesh::sdk::IStringMap>
{
public:
    using Pair = std::pair<NullableText, NullableText>;

    HostStringMap() = default;
    HostStringMap(std::initializer_list<Pair> pairs);

    /** The pairs of a map built at run time, in key order. */
    explicit HostStringMap(const std::map<std::string, std::string>& pairs);

    int count() const override;
    const char* key(int index) const override;
    const char* value(const char* key) const override;
    const char* value(int index) const override;

    /** Replaces the value of an equal non-null key in place, else appends the pair. */
    void set(NullableText key, NullableText value);

    void setReportedCount(int count) { m_reportedCount = count; }

private:
    const Pair* pairAt(int index) const;

private:
    std::vector<Pair> m_pairs;
    std::optional<int> m_reportedCount;
};

} // namespace host_kit
