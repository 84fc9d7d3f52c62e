// What object and event items share: type id, confidence and the attribute list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/ref_countable.h>
#include <tesh/sdk/i_attribute.h>

namespace tesh::sdk::analytics {

template<class ItemInterface>
class MetadataItem: public RefCountable<ItemInterface>
{
public:
    const char* typeId() const override { return m_typeId.c_str(); }

    /** Every item of this plug-in is reported with full confidence. */
    float confidence() const override { return 1.0F; }

    const IAttribute* attribute(int index) const override { return shareAt(m_attributes, index); }

    int attributeCount() const override { return static_cast<int>(m_attributes.size()); }

    void setTypeId(std::string typeId) { m_typeId = std::move(typeId); }

    /** Room for this many attributes, so that adding them one by one does not move the list each time. */
    void reserveAttributes(std::size_t count) { m_attributes.reserve(count); }

protected:
    ~MetadataItem() override = default;

    std::vector<Ptr<const IAttribute>>& attributes() { return m_attributes; }

private:
    std::string m_typeId;
    std::vector<Ptr<const IAttribute>> m_attributes;
};

} // namespace tesh::sdk::analytics
