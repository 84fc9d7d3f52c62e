// The sizes of objects the camera detects: on the camera eight pixel integers, in the host fractions of the frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame_size.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** The camera ignores boxes smaller than this many pixels either way. */
constexpr int32_t kMinObjectSizePixels = 12;

/**
 * The camera's "x0,y0,minW,minH,x1,y1,maxW,maxH" as the host's JSON value
 * {"maximum":[w,h],"minimum":[w,h],"positions":[[x,y],[x,y]]} in fractions of the frame.
 * @return Nothing unless there are exactly eight numbers and the frame has a size.
 */
std::optional<std::string> objectSizeFromCamera(std::string_view cameraValue, FrameSize frame);

/**
 * The host's JSON value as the camera's text; sizes are kept within kMinObjectSizePixels and the frame.
 * @return Nothing unless the value has two [x, y] "positions" and two numbers each in "minimum" and "maximum": a
 *     half-taken value would give the camera sizes nobody chose.
 */
std::optional<std::string> objectSizeToCamera(const std::string& hostValue, FrameSize frame);

} // namespace tesh::vms_server_plugins::analytics::qv
