// A packet of events, stamped with a time and a duration.
#include "event_metadata_packet.h"

#include <tesh/kit/debug.h>

namespace tesh::sdk::analytics {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

} // namespace

void EventMetadataPacket::addItem(const IEventMetadata* eventMetadata)
{
    if (!TESH_KIT_CHECK(print, eventMetadata, ""))
        return;
    appendItem(eventMetadata);
}

} // namespace tesh::sdk::analytics
