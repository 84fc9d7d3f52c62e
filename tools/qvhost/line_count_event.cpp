// Reading a line-counting event's description the way the plug-in writes it for the host.
#include "line_count_event.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace qvhost {
namespace {

/** The number in "<label> : [n]" within a description, or -1. */
int64_t bracketedNumber(const std::string& description, const std::string& label)
{
    const size_t start = description.find(label + " : [");
    if (start == std::string::npos)
        return -1;
    int64_t value = 0;
    bool hasDigit = false;
    for (size_t i = start + label.size() + 4;
         i < description.size() && std::isdigit(static_cast<unsigned char>(description[i])); ++i)
    {
        value = std::min<int64_t>(value * 10 + (description[i] - '0'), INT32_MAX);
        hasDigit = true;
    }
    return hasDigit ? value : -1;
}

} // namespace

LineCount lineCountOf(const std::string& description)
{
    return {bracketedNumber(description, "Event Line"), bracketedNumber(description, "Count")};
}

std::string lineLabel(const LineCount& lineCount)
{
    return "line " + (lineCount.line < 0 ? std::string("?") : std::to_string(lineCount.line));
}

} // namespace qvhost
