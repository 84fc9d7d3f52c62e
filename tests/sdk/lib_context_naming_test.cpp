// Naming the library context. The name lives as long as the process, so this program holds one test
// that walks the steps in order; a null and an empty first name each have a program of their own.
#include <string>

#include <gtest/gtest.h>

#include <host_double/assertion_report.h>
#include <host_double/stderr_capture.h>
#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::test {
namespace {

struct RefusedRename
{
    const char* newName;
    std::string quotedNewName;
};

void expectRenameRefused(const RefusedRename& rename, const std::string& currentName)
{
    StderrCapture capture;
    teshLibContext()->setName(rename.newName);
    const std::string log = capture.text();

    EXPECT_EQ(currentName, sdk::libContext().name());
    EXPECT_EQ(2u, splitLines(log).size()) << log;
    const auto reports = assertionReports(log);
    ASSERT_EQ(1u, reports.size()) << log;
    EXPECT_EQ("[tesh::sdk::LibContext] ", reports[0].prefix);
    EXPECT_EQ("tesh/sdk/helpers/lib_context.cpp", reports[0].sourcePath);
    EXPECT_EQ("m_name == kDefaultName || m_name == std::string(name)", reports[0].condition);
    EXPECT_EQ("Attempt to change LibContext name from \"" + currentName + "\" to " + rename.quotedNewName + ".",
        reports[0].message);
}

TEST(LibContextNamingTest, contextIsNamedOnceAndThenKeepsItsName)
{
    EXPECT_EQ("unnamed_lib_context", sdk::libContext().name());

    {
        StderrCapture capture;
        teshLibContext()->setName("first");
        teshLibContext()->setName("first");
        EXPECT_EQ("", capture.text());
    }
    EXPECT_EQ("first", sdk::libContext().name());

    const RefusedRename refusedRenames[] = {
        {"second", "\"second\""},
        {"say \"hi\"\t", "\"say \\\"hi\\\"\\t\""},
        {"unnamed_lib_context", "\"unnamed_lib_context\""},
        {"", "\"\""},
        {nullptr, "null"},
    };
    for (const auto& rename: refusedRenames)
    {
        SCOPED_TRACE(rename.quotedNewName);
        expectRenameRefused(rename, "first");
    }
}

} // namespace
} // namespace tesh::test
