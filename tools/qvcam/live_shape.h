// The camera's live shape of a figure: what its analytics actually use, read under a second name and
// answered in pieces (one piece per part of the figure that lies inside the frame).
#pragma once

#include <string>

namespace qvcam {

/** AIX_REGION_POSITION3 is mirrored by AIX_REGION_CURRENT_POSITION3; empty text for other names. */
std::string liveShapeName(const std::string& figureName);

bool isLiveShapeName(const std::string& name);

/**
 * The live shape of a stored figure list: the figure as one piece ("1;" and the list), or empty text
 * when no figure is set ("0" or nothing).
 */
std::string liveShapeOf(const std::string& figureList);

} // namespace qvcam
