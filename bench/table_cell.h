// One figure of a benchmark's summary table as text.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace tesh::bench {

/** The figure in the printf format given, or "-" for a figure whose benchmark did not run (filtered out, or failed). */
inline std::string formatted(std::optional<double> value, const char* format)
{
    if (!value)
        return "-";
    char text[32];
    std::snprintf(text, sizeof(text), format, *value);
    return text;
}

} // namespace tesh::bench
