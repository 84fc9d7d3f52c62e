// Attribute objects that the object conversions of one camera hand out again and again instead of making anew.
#include "shared_attributes.h"

#include <tesh/sdk/analytics/helpers/attribute.h>

namespace tesh::vms_server_plugins::analytics::qv {

sdk::Ptr<const sdk::IAttribute> SharedAttributes::get(int type, std::string_view name, std::string_view value)
{
    std::size_t slot = homeOf(type, name, value);
    for (; m_index[slot] != 0; slot = (slot + 1) % kIndexSlots)
    {
        const Entry& entry = m_entries[m_index[slot] - 1U];
        if (entry.type == type && entry.name == name && entry.value == value)
            return entry.attribute;
    }
    // Starting afresh keeps the pairs in use now, whereas refusing new ones would keep those of the past.
    if (m_entries.size() >= kMaxSharedAttributes)
    {
        clear();
        slot = homeOf(type, name, value);
    }
    sdk::Ptr<const sdk::IAttribute> attribute
        = sdk::makePtr<sdk::analytics::Attribute>(type, std::string(name), std::string(value), 1.0F);
    m_entries.push_back({type, std::string(name), std::string(value), attribute});
    m_index[slot] = static_cast<Slot>(m_entries.size());
    return attribute;
}

/**
 * The names and values shared are short words of small sets, told apart by their lengths and their first and last
 * letters; texts that share all of those only make a probe run longer, and the compare above tells them apart.
 */
std::size_t SharedAttributes::homeOf(int type, std::string_view name, std::string_view value)
{
    const auto ends = [](std::string_view text) {
        return text.empty() ? 0U
                            : static_cast<unsigned char>(text.front()) * 31U + static_cast<unsigned char>(text.back());
    };
    const std::size_t mixed = (static_cast<std::size_t>(type) * 0x9E3779B9U) ^ (name.size() * 0x85EBCA6BU)
        ^ (value.size() * 0xC2B2AE35U) ^ (ends(name) * 0x27D4EB2FU) ^ (ends(value) * 0x165667B1U);
    return (mixed ^ (mixed >> 16)) % kIndexSlots;
}

void SharedAttributes::clear()
{
    m_entries.clear();
    m_index.fill(0);
}

} // namespace tesh::vms_server_plugins::analytics::qv
