// Event notifications of a camera document turned into the host's events.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tesh/kit/steady_clock.h>

#include <host_double/leak_check.h>
#include <metadata/convert_events.h>

#include <support/metadata_views.h>

namespace tesh::test {
namespace {

using namespace tesh::vms_server_plugins::analytics::qv;

constexpr int64_t kPassUs = 900'000;
constexpr char kCounter[] = "tns1:RuleEngine/CountAggregation/Counter";
constexpr char kBehavior[] = "tns1:RuleEngine/ObjectDetection/vndObjectEx";
constexpr char kSettingsChanged[] = "tns1:AI/AppSettingChanged";
constexpr char kTampering[] = "tns1:VideoSource/GlobalSceneChange/AnalyticsService";

MetadataEvent event(std::optional<std::string> topic, std::vector<SimpleItem> source, std::vector<SimpleItem> data)
{
    return {std::move(topic), std::move(source), std::move(data)};
}

class EventConversionTest: public NoLeakTest
{
protected:
    std::vector<EventView> convert(std::vector<MetadataEvent> events)
    {
        MetadataDocument document;
        document.events = std::move(events);
        const auto packet = convertEvents(
            document, {kPassUs, kit::steadyClockNs(), highlightSeconds, highlights, reportSettingsChange});
        EXPECT_EQ(packet->timestampUs(), kPassUs);
        EXPECT_EQ(packet->durationUs(), 1);
        return eventsOf(*packet);
    }

    int32_t highlightSeconds = 0;
    BehaviorHighlights highlights;
    int settingsChangeReports = 0;
    const std::function<void()> reportSettingsChange = [this]() { ++settingsChangeReports; };
};

TEST_F(EventConversionTest, topicDecidesTypeCaptionAndDescription)
{
    struct Row
    {
        const char* reason;
        MetadataEvent event;
        struct
        {
            const char* typeId;
            const char* caption;
            const char* description;
        } expected;
    };
    const Row rows[] = {
        {"line 0 counted 17", event(kCounter, {{"Rule", "1"}}, {{"Count", "17"}}),
            {"tesh.qv.LineCounting", "Line Counting", "Event Line : [2], Count : [17]"}},
        {"counts without a rule keep the leading comma",
            event(kCounter, {}, {{"Count", "3"}, {"Other", "x"}, {"Count", "4"}}),
            {"tesh.qv.LineCounting", "Line Counting", ", Count : [3], Count : [4]"}},
        {"rule 9 becomes the character after the digit 9", event(kCounter, {{"Rule", "9"}}, {}),
            {"tesh.qv.LineCounting", "Line Counting", "Event Line : [:]"}},
        {"the last rule that ends in a digit wins",
            event(kCounter, {{"Rule", "Line2"}, {"Rule", "Line-"}, {"Rule", ""}}, {}),
            {"tesh.qv.LineCounting", "Line Counting", "Event Line : [3]"}},
        {"tampering", event("tns1:VideoSource/GlobalSceneChange/AnalyticsService", {{"Source", "1"}}, {}),
            {"tesh.qv.Tampering", "Tampering", ""}},
        {"settings changed", event(kSettingsChanged, {}, {{"Data", "x"}}),
            {"tesh.qv.SettingChanged", "AI Setting Changed", ""}},
        {"region 0 entered", event(kBehavior, {{"Rule", "0"}}, {{"ObjectId", "12"}, {"Actions", "Enter"}}),
            {"tesh.qv.Enter", "Enter", "Event Region : [1]"}},
        {"appear", event(kBehavior, {}, {{"Actions", "Appear"}}), {"tesh.qv.Appear", "Appear", ""}},
        {"stay", event(kBehavior, {}, {{"Actions", "Stay"}}), {"tesh.qv.Stay", "Stay", ""}},
        {"direction", event(kBehavior, {}, {{"Actions", "Direction"}}), {"tesh.qv.Direction", "Direction", ""}},
        {"exit", event(kBehavior, {}, {{"Actions", "Exit"}}), {"tesh.qv.Exit", "Exit", ""}},
        {"loitering", event(kBehavior, {}, {{"Actions", "Loitering"}}), {"tesh.qv.Loitering", "Loitering", ""}},
        {"an action we do not know", event(kBehavior, {}, {{"Actions", "Falling"}}),
            {"tesh.qv.Unknown", "Falling", ""}},
        {"a later action replaces an earlier one", event(kBehavior, {}, {{"Actions", "Stay"}, {"Actions", "Exit"}}),
            {"tesh.qv.Exit", "Exit", ""}},
        {"behaviour without an action", event(kBehavior, {{"Rule", "3"}}, {}), {"", "", "Event Region : [4]"}},
        {"a topic we do not know still gives an event", event("tns1:Device/Trigger/DigitalInput", {}, {}),
            {"", "", ""}},
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        const auto events = convert({row.event});
        ASSERT_EQ(events.size(), 1U);
        EXPECT_EQ(events[0].typeId, row.expected.typeId);
        EXPECT_EQ(events[0].caption, row.expected.caption);
        EXPECT_EQ(events[0].description, row.expected.description);
        EXPECT_TRUE(events[0].isActive);
    }
}

TEST_F(EventConversionTest, tamperingEndsWhereItsStateSaysFalse)
{
    struct Row
    {
        const char* reason;
        std::vector<SimpleItem> data;
        bool active;
        const char* topic = kTampering;
    };
    const Row rows[] = {
        {"tampering starts", {{"State", "true"}}, true},
        {"tampering ends", {{"State", "false"}}, false},
        {"the state at subscription, written as a number", {{"State", "0"}}, false},
        {"no state: a start, as ever", {}, true},
        {"the last state wins", {{"State", "false"}, {"State", "1"}}, true},
        {"only tampering has an end", {{"State", "false"}}, true, kCounter},
    };
    for (const Row& row: rows)
    {
        const auto events = convert({event(row.topic, {}, row.data)});
        ASSERT_EQ(events.size(), 1U) << row.reason;
        EXPECT_EQ(events[0].isActive, row.active) << row.reason;
    }
}

TEST_F(EventConversionTest, everyEventWithATopicGetsItsOwnTrack)
{
    const auto events = convert(
        {event(kCounter, {}, {}), event(std::nullopt, {}, {{"Count", "1"}}), event(kSettingsChanged, {}, {})});

    ASSERT_EQ(events.size(), 2U) << "a notification without a topic is skipped";
    EXPECT_FALSE(events[0].trackId.isNull());
    EXPECT_NE(events[0].trackId, events[1].trackId);
    EXPECT_TRUE(convert({event(std::nullopt, {}, {})}).empty()) << "the packet itself is still made";
}

TEST_F(EventConversionTest, behaviourMarksItsObjectsOnlyWhileHighlightingIsOn)
{
    convert({event(kBehavior, {}, {{"ObjectId", "12"}, {"Actions", "Enter"}})});
    EXPECT_EQ(highlights.size(), 0U);

    highlightSeconds = 10;
    const auto events = convert({event(kBehavior, {},
        {{"ObjectId", "12"}, {"ObjectId", " -5 people"}, {"ObjectId", "abc"}, {"ObjectId", "99999999999"},
            {"Actions", "Loitering"}})});

    ASSERT_EQ(events.size(), 1U) << "ids that are no 32-bit integer are skipped, the event stays";
    EXPECT_EQ(events[0].typeId, "tesh.qv.Loitering");
    EXPECT_TRUE(highlights.contains(12));
    EXPECT_TRUE(highlights.contains(-5)) << "leading space, a sign and trailing text are accepted";
    EXPECT_EQ(highlights.size(), 2U);
}

TEST_F(EventConversionTest, everySettingsChangeOfTheCameraIsReported)
{
    convert({event(kCounter, {}, {}), event(kBehavior, {}, {{"Actions", "Enter"}}), event(std::nullopt, {}, {})});
    EXPECT_EQ(settingsChangeReports, 0) << "other topics";

    convert({event(kSettingsChanged, {}, {}), event(kCounter, {}, {}), event(kSettingsChanged, {}, {})});
    EXPECT_EQ(settingsChangeReports, 2) << "one report per notification";
}

TEST(BehaviorHighlightsAging, entryLivesWhileItsAgeInWholeSecondsIsBelowTheLifetime)
{
    constexpr int64_t kSecond = 1'000'000'000;
    BehaviorHighlights highlights;
    highlights.record(1, 0);
    highlights.prune(10, 9 * kSecond + 900'000'000);
    EXPECT_TRUE(highlights.contains(1)) << "9.9 s is 9 whole seconds";
    highlights.prune(10, 10 * kSecond);
    EXPECT_FALSE(highlights.contains(1));

    highlights.record(2, 0);
    highlights.prune(0, 0);
    EXPECT_FALSE(highlights.contains(2)) << "a lifetime of 0 clears everything";

    highlights.record(3, 0);
    highlights.record(3, 5 * kSecond);
    highlights.prune(10, 10 * kSecond);
    EXPECT_TRUE(highlights.contains(3)) << "a new event renews the time";

    highlights.prune(5, 10 * kSecond);
    highlights.prune(10, 10 * kSecond);
    EXPECT_FALSE(highlights.contains(3)) << "pruned under a shorter lifetime, it stays gone under a longer one";
    highlights.record(4, 10 * kSecond);
    EXPECT_EQ(highlights.size(), 1U);
}

TEST(FirstAppearancesAging, recordIsKeptForFiveSecondsAndTakenOnce)
{
    constexpr int64_t kSecond = 1'000'000'000;
    FirstAppearances appearances;
    appearances.recordIfAbsent(1, 100, 0);
    appearances.recordIfAbsent(1, 200, kSecond);
    appearances.recordIfAbsent(2, 300, 0);

    appearances.prune(5 * kSecond - 1);
    EXPECT_EQ(appearances.take(1), 100) << "the first record is kept";
    EXPECT_EQ(appearances.take(1), std::nullopt);
    appearances.prune(5 * kSecond);
    EXPECT_EQ(appearances.take(2), std::nullopt);

    appearances.recordIfAbsent(3, 400, 0);
    appearances.prune(5 * kSecond + 1);
    appearances.recordIfAbsent(3, 500, 5 * kSecond + 2);
    EXPECT_EQ(appearances.size(), 1U);
    EXPECT_EQ(appearances.take(3), 500) << "a record pruned is replaced, not kept";
}

} // namespace
} // namespace tesh::test
