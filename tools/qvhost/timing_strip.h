// The report's timing strip: each document's push call and push-to-delivery time on the time axis of the
// timeline, with the dropped and refused documents marked, so that a stall or a backlog shows at a glance.
#pragma once

#include <string>
#include <vector>

#include "replay_record.h"
#include "time_axis.h"

namespace qvhost {

std::string timingSection(const std::vector<DocumentRecord>& documents, const TimeAxis& axis);

} // namespace qvhost
