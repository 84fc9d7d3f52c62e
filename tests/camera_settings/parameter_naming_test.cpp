// The host's setting names turned into the camera's parameter names, live-shape paths and query values.
#include <string>

#include <gtest/gtest.h>

#include <camera_settings/camera_link.h>
#include <camera_settings/parameter_naming.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

struct NameCase
{
    const char* reason;
    std::string name;
    std::string expected;
};

TEST(ToCameraIndex, lowersTheHostIndexAtTheEndOfTheName)
{
    const NameCase cases[] = {
        {"the highest host index", "AIX_LINE_POSITION8", "AIX_LINE_POSITION7"},
        {"the lowest host index", "AIX_REGION_ENABLE1", "AIX_REGION_ENABLE0"},
        {"a digit 9 still has a camera index", "X9", "X8"},
        {"only the last character counts", "A12", "A11"},
        {"no digit at the end", "HL_DURATION", "HL_DURATION"},
        {"a digit inside the name only", "AIX_LINE_COUNT_RESET_ALL", "AIX_LINE_COUNT_RESET_ALL"},
        {"a trailing 0 has no camera index below it", "X0", "X0"},
        {"an empty name", "", ""},
    };
    for (const NameCase& c: cases)
        EXPECT_EQ(toCameraIndex(c.name), c.expected) << c.reason;
}

TEST(IndexDigit, findsTheLastDigitOfTheName)
{
    const NameCase cases[] = {
        {"a repeated setting", "AIX_LINE_COUNT_RESET5", "5"},
        {"a setting that is not repeated", "AIX_OBJECT_DETECTION_SIZE", ""},
        {"the scan starts at the end", "A1B", "1"},
        {"of two digits the last one", "A12", "2"},
        {"an empty name", "", ""},
    };
    for (const NameCase& c: cases)
        EXPECT_EQ(indexDigit(c.name), c.expected) << c.reason;
}

TEST(ToCurrentPositionPath, asksForTheLiveShapeInPlaceOfTheDrawnFigure)
{
    const std::string read = kReadParamPath;
    const NameCase cases[] = {
        {"a region's figure read", read + "AIX_REGION_POSITION1=&", read + "AIX_REGION_CURRENT_POSITION1=&"},
        {"every occurrence", "POSITION0=&POSITION1=&", "CURRENT_POSITION0=&CURRENT_POSITION1=&"},
        {"back to back occurrences", "POSITIONPOSITION", "CURRENT_POSITIONCURRENT_POSITION"},
        {"the search goes on after the inserted text", "CURRENT_POSITION", "CURRENT_CURRENT_POSITION"},
        {"a path without figure", read + "AIX_LINE_ENABLE0=&", read + "AIX_LINE_ENABLE0=&"},
        {"a partial word is left alone", "POSITIO", "POSITIO"},
        {"an empty path", "", ""},
    };
    for (const NameCase& c: cases)
        EXPECT_EQ(toCurrentPositionPath(c.name), c.expected) << c.reason;
}

TEST(UrlEncode, escapesEverythingButUnreservedCharactersInLowercaseHex)
{
    const NameCase cases[] = {
        {"the default line count text", "%L1%", "%25L1%25"},
        {"space and comma", "a b,c", "a%20b%2cc"},
        {"unreserved characters pass", "AZaz09-._~", "AZaz09-._~"},
        {"query delimiters are escaped", "/?&=#+", "%2f%3f%26%3d%23%2b"},
        {"bytes above 127 as unsigned", "\xc3\xa9\xff", "%c3%a9%ff"},
        {"a zero byte", std::string("a\0b", 3), "a%00b"},
        {"an empty value", "", ""},
    };
    for (const NameCase& c: cases)
        EXPECT_EQ(urlEncode(c.name), c.expected) << c.reason;
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
