// The summary the metadata benchmarks end with: each figure as a multiple of the bare parse measured in the same run.
#include "ratio_table.h"

#include <cstdio>
#include <optional>
#include <string>

#include "camera_document.h"
#include "table_cell.h"

namespace tesh::bench {

namespace {

constexpr char kHeader[]
    = "objects   bytes   (a) us  (b)/(a)  (b')/(a)  (b'')/(a)  scan/(a)  (c)/(a)  (c)cpu/(a)  (c')/(a)  (d)/(a)  "
      "(c) within %.1fx (a)\n";
constexpr char kRow[] = "%7d  %6zu  %7s  %7s  %8s  %9s  %8s  %7s  %10s  %8s  %7s  %s\n";

std::string formattedRatio(std::optional<double> figure, std::optional<double> base)
{
    if (!figure || !base || *base <= 0)
        return "-";
    return formatted(*figure / *base, "%.2f");
}

const char* verdict(std::optional<double> push, std::optional<double> bare)
{
    if (!push || !bare)
        return "-";
    return *push <= kPushCallGoal * *bare ? "met" : "MISSED";
}

void printLegend(std::ostream& out)
{
    out << "\nRatios to (a), from the real times of this run (manual times for (c), (c') and (d)); medians of the "
           "repetitions:\n"
           "  (a)    bare rapidxml parse: copy into a reused buffer, clear() and parse a reused document\n"
           "  (b)    MetadataParser::parse, copy and parse of a packet with a reused parser, as a pass parses its own\n"
           "  (b')   parseMetadataStream on a reused buffer and document, without the parser's copy and checks\n"
           "  (b'')  the same on a stack as deep as a pass worker's, as a pass parses: rapidxml first, then the\n"
           "         nesting checked on its elements, without the scan\n"
           "  scan   scanMarkup, the pre-scan that parseMetadataStream runs before rapidxml\n"
           "  (c)    the host's push call doPushDataPacket, the agent idle: copy, and enqueue of the pass that parses\n"
           "  (c)cpu the processor time of the pushing thread during (c); the rest of (c) it was off the processor\n"
           "  (c')   the same call while a pass is under way: parse with a parser of the call's own, then queue the\n"
           "         document (it carries notifications), the oldest waiting one going once the queue is full\n"
           "  (d)    a whole pass, the agent idle: from just before the push call to the delivery of the document's "
           "last\n"
           "         packet, the parse on the pass's worker included;\n"
           "         the pool may deliver it before the preempted pushing thread returns, so (d) can be below (c)\n\n";
}

void printRow(const CapturingReporter& times, int objectCount, std::ostream& out)
{
    const std::string args = std::string(kObjectsArgName) + ":" + std::to_string(objectCount);
    const std::optional<double> bare = times.microseconds(kBareParseName, args);
    const std::optional<double> push = times.microseconds(kPushCallName, args);
    char line[224];
    std::snprintf(line, sizeof(line), kRow, objectCount, cameraDocument(objectCount).size(),
        formatted(bare, "%.2f").c_str(), formattedRatio(times.microseconds(kParserParseName, args), bare).c_str(),
        formattedRatio(times.microseconds(kStreamParseName, args), bare).c_str(),
        formattedRatio(times.microseconds(kDeepStreamParseName, args), bare).c_str(),
        formattedRatio(times.microseconds(kNestingScanName, args), bare).c_str(), formattedRatio(push, bare).c_str(),
        formattedRatio(times.counter(kPushCallName, args, kPushCpuCounter), bare).c_str(),
        formattedRatio(times.microseconds(kBusyPushCallName, args), bare).c_str(),
        formattedRatio(times.microseconds(kWholePassName, args), bare).c_str(), verdict(push, bare));
    out << line;
}

void printContext(const CapturingReporter& times, std::ostream& out)
{
    out << "\nContained in (c) and (d), measured in the same run:\n"
        << "  enqueue on an idle pool of one worker, the call alone (it wakes the worker): "
        << formatted(times.microseconds(kEnqueueCallName, ""), "%.2f") << " us\n"
        << "  hand-off to such a pool and back (enqueue, wait for the future): "
        << formatted(times.microseconds(kHandOffName, ""), "%.2f") << " us\n"
        << "  one line of the agent's log on this process's standard error: "
        << formatted(times.microseconds(kLogLineName, ""), "%.2f") << " us"
        << " (the push call writes 2, each delivery 1)\n";
}

} // namespace

void printRatioTable(const CapturingReporter& times, const std::vector<int>& objectCounts, std::ostream& out)
{
    printLegend(out);
    char header[192];
    std::snprintf(header, sizeof(header), kHeader, kPushCallGoal);
    out << header;
    for (const int objectCount: objectCounts)
        printRow(times, objectCount, out);
    printContext(times, out);
}

} // namespace tesh::bench
