// Fractions of the frame as the camera's integers, truncated towards zero as the camera's own tools do.
#pragma once

#include <cstdint>

namespace tesh::vms_server_plugins::analytics::qv {

/** The camera's figures count thousandths of the frame. */
constexpr int32_t kCameraCoordinateScale = 1000;

/** t(scale × fraction), kept within 32 bits first, so that a wild value from the host cannot overflow. */
int32_t truncatedPixels(int32_t scale, double fraction);

} // namespace tesh::vms_server_plugins::analytics::qv
