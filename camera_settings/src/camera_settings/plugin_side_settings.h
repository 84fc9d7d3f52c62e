// The two settings that act inside the plug-in and never reach the camera: the box delay and the highlight time.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings_model.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Each calibration level delays the metadata by this much. */
constexpr int32_t kCalibrationStepUs = 50'000;

/**
 * The offset for a calibration level; nothing unless the text is an integer within the dialog's -20 to 20, since a
 * level beyond about 42 949 would overflow 32 bits once multiplied by the step.
 */
std::optional<int32_t> calibrationUsOf(std::string_view level);

/** The highlight time in seconds; nothing unless the text is an integer within the dialog's 0 to 60. */
std::optional<int32_t> highlightSecondsOf(std::string_view seconds);

} // namespace tesh::vms_server_plugins::analytics::qv
