// The host's information on the track an action was started on; the library only passes it along.
#pragma once

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_object_track_info.h>

namespace tesh::test {

class ObjectTrackInfo: public HostObject<sdk::analytics::IObjectTrackInfo>
{};

} // namespace tesh::test
