// The per-camera settings dialog the host renders for every device agent, as part of the engine manifest.
#pragma once

#include <nlohmann/json.hpp>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * How many regions, exclude regions and lines a camera has, and how many points a figure may have. Repeated
 * settings are named by their template with "#" replaced by the instance number, 1 to this.
 */
constexpr int kMaxFigureCount = 8;

/** The two settings that act inside the plug-in and never reach the camera: the box delay and the highlight time. */
inline constexpr char kCalibrationSetting[] = "TS_CALIBRATION";
inline constexpr char kHighlightSetting[] = "HL_DURATION";

/** The model, its members in the order the host shows them. */
nlohmann::ordered_json settingsModel();

} // namespace tesh::vms_server_plugins::analytics::qv
