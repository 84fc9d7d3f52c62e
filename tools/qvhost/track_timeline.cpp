// Writing the track timeline, the event markers and the line count charts.
#include "track_timeline.h"

#include <algorithm>
#include <map>

#include "html_text.h"

namespace qvhost {
namespace {

/** In SVG units, as the 12-unit row labels need them: a row a little taller than its label, its bar shorter. */
constexpr double kRowHeight = 18;
constexpr double kBarHeight = 10;

/** Room above the first row for the time labels. */
constexpr double kAxisHeight = 22;

/** A count chart tall enough to tell its steps apart up to a few dozen, with a gap to the next line's. */
constexpr double kLineChartHeight = 56;
constexpr double kLineChartGap = 14;

/** A bar of a track seen once would be invisible at its true width of zero. */
constexpr double kMinBarWidth = 3;

std::string svgOpen(const std::string& id, double height)
{
    return "<svg class=\"chart\" id=\"" + id + "\" viewBox=\"0 0 " + fixed(kChartWidth, 0) + " " + fixed(height, 0)
        + "\">";
}

std::string cursor(double height)
{
    return "<line class=\"cursor\" x1=\"-10\" x2=\"-10\" y1=\"0\" y2=\"" + fixed(height, 0) + "\"/>";
}

std::string rowLabel(double y, const std::string& text, const std::string& title)
{
    return "<text class=\"row-label\" x=\"" + fixed(kChartLabelWidth - 8, 0) + "\" y=\"" + fixed(y + 4, 1) + "\">"
        + "<title>" + escaped(title) + "</title>" + escaped(text) + "</text>";
}

std::string timeText(const TimeAxis& axis, int64_t timestampUs)
{
    return fixed(axis.seconds(timestampUs), 1) + " s";
}

std::string trackRow(const ReportContent& content, const Track& track, const TimeAxis& axis, double y)
{
    const std::string name
        = shortTypeName(track.typeId.empty() ? "unknown type" : track.typeId) + " " + shortTrackId(track.trackId);
    const double left = axis.x(track.firstUs);
    const double width = std::max(kMinBarWidth, axis.x(track.lastUs) - left);
    std::string svg = "<g class=\"track\" data-track=\"" + escaped(track.trackId) + "\" data-type=\""
        + escaped(track.typeId) + "\">" + rowLabel(y, name, track.typeId + " " + track.trackId)
        + "<rect class=\"bar\" x=\"" + fixed(left, 1) + "\" y=\"" + fixed(y - kBarHeight / 2, 1) + "\" width=\""
        + fixed(width, 1) + "\" height=\"" + fixed(kBarHeight, 0) + "\" rx=\"3\" fill=\""
        + typeColour(content, track.typeId) + "\"><title>" + escaped(name) + ": " + timeText(axis, track.firstUs)
        + " to " + timeText(axis, track.lastUs) + ", " + std::to_string(track.observations)
        + " observations</title></rect>";
    for (const BestShot& shot: track.bestShots)
    {
        svg += "<circle class=\"best-shot\" cx=\"" + fixed(axis.x(shot.timestampUs), 1) + "\" cy=\"" + fixed(y, 1)
            + "\" r=\"5\"><title>best shot at " + timeText(axis, shot.timestampUs) + ": " + escaped(shot.imageUrl)
            + "</title></circle>";
    }
    return svg + "</g>";
}

std::string tracksChart(const ReportContent& content, const TimeAxis& axis)
{
    const double height = kAxisHeight + kRowHeight * static_cast<double>(std::max<size_t>(content.tracks.size(), 1));
    std::string svg = svgOpen("tracks", height) + axis.grid(kAxisHeight, height, true);
    double y = kAxisHeight + kRowHeight / 2;
    for (const Track& track: content.tracks)
    {
        svg += trackRow(content, track, axis, y);
        y += kRowHeight;
    }
    return svg + cursor(height) + "</svg>";
}

std::string eventMarker(const EventMark& event, const TimeAxis& axis, double y)
{
    const double x = axis.x(event.timestampUs);
    return "<path class=\"event\" data-type=\"" + escaped(event.typeId) + "\" data-time-us=\""
        + std::to_string(event.timestampUs) + "\" d=\"M" + fixed(x, 1) + " " + fixed(y - 6, 1) + "l5 6l-5 6l-5 -6z\">"
        + "<title>" + timeText(axis, event.timestampUs) + " " + escaped(event.caption) + ": "
        + escaped(event.description) + "</title></path>";
}

std::string eventsChart(const ReportContent& content, const TimeAxis& axis)
{
    std::map<std::string, size_t> rowOfType;
    for (const EventMark& event: content.events)
        rowOfType.emplace(event.typeId, 0);
    size_t row = 0;
    for (auto& [typeId, index]: rowOfType)
        index = row++;
    const double height = kAxisHeight + kRowHeight * static_cast<double>(std::max<size_t>(rowOfType.size(), 1));
    std::string svg = svgOpen("events", height) + axis.grid(kAxisHeight, height, true);
    for (const auto& [typeId, index]: rowOfType)
    {
        const double y = kAxisHeight + kRowHeight * (static_cast<double>(index) + 0.5);
        svg += rowLabel(y, typeId.empty() ? "(no type)" : shortTypeName(typeId), typeId);
    }
    for (const EventMark& event: content.events)
    {
        const double y = kAxisHeight + kRowHeight * (static_cast<double>(rowOfType[event.typeId]) + 0.5);
        svg += eventMarker(event, axis, y);
    }
    return svg + cursor(height) + "</svg>";
}

/** The count as a step line: it holds its value until the next event changes it. */
std::string lineChart(const LineSeries& series, const TimeAxis& axis, double top)
{
    int64_t highest = 1;
    for (const CountPoint& point: series.points)
        highest = std::max(highest, point.count);
    const auto y = [&](int64_t count) {
        return top + kLineChartHeight * (1 - static_cast<double>(count) / static_cast<double>(highest));
    };
    std::string svg = rowLabel(top + kLineChartHeight / 2, series.label + " count", series.label)
        + "<text class=\"scale\" x=\"" + fixed(kChartLabelWidth - 8, 0) + "\" y=\"" + fixed(top + 8, 1) + "\">"
        + std::to_string(highest) + "</text><text class=\"scale\" x=\"" + fixed(kChartLabelWidth - 8, 0) + "\" y=\""
        + fixed(top + kLineChartHeight, 1) + "\">0</text>";
    std::string path;
    for (const CountPoint& point: series.points)
    {
        const std::string x = fixed(axis.x(point.timestampUs), 1);
        path += (path.empty() ? "M" + x + " " : "H" + x + "V") + fixed(y(point.count), 1);
        svg += "<circle class=\"count\" cx=\"" + x + "\" cy=\"" + fixed(y(point.count), 1) + "\" r=\"3\"><title>"
            + escaped(series.label) + ": " + std::to_string(point.count) + " at " + timeText(axis, point.timestampUs)
            + "</title></circle>";
    }
    if (!path.empty())
        path += "H" + fixed(axis.x(axis.lastUs()), 1);
    return "<path class=\"count-line\" d=\"" + path + "\"/>" + svg;
}

std::string lineCharts(const ReportContent& content, const TimeAxis& axis)
{
    const double height = kAxisHeight
        + (kLineChartHeight + kLineChartGap) * static_cast<double>(std::max<size_t>(content.lines.size(), 1));
    std::string svg = svgOpen("line-counts", height) + axis.grid(kAxisHeight, height, true);
    double top = kAxisHeight + kLineChartGap / 2;
    for (const LineSeries& series: content.lines)
    {
        svg += lineChart(series, axis, top);
        top += kLineChartHeight + kLineChartGap;
    }
    return svg + cursor(height) + "</svg>";
}

std::string legend(const ReportContent& content)
{
    std::string html = "<p class=\"legend\">";
    for (const std::string& typeId: content.typeIds)
    {
        html += "<span><span class=\"swatch\" style=\"background:" + typeColour(content, typeId) + "\"></span>"
            + escaped(shortTypeName(typeId)) + "</span>";
    }
    return html + "<span><span class=\"mark best-shot-mark\"></span>best shot</span>"
                  "<span><span class=\"mark event-mark\"></span>event (hover for its text)</span></p>";
}

} // namespace

std::string timelineSection(const ReportContent& content, const TimeAxis& axis)
{
    std::string html = "<section id=\"timeline\"><h2>Tracks</h2>" + legend(content)
        + "<p class=\"hint\">One row per track id, from its first to its last appearance.</p><div class=\"scroll\">"
        + tracksChart(content, axis) + "</div><h2>Events</h2>" + eventsChart(content, axis);
    if (!content.lines.empty())
        html += "<h3>Line counts</h3>" + lineCharts(content, axis);
    return html + "</section>";
}

} // namespace qvhost
