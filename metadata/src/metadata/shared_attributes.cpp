// Attribute objects that the object conversions of one camera hand out again and again instead of making anew.
#include "shared_attributes.h"

#include <tesh/sdk/analytics/helpers/attribute.h>

namespace tesh::vms_server_plugins::analytics::qv {

sdk::Ptr<const sdk::IAttribute> SharedAttributes::get(int type, std::string_view name, std::string_view value)
{
    const auto found = m_attributes.find(KeyView{type, name, value});
    if (found != m_attributes.end())
        return found->second;
    // Starting afresh keeps the pairs in use now, whereas refusing new ones would keep those of the past.
    if (m_attributes.size() >= kMaxSharedAttributes)
        m_attributes.clear();
    sdk::Ptr<const sdk::IAttribute> attribute
        = sdk::makePtr<sdk::analytics::Attribute>(type, std::string(name), std::string(value), 1.0F);
    m_attributes.emplace(Key{type, std::string(name), std::string(value)}, attribute);
    return attribute;
}

} // namespace tesh::vms_server_plugins::analytics::qv
