// The host's list of wanted metadata types; the library only looks at it, never into it.
#pragma once

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_metadata_types.h>

namespace tesh::test {

class MetadataTypes: public HostObject<sdk::analytics::IMetadataTypes>
{};

} // namespace tesh::test
