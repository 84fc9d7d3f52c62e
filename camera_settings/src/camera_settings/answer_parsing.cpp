// Reading values and figures out of the camera's plain-text answers; pure, so any thread may call them.
#include "answer_parsing.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include <tesh/kit/decimal_number.h>

#include "frame_border.h"

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** Without the spaces, tabs and line ends at its end. */
std::string_view trimmedRight(std::string_view text)
{
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

/** What callers read as off, or as no figure. */
constexpr char kNoFigure[] = "0";

/**
 * The distance the nearest-point searches start from: far beyond any two points of the frame (0..999 per axis),
 * so only coordinates far outside it are never chosen.
 */
constexpr double kSearchStartDistance = 1e9;

/**
 * Joining neighbouring region pieces compares every border point of one with every one of the next. The frame
 * border has 4 * 999 places, so an answer with more border points than that repeats itself and is not a real
 * outline; the cap keeps a hostile answer from making the quadratic search run for seconds.
 */
constexpr std::size_t kMaxRegionBorderPoints = 4 * kFrameBorderFar;

/** Hands out the fields of a text one by one; "a;" has the fields "a" and "", and "" has the one field "". */
class FieldReader
{
public:
    FieldReader(std::string_view text, char separator): m_rest(text), m_separator(separator) {}

    std::optional<std::string_view> next()
    {
        if (m_done)
            return std::nullopt;
        const std::size_t end = m_rest.find(m_separator);
        if (end == std::string_view::npos)
        {
            m_done = true;
            return m_rest;
        }
        const std::string_view field = m_rest.substr(0, end);
        m_rest.remove_prefix(end + 1);
        return field;
    }

private:
    std::string_view m_rest;
    char m_separator;
    bool m_done = false;
};

std::string toPointList(const std::vector<Point>& points)
{
    std::string list;
    for (const Point& point: points)
    {
        if (!list.empty())
            list += ',';
        list += std::to_string(point.x);
        list += ',';
        list += std::to_string(point.y);
    }
    return list;
}

double distance(Point a, Point b)
{
    // In 64 bits: the difference of two 32-bit coordinates does not fit 32.
    const auto dx = static_cast<double>(int64_t{a.x} - b.x);
    const auto dy = static_cast<double>(int64_t{a.y} - b.y);
    return std::sqrt(dx * dx + dy * dy);
}

struct Segment
{
    Point a;
    Point b;
};

/** The first four comma-separated integers; more are ignored, fewer make the segment unusable. */
std::optional<Segment> parseSegment(std::string_view field)
{
    FieldReader numbers(field, ',');
    int32_t values[4] = {};
    for (int32_t& value: values)
    {
        const auto number = numbers.next();
        const auto parsed = number ? kit::parseDecimalInteger(*number) : std::nullopt;
        if (!parsed)
            return std::nullopt;
        value = *parsed;
    }
    return Segment{{values[0], values[1]}, {values[2], values[3]}};
}

/** The region pieces in one flat list of points, piece k being [starts[k], starts[k + 1]). */
struct Pieces
{
    std::vector<Point> points;
    std::vector<std::size_t> starts;
    std::size_t borderPointCount = 0;

    std::size_t count() const { return starts.size() - 1; }
    std::size_t begin(std::size_t piece) const { return starts[piece]; }
    std::size_t end(std::size_t piece) const { return starts[piece + 1]; }
};

/** A run of x,y pairs, each optionally followed by one ","; anything else makes the piece unusable. */
bool appendPiece(std::string_view text, Pieces* pieces)
{
    std::size_t position = 0;
    const auto readInteger = [&]() -> std::optional<int32_t> {
        std::size_t used = 0;
        const auto value = kit::parseDecimalInteger(text.substr(position), &used);
        position += used;
        return value;
    };
    while (position < text.size())
    {
        const auto x = readInteger();
        if (!x || position >= text.size() || text[position] != ',')
            return false;
        ++position;
        const auto y = readInteger();
        if (!y)
            return false;
        const Point point{*x, *y};
        pieces->points.push_back(point);
        if (isOnBorder(point) && ++pieces->borderPointCount > kMaxRegionBorderPoints)
            return false;
        if (position < text.size() && text[position] == ',')
            ++position;
    }
    pieces->starts.push_back(pieces->points.size());
    return true;
}

/** The first count - 1 pieces end at ";", the last one at the end of the line. */
std::optional<Pieces> readPieces(std::string_view text, int32_t count)
{
    Pieces pieces;
    pieces.starts.push_back(0);
    for (int32_t i = 0; i < count; ++i)
    {
        const bool last = i == count - 1;
        const std::size_t end = last ? text.find_first_of("\r\n") : text.find(';');
        if (!last && end == std::string_view::npos)
            return std::nullopt;
        if (!appendPiece(text.substr(0, end), &pieces))
            return std::nullopt;
        if (!last)
            text.remove_prefix(end + 1);
    }
    return pieces;
}

struct Junction
{
    Point u; //< In the earlier piece.
    Point v; //< In the later piece.
};

/** The nearest pair of border points of two pieces; the first of equally near pairs wins. */
std::optional<Junction> findJunction(const Pieces& pieces, std::size_t first)
{
    std::optional<Junction> junction;
    double best = kSearchStartDistance;
    for (std::size_t i = pieces.begin(first); i < pieces.end(first); ++i)
    {
        const Point u = pieces.points[i];
        if (!isOnBorder(u))
            continue;
        for (std::size_t j = pieces.begin(first + 1); j < pieces.end(first + 1); ++j)
        {
            const Point v = pieces.points[j];
            if (!isOnBorder(v))
                continue;
            const double d = distance(u, v);
            if (d < best)
            {
                best = d;
                junction = Junction{u, v};
            }
        }
    }
    return junction;
}

/** The piece's points from the first occurrence of the given point to the end, then from the start up to it. */
bool appendPieceFrom(const Pieces& pieces, std::size_t piece, Point from, std::vector<Point>* outline)
{
    const auto pieceBegin = pieces.points.begin() + static_cast<std::ptrdiff_t>(pieces.begin(piece));
    const auto pieceEnd = pieces.points.begin() + static_cast<std::ptrdiff_t>(pieces.end(piece));
    auto found = pieceBegin;
    while (found != pieceEnd && *found != from)
        ++found;
    if (found == pieceEnd)
        return false;
    outline->insert(outline->end(), found, pieceEnd);
    outline->insert(outline->end(), pieceBegin, found + 1);
    return true;
}

/** Keeps the turn from u to v along the border: along u's vertical edge first, else along its horizontal one. */
void appendJoin(const Junction& junction, std::vector<Point>* outline)
{
    const Point u = junction.u;
    const Point v = junction.v;
    if (u == v)
        return;
    if (u.x == 0 || u.x == kFrameBorderFar)
        outline->push_back({u.x, v.y});
    else if (u.y == 0 || u.y == kFrameBorderFar)
        outline->push_back({v.x, u.y});
    outline->push_back(v);
}

std::optional<Point> nearestFrameCorner(Point point)
{
    static constexpr Point kCandidates[]
        = {{0, 0}, {0, kFrameBorderFar}, {kFrameBorderFar, 0}, {kFrameBorderFar, kFrameBorderFar}};
    std::optional<Point> nearest;
    double best = kSearchStartDistance;
    for (const Point corner: kCandidates)
    {
        const double d = distance(point, corner);
        if (d < best)
        {
            best = d;
            nearest = corner;
        }
    }
    return nearest;
}

std::string joinPieces(const Pieces& pieces)
{
    const std::size_t count = pieces.count();
    std::vector<Junction> junctions;
    junctions.reserve(count - 1);
    for (std::size_t i = 0; i + 1 < count; ++i)
    {
        const auto junction = findJunction(pieces, i);
        if (!junction)
            return kNoFigure;
        junctions.push_back(*junction);
    }

    std::vector<Point> outline;
    outline.reserve(pieces.points.size() + 3 * count);
    for (std::size_t i = 0; i + 1 < count; ++i)
    {
        if (!appendPieceFrom(pieces, i, junctions[i].u, &outline))
            return kNoFigure;
        appendJoin(junctions[i], &outline);
    }
    if (!appendPieceFrom(pieces, count - 1, junctions.back().v, &outline))
        return kNoFigure;
    if (count > 2)
    {
        if (const auto corner = nearestFrameCorner(outline.back()))
            outline.push_back(*corner);
    }

    std::vector<Point> distinct;
    distinct.reserve(outline.size());
    for (const Point point: outline)
    {
        if (distinct.empty() || distinct.back() != point)
            distinct.push_back(point);
    }
    return toPointList(distinct);
}

} // namespace

std::optional<std::string> parameterValue(std::string_view body, std::string_view name)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        body.remove_prefix(kByteOrderMark.size());
    while (!body.empty())
    {
        const std::size_t end = body.find_first_of("\r\n");
        const std::string_view line = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && line.substr(0, equals) == name)
            return std::string(trimmedRight(line.substr(equals + 1)));
    }
    return std::nullopt;
}

bool isWriteAccepted(std::string_view body)
{
    return trimmedRight(body) == "Ok";
}

std::optional<std::string> parseLinePieces(std::string_view value)
{
    FieldReader fields(value, ';');
    const auto count = kit::parseDecimalInteger(*fields.next());
    if (!count || *count < 0)
        return std::nullopt;
    if (*count == 0)
        return kNoFigure;
    if (*count == 1)
    {
        // Already a plain list.
        const auto list = fields.next();
        if (!list || list->empty())
            return std::nullopt;
        return std::string(*list);
    }

    // Built segment by segment, so a count far beyond the fields present ends with the fields, not in an allocation.
    std::vector<Point> points;
    std::optional<Point> previousEnd;
    for (int32_t i = 0; i < *count; ++i)
    {
        const auto field = fields.next();
        const auto segment = field ? parseSegment(*field) : std::nullopt;
        if (!segment)
            return std::nullopt;
        if (!previousEnd)
        {
            points.push_back(segment->a);
        }
        else if (*previousEnd != segment->a)
        {
            if (const auto corner = borderCorner(*previousEnd, segment->a))
                points.push_back(*corner);
            points.push_back(segment->a);
        }
        points.push_back(segment->b);
        previousEnd = segment->b;
    }
    return toPointList(points);
}

std::optional<std::string> parseRegionPieces(std::string_view value)
{
    std::size_t countEnd = 0;
    const auto count = kit::parseDecimalInteger(value, &countEnd);
    if (!count || *count < 0)
        return std::nullopt;
    if (*count == 0)
        return kNoFigure;
    // One separator character follows the count, whichever it is.
    if (countEnd >= value.size())
        return std::nullopt;
    const std::string_view text = value.substr(countEnd + 1);
    if (*count == 1)
    {
        // Already a plain list.
        if (text.empty())
            return std::nullopt;
        return std::string(text);
    }

    const auto pieces = readPieces(text, *count);
    if (!pieces)
        return std::nullopt;
    return joinPieces(*pieces);
}

} // namespace tesh::vms_server_plugins::analytics::qv
