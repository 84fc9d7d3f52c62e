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

    const IAttribute* attribute(int index) const override
    {
        if (index == 0)
            return share(m_firstAttribute.get()).releasePtr();
        return shareAt(m_moreAttributes, index - 1);
    }

    int attributeCount() const override { return m_firstAttribute ? static_cast<int>(m_moreAttributes.size()) + 1 : 0; }

    void setTypeId(std::string typeId) { m_typeId = std::move(typeId); }

    /** Room for this many attributes, so that adding them one by one does not move the list each time. */
    void reserveAttributes(std::size_t count)
    {
        if (count > 1)
            m_moreAttributes.reserve(count - 1);
    }

protected:
    ~MetadataItem() override = default;

    /** Takes over the reference; the attribute must not be null. */
    void appendAttribute(Ptr<const IAttribute> attribute)
    {
        if (!m_firstAttribute)
            m_firstAttribute = std::move(attribute);
        else
            m_moreAttributes.push_back(std::move(attribute));
    }

private:
    std::string m_typeId;
    /** Apart from the others: most items carry one attribute, which then costs no list. */
    Ptr<const IAttribute> m_firstAttribute;
    std::vector<Ptr<const IAttribute>> m_moreAttributes;
};

} // namespace tesh::sdk::analytics
