// Reading a figure from the camera into the host's figure value, with its enable and display switches.
#pragma once

#include <string>

#include "camera_read.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** What a read stores for a figure that is not drawn, per variant. */
inline constexpr char kEmptyFigureValue[] = R"({"figure":null,"label":"","showOnCamera":false})";
inline constexpr char kQuickEmptyFigureValue[] = R"({"figure":null})";

/**
 * The full variant, for a settings dialog that shows everything: falls back to the drawn list where the camera has
 * no live shape ("Ok"), reads a line's direction, and switches the camera's display of a disabled figure off.
 * @param liveShapeParameter The parameter read first: the live shape, or the drawn list where there is none.
 * @param liveShapeAnswer Its answer.
 */
void readFigure(
    CameraRead* read, const std::string& name, const std::string& liveShapeParameter, std::string liveShapeAnswer);

/**
 * The quick variant, for the figures alone: the live shape only, no direction, and nothing written.
 * @param kindBase "AIX_REGION_POSITION", "AIX_EXCLUDE_REGION_POSITION" or "AIX_LINE_POSITION".
 * @param cameraIndex 0 to 7.
 */
void readFigureQuick(CameraRead* read, const std::string& kindBase, int cameraIndex);

} // namespace tesh::vms_server_plugins::analytics::qv
