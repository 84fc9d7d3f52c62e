// Capturing what the library logs to the standard error stream.
#include "stderr_capture.h"

#include <gtest/gtest.h>

namespace tesh::test {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size())
    {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

StderrCapture::StderrCapture()
{
    testing::internal::CaptureStderr();
}

StderrCapture::~StderrCapture()
{
    text();
}

const std::string& StderrCapture::text()
{
    if (m_capturing)
    {
        m_text = testing::internal::GetCapturedStderr();
        m_capturing = false;
    }
    return m_text;
}

} // namespace tesh::test
