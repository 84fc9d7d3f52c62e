// The host's packet of camera metadata, as pushed to a device agent: the host kit's.
#pragma once

#include <host_kit/custom_metadata_packet.h>

namespace tesh::test {

using host_kit::CustomMetadataPacket;

} // namespace tesh::test
