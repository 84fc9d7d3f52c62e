// The report's track timeline: a bar per track from its first to its last appearance, its best shots on it, the
// events as markers on the same time axis, and the running count of every counting line.
#pragma once

#include <string>

#include "report_content.h"
#include "time_axis.h"

namespace qvhost {

/** Static SVG: readable without the page's script, which only moves the cursor and jumps on a click. */
std::string timelineSection(const ReportContent& content, const TimeAxis& axis);

} // namespace qvhost
