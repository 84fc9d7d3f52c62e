// The best shot of one object track: where the camera's image of the object can be fetched.
#include "object_track_best_shot_packet.h"

#include <tesh/kit/debug.h>

namespace tesh::sdk::analytics {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine(kit::debug::srcFilePrefix(__FILE__), text);
}

} // namespace

void ObjectTrackBestShotPacket::getTrackId(Uuid* outValue) const
{
    if (!TESH_KIT_CHECK(print, outValue, ""))
        return;
    *outValue = m_trackId;
}

void ObjectTrackBestShotPacket::getBoundingBox(Rect* outValue) const
{
    if (!TESH_KIT_CHECK(print, outValue, ""))
        return;
    *outValue = m_boundingBox;
}

} // namespace tesh::sdk::analytics
