// The host's list of wanted metadata types; the library only looks at it, never into it.
#pragma once

#include <host_kit/host_object.h>
#include <tesh/sdk/analytics/i_metadata_types.h>

namespace host_kit {

class MetadataTypes: public HostObject<tesh::sdk::analytics::IMetadataTypes>
{};

} // namespace host_kit
