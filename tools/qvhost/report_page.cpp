// Putting the report page together: its heading, its sections, its style and its script.
#include "report_page.h"

#include <map>

#include "host_error.h"
#include "html_text.h"
#include "report_content.h"
#include "report_summary.h"
#include "scene_script.h"
#include "scene_view.h"
#include "time_axis.h"
#include "timing_strip.h"
#include "track_timeline.h"

namespace qvhost {
namespace {

const char kStyle[] = R"css(
:root { --ink: #1d2330; --muted: #5b6473; --rule: #d8dde6; --panel: #f4f6fa; --cursor: #f5a623; }
* { box-sizing: border-box; }
body { margin: 0 auto; max-width: 1280px; padding: 18px 28px 36px; color: var(--ink); background: #ffffff;
    font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
h1 { font-size: 22px; margin: 0 0 2px; }
h2 { font-size: 16px; margin: 24px 0 8px; padding-bottom: 4px; border-bottom: 1px solid var(--rule); }
h3 { font-size: 14px; margin: 14px 0 6px; }
.subtitle { color: var(--muted); margin: 0 0 6px; }
dl.camera { display: flex; flex-wrap: wrap; gap: 2px 20px; margin: 0; }
dl.camera div { display: flex; gap: 6px; }
dl.camera dt { color: var(--muted); }
dl.camera dd { margin: 0; font-weight: 600; }
.tables { display: flex; flex-wrap: wrap; gap: 14px; align-items: flex-start; }
table { border-collapse: collapse; background: var(--panel); border-radius: 6px; }
caption { text-align: left; font-weight: 600; padding: 0 0 4px; }
th, td { padding: 3px 10px; font-weight: normal; }
tbody th { text-align: left; white-space: nowrap; }
td { text-align: right; font-variant-numeric: tabular-nums; }
thead th { color: var(--muted); font-size: 12px; text-align: right; }
.swatch { display: inline-block; width: 10px; height: 10px; border-radius: 2px; margin-right: 6px; }
.scene { display: flex; gap: 16px; align-items: flex-start; }
.frame-column { flex: 1 1 auto; min-width: 0; }
#frame { width: 100%; height: auto; display: block; border-radius: 6px; }
.frame-background { fill: #20252e; }
.box rect { fill: none; stroke-width: 5; }
.box text { font: 600 30px system-ui, sans-serif; paint-order: stroke; stroke: #20252e; stroke-width: 6px; }
#frame-note { fill: #ff8a80; font: 600 40px system-ui, sans-serif; text-anchor: middle; }
.controls { display: flex; align-items: center; gap: 12px; margin-top: 8px; }
#slider { flex: 1; }
#position { min-width: 330px; font-variant-numeric: tabular-nums; }
aside { flex: 0 0 300px; max-height: 560px; overflow: auto; background: var(--panel); border-radius: 6px;
    padding: 8px 12px; }
aside h3 { margin-top: 0; }
#best-shots { list-style: none; padding: 0; margin: 0; }
#best-shots li { padding: 4px 6px; border-radius: 4px; }
#best-shots li.in-frame { background: #fff1c2; }
#best-shots code { display: block; font-size: 11px; color: var(--muted); word-break: break-all; }
.time { font-variant-numeric: tabular-nums; color: var(--muted); margin-right: 4px; }
.hint { color: var(--muted); font-size: 12px; margin: 4px 0; }
.legend span { margin-right: 12px; white-space: nowrap; }
.mark { display: inline-block; width: 10px; height: 10px; margin-right: 6px; }
.best-shot-mark { border-radius: 50%; border: 2px solid var(--ink); background: #ffffff; }
.event-mark { background: var(--ink); transform: rotate(45deg) scale(0.8); }
.scroll { max-height: 60vh; overflow-y: auto; }
svg.chart { width: 100%; height: auto; display: block; cursor: crosshair; }
.grid line { stroke: #e6e9ef; }
.grid text { fill: #8a93a3; font-size: 11px; text-anchor: middle; }
.row-label { font-size: 12px; text-anchor: end; fill: var(--ink); }
.scale { font-size: 10px; text-anchor: end; fill: #8a93a3; }
.best-shot { fill: #ffffff; stroke: var(--ink); stroke-width: 2; }
.event { fill: var(--ink); }
.event:hover, .best-shot:hover, .count:hover { stroke: var(--cursor); stroke-width: 3; }
.count-line { fill: none; stroke: var(--ink); stroke-width: 1.5; }
.count { fill: var(--ink); }
.call-bar { stroke: #8c9ab3; stroke-width: 2; }
.latency-bar { stroke: #1f77b4; stroke-width: 2; }
.dropped-mark { stroke: #d62728; stroke-width: 2; }
.refused-mark { stroke: #7b1fa2; stroke-width: 2; }
.decade { stroke: #e6e9ef; stroke-dasharray: 3 3; }
.cursor { stroke: var(--cursor); stroke-width: 2; pointer-events: none; }
footer { color: var(--muted); font-size: 12px; margin-top: 24px; }
)css";

/** The heading names this many inputs at most; a replay of a whole directory's files names the rest by count. */
constexpr size_t kMaxNamedInputs = 4;

/** "a.xml, b.xml x 3 and 5 more": each input once, with how often it was given. */
std::string inputsText(const std::vector<std::string>& inputs)
{
    std::vector<std::pair<std::string, int>> counted;
    std::map<std::string, size_t> indexOf;
    for (const std::string& input: inputs)
    {
        const auto [found, isNew] = indexOf.emplace(input, counted.size());
        if (isNew)
            counted.emplace_back(input, 0);
        ++counted[found->second].second;
    }
    std::string text;
    for (size_t i = 0; i < counted.size() && i < kMaxNamedInputs; ++i)
    {
        text += (i == 0 ? "" : ", ") + counted[i].first;
        if (counted[i].second > 1)
            text += " \xC3\x97 " + std::to_string(counted[i].second);
    }
    if (counted.size() > kMaxNamedInputs)
        text += " and " + std::to_string(counted.size() - kMaxNamedInputs) + " more";
    return text;
}

std::string heading(const ReportInput& input, const TimeAxis& axis)
{
    std::string html = "<header><h1>What the plug-in handed the host</h1><p class=\"subtitle\">A replay of "
        + escaped(inputsText(input.inputs)) + ": " + std::to_string(input.documents.size()) + " documents, "
        + fixed(axis.seconds(input.documents.empty() ? axis.firstUs() : input.documents.back().passTimestampUs), 1)
        + " s from the first to the last.</p><dl class=\"camera\">";
    for (const auto& [label, value]: input.camera)
        html += "<div><dt>" + escaped(label) + "</dt><dd>" + escaped(value) + "</dd></div>";
    return html + "</dl></header>";
}

} // namespace

std::string reportPage(const ReportInput& input)
{
    const ReportContent content = reportContent(input.documents);
    const TimeAxis axis(content.firstUs, content.lastUs);
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"/>"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/><title>qvhost replay of "
        + escaped(inputsText(input.inputs)) + "</title><style>" + kStyle + "</style></head><body>"
        + heading(input, axis) + "\n" + summarySection(input.summary, content) + "\n"
        + sceneSection(input.documents, content, axis) + "\n" + timelineSection(content, axis) + "\n"
        + timingSection(input.documents, axis) + "\n<footer>Written by qvhost replay --report from the same packets it writes with --output.</footer>"
          "<script>//<![CDATA[\n"
        + kSceneScript + "//]]>\n</script></body></html>\n";
}

ReportFile::ReportFile(const std::string& path): m_path(path), m_file(path, std::ios::binary | std::ios::trunc)
{
    if (!m_file)
        throw HostError(kBadUse, "cannot write '" + path + "'");
}

size_t ReportFile::write(const ReportInput& input)
{
    const std::string page = reportPage(input);
    m_file << page;
    m_file.close();
    if (!m_file)
        throw HostError(kBadUse, "cannot write '" + m_path + "'");
    return page.size();
}

} // namespace qvhost
