// Naming and text form of the live shapes.
#include "live_shape.h"

namespace qvcam {

namespace {

const std::string kFigureMark = "_POSITION";
const std::string kLiveShapeMark = "_CURRENT_POSITION";

/** The piece count that starts every live-shape answer. */
const std::string kSinglePiecePrefix = "1;";

} // namespace

std::string liveShapeName(const std::string& figureName)
{
    const size_t mark = figureName.find(kFigureMark);
    if (mark == std::string::npos || isLiveShapeName(figureName))
        return {};
    return figureName.substr(0, mark) + kLiveShapeMark + figureName.substr(mark + kFigureMark.size());
}

bool isLiveShapeName(const std::string& name)
{
    return name.find(kLiveShapeMark) != std::string::npos;
}

std::string liveShapeOf(const std::string& figureList)
{
    if (figureList.empty() || figureList == "0")
        return {};
    return kSinglePiecePrefix + figureList;
}

} // namespace qvcam
