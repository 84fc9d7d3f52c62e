// The summary the settings read benchmark ends with: per answer delay of the camera and cap on its connections, the
// read's time against the lower bound that the requests served at once set.
#pragma once

#include <ostream>
#include <vector>

#include "capturing_reporter.h"

namespace tesh::bench {

/** The name the benchmark is registered under, and its arguments: the camera's delay before every answer, and the
 * connections it serves at once (0: as many as the agent opens). */
inline constexpr char kFullReadName[] = "firstDeliveryFullRead";
inline constexpr char kDelayArgName[] = "delay_ms";
inline constexpr char kCapArgName[] = "cap";

/** One camera the full read is measured against. */
struct ReadCase
{
    int delayMs = 0;
    int maxConnections = 0; //< 0: no cap.
};

/** The counters the benchmark reports per read and the table shows. */
inline constexpr char kAtOnceCounter[] = "k";
inline constexpr char kParametersCounter[] = "parameters";
inline constexpr char kExchangesCounter[] = "exchanges";
inline constexpr char kChallengesCounter[] = "challenges";
inline constexpr char kBoundCounter[] = "bound_ms";
inline constexpr char kRatioCounter[] = "ratio";
inline constexpr char kValuesCounter[] = "values";
inline constexpr char kErrorsCounter[] = "errors";
/** The settings each delivery carries, all of the model's: a check that the read was the full one. */
inline constexpr char kSettingsCounter[] = "settings";

/** The team's goal: where the camera is slow, a full read takes at most this multiple of its lower bound. */
inline constexpr double kFullReadGoal = 1.5;

/** One row per case; a figure whose benchmark did not run (filtered out, or failed) shows as "-". */
void printSettingsReadTable(const CapturingReporter& times, const std::vector<ReadCase>& cases, std::ostream& out);

} // namespace tesh::bench
