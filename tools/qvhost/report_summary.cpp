// Writing the summary's tables.
#include "report_summary.h"

#include <vector>

#include "html_text.h"

namespace qvhost {
namespace {

struct Row
{
    std::string label; //< As the printed summary has it.
    std::string heading; //< As the page shows it; may hold markup.
    std::vector<int64_t> values;
    std::vector<std::string> shownValues;
};

std::string rowHtml(const Row& row)
{
    std::string values;
    for (const int64_t value: row.values)
        values += (values.empty() ? "" : " ") + std::to_string(value);
    std::string html
        = "<tr data-label=\"" + escaped(row.label) + "\" data-values=\"" + values + "\"><th>" + row.heading + "</th>";
    for (const std::string& shown: row.shownValues)
        html += "<td>" + escaped(shown) + "</td>";
    return html + "</tr>";
}

std::string table(const std::string& caption, const std::vector<std::string>& columns, const std::vector<Row>& rows)
{
    std::string html = "<table><caption>" + escaped(caption) + "</caption>";
    if (!columns.empty())
    {
        html += "<thead><tr>";
        for (const std::string& column: columns)
            html += "<th>" + escaped(column) + "</th>";
        html += "</tr></thead>";
    }
    html += "<tbody>";
    for (const Row& row: rows)
        html += rowHtml(row);
    return html + "</tbody></table>";
}

Row countRow(const LabelledCount& count)
{
    return {count.label, escaped(count.label), {count.count}, {std::to_string(count.count)}};
}

std::vector<Row> countRows(const std::vector<LabelledCount>& counts)
{
    std::vector<Row> rows;
    for (const LabelledCount& count: counts)
        rows.push_back(countRow(count));
    return rows;
}

/** A type's short name, its full id on hover, and the colour its tracks have on the timeline. */
std::string typeHeading(const std::string& typeId, const std::string& colour)
{
    return "<span class=\"swatch\" style=\"background:" + colour + "\"></span><span title=\"" + escaped(typeId) + "\">"
        + escaped(shortTypeName(typeId)) + "</span>";
}

std::vector<Row> objectRows(const ReplaySummary& summary, const ReportContent& content)
{
    std::vector<Row> rows;
    for (const ObjectTypeCount& count: summary.objectsByType)
    {
        rows.push_back({count.typeId, typeHeading(count.typeId, typeColour(content, count.typeId)),
            {count.tracks, count.observations}, {std::to_string(count.tracks), std::to_string(count.observations)}});
    }
    return rows;
}

std::vector<Row> eventRows(const ReplaySummary& summary)
{
    std::vector<Row> rows;
    for (const LabelledCount& count: summary.eventsByType)
    {
        Row row = countRow(count);
        row.heading = "<span title=\"" + escaped(count.label) + "\">" + escaped(shortTypeName(count.label)) + "</span>";
        rows.push_back(row);
    }
    return rows;
}

std::vector<Row> timeRows(const ReplaySummary& summary)
{
    std::vector<Row> rows;
    for (const LabelledPercentiles& time: summary.timesUs)
    {
        rows.push_back({time.label, escaped(time.label.substr(0, time.label.find(" ("))), {time.median, time.p99},
            {durationText(time.median), durationText(time.p99)}});
    }
    return rows;
}

} // namespace

std::string summarySection(const ReplaySummary& summary, const ReportContent& content)
{
    return "<section id=\"summary\"><h2>Summary</h2><div class=\"tables\">"
        + table("Documents", {}, countRows(summary.documents))
        + table("Packets by kind", {}, countRows(summary.packetsByKind))
        + table("Objects by type", {"", "tracks", "observations"}, objectRows(summary, content))
        + table("Events by type", {}, eventRows(summary))
        + table("Timing", {"", "median", "99th pct."}, timeRows(summary)) + "</div></section>";
}

} // namespace qvhost
