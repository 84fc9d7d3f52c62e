// The one time axis of the report's charts, so that a stall in the timing lines up with the tracks and events
// around it.
#pragma once

#include <cstdint>
#include <string>

namespace qvhost {

/** The charts' width in SVG units; the browser scales them to the page. */
constexpr double kChartWidth = 1200;

/** Room on the left of every chart for its row labels ("Bicycle 3f2a1c", "push to delivery"). */
constexpr double kChartLabelWidth = 170;

/** Room on the right, so that the last tick's label is not cut. */
constexpr double kChartRightMargin = 24;

class TimeAxis
{
public:
    /** From the earliest to the latest time shown; a single instant gets a second of room. */
    TimeAxis(int64_t firstUs, int64_t lastUs);

    double x(int64_t timestampUs) const;

    /** Seconds since the start of the axis. */
    double seconds(int64_t timestampUs) const;

    int64_t firstUs() const { return m_firstUs; }
    int64_t lastUs() const { return m_lastUs; }

    /** Vertical grid lines at round seconds from top to bottom, labelled above top when there is room. */
    std::string grid(double top, double bottom, bool labelled) const;

private:
    int64_t m_firstUs;
    int64_t m_lastUs;
};

} // namespace qvhost
