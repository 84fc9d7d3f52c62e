// The line and its running count that a line-counting event carries in its description.
#pragma once

#include <cstdint>
#include <string>

namespace qvhost {

constexpr char kLineCountingTypeId[] = "tesh.qv.LineCounting";

struct LineCount
{
    int64_t line = -1; //< -1 when the description names no line.
    int64_t count = -1; //< -1 when it holds no count.
};

/** From "Event Line : [1], Count : [17]"; each number found on its own. */
LineCount lineCountOf(const std::string& description);

/** "line 1", or "line ?" for an event that names no line. */
std::string lineLabel(const LineCount& lineCount);

} // namespace qvhost
