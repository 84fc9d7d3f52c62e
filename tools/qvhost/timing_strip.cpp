// Writing the timing strip.
#include "timing_strip.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "html_text.h"

namespace qvhost {
namespace {

/** In SVG units: a bar row spans 10 us to 1 s, five powers of ten, 13 units each; a mark row one 12-unit label. */
constexpr double kBarRowHeight = 64;
constexpr double kMarkRowHeight = 16;

/** Between rows, so that one row's top label stays clear of the row above. */
constexpr double kRowGap = 20;

/** Room above the first row for the time labels. */
constexpr double kAxisHeight = 22;

/**
 * Times span orders of magnitude, a call of 100 us beside a stall of 20 ms, so the bars grow with the logarithm:
 * from 10 us, below anything a push or a delivery takes, to at least 1 ms.
 */
constexpr double kFloorUs = 10;
constexpr double kMinTopUs = 1000;

/** The powers of ten are labelled at the right of the label column, the row's name left of them. */
constexpr double kDecadeLabelX = kChartLabelWidth - 6;

/**
 * Documents closer than this on the axis share one bar, the highest of them: a 10 000-document replay then draws
 * about a thousand bars, and a stall still shows at full height.
 */
constexpr double kColumnWidth = 1;

/** The value each column of the axis shows: the highest of its documents. */
std::map<long, int64_t> columns(const std::vector<DocumentRecord>& documents,
    const TimeAxis& axis,
    const std::function<int64_t(const DocumentRecord&)>& value)
{
    std::map<long, int64_t> highest;
    for (const DocumentRecord& document: documents)
    {
        const int64_t v = value(document);
        if (v < 0)
            continue;
        int64_t& column = highest[std::lround(axis.x(document.passTimestampUs) / kColumnWidth)];
        column = std::max(column, v);
    }
    return highest;
}

std::string label(double y, const std::string& text)
{
    return "<text class=\"row-label\" x=\"" + fixed(kChartLabelWidth - 8, 0) + "\" y=\"" + fixed(y, 1) + "\">"
        + escaped(text) + "</text>";
}

/** "10 us", "1 ms", "100 ms", "1 s". */
std::string decadeText(double us)
{
    if (us < 1e3)
        return fixed(us, 0) + " us";
    return us < 1e6 ? fixed(us / 1e3, 0) + " ms" : fixed(us / 1e6, 0) + " s";
}

/** The top of a bar row: the first power of ten at or above the highest value, and at least kMinTopUs. */
double decadeTop(const std::map<long, int64_t>& bars)
{
    double top = kMinTopUs;
    for (const auto& [column, value]: bars)
    {
        while (top < static_cast<double>(value))
            top *= 10;
    }
    return top;
}

/** Bars that grow with the logarithm of the time, over faint lines at each power of ten, labelled on the left. */
std::string barRow(
    const std::string& name, const std::string& cssClass, const std::map<long, int64_t>& bars, double top)
{
    const double bottom = top + kBarRowHeight;
    const double decades = std::log10(decadeTop(bars) / kFloorUs);
    const auto height
        = [&](double us) { return kBarRowHeight * std::log10(std::max(us, kFloorUs) / kFloorUs) / decades; };
    std::string svg = "<text class=\"row-label\" x=\"" + fixed(kDecadeLabelX - 40, 0) + "\" y=\""
        + fixed(top + kBarRowHeight / 2 + 4, 1) + "\">" + escaped(name) + "</text>";
    for (double us = kFloorUs; us <= decadeTop(bars); us *= 10)
    {
        const std::string y = fixed(bottom - height(us), 1);
        svg += "<line class=\"decade\" x1=\"" + fixed(kChartLabelWidth, 0) + "\" x2=\""
            + fixed(kChartWidth - kChartRightMargin, 0) + "\" y1=\"" + y + "\" y2=\"" + y
            + "\"/><text class=\"scale\" x=\"" + fixed(kDecadeLabelX, 0) + "\" y=\"" + fixed(bottom - height(us) + 3, 1)
            + "\">" + decadeText(us) + "</text>";
    }
    std::string path;
    for (const auto& [column, value]: bars)
    {
        path += "M" + fixed(static_cast<double>(column) * kColumnWidth, 1) + " " + fixed(bottom, 1) + "v"
            + fixed(-std::max(1.0, height(static_cast<double>(value))), 1);
    }
    return svg + "<path class=\"" + cssClass + "\" d=\"" + path + "\"/>";
}

/** A tick for each document (or column of documents) that came to this outcome. */
std::string markRow(const std::vector<DocumentRecord>& documents,
    const TimeAxis& axis,
    DocumentOutcome outcome,
    const std::string& cssClass,
    double top)
{
    const auto count = std::count_if(documents.begin(), documents.end(),
        [&](const DocumentRecord& document) { return document.outcome == outcome; });
    const auto marks = columns(
        documents, axis, [&](const DocumentRecord& document) { return document.outcome == outcome ? 1 : -1; });
    std::string path;
    for (const auto& [column, value]: marks)
        path += "M" + fixed(static_cast<double>(column) * kColumnWidth, 1) + " " + fixed(top + 2, 1) + "v12";
    const std::string name = kOutcomeLabels[outcomeIndex(outcome)].label;
    return label(top + kMarkRowHeight / 2 + 4, name + " (" + std::to_string(count) + ")") + "<path class=\"" + cssClass
        + "\" data-count=\"" + std::to_string(count) + "\" d=\"" + path + "\"/>";
}

} // namespace

std::string timingSection(const std::vector<DocumentRecord>& documents, const TimeAxis& axis)
{
    const double height = kAxisHeight + 2 * (kBarRowHeight + kRowGap) + 2 * kMarkRowHeight + kRowGap;
    std::string svg = "<svg class=\"chart\" id=\"timing\" viewBox=\"0 0 " + fixed(kChartWidth, 0) + " "
        + fixed(height, 0) + "\">" + axis.grid(kAxisHeight, height, true);
    double top = kAxisHeight + kRowGap / 2;
    svg += barRow(
        "push call", "call-bar", columns(documents, axis, [](const DocumentRecord& d) { return d.callUs; }), top);
    top += kBarRowHeight + kRowGap;
    svg += barRow("push to delivery", "latency-bar",
        columns(documents, axis, [](const DocumentRecord& d) { return d.latencyUs > 0 ? d.latencyUs : -1; }), top);
    top += kBarRowHeight + kRowGap;
    svg += markRow(documents, axis, DocumentOutcome::droppedWhileBusy, "dropped-mark", top);
    svg += markRow(documents, axis, DocumentOutcome::refused, "refused-mark", top + kMarkRowHeight);
    return "<section id=\"timing-strip\"><h2>Timing</h2><p class=\"hint\">Each document's push call and the time "
           "from its push to its last packet (the highest where documents share a bar), and the documents that "
           "came to nothing.</p>"
        + svg + "<line class=\"cursor\" x1=\"-10\" x2=\"-10\" y1=\"0\" y2=\"" + fixed(height, 0)
        + "\"/></svg></section>";
}

} // namespace qvhost
