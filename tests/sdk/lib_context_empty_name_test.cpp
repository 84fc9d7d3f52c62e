// An empty first name for the library context; a program of its own, since the name lasts the process.
#include <string>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/stderr_capture.h>
#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::test {
namespace {

TEST(LibContextEmptyNameTest, emptyNameIsReportedAndStoredAsIncorrectNameWhichThenStays)
{
    {
        StderrCapture capture;
        teshLibContext()->setName("");
        const std::string log = capture.text();

        EXPECT_EQ("incorrectly_named_lib_context", sdk::libContext().name());
        EXPECT_EQ(2u, splitLines(log).size()) << log;
        const auto reports = assertionReports(log);
        ASSERT_EQ(1u, reports.size()) << log;
        EXPECT_EQ("[tesh::sdk::LibContext] ", reports[0].prefix);
        EXPECT_EQ("name[0] != '\\0'", reports[0].condition);
        EXPECT_EQ("", reports[0].message);
    }

    // The stand-in name counts as a name given: a later, correct one is refused.
    StderrCapture capture;
    teshLibContext()->setName("late");
    const auto reports = assertionReports(capture.text());
    EXPECT_EQ("incorrectly_named_lib_context", sdk::libContext().name());
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(
        "Attempt to change LibContext name from \"incorrectly_named_lib_context\" to \"late\".", reports[0].message);
}

} // namespace
} // namespace tesh::test
