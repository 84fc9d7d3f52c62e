// The report's summary: the replay's counts and times, each under the label the printed summary gives it.
#pragma once

#include <string>

#include "replay_record.h"
#include "report_content.h"

namespace qvhost {

/**
 * Every figure of the summary, in tables by section. Each row carries its printed label and its numbers in
 * data-label and data-values, so that the page can be checked against the printed summary.
 */
std::string summarySection(const ReplaySummary& summary, const ReportContent& content);

} // namespace qvhost
