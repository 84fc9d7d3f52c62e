// Quoting, prefixes, source paths and the assertion reports of the logging module.
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/stderr_capture.h>
#include <tesh/kit/debug.h>

namespace tesh::test {
namespace {

using namespace kit::debug;

/** The tree this file is in, as the compiler names it, with a trailing separator (or empty). */
std::string projectRoot()
{
    const std::string thisFile = __FILE__;
    return thisFile.substr(0, thisFile.rfind("tests/kit/debug_test.cpp"));
}

// -------------------------------------------------------------------------------------------------
// toLiteral, toPointerText

struct TextCase
{
    std::string input;
    std::string expected;
};

TEST(ToLiteralTest, quotesAndEscapesEveryByteUnambiguously)
{
    const TextCase cases[] = {
        {"", R"("")"},
        {"plain text 0-9 ~{}", R"("plain text 0-9 ~{}")"},
        {"\"\t\x01", R"("\"\t\x01""")"},
        {"\x01"
         "2",
            R"("\x01""2")"}, // the quotes keep the 2 out of the escape
        {std::string("a\0b", 3), R"("a\000b")"},
        {"back\\slash", R"("back\\slash")"},
        {"\r\n", R"("\r\n")"},
        {"\x1F\x7F", R"("\x1F""\x7F""")"},
        {"\x80\xAB\xff", R"("\x80""\xAB""\xFF""")"},
        {" ~", R"(" ~")"},
    };
    for (const auto& entry: cases)
    {
        SCOPED_TRACE(entry.expected);
        EXPECT_EQ(entry.expected, toLiteral(entry.input));
    }
}

TEST(ToLiteralTest, nullTextGivesTheBareWordNullAndACTextEndsAtItsZero)
{
    EXPECT_EQ("null", toLiteral(static_cast<const char*>(nullptr)));
    EXPECT_EQ(R"("a")", toLiteral("a\0b"));
    EXPECT_EQ(R"("")", toLiteral(""));
}

TEST(ToPointerTextTest, nullGivesNullAndOtherPointersTheirPercentPForm)
{
    EXPECT_EQ("null", toPointerText(nullptr));

    int first = 0;
    int second = 0;
    char expected[32];
    std::snprintf(expected, sizeof(expected), "%p", static_cast<void*>(&first));
    EXPECT_EQ(expected, toPointerText(&first));
    EXPECT_NE(toPointerText(&first), toPointerText(&second));
}

// -------------------------------------------------------------------------------------------------
// srcFilePrefix, relativeSrcFilename

TEST(SrcFilePrefixTest, baseNameUpToItsLastDotInBrackets)
{
    const TextCase cases[] = {
        {"/repo/tesh_sdk/tesh/sdk/helpers/string_map.cpp", "[string_map] "},
        {"/repo/plugin/consuming_device_agent.cpp", "[consuming_device_agent] "},
        {"/repo/tools/noextension", "[noextension] "},
        {"/repo/dotted.dir/file", "[file] "},
        {"/repo/archive.tar.gz", "[archive.tar] "},
        {"bare.cpp", "[bare] "},
        {"/repo/.hidden", "[] "},
    };
    for (const auto& entry: cases)
    {
        SCOPED_TRACE(entry.input);
        EXPECT_EQ(entry.expected, srcFilePrefix(entry.input.c_str()));
        EXPECT_EQ(entry.expected, srcFilePrefix(entry.input.c_str())); // now from the cache
    }
}

TEST(SrcFilePrefixTest, threadsFillingTheCacheTogetherEachGetTheirOwnPrefix)
{
    constexpr int kThreads = 8;
    constexpr int kPaths = 300;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&wrong]() {
            for (int i = 0; i < kPaths; ++i)
            {
                const std::string name = "concurrent_" + std::to_string(i);
                if (srcFilePrefix(("/shared/" + name + ".cpp").c_str()) != "[" + name + "] ")
                    ++wrong;
            }
        });
    }
    for (auto& thread: threads)
        thread.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(RelativeSrcFilenameTest, srcTeshTreesKeepThePathFromTesh)
{
    const TextCase cases[] = {
        {projectRoot() + "tesh_kit/src/tesh/kit/debug.cpp", "tesh/kit/debug.cpp"},
        {"/elsewhere/src/tesh/plugin/engine.cpp", "tesh/plugin/engine.cpp"},
        {"/a/src/tesh/b/src/tesh/c.cpp", "tesh/b/src/tesh/c.cpp"},
    };
    for (const auto& entry: cases)
    {
        SCOPED_TRACE(entry.input);
        EXPECT_EQ(entry.expected, relativeSrcFilename(entry.input.c_str()));
    }
}

TEST(RelativeSrcFilenameTest, otherPathsLoseTheCharactersTheyShareWithTheLoggingModulePath)
{
    const std::string root = projectRoot();
    const TextCase cases[] = {
        {root + "tesh_sdk/include/tesh/sdk/result.h", "sdk/include/tesh/sdk/result.h"},
        {__FILE__, "ts/kit/debug_test.cpp"}, // "tests" and "tesh_kit" share "tes"
        {root + "tesh_kit/src/teshx/y.cpp", "x/y.cpp"}, // shared character by character, not by directory
        {"relative/x.cpp", "relative/x.cpp"},
        {"src/tesh/x.cpp", "src/tesh/x.cpp"}, // no separator before src, so not a src tree
    };
    for (const auto& entry: cases)
    {
        SCOPED_TRACE(entry.input);
        EXPECT_EQ(entry.expected, relativeSrcFilename(entry.input.c_str()));
    }
}

// -------------------------------------------------------------------------------------------------
// printLine, assertion reports

class RecordingPrint
{
public:
    PrintFunc func()
    {
        return [this](const std::string& text) { texts.push_back(text); };
    }

    std::vector<std::string> texts;
};

TEST(AssertionReportTest, reportStartsWithALineFeedAndNamesPlaceConditionAndMessage)
{
    RecordingPrint print;
    assertionFailed(print.func(), "x > 0", "x was -1", "/any/src/tesh/sdk/a.cpp", 42);
    assertionFailed(print.func(), "ok", "", "/any/src/tesh/sdk/b.cpp", 7);
    EXPECT_EQ((std::vector<std::string>{
                  "\n>>> ASSERTION FAILED: tesh/sdk/a.cpp:42 (x > 0) x was -1",
                  "\n>>> ASSERTION FAILED: tesh/sdk/b.cpp:7 (ok) ",
              }),
        print.texts);
}

TEST(AssertionReportTest, checkReportsOnlyAFailedConditionAndPassesItsValueOn)
{
    RecordingPrint print;
    EXPECT_TRUE(TESH_KIT_CHECK(print.func(), 1 + 1 == 2, "never printed"));
    EXPECT_TRUE(print.texts.empty());

    const int line = __LINE__ + 1;
    EXPECT_FALSE(TESH_KIT_CHECK(print.func(), 1 + 1 == 3, "arithmetic"));
    EXPECT_EQ((std::vector<std::string>{
                  "\n>>> ASSERTION FAILED: " + relativeSrcFilename(__FILE__) + ":" + std::to_string(line)
                      + " (1 + 1 == 3) arithmetic",
              }),
        print.texts);
}

TEST(PrintLineTest, writesPrefixTextAndOneLineFeed)
{
    StderrCapture capture;
    printLine("[prefix] ", "text");
    printLine("", "");
    EXPECT_EQ("[prefix] text\n\n", capture.text());
}

TEST(PrintLineTest, linesFromConcurrentThreadsStayWhole)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    StderrCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([t]() {
            for (int i = 0; i < kLines; ++i)
                printLine("[thread " + std::to_string(t) + "] ", "line " + std::to_string(i));
        });
    }
    for (auto& thread: threads)
        thread.join();

    const auto lines = capture.lines();
    ASSERT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
    std::set<std::string> expected;
    for (int t = 0; t < kThreads; ++t)
    {
        for (int i = 0; i < kLines; ++i)
            expected.insert("[thread " + std::to_string(t) + "] line " + std::to_string(i));
    }
    EXPECT_EQ(expected, std::set<std::string>(lines.begin(), lines.end()));
}

} // namespace
} // namespace tesh::test
