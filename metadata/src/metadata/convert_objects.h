// Turns the objects of one camera document into the host's object metadata and best shots.
#pragma once

#include <string_view>
#include <vector>

#include <tesh/sdk/analytics/helpers/object_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>
#include <tesh/sdk/helpers/ptr.h>

#include "conversion_context.h"
#include "metadata_document.h"

namespace tesh::vms_server_plugins::analytics::qv {

struct ObjectConversion
{
    /** Null when the document has no object of a class we know. */
    sdk::Ptr<sdk::analytics::ObjectMetadataPacket> objectPacket;
    std::vector<sdk::Ptr<sdk::analytics::ObjectTrackBestShotPacket>> bestShotPackets;
};

/**
 * Objects with an image reference become best shots; the others become tracked objects with a box and a highlight
 * colour, as long as their class is shown and the document coordinates' span is known.
 */
ObjectConversion convertObjects(const MetadataDocument& document, const ObjectConversionContext& context);

/** The object type of the camera's vehicle type; a type we do not know is taken for a car. */
const char* vehicleTypeId(std::string_view vehicleType);

} // namespace tesh::vms_server_plugins::analytics::qv
