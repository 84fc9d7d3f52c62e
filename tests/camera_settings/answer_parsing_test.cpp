// The camera's answers as the settings readers see them: values, frame corners and figure pieces.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <camera_settings/answer_parsing.h>
#include <camera_settings/frame_border.h>
#include <host_double/repeated_text.h>
#include <support/small_stack.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using tesh::test::repeat;
using test::runOnSmallStack;

/** Well past the input length at which the standard library's regular expression matcher exhausts 8 MiB. */
constexpr std::size_t kLongAnswerBytes = 100 * 1024;

struct ValueCase
{
    const char* reason;
    std::string body;
    std::optional<std::string> value; //< Of "A".
};

TEST(ParameterValue, comesFromTheLineNamingTheParameterWithoutTrailingBlanks)
{
    const ValueCase cases[] = {
        {"a switch answer ends at CR LF", "A=1\r\n", "1"},
        {"a write acknowledgement holds no value", "Ok\r\n", std::nullopt},
        {"only the first equals sign separates", "A=b=c", "b=c"},
        {"an empty body holds no value", "", std::nullopt},
        {"an empty value stays empty, unlike a missing one", "A=\r\n", ""},
        {"a value may end with the body", "A=5", "5"},
        {"spaces and tabs before the line end are no part of it", "A=%L1% \t \r\n", "%L1%"},
        {"blanks inside the value stay", "A=two words\r\n", "two words"},
        {"several lines: the one named after the parameter", "B=6\r\nA=5\r\nAB=7\r\n", "5"},
        {"bare LF and CR end lines too", "B=6\nA=5\rC=1", "5"},
        {"lines of other parameters only", "B=6\r\nAA=5\r\n", std::nullopt},
        {"an error page's meta tags are no value", "<meta http-equiv=\"refresh\" content=\"0\">\r\n", std::nullopt},
        {"a byte-order mark before the first line",
            "\xEF\xBB\xBF"
            "A=3\r\n",
            "3"},
        {"a zero byte is part of the value", std::string("A=x\0y\r\n", 7), std::string("x\0y", 3)},
    };
    for (const ValueCase& c: cases)
        EXPECT_EQ(parameterValue(c.body, "A"), c.value) << c.reason;
    EXPECT_TRUE(isWriteAccepted("Ok \r\n"));
    EXPECT_FALSE(isWriteAccepted("Error\r\n"));
}

TEST(ParameterValue, scansALongLineWithoutDeepRecursion)
{
    const std::string value = repeat("x", kLongAnswerBytes);
    const std::string body = "AIX_LINE_COUNTOSD_STRING0=" + value + "\r\nNEXT=1\r\n";
    std::optional<std::string> extracted;
    ASSERT_TRUE(runOnSmallStack([&] { extracted = parameterValue(body, "AIX_LINE_COUNTOSD_STRING0"); }));
    EXPECT_EQ(extracted, value);
}

struct CornerCase
{
    const char* reason;
    Point a;
    Point b;
    std::optional<Point> corner;
};

TEST(BorderCorner, joinsBorderPointsThroughTheCornerOfTheShorterWayRound)
{
    const CornerCase cases[] = {
        {"top to right: forwards is shorter, the end of the top edge", {500, 0}, {999, 300}, Point{999, 0}},
        {"right to top: backwards is shorter, the start of the right edge", {999, 300}, {500, 0}, Point{999, 0}},
        {"top to left: backwards, the start of the top edge", {500, 0}, {0, 300}, Point{0, 0}},
        {"left to bottom: backwards, the start of the left edge", {0, 300}, {500, 999}, Point{0, 999}},
        {"bottom to right: backwards, the start of the bottom edge", {500, 999}, {999, 500}, Point{999, 999}},
        {"opposite edges tie: one corner, the start of a's edge", {500, 0}, {500, 999}, Point{0, 0}},
        {"opposite edges the other way", {500, 999}, {500, 0}, Point{999, 999}},
        {"the top right corner counts for the right edge", {999, 0}, {500, 999}, Point{999, 999}},
        {"the top left corner counts for the left edge, tie with the right", {0, 0}, {999, 500}, Point{0, 999}},
        {"same edge needs no corner", {999, 500}, {999, 600}, std::nullopt},
        {"a point inside the frame", {500, 500}, {999, 600}, std::nullopt},
        {"the other point inside the frame", {999, 600}, {500, 500}, std::nullopt},
        {"the same point twice", {999, 0}, {999, 0}, std::nullopt},
    };
    for (const CornerCase& c: cases)
    {
        const std::optional<Point> corner = borderCorner(c.a, c.b);
        ASSERT_EQ(corner.has_value(), c.corner.has_value()) << c.reason;
        if (corner)
        {
            EXPECT_TRUE(*corner == *c.corner) << c.reason << ": got " << corner->x << "," << corner->y;
        }
    }
}

struct PiecesCase
{
    const char* reason;
    std::string value;
    std::optional<std::string> list;
};

void expectPieces(const std::vector<PiecesCase>& cases, std::optional<std::string> (*parse)(std::string_view))
{
    for (const PiecesCase& c: cases)
    {
        const std::optional<std::string> list = parse(c.value);
        ASSERT_EQ(list.has_value(), c.list.has_value()) << c.reason << ": got " << list.value_or("nothing");
        if (list)
        {
            EXPECT_EQ(*list, *c.list) << c.reason;
        }
    }
}

TEST(ParseLinePieces, chainsSegmentsThroughTheirEndsAndBorderCorners)
{
    expectPieces(
        {
            {"one segment is already a plain list", "1;100,200,300,400", "100,200,300,400"},
            {"ends on the same edge are joined directly", "2;0,500,999,500;999,600,0,700",
                "0,500,999,500,999,600,0,700"},
            {"top edge to right edge inserts the top right corner", "2;0,100,500,0;999,300,999,900",
                "0,100,500,0,999,0,999,300,999,900"},
            {"bottom edge to right edge inserts the bottom right corner", "2;100,0,500,999;999,500,100,100",
                "100,0,500,999,999,999,999,500,100,100"},
            {"a shared end point is written once", "2;0,100,500,500;500,500,999,900", "0,100,500,500,999,900"},
            {"ends inside the frame are joined directly", "2;0,100,500,500;600,600,999,900",
                "0,100,500,500,600,600,999,900"},
            {"integers past the fourth are ignored", "2;1,2,3,4,5;6,7,8,9", "1,2,3,4,6,7,8,9"},
            {"fields past the count are ignored", "2;1,2,3,4;3,4,5,6;junk", "1,2,3,4,5,6"},
            {"three segments, a corner at each turn", "3;0,100,500,0;999,300,999,900;500,999,0,500",
                "0,100,500,0,999,0,999,300,999,900,999,999,500,999,0,500"},
            {"a count of zero is no figure", "0;", "0"},
        },
        &parseLinePieces);
}

TEST(ParseLinePieces, leavesMalformedAnswersOut)
{
    expectPieces(
        {
            {"a negative count", "-1;0,0,1,1", std::nullopt},
            {"a count that is not a number", "x;0,0,1,1", std::nullopt},
            {"an empty answer", "", std::nullopt},
            {"a count beyond 32 bits", "2147483648;0,0,1,1;1,1,2,2", std::nullopt},
            {"a huge count with two segments", "2000000000;0,0,1,1;1,1,2,2", std::nullopt},
            {"fewer segments than the count", "3;0,0,1,1;1,1,2,2", std::nullopt},
            {"a segment of three integers", "2;0,0,1;1,1,2,2", std::nullopt},
            {"an empty segment", "2;0,0,1,1;", std::nullopt},
            {"a coordinate that is not a number", "2;0,0,1,x;1,1,2,2", std::nullopt},
            {"a coordinate beyond 32 bits", "2;0,0,1,99999999999;1,1,2,2", std::nullopt},
            {"one segment announced, none given", "1", std::nullopt},
            {"one segment announced, an empty one given", "1;", std::nullopt},
        },
        &parseLinePieces);
}

TEST(ParseLinePieces, handlesALongAnswerWithoutDeepRecursion)
{
    // Thousands of segments, each starting where the previous one ended.
    std::string value;
    std::string expected = "0,1";
    std::size_t segments = 0;
    for (int x = 0; value.size() < kLongAnswerBytes; ++x, ++segments)
    {
        value += ";" + std::to_string(x) + ",1," + std::to_string(x + 1) + ",1";
        expected += "," + std::to_string(x + 1) + ",1";
    }
    value = std::to_string(segments) + value;
    std::optional<std::string> list;
    ASSERT_TRUE(runOnSmallStack([&] { list = parseLinePieces(value); }));
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(*list, expected);
}

/**
 * Two pieces cut apart by the left edge of the frame. Junction: (0,100) and (0,200), the first of the two nearest
 * pairs (the right-hand pair is as near). Piece 0 from (0,100) round to (0,100), then (0,200) along the left edge;
 * piece 1 from (0,200) round to it; no corner for two pieces.
 */
const char kTwoPieces[] = "2;0,100,500,500,999,100;999,200,500,800,0,200";
const char kTwoPiecesOutline[] = "0,100,500,500,999,100,0,100,0,200,999,200,500,800,0,200";

TEST(ParseRegionPieces, joinsPiecesAtTheirNearestBorderPoints)
{
    expectPieces(
        {
            {"one piece is already a plain list", "1;10,10,20,10,20,20", "10,10,20,10,20,20"},
            {"two pieces", kTwoPieces, kTwoPiecesOutline},
            // Junctions (300,0)-(700,0) along the top edge and (999,300)-(999,700) along the right edge; the
            // last piece is closed with the corner nearest (999,700); repeated points are dropped.
            {"three pieces close through the nearest frame corner",
                "3;0,300,300,300,300,0;700,0,700,300,999,300;999,700,700,700,700,999",
                "300,0,0,300,300,300,300,0,700,0,999,300,700,0,700,300,999,300,999,700,700,700,700,999,999,700,"
                "999,999"},
            {"the first of equally near junctions wins", "2;0,100,0,200;0,150,5,5",
                "0,100,0,200,0,100,0,150,5,5,0,150"},
            {"a comma after the last pair is skipped", "2;0,100,0,200,;0,150,5,5,",
                "0,100,0,200,0,100,0,150,5,5,0,150"},
            {"any one character separates the count", "2,0,100,0,200;0,150,5,5", "0,100,0,200,0,100,0,150,5,5,0,150"},
            {"the last piece ends at the end of the line", "2;0,100,0,200;0,150,5,5\r\nrest",
                "0,100,0,200,0,100,0,150,5,5,0,150"},
            {"pieces without border points cannot be joined", "2;100,100,200,200;300,300,400,400", "0"},
            {"an empty piece cannot be joined", "2;;0,150", "0"},
            {"border points farther apart than the search starts", "2;0,2000000000;999,-2000000000", "0"},
            {"a count of zero is no figure", "0;", "0"},
        },
        &parseRegionPieces);
}

TEST(ParseRegionPieces, leavesMalformedAnswersOut)
{
    expectPieces(
        {
            {"a negative count", "-2;0,0;0,5", std::nullopt},
            {"a count that is not a number", "x;0,0;0,5", std::nullopt},
            {"an empty answer", "", std::nullopt},
            {"a count without pieces", "2", std::nullopt},
            {"a count beyond 32 bits", "2147483648;0,0;0,5", std::nullopt},
            {"a huge count with two pieces", "2000000000;0,0;0,5", std::nullopt},
            {"fewer pieces than the count", "3;0,0;0,5", std::nullopt},
            {"an odd number of coordinates", "2;0,0,5;0,5", std::nullopt},
            {"a coordinate that is not a number", "2;0,0,5,x;0,5", std::nullopt},
            {"a coordinate beyond 32 bits", "2;0,0,5,4294967296;0,5", std::nullopt},
            {"junk after a pair", "2;0,0 ;0,5", std::nullopt},
            {"two commas between pairs", "2;0,0,,5,5;0,5", std::nullopt},
            {"one piece announced, none given", "1", std::nullopt},
            {"one piece announced, an empty one given", "1;", std::nullopt},
        },
        &parseRegionPieces);
}

/** Pieces of points on the left edge, enough to reach the given number of border points in all. */
std::string borderPointPieces(std::size_t borderPoints)
{
    const std::size_t first = borderPoints / 2;
    std::string value = "2;";
    for (std::size_t i = 0; i < borderPoints; ++i)
    {
        if (i == first)
            value += ';';
        value += "0," + std::to_string(i) + ",";
    }
    return value;
}

TEST(ParseRegionPieces, refusesMoreBorderPointsThanTheFrameBorderHasPlaces)
{
    const std::size_t places = 4 * kFrameBorderFar;
    const std::optional<std::string> atLimit = parseRegionPieces(borderPointPieces(places));
    ASSERT_TRUE(atLimit.has_value());
    EXPECT_NE(*atLimit, "0");
    EXPECT_FALSE(parseRegionPieces(borderPointPieces(places + 1)).has_value());
}

TEST(ParseRegionPieces, handlesALongAnswerWithoutDeepRecursion)
{
    // The two pieces of kTwoPieces with long runs of their inner points, which the outline writes once.
    const std::size_t runLength = kLongAnswerBytes / 16;
    const std::string value
        = "2;0,100," + repeat("500,500,", runLength) + "999,100;999,200," + repeat("500,800,", runLength) + "0,200";
    ASSERT_GT(value.size(), kLongAnswerBytes);
    std::optional<std::string> list;
    ASSERT_TRUE(runOnSmallStack([&] { list = parseRegionPieces(value); }));
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(*list, kTwoPiecesOutline);
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
