// A packet of detected objects, stamped with a time and a duration.
#include "object_metadata_packet.h"

#include <tesh/kit/debug.h>

namespace tesh::sdk::analytics {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

} // namespace

void ObjectMetadataPacket::addItem(const IObjectMetadata* objectMetadata)
{
    if (!TESH_KIT_CHECK(print, objectMetadata, ""))
        return;
    appendItem(objectMetadata);
}

} // namespace tesh::sdk::analytics
