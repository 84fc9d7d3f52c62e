// Regions, exclude regions and lines: the host's figure values, the camera's coordinate lists, and the camera
// parameters that belong to one figure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace tesh::vms_server_plugins::analytics::qv {

enum class FigureKind
{
    region,
    excludeRegion,
    line,
};

/** "EXCLUDE" in the name makes an exclude region, else "LINE" a line, else a region. */
FigureKind figureKindOf(std::string_view name);

/** The camera parameters of one figure, for its camera index. */
struct FigureParameters
{
    std::string figure; //< The drawn list.
    std::string liveShape; //< What the camera's analytics use, in pieces.
    std::string enable;
    std::string display;
    std::string clear;
    std::string direction; //< Lines only.
};

FigureParameters figureParametersOf(FigureKind kind, const std::string& cameraIndex);

/** The host's enable setting of a figure, for its host index. */
std::string enableSettingOf(FigureKind kind, const std::string& hostIndex);

/** The rectangle form of number-plate areas, which name themselves by "ANPR". */
bool isRectangleFigure(std::string_view name);

/**
 * The camera's list "x0,y0,x1,y1,..." in thousandths as the host's [[x, y], ...] in fractions, each a
 * single-precision quotient; a rectangle "x,y,w,h" as its two corners [[x + w, y], [x, y + h]].
 * @return Nothing for a field that is not a number, an odd count, or a rectangle of other than four numbers.
 */
std::optional<nlohmann::json> pointsFromCamera(std::string_view list, bool rectangle);

/**
 * The host's figure as the camera's list. Region outlines go to the camera clockwise on screen, starting at the
 * vertex nearest the top left corner when they had to be turned round; lines keep their order; points with fewer
 * than two coordinates are skipped, and points outside the frame are moved onto its edge.
 * @return Nothing where a point is not an array of numbers, or where a rectangle or line has fewer than two points
 *     or a region fewer than three.
 */
std::optional<std::string> cameraListOf(std::string_view name, const nlohmann::json& figure);

/**
 * The requests that put the host's figure value on the camera, in sending order: the direction (lines with one),
 * the display switch, then the list or, for a null figure, the clear request.
 * @return Nothing where the value is not a JSON object or its figure cannot be taken apart: nothing is sent then,
 *     so a broken value never clears or changes what the user drew.
 */
std::optional<std::vector<std::string>> figureWritePaths(const std::string& name, const std::string& value);

} // namespace tesh::vms_server_plugins::analytics::qv
