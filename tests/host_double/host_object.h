// Reference counting for the objects the host double hands to the library: the host kit's.
#pragma once

#include <host_kit/host_object.h>

namespace tesh::test {

using host_kit::HostObject;
using host_kit::liveHostObjectCount;

} // namespace tesh::test
