// The report's scene view: the frame with the boxes of one document, a slider and the arrow keys to step through
// the documents, and the best shots beside it.
#pragma once

#include <string>
#include <vector>

#include "replay_record.h"
#include "report_content.h"
#include "time_axis.h"

namespace qvhost {

/**
 * The section, with the boxes of every document (of every n-th when there are too many) as JSON for its script,
 * which draws them.
 */
std::string sceneSection(
    const std::vector<DocumentRecord>& documents, const ReportContent& content, const TimeAxis& axis);

} // namespace qvhost
