// What the two conversions of one pass read and change of their pipeline.
#pragma once

#include <cstdint>
#include <functional>

#include "behavior_highlights.h"
#include "first_appearances.h"
#include "pass_settings.h"
#include "shared_attributes.h"
#include "track_ids.h"

namespace tesh::vms_server_plugins::analytics::qv {

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
    int64_t passStartNs; //< The steady clock as the pass began: when each record the pass makes was made.
    int32_t highlightSeconds; //< 0: no highlighting.
    DisplayTypes displayTypes;
    CoordinateSpan& coordinateSpan;
    const BehaviorHighlights& behaviorHighlights;
    FirstAppearances& firstAppearances;
    TrackIds& trackIds;
    SharedAttributes& sharedAttributes;
};

struct EventConversionContext
{
    int64_t passTimestampUs;
    int64_t passStartNs; //< The steady clock as the pass began: when each record the pass makes was made.
    int32_t highlightSeconds; //< 0 or less: behaviour events mark nothing.
    BehaviorHighlights& behaviorHighlights;
    /** Told of every notification that the camera's analytics settings changed, ours among them. */
    const std::function<void()>& cameraSettingsChanged;
};

} // namespace tesh::vms_server_plugins::analytics::qv
