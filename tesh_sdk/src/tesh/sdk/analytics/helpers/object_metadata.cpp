// One detected object in one frame: type, box, track and attributes.
#include "object_metadata.h"

#include <tesh/kit/debug.h>

namespace tesh::sdk::analytics {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

} // namespace

void ObjectMetadata::getTrackId(Uuid* outValue) const
{
    if (!TESH_KIT_CHECK(print, outValue, ""))
        return;
    *outValue = m_trackId;
}

void ObjectMetadata::getBoundingBox(Rect* outValue) const
{
    if (!TESH_KIT_CHECK(print, outValue, ""))
        return;
    *outValue = m_boundingBox;
}

void ObjectMetadata::addAttribute(Ptr<const IAttribute> attribute)
{
    if (!TESH_KIT_CHECK(print, attribute, ""))
        return;
    appendAttribute(std::move(attribute));
}

void ObjectMetadata::addAttributes(std::vector<Ptr<const IAttribute>> attributes)
{
    reserveAttributes(static_cast<std::size_t>(attributeCount()) + attributes.size());
    for (auto& attribute: attributes)
        addAttribute(std::move(attribute));
}

} // namespace tesh::sdk::analytics
