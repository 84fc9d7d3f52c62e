// Converting regions, exclude regions and lines between the host's JSON points and the camera's coordinate lists.
#include "figure_conversion.h"

#include <algorithm>
#include <cstdint>

#include <tesh/kit/decimal_number.h>
#include "camera_link.h"
#include "parameter_naming.h"
#include "pixel_conversion.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::json;

struct CameraPoint
{
    int32_t x = 0;
    int32_t y = 0;
};

std::string baseOf(FigureKind kind)
{
    switch (kind)
    {
        case FigureKind::region: return "AIX_REGION_";
        case FigureKind::excludeRegion: return "AIX_EXCLUDE_REGION_";
        case FigureKind::line: return "AIX_LINE_";
    }
    return "AIX_REGION_";
}

std::optional<std::vector<float>> coordinatesOf(std::string_view list)
{
    std::vector<float> coordinates;
    std::size_t start = 0;
    while (true)
    {
        const std::size_t comma = list.find(',', start);
        const std::optional<float> value = kit::parseDecimalFloat(list.substr(start, comma - start));
        if (!value)
            return std::nullopt;
        coordinates.push_back(*value / static_cast<float>(kCameraCoordinateScale));
        if (comma == std::string_view::npos)
            return coordinates;
        start = comma + 1;
    }
}

/** A point outside the frame is moved onto its edge: the camera refuses the whole figure for it otherwise. */
int32_t toThousandths(const Json& coordinate)
{
    return truncatedPixels(kCameraCoordinateScale, std::clamp(coordinate.get<double>(), 0.0, 1.0));
}

/** Fewer points draw nothing the camera can keep, and it refuses them. */
std::size_t minimumPointsOf(std::string_view name)
{
    constexpr std::size_t kLinePoints = 2;
    constexpr std::size_t kRegionPoints = 3;
    return figureKindOf(name) == FigureKind::line ? kLinePoints : kRegionPoints;
}

/** Every point that has two coordinates; nothing where a point is not an array of numbers. */
std::optional<std::vector<CameraPoint>> cameraPointsOf(const Json& points)
{
    if (!points.is_array())
        return std::nullopt;
    std::vector<CameraPoint> result;
    for (const Json& point: points)
    {
        if (!point.is_array() || !std::all_of(point.begin(), point.end(), [](const Json& c) { return c.is_number(); }))
            return std::nullopt;
        if (point.size() >= 2)
            result.push_back({toThousandths(point[0]), toThousandths(point[1])});
    }
    return result;
}

/** Twice the signed area, negative for an outline that runs clockwise on screen (y downwards). */
int64_t orientationSum(const std::vector<CameraPoint>& points)
{
    int64_t sum = 0;
    for (std::size_t k = 0; k < points.size(); ++k)
    {
        const CameraPoint& a = points[k];
        const CameraPoint& b = points[(k + 1) % points.size()];
        sum += (int64_t{b.x} - a.x) * (int64_t{b.y} + a.y);
    }
    return sum;
}

void makeClockwise(std::vector<CameraPoint>* points)
{
    if (points->empty() || orientationSum(*points) < 0)
        return;
    std::reverse(points->begin(), points->end());
    const auto nearestTopLeft = std::min_element(points->begin(), points->end(), [](CameraPoint a, CameraPoint b) {
        return int64_t{a.x} * a.x + int64_t{a.y} * a.y < int64_t{b.x} * b.x + int64_t{b.y} * b.y;
    });
    std::rotate(points->begin(), nearestTopLeft, points->end());
}

std::string listOf(const std::vector<int32_t>& values)
{
    std::string list;
    for (const int32_t value: values)
        list += (list.empty() ? "" : ",") + std::to_string(value);
    return list;
}

std::optional<std::string> rectangleListOf(const Json& points)
{
    const std::optional<std::vector<CameraPoint>> corners = cameraPointsOf(points);
    if (!corners || corners->size() < 2)
        return std::nullopt;
    const CameraPoint p0 = (*corners)[0];
    const CameraPoint p1 = (*corners)[1];
    return listOf({p1.x, p0.y, static_cast<int32_t>(int64_t{p0.x} - p1.x), static_cast<int32_t>(int64_t{p1.y} - p0.y)});
}

std::optional<std::string> directionDigitOf(const Json& figure)
{
    const Json direction = figure.is_object() ? figure.value("direction", Json()) : Json();
    if (direction == "left")
        return "1";
    if (direction == "right")
        return "0";
    return std::nullopt;
}

} // namespace

FigureKind figureKindOf(std::string_view name)
{
    if (name.find("EXCLUDE") != std::string_view::npos)
        return FigureKind::excludeRegion;
    if (name.find("LINE") != std::string_view::npos)
        return FigureKind::line;
    return FigureKind::region;
}

FigureParameters figureParametersOf(FigureKind kind, const std::string& cameraIndex)
{
    const std::string base = baseOf(kind);
    return {base + "POSITION" + cameraIndex, base + "CURRENT_POSITION" + cameraIndex, base + "ENABLE" + cameraIndex,
        base + "DISPLAY_ENABLE" + cameraIndex, base + "CLEAR" + cameraIndex,
        kind == FigureKind::line ? "AIX_LINE_DIRECTION" + cameraIndex : std::string()};
}

std::string enableSettingOf(FigureKind kind, const std::string& hostIndex)
{
    return baseOf(kind) + "ENABLE" + hostIndex;
}

bool isRectangleFigure(std::string_view name)
{
    return name.find("ANPR") != std::string_view::npos;
}

std::optional<Json> pointsFromCamera(std::string_view list, bool rectangle)
{
    const std::optional<std::vector<float>> c = coordinatesOf(list);
    if (!c)
        return std::nullopt;
    if (rectangle)
    {
        if (c->size() != 4)
            return std::nullopt;
        const float x = (*c)[0], y = (*c)[1], w = (*c)[2], h = (*c)[3];
        return Json::array({Json::array({x + w, y}), Json::array({x, y + h})});
    }
    if (c->size() % 2 != 0)
        return std::nullopt;
    Json points = Json::array();
    for (std::size_t i = 0; i < c->size(); i += 2)
        points.push_back(Json::array({(*c)[i], (*c)[i + 1]}));
    return points;
}

std::optional<std::string> cameraListOf(std::string_view name, const Json& figure)
{
    const Json points = figure.is_object() ? figure.value("points", Json()) : Json();
    if (isRectangleFigure(name))
        return rectangleListOf(points);
    std::optional<std::vector<CameraPoint>> cameraPoints = cameraPointsOf(points);
    if (!cameraPoints || cameraPoints->size() < minimumPointsOf(name))
        return std::nullopt;
    if (figureKindOf(name) != FigureKind::line)
        makeClockwise(&*cameraPoints);
    std::vector<int32_t> values;
    for (const CameraPoint& point: *cameraPoints)
        values.insert(values.end(), {point.x, point.y});
    return listOf(values);
}

std::optional<std::vector<std::string>> figureWritePaths(const std::string& name, const std::string& value)
{
    const Json parsed = Json::parse(value, nullptr, /*allow_exceptions*/ false);
    if (!parsed.is_object())
        return std::nullopt;
    const Json figure = parsed.value("figure", Json());
    const FigureKind kind = figureKindOf(name);
    const FigureParameters parameters = figureParametersOf(kind, indexDigit(toCameraIndex(name)));

    std::string positionPath;
    if (figure.is_null())
    {
        positionPath = writePathOf(parameters.clear, "0");
    }
    else
    {
        const std::optional<std::string> list = cameraListOf(name, figure);
        if (!list)
            return std::nullopt;
        positionPath = writePathOf(toCameraIndex(name), *list);
    }

    std::vector<std::string> paths;
    if (kind == FigureKind::line)
    {
        if (const std::optional<std::string> digit = directionDigitOf(figure))
            paths.push_back(writePathOf(parameters.direction, *digit));
    }
    const bool showOnCamera = parsed.value("showOnCamera", Json()) == true;
    paths.push_back(writePathOf(parameters.display, showOnCamera ? "1" : "0"));
    paths.push_back(positionPath);
    return paths;
}

} // namespace tesh::vms_server_plugins::analytics::qv
