// Turns the event notifications of one camera document into the host's event metadata.
#pragma once

#include <string_view>

#include <tesh/sdk/analytics/helpers/event_metadata_packet.h>
#include <tesh/sdk/helpers/ptr.h>

#include "conversion_context.h"
#include "metadata_document.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * One packet with an event per notification that has a topic. Behaviour events mark their objects for
 * highlighting; a report that the camera's analytics settings changed is passed on to whoever keeps them.
 */
sdk::Ptr<sdk::analytics::EventMetadataPacket> convertEvents(
    const MetadataDocument& document, const EventConversionContext& context);

/** The region event type of the camera's action text; an action we do not know gives the unknown type. */
const char* behaviorTypeId(std::string_view action);

} // namespace tesh::vms_server_plugins::analytics::qv
