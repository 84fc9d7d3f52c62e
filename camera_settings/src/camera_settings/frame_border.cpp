// The frame border of the camera's piecewise figure answers, and the corner that joins two points on it.
#include "frame_border.h"

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** Corners in the order of the closed border path; edge k runs from corner k to corner k + 1. */
constexpr Point kCorners[] = {{0, 0}, {kFrameBorderFar, 0}, {kFrameBorderFar, kFrameBorderFar}, {0, kFrameBorderFar}};
constexpr int kEdgeCount = 4;

/** A point on two edges (a corner) belongs to the later one, so the checks run from the last edge down. */
int edgeOf(Point point)
{
    if (point.x == 0)
        return 3;
    if (point.y == kFrameBorderFar)
        return 2;
    if (point.x == kFrameBorderFar)
        return 1;
    return 0;
}

} // namespace

bool isOnBorder(Point point)
{
    return point.x == 0 || point.x == kFrameBorderFar || point.y == 0 || point.y == kFrameBorderFar;
}

std::optional<Point> borderCorner(Point a, Point b)
{
    if (!isOnBorder(a) || !isOnBorder(b) || a == b)
        return std::nullopt;
    const int edgeA = edgeOf(a);
    const int edgeB = edgeOf(b);
    if (edgeA == edgeB)
        return std::nullopt;

    // Every edge has the same length, so the edge counts compare the path lengths.
    const int forwardEdges = (edgeB - edgeA + kEdgeCount) % kEdgeCount;
    const int backwardEdges = (edgeA - edgeB + kEdgeCount) % kEdgeCount;
    if (forwardEdges < backwardEdges)
        return kCorners[(edgeA + 1) % kEdgeCount];
    return kCorners[edgeA];
}

} // namespace tesh::vms_server_plugins::analytics::qv
