// Attribute objects that the object conversions of one camera hand out again and again instead of making anew.
#pragma once

#include <map>
#include <string>
#include <string_view>

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

    std::size_t size() const { return m_attributes.size(); }

private:
    struct Key
    {
        int type;
        std::string name;
        std::string value;
    };

    struct KeyView
    {
        int type;
        std::string_view name;
        std::string_view value;
    };

    struct KeyLess
    {
        using is_transparent = void;

        template<class Left, class Right>
        bool operator()(const Left& left, const Right& right) const
        {
            if (left.type != right.type)
                return left.type < right.type;
            if (const int byName = std::string_view(left.name).compare(right.name); byName != 0)
                return byName < 0;
            return std::string_view(left.value) < std::string_view(right.value);
        }
    };

    std::map<Key, sdk::Ptr<const sdk::IAttribute>, KeyLess> m_attributes;
};

} // namespace tesh::vms_server_plugins::analytics::qv
