// What the two conversions of one pass read and change of their agent.
#pragma once

#include <atomic>
#include <cstdint>

#include "behavior_highlights.h"
#include "first_appearances.h"
#include "track_ids.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Whether objects of a class are shown as tracked objects; taken from the settings at the start of a pass. */
struct DisplayTypes
{
    bool person = true;
    bool bicycle = true; //< Bicycles and motorcycles.
    bool car = true; //< Every other vehicle.
};

/** The extent of the camera's pixel coordinates, fixed by the first document with a usable scale. */
struct CoordinateSpan
{
    float width = 0;
    float height = 0;

    bool isKnown() const { return width != 0 && height != 0; }
};

struct ObjectConversionContext
{
    int64_t passTimestampUs;
    int32_t highlightSeconds; //< 0: no highlighting.
    DisplayTypes displayTypes;
    CoordinateSpan& coordinateSpan;
    const BehaviorHighlights& behaviorHighlights;
    FirstAppearances& firstAppearances;
    TrackIds& trackIds;
};

struct EventConversionContext
{
    int64_t passTimestampUs;
    int32_t highlightSeconds; //< 0 or less: behaviour events mark nothing.
    BehaviorHighlights& behaviorHighlights;
    std::atomic<bool>& refreshPending;
    bool writeHoldOff; //< Whether our own writes to the camera are settling, as at the start of the pass.
};

} // namespace tesh::vms_server_plugins::analytics::qv
