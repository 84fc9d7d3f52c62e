// Capturing what the library logs to the standard error stream.
#pragma once

#include <string>
#include <vector>

namespace tesh::test {

/** The text split at line feeds; a final line feed does not start another, empty line. */
std::vector<std::string> splitLines(const std::string& text);

/**
 * Captures from construction until text() is first called or the object dies. Captures do not nest
 * (GoogleTest's capture underneath allows one at a time).
 */
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();

    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    /** Stops the capture on the first call; later calls give the same text. */
    const std::string& text();

    std::vector<std::string> lines() { return splitLines(text()); }

private:
    bool m_capturing = true;
    std::string m_text;
};

} // namespace tesh::test
