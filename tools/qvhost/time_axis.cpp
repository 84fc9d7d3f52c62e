// Placing times on the report's charts and marking round seconds.
#include "time_axis.h"

#include <algorithm>
#include <cmath>

#include "html_text.h"

namespace qvhost {
namespace {

/** About this many grid lines across the width: enough to read a time off, few enough to leave the bars clear. */
constexpr double kTargetTicks = 12;

/** 1, 2 or 5 times a power of ten seconds, giving about kTargetTicks lines over the span. */
double tickStepSeconds(double spanSeconds)
{
    const double rough = spanSeconds / kTargetTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor: {1.0, 2.0, 5.0})
    {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

} // namespace

TimeAxis::TimeAxis(int64_t firstUs, int64_t lastUs): m_firstUs(firstUs), m_lastUs(std::max(lastUs, firstUs + 1'000'000))
{}

double TimeAxis::x(int64_t timestampUs) const
{
    const double plotWidth = kChartWidth - kChartLabelWidth - kChartRightMargin;
    return kChartLabelWidth + plotWidth * seconds(timestampUs) / seconds(m_lastUs);
}

double TimeAxis::seconds(int64_t timestampUs) const
{
    return static_cast<double>(timestampUs - m_firstUs) / 1e6;
}

std::string TimeAxis::grid(double top, double bottom, bool labelled) const
{
    const double span = seconds(m_lastUs);
    const double step = tickStepSeconds(span);
    const int decimals = step < 1 ? 1 : 0;
    std::string svg = "<g class=\"grid\">";
    for (int tick = 0; tick * step <= span * (1 + 1e-9); ++tick)
    {
        const double second = tick * step;
        const std::string at = fixed(x(m_firstUs + std::llround(second * 1e6)), 1);
        svg += "<line x1=\"" + at + "\" x2=\"" + at + "\" y1=\"" + fixed(top, 1) + "\" y2=\"" + fixed(bottom, 1)
            + "\"/>";
        if (labelled)
            svg += "<text x=\"" + at + "\" y=\"" + fixed(top - 4, 1) + "\">" + fixed(second, decimals) + " s</text>";
    }
    return svg + "</g>";
}

} // namespace qvhost
