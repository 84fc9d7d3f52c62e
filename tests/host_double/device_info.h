// The host's description of a camera, as handed to the engine and to a device agent: the host kit's.
#pragma once

#include <host_kit/device_info.h>

namespace tesh::test {

using host_kit::DeviceInfo;

} // namespace tesh::test
