// Reading the library's non-fatal assertion reports back out of captured log text.
#include "assertion_report.h"

#include <optional>
#include <regex>

#include <gtest/gtest.h>

#include <host_double/stderr_capture.h>

namespace tesh::test {

namespace {

/** @return The position of the parenthesis that closes the one at open, or npos. */
std::string::size_type closingParenthesis(const std::string& text, std::string::size_type open)
{
    int depth = 0;
    for (auto i = open; i < text.size(); ++i)
    {
        if (text[i] == '(')
            ++depth;
        else if (text[i] == ')' && --depth == 0)
            return i;
    }
    return std::string::npos;
}

std::optional<AssertionReport> parseReport(const std::string& prefix, const std::string& line)
{
    static const std::regex kHead(R"(^>>> ASSERTION FAILED: (.*?):(\d+) \()");
    std::smatch head;
    if (!std::regex_search(line, head, kHead))
        return std::nullopt;
    const auto open = static_cast<std::string::size_type>(head.length(0)) - 1;
    const auto close = closingParenthesis(line, open);
    if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != ' ')
        return std::nullopt;

    AssertionReport report;
    report.prefix = prefix;
    report.sourcePath = head[1];
    report.line = std::stoi(head[2]);
    report.condition = line.substr(open + 1, close - open - 1);
    report.message = line.substr(close + 2);
    return report;
}

} // namespace

std::vector<AssertionReport> assertionReports(const std::string& capturedText)
{
    const std::vector<std::string> lines = splitLines(capturedText);
    std::vector<AssertionReport> reports;
    for (size_t i = 1; i < lines.size(); ++i)
    {
        if (auto report = parseReport(lines[i - 1], lines[i]))
            reports.push_back(std::move(*report));
    }
    return reports;
}

void expectOneAssertionReport(
    StderrCapture& capture, const std::string& prefix, const std::string& sourceFileName, const std::string& condition)
{
    const std::string& captured = capture.text();
    EXPECT_EQ(capture.lines().size(), 2U) << "captured: " << captured;
    EXPECT_TRUE(!captured.empty() && captured.back() == '\n') << "captured: " << captured;
    const auto reports = assertionReports(captured);
    ASSERT_EQ(reports.size(), 1U) << "captured: " << captured;
    const AssertionReport& report = reports.front();
    EXPECT_EQ(report.prefix, prefix);
    EXPECT_EQ(report.condition, condition);
    EXPECT_EQ(report.message, "");
    EXPECT_GT(report.line, 0);
    EXPECT_FALSE(report.sourcePath.empty() || report.sourcePath.front() == '/') << report.sourcePath;
    const std::string& path = report.sourcePath;
    EXPECT_TRUE(path.size() >= sourceFileName.size()
        && path.compare(path.size() - sourceFileName.size(), sourceFileName.size(), sourceFileName) == 0)
        << path;
}

} // namespace tesh::test
