// One event reported by the camera: type, caption, description, state and track.
#include "event_metadata.h"

#include <tesh/kit/debug.h>

namespace tesh::sdk::analytics {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

} // namespace

void EventMetadata::getTrackId(Uuid* outValue) const
{
    if (!TESH_KIT_CHECK(print, outValue, ""))
        return;
    *outValue = m_trackId;
}

} // namespace tesh::sdk::analytics
