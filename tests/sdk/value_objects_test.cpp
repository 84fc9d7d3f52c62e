// Texts, string maps, settings responses, errors and identifiers handed across the boundary.
#include <atomic>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <tesh/sdk/helpers/error.h>
#include <tesh/sdk/helpers/from_string_map.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/settings_response.h>
#include <tesh/sdk/helpers/string.h>
#include <tesh/sdk/helpers/string_map.h>
#include <tesh/sdk/helpers/uuid_helper.h>

namespace tesh::test {
namespace {

using sdk::adopt;
using sdk::makePtr;
using sdk::Ptr;

// -------------------------------------------------------------------------------------------------
// String, StringMap

using StringTest = NoLeakTest;

TEST_F(StringTest, holdsItsTextAtOneAddressForItsWholeLife)
{
    std::string source = "a text";
    const auto text = makePtr<sdk::String>(source);
    const char* const first = text->str();
    source = "changed";
    EXPECT_STREQ("a text", first);
    EXPECT_EQ(first, text->str());
}

using StringMapTest = NoLeakTest;

TEST_F(StringMapTest, pairsAreIndexedInByteOrderOfTheirKeys)
{
    const auto map = makePtr<sdk::StringMap>();
    for (const char* key: {"b", "a", "ab", "B", "\xC3\xA9"})
        map->setItem(key, std::string("value of ") + key);

    const std::vector<std::string> expectedOrder = {"B", "a", "ab", "b", "\xC3\xA9"};
    ASSERT_EQ(static_cast<int>(expectedOrder.size()), map->count());
    for (int i = 0; i < map->count(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(expectedOrder[static_cast<size_t>(i)], map->key(i));
        EXPECT_EQ("value of " + expectedOrder[static_cast<size_t>(i)], map->value(i));
    }
}

TEST_F(StringMapTest, lookupsOutsideTheMapGiveNull)
{
    const auto map = makePtr<sdk::StringMap>();
    map->setItem("a", "1");
    map->setItem("b", "2");

    for (const int index: {-1, 2, 1000})
    {
        SCOPED_TRACE(index);
        EXPECT_EQ(nullptr, map->key(index));
        EXPECT_EQ(nullptr, map->value(index));
    }
    EXPECT_EQ(nullptr, map->value("absent"));
    EXPECT_EQ(nullptr, map->value("A"));
    EXPECT_EQ(nullptr, map->value(static_cast<const char*>(nullptr)));
    EXPECT_STREQ("2", map->value("b"));
}

TEST_F(StringMapTest, settingAKeyAgainReplacesItsValue)
{
    const auto map = makePtr<sdk::StringMap>();
    map->setItem("k", "1");
    map->setItem("k", "2");
    EXPECT_EQ(1, map->count());
    EXPECT_STREQ("2", map->value("k"));
}

TEST_F(StringMapTest, emptyKeyIsReportedAndStillStored)
{
    const auto map = makePtr<sdk::StringMap>();
    StderrCapture capture;
    map->setItem("", "v");
    const auto reports = assertionReports(capture.text());

    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("[string_map] ", reports[0].prefix);
    EXPECT_EQ("!key.empty()", reports[0].condition);
    EXPECT_EQ("", reports[0].message);
    EXPECT_EQ(1, map->count());
    EXPECT_STREQ("", map->key(0));
    EXPECT_STREQ("v", map->value(""));
}

// -------------------------------------------------------------------------------------------------
// SettingsResponse

using SettingsResponseTest = NoLeakTest;

TEST_F(SettingsResponseTest, newResponseHasNoValuesErrorsOrModel)
{
    const auto response = makePtr<sdk::SettingsResponse>();
    EXPECT_EQ(nullptr, response->values());
    EXPECT_EQ(nullptr, response->errors());
    EXPECT_EQ(nullptr, response->model());
}

TEST_F(SettingsResponseTest, firstValueCreatesTheMapAndEachGetterCallAddsAReference)
{
    auto response = makePtr<sdk::SettingsResponse>();
    response->setValue("name", "value");

    const auto values = adopt(response->values());
    ASSERT_TRUE(values);
    EXPECT_EQ(1, values->count());
    EXPECT_STREQ("value", values->value("name"));
    EXPECT_EQ(2, refCountOf(values.get()));

    const auto again = adopt(response->values());
    EXPECT_EQ(values.get(), again.get());
    EXPECT_EQ(3, refCountOf(values.get()));

    response.reset(); // the caller's references keep the map alive
    EXPECT_EQ(2, refCountOf(values.get()));
    EXPECT_STREQ("value", values->value("name"));
}

TEST_F(SettingsResponseTest, laterValuesGoIntoTheSameMap)
{
    const auto response = makePtr<sdk::SettingsResponse>();
    response->setValue("b", "1");
    const auto before = adopt(response->values());
    response->setValue("a", "2");
    response->setValue("b", "3");

    EXPECT_EQ(before.get(), adopt(response->values()).get());
    EXPECT_EQ(2, before->count());
    EXPECT_STREQ("3", before->value("b"));
}

// -------------------------------------------------------------------------------------------------
// error(), toString(ErrorCode)

struct ErrorCase
{
    sdk::ErrorCode code;
    std::string message;
    std::vector<std::string> reportedConditions;
};

using ErrorTest = NoLeakTest;

TEST_F(ErrorTest, carriesCodeAndMessageAndReportsNoErrorCodeAndEmptyMessage)
{
    const std::string kCodeCheck = "errorCode != ErrorCode::noError";
    const std::string kMessageCheck = "!errorMessage.empty()";
    const ErrorCase cases[] = {
        {sdk::ErrorCode::otherError, "camera unreachable", {}},
        {sdk::ErrorCode::invalidParams, "x", {}},
        {sdk::ErrorCode::noError, "odd", {kCodeCheck}},
        {sdk::ErrorCode::internalError, "", {kMessageCheck}},
        {sdk::ErrorCode::noError, "", {kCodeCheck, kMessageCheck}},
    };
    const std::map<std::string, std::string> messages = {
        {kCodeCheck, "Error code must differ from `ErrorCode::noError`"},
        {kMessageCheck, "Error message must not be empty"},
    };
    for (const auto& entry: cases)
    {
        SCOPED_TRACE(toString(entry.code) + " \"" + entry.message + "\"");
        StderrCapture capture;
        const sdk::Error made = sdk::error(entry.code, entry.message);
        const auto message = adopt(made.errorMessage); // error() hands over one reference
        const std::string log = capture.text();

        EXPECT_EQ(entry.code, made.errorCode);
        ASSERT_TRUE(message);
        EXPECT_EQ(entry.message, message->str());
        const auto reports = assertionReports(log);
        ASSERT_EQ(entry.reportedConditions.size(), reports.size()) << log;
        EXPECT_EQ(2 * reports.size(), splitLines(log).size()) << log;
        for (size_t i = 0; i < reports.size(); ++i)
        {
            EXPECT_EQ("tesh::sdk::error(): ", reports[i].prefix);
            EXPECT_EQ(entry.reportedConditions[i], reports[i].condition);
            EXPECT_EQ(messages.at(entry.reportedConditions[i]), reports[i].message);
        }
    }
}

TEST(ErrorCodeTextTest, namesTheKnownCodesAndFlagsTheRest)
{
    const std::pair<int, std::string> cases[] = {
        {0, "noError"},
        {-1, "unauthorized"},
        {-21, "notImplemented"},
        {-22, "networkError"},
        {-100, "otherError"},
        {-1000, "internalError"},
        {-1001, "invalidParams"},
        {5, "<unsupported Error>"},
        {-2, "<unsupported Error>"},
        {1, "<unsupported Error>"},
    };
    for (const auto& [value, text]: cases)
    {
        SCOPED_TRACE(value);
        EXPECT_EQ(text, sdk::toString(static_cast<sdk::ErrorCode>(value)));
    }
}

// -------------------------------------------------------------------------------------------------
// fromStringMap

class FromStringMapTest: public NoLeakTest
{
protected:
    using Map = std::map<std::string, std::string>;

    static constexpr const char* kPrefix = "[engine_x] ";

    bool take(bool enableOutput, const sdk::IStringMap* source, const std::string& caption = "Settings", int indent = 0)
    {
        StderrCapture capture;
        const bool taken = sdk::fromStringMap(enableOutput, kPrefix, &target, source, caption, indent);
        lines = capture.lines();
        return taken;
    }

    Map target = {{"kept", "0"}};
    std::vector<std::string> lines;
};

TEST_F(FromStringMapTest, mergeOverwritesSharedKeysAndKeepsTheOthers)
{
    const auto source = makeHostStringMap({{"b", "2"}, {"kept", "new"}, {"a", "1"}});
    EXPECT_TRUE(take(/*enableOutput*/ false, source.get()));
    EXPECT_EQ((Map{{"a", "1"}, {"b", "2"}, {"kept", "new"}}), target);
    EXPECT_TRUE(lines.empty());

    const auto libraryMap = makePtr<sdk::StringMap>();
    libraryMap->setItem("c", "3");
    EXPECT_TRUE(take(/*enableOutput*/ false, libraryMap.get()));
    EXPECT_EQ((Map{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"kept", "new"}}), target);
}

TEST_F(FromStringMapTest, emptySourceIsTakenAndChangesNothing)
{
    const auto source = makeHostStringMap({});
    EXPECT_TRUE(take(/*enableOutput*/ false, source.get()));
    EXPECT_EQ((Map{{"kept", "0"}}), target);
}

TEST_F(FromStringMapTest, unusableSourcesAreLoggedWhateverTheOutputSettingAndNothingIsMerged)
{
    const auto negativeCount = makeHostStringMap({{"a", "1"}});
    negativeCount->setReportedCount(-3);
    const auto nullKey = makeHostStringMap({{"a", "1"}, {nullptr, "2"}});
    const auto nullValue = makeHostStringMap({{"a", "1"}, {"b", nullptr}});

    for (const bool enableOutput: {false, true})
    {
        SCOPED_TRACE(enableOutput);
        EXPECT_FALSE(take(enableOutput, nullptr));
        EXPECT_EQ((std::vector<std::string>{std::string(kPrefix) + "ERROR: stringMap is null"}), lines);

        EXPECT_FALSE(take(enableOutput, negativeCount.get(), "Settings"));
        EXPECT_EQ((std::vector<std::string>{std::string(kPrefix) + "ERROR: Settings: count is -3"}), lines);

        for (const auto& source: {nullKey, nullValue})
        {
            EXPECT_FALSE(take(enableOutput, source.get()));
            ASSERT_EQ(1u, lines.size());
            EXPECT_EQ(0u, lines[0].find(std::string(kPrefix) + "ERROR: ")) << lines[0];
        }
        EXPECT_EQ((Map{{"kept", "0"}}), target);
    }
}

TEST_F(FromStringMapTest, outputListsThePairsInSourceOrderAsQuotedLiterals)
{
    const auto source = makeHostStringMap({{"zeta", "1"}, {"q\"k", "tab\there"}, {"alpha", ""}});
    EXPECT_TRUE(take(/*enableOutput*/ true, source.get(), "Received settings", 2));
    EXPECT_EQ((std::vector<std::string>{
                  "[engine_x]   Received settings:",
                  "[engine_x]   {",
                  R"([engine_x]       "zeta": "1",)",
                  R"([engine_x]       "q\"k": "tab\there",)",
                  R"([engine_x]       "alpha": "")",
                  "[engine_x]   }",
              }),
        lines);
}

TEST_F(FromStringMapTest, outputWithoutCaptionOrPairsIsJustTheBraces)
{
    const auto source = makeHostStringMap({});
    EXPECT_TRUE(take(/*enableOutput*/ true, source.get(), "", 0));
    EXPECT_EQ((std::vector<std::string>{"[engine_x] {", "[engine_x] }"}), lines);
}

// -------------------------------------------------------------------------------------------------
// randomUuid, uuidToText

bool isVersion4Variant1(const sdk::Uuid& id)
{
    return (id.bytes[6] & 0xF0) == 0x40 && (id.bytes[8] & 0xC0) == 0x80;
}

TEST(RandomUuidTest, everyDrawIsVersion4Variant1AndNew)
{
    constexpr int kDraws = 2000;
    std::set<std::string> seen;
    for (int i = 0; i < kDraws; ++i)
    {
        const sdk::Uuid id = sdk::randomUuid();
        ASSERT_TRUE(isVersion4Variant1(id)) << sdk::uuidToText(id, sdk::uuidAllFormats);
        seen.insert(sdk::uuidToText(id, 0));
    }
    EXPECT_EQ(static_cast<size_t>(kDraws), seen.size());
    EXPECT_NE(sdk::randomUuid(), sdk::randomUuid());
}

TEST(RandomUuidTest, everyBitOutsideTheVersionAndVariantVaries)
{
    // Over many draws a random bit is seen both set and clear; a byte left unfilled is not.
    uint8_t everSet[16] = {};
    uint8_t everClear[16] = {};
    for (int i = 0; i < 500; ++i)
    {
        const sdk::Uuid id = sdk::randomUuid();
        for (int b = 0; b < 16; ++b)
        {
            everSet[b] |= id.bytes[b];
            everClear[b] |= static_cast<uint8_t>(~id.bytes[b]);
        }
    }
    for (int b = 0; b < 16; ++b)
    {
        SCOPED_TRACE(b);
        const uint8_t fixedBits = b == 6 ? 0xF0 : b == 8 ? 0xC0 : 0x00;
        EXPECT_EQ(0xFF, (everSet[b] & everClear[b]) | fixedBits);
    }
}

TEST(RandomUuidTest, drawsFromManyThreadsAreAllWellFormedAndDistinct)
{
    constexpr int kThreads = 8;
    constexpr int kDraws = 500;
    std::vector<std::vector<sdk::Uuid>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&drawn, t]() {
            for (int i = 0; i < kDraws; ++i)
                drawn[static_cast<size_t>(t)].push_back(sdk::randomUuid());
        });
    }
    for (auto& thread: threads)
        thread.join();

    std::set<std::string> seen;
    for (const auto& ids: drawn)
    {
        for (const auto& id: ids)
        {
            EXPECT_TRUE(isVersion4Variant1(id));
            seen.insert(sdk::uuidToText(id, 0));
        }
    }
    EXPECT_EQ(static_cast<size_t>(kThreads * kDraws), seen.size());
}

TEST(UuidToTextTest, formatFlagsCombine)
{
    const sdk::Uuid known{
        {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10}};
    const std::pair<int, std::string> cases[] = {
        {0, "0123456789abcdeffedcba9876543210"},
        {sdk::uuidUppercase, "0123456789ABCDEFFEDCBA9876543210"},
        {sdk::uuidHyphens, "01234567-89ab-cdef-fedc-ba9876543210"},
        {sdk::uuidBraces, "{0123456789abcdeffedcba9876543210}"},
        {sdk::uuidUppercase | sdk::uuidHyphens | sdk::uuidBraces, "{01234567-89AB-CDEF-FEDC-BA9876543210}"},
        {sdk::uuidAllFormats, "{01234567-89AB-CDEF-FEDC-BA9876543210}"},
    };
    for (const auto& [flags, text]: cases)
    {
        SCOPED_TRACE(flags);
        EXPECT_EQ(text, sdk::uuidToText(known, flags));
    }
}

TEST(UuidToTextTest, nullIdIsAllZeros)
{
    EXPECT_EQ("{00000000-0000-0000-0000-000000000000}", sdk::uuidToText(sdk::Uuid(), sdk::uuidAllFormats));
    EXPECT_EQ(std::string(32, '0'), sdk::uuidToText(sdk::Uuid(), 0));
}

} // namespace
} // namespace tesh::test
