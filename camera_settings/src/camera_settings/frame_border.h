// The frame border of the camera's piecewise figure answers, and the corner that joins two points on it.
#pragma once

#include <cstdint>
#include <optional>

namespace tesh::vms_server_plugins::analytics::qv {

/** The piecewise answers put the frame border at 0 and at this value on each axis (thousandths, last one). */
constexpr int32_t kFrameBorderFar = 999;

/** A camera coordinate pair in thousandths of the frame, x to the right, y downwards. */
struct Point
{
    int32_t x = 0;
    int32_t y = 0;
};

inline bool operator==(Point a, Point b)
{
    return a.x == b.x && a.y == b.y;
}

inline bool operator!=(Point a, Point b)
{
    return !(a == b);
}

/** On the border when either coordinate is 0 or kFrameBorderFar; the other one is not checked. */
bool isOnBorder(Point point);

/**
 * The frame corner to insert between two different border points on different edges, so that the figure
 * follows the border: the far end of a's edge when going round forwards (clockwise on screen) is strictly
 * shorter, else its near end. One corner only, also for opposite edges, which would need two.
 */
std::optional<Point> borderCorner(Point a, Point b);

} // namespace tesh::vms_server_plugins::analytics::qv
