// The library context as the host reaches it: exports, the registry, the unit-test options.
// Naming is tested in programs of its own, since a name once set stays for the whole process.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/counting_registry.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/stderr_capture.h>
#include <tesh/sdk/helpers/lib_context.h>
#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::test {
namespace {

using Options = std::map<std::string, std::string>;

// The helpers live in a src/tesh tree, so a report names the file from "tesh/" on.
const std::string kLibContextSource = "tesh/sdk/helpers/lib_context.cpp";

TEST(LibContextExportsTest, sdkVersionIsFixed)
{
    EXPECT_STREQ("5.1.4 R1", teshSdkVersion());
    EXPECT_STREQ(teshSdkVersion(), teshSdkVersion());
}

TEST(LibContextExportsTest, exportedContextIsTheOneInternalContext)
{
    sdk::ILibContext* const exported = teshLibContext();
    EXPECT_EQ(exported, teshLibContext());
    EXPECT_EQ(exported, static_cast<sdk::ILibContext*>(&sdk::libContext()));
}

TEST(LibContextRegistryTest, secondRegistryIsRefusedWithAReportAndTheFirstKept)
{
    CountingRegistry& first = installedRegistry();
    const LeakCheck leakCheck;
    ASSERT_EQ(&first, sdk::libContext().refCountableRegistry());

    auto* const second = new CountingRegistry();
    StderrCapture capture;
    teshLibContext()->setRefCountableRegistry(second);
    const std::string log = capture.text();
    EXPECT_EQ(&first, sdk::libContext().refCountableRegistry());

    // Objects made from now on are still told to the first registry only.
    const int createdBefore = first.createdCount();
    sdk::makePtr<sdk::String>("counted");
    EXPECT_EQ(createdBefore + 1, first.createdCount());
    EXPECT_EQ(0, second->createdCount());
    delete second; // refused, so never owned by the context
    EXPECT_NO_LEAKS(leakCheck);

    const auto lines = splitLines(log);
    ASSERT_EQ(2u, lines.size()) << log;
    EXPECT_EQ("[tesh::sdk::LibContext] ", lines[0]);
    const auto reports = assertionReports(log);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(kLibContextSource, reports[0].sourcePath);
    EXPECT_GT(reports[0].line, 0);
    EXPECT_EQ("!m_refCountableRegistry", reports[0].condition);
    EXPECT_EQ("LibContext refCountableRegistry has already been set.", reports[0].message);
    EXPECT_EQ(">>> ASSERTION FAILED: " + kLibContextSource + ":" + std::to_string(reports[0].line)
            + " (!m_refCountableRegistry) LibContext refCountableRegistry has already been set.",
        lines[1]);
}

// -------------------------------------------------------------------------------------------------
// Unit-test options

class UnitTestOptionsTest: public testing::Test
{
protected:
    static void setOptions(const sdk::Ptr<HostStringMap>& options) { teshSetUnitTestOptions(options.get()); }
};

TEST_F(UnitTestOptionsTest, nullOptionsLeaveTheTableAsItWas)
{
    setOptions(makeHostStringMap({{"kept", "1"}}));
    teshSetUnitTestOptions(nullptr);
    EXPECT_EQ((Options{{"kept", "1"}}), sdk::unitTestOptions());
}

TEST_F(UnitTestOptionsTest, newOptionsReplaceTheWholeTable)
{
    setOptions(makeHostStringMap({{"old", "x"}, {"b", "stale"}}));
    setOptions(makeHostStringMap({{"c", "3"}, {"a", "1"}, {"b", "2"}}));
    EXPECT_EQ((Options{{"a", "1"}, {"b", "2"}, {"c", "3"}}), sdk::unitTestOptions());
}

TEST_F(UnitTestOptionsTest, pairsWithANullKeyOrValueAreSkipped)
{
    setOptions(makeHostStringMap({{nullptr, "orphan"}, {"kept", "1"}, {"empty", nullptr}, {"", ""}}));
    EXPECT_EQ((Options{{"kept", "1"}, {"", ""}}), sdk::unitTestOptions());
}

TEST_F(UnitTestOptionsTest, countBelowOneEmptiesTheTable)
{
    for (const int reportedCount: {0, -1})
    {
        SCOPED_TRACE(reportedCount);
        setOptions(makeHostStringMap({{"before", "1"}}));
        const auto options = makeHostStringMap({{"ignored", "1"}});
        options->setReportedCount(reportedCount);
        setOptions(options);
        EXPECT_TRUE(sdk::unitTestOptions().empty());
    }
}

TEST_F(UnitTestOptionsTest, indicesPastTheStoredPairsAreSkipped)
{
    const auto options = makeHostStringMap({{"a", "1"}});
    options->setReportedCount(3);
    setOptions(options);
    EXPECT_EQ((Options{{"a", "1"}}), sdk::unitTestOptions());
}

} // namespace
} // namespace tesh::test
