// The host's list of wanted metadata types: the host kit's.
#pragma once

#include <host_kit/metadata_types.h>

namespace tesh::test {

using host_kit::MetadataTypes;

} // namespace tesh::test
