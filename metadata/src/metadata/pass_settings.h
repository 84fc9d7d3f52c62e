// What a metadata pass takes of the camera's settings: read once, when its document is admitted.
#pragma once

#include <cstdint>

namespace tesh::vms_server_plugins::analytics::qv {

/** Whether objects of a class are shown as tracked objects. */
struct DisplayTypes
{
    bool person = true;
    bool bicycle = true; //< Bicycles and motorcycles.
    bool car = true; //< Every other vehicle.
};

struct PassSettings
{
    int32_t timestampCalibrationUs = 0; //< Added to the packet's time.
    int32_t highlightSeconds = 0; //< How long a behaviour event keeps its object red; 0 turns highlighting off.
    DisplayTypes displayTypes;
};

} // namespace tesh::vms_server_plugins::analytics::qv
