// A null first name for the library context; a program of its own, since the name lasts the process.
#include <string>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/stderr_capture.h>
#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::test {
namespace {

TEST(LibContextNullNameTest, nullNameIsReportedAndStoredAsIncorrectName)
{
    StderrCapture capture;
    teshLibContext()->setName(nullptr);
    const std::string log = capture.text();

    EXPECT_EQ("incorrectly_named_lib_context", sdk::libContext().name());
    EXPECT_EQ(2u, splitLines(log).size()) << log;
    const auto reports = assertionReports(log);
    ASSERT_EQ(1u, reports.size()) << log;
    EXPECT_EQ("[tesh::sdk::LibContext] ", reports[0].prefix);
    EXPECT_EQ("tesh/sdk/helpers/lib_context.cpp", reports[0].sourcePath);
    EXPECT_EQ("name", reports[0].condition);
    EXPECT_EQ("", reports[0].message);
}

} // namespace
} // namespace tesh::test
