// Attribute objects that the object conversions of one camera hand out again and again instead of making anew.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/i_attribute.h>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Bounds what a camera that writes ever new texts (a gender or a bag category are the camera's words) can make us
 * hold; the names and values we share come from small sets, a few dozen pairs in all.
 */
inline constexpr std::size_t kMaxSharedAttributes = 128;

/**
 * Sharing is safe because an attribute never changes once made and its reference count is atomic: the host may
 * hold and release the same object from several packets, on any thread, and sees the same texts in the same order
 * as with an object of its own. Only the objects' identity is shared. Used by one pass at a time (passes never
 * overlap), so it needs no lock.
 */
class SharedAttributes
{
public:
    /** An attribute of full confidence with this type, name and value, shared with earlier callers. */
    sdk::Ptr<const sdk::IAttribute> get(int type, std::string_view name, std::string_view value);

    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry
    {
        int type;
        std::string name;
        std::string value;
        sdk::Ptr<const sdk::IAttribute> attribute;
    };

    /** Twice the entries, so that probe runs stay short; a power of two. */
    static constexpr std::size_t kIndexSlots = 2 * kMaxSharedAttributes;
    using Slot = uint8_t; //< 0 for none, else the entry's place plus 1.
    static_assert(kMaxSharedAttributes < 256);

    static std::size_t homeOf(int type, std::string_view name, std::string_view value);
    void clear();

    /**
     * Looked up by an index of the entries' places rather than in a tree: each object of each document asks, and
     * with many cameras the nodes of a tree were seldom in the cache.
     */
    std::vector<Entry> m_entries;
    std::array<Slot, kIndexSlots> m_index{};
};

} // namespace tesh::vms_server_plugins::analytics::qv
