// Reading the library's non-fatal assertion reports back out of captured log text.
#pragma once

#include <string>
#include <vector>

namespace tesh::test {

/**
 * One report: the module writes its prefix, then a text that starts with a line feed, so the prefix
 * stands alone on the line before ">>> ASSERTION FAILED: <path>:<line> (<condition>) <message>".
 */
struct AssertionReport
{
    std::string prefix;
    std::string sourcePath;
    int line = 0;
    std::string condition;
    std::string message;
};

/**
 * Every report in the text, in order. The condition ends at the parenthesis that balances the one
 * before it, so conditions that contain calls, like "m_name == std::string(name)", are read whole.
 */
std::vector<AssertionReport> assertionReports(const std::string& capturedText);

class StderrCapture;

/**
 * Expects the whole of what one failed check with an empty message writes: the module prefix alone on
 * its line, then the report with a relative path ending in the module's source file and the condition.
 */
void expectOneAssertionReport(
    StderrCapture& capture, const std::string& prefix, const std::string& sourceFileName, const std::string& condition);

} // namespace tesh::test
