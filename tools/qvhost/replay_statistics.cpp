// Gathering a replay's figures as packets come back, and telling them at the end.
#include "replay_statistics.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "line_count_event.h"

namespace qvhost {
namespace {

constexpr char kHumanTypeId[] = "tesh.qv.Human";
constexpr char kTamperingTypeId[] = "tesh.qv.Tampering";
constexpr char kSettingChangedTypeId[] = "tesh.qv.SettingChanged";

/** The box colour the server draws an object with; the plug-in turns it red while a region event holds. */
constexpr char kColorAttribute[] = "tesh.sys.color";

int64_t microseconds(Clock::duration duration)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
}

/** Nearest rank; 0 for no values. */
int64_t percentile(std::vector<int64_t> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(fraction * static_cast<double>(values.size()) + 0.999999);
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

std::string attributeValue(const Json& item, const char* name)
{
    for (const Json& attribute: item.value("attributes", Json::array()))
    {
        if (attribute.value("name", "") == name)
            return attribute.value("value", "");
    }
    return "";
}

/** "tesh.qv.Car" -> "Car". */
std::string shortType(const std::string& typeId)
{
    const size_t dot = typeId.rfind('.');
    return dot == std::string::npos ? typeId : typeId.substr(dot + 1);
}

/** "tesh.qv.Car" and 2 -> "2 cars"; people and buses as English has them. */
std::string counted(const std::string& typeId, size_t count)
{
    std::string noun = typeId == kHumanTypeId ? "person" : shortType(typeId);
    std::transform(noun.begin(), noun.end(), noun.begin(), [](unsigned char c) { return std::tolower(c); });
    if (count != 1)
        noun = noun == "person" ? "people" : noun == "bus" ? "buses" : noun + "s";
    return std::to_string(count) + " " + noun;
}

} // namespace

void ReplayStatistics::pushStarting(int64_t passTimestampUs, DocumentShape shape, Clock::time_point pushStart)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Document& document = m_documents[passTimestampUs];
    document.shape = shape;
    document.pushStart = pushStart;
    m_latestPassTimestampUs = passTimestampUs;
}

void ReplayStatistics::pushReturned(int64_t passTimestampUs, Clock::duration call, bool refused)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Document& document = m_documents[passTimestampUs];
    document.call = call;
    document.refused = refused;
}

void ReplayStatistics::packetReceived(const Json& packet, Clock::time_point arrival)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lastArrival = arrival;
    const std::string kind = packet.value("kind", "other");
    ++m_packetsByKind[kind];
    // A best shot, and an object packet that holds one, may carry the time of the object's first appearance
    // instead of its document's; it can only come from the pass in flight, that of the latest document pushed.
    auto document = m_documents.find(packet.value("timestampUs", int64_t{-1}));
    if (document == m_documents.end())
        document = m_documents.find(m_latestPassTimestampUs);
    if (document != m_documents.end())
    {
        if (kind == "objects" || kind == "events")
        {
            document->second.converted = true;
            document->second.latency = std::max(document->second.latency, arrival - document->second.pushStart);
        }
        if (m_keepPackets)
            document->second.packets.push_back(packet);
    }
    countItems(packet);
}

void ReplayStatistics::countItems(const Json& packet)
{
    if (packet.value("kind", "") == "bestShot")
        m_bestShotTracks.insert(packet.value("trackId", ""));
    for (const Json& object: packet.value("objects", Json::array()))
    {
        TypeCount& count = m_objectsByType[object.value("typeId", "")];
        count.tracks.insert(object.value("trackId", ""));
        ++count.observations;
        if (attributeValue(object, kColorAttribute) == "Red")
            m_redTracks.insert(object.value("trackId", ""));
    }
    for (const Json& event: packet.value("events", Json::array()))
    {
        const std::string typeId = event.value("typeId", "");
        ++m_eventsByType[typeId];
        if (typeId == kTamperingTypeId)
            m_tamperingTimestamps.push_back(packet.value("timestampUs", int64_t{0}));
        if (typeId != kLineCountingTypeId)
            continue;
        const LineCount lineCount = lineCountOf(event.value("description", ""));
        int64_t& highest = m_highestLineCounts[lineLabel(lineCount)];
        highest = std::max(highest, lineCount.count);
    }
}

Clock::time_point ReplayStatistics::lastArrival() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastArrival;
}

/** Called with the lock held. */
std::vector<DocumentOutcome> ReplayStatistics::outcomes() const
{
    std::vector<DocumentOutcome> outcomes;
    Clock::time_point lastEarlierArrival;
    for (const auto& [timestamp, document]: m_documents)
    {
        if (document.converted)
            outcomes.push_back(
                lastEarlierArrival > document.pushStart ? DocumentOutcome::queued : DocumentOutcome::converted);
        else if (document.refused || !document.shape.readable)
            outcomes.push_back(DocumentOutcome::refused);
        else
            outcomes.push_back(
                document.shape.hasContent ? DocumentOutcome::droppedWhileBusy : DocumentOutcome::nothingToConvert);
        if (document.converted)
            lastEarlierArrival = std::max(lastEarlierArrival, document.pushStart + document.latency);
    }
    return outcomes;
}

ReplaySummary ReplayStatistics::summary() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::map<DocumentOutcome, int64_t> counts;
    for (const DocumentOutcome outcome: outcomes())
        ++counts[outcome];
    std::vector<int64_t> calls;
    std::vector<int64_t> latencies;
    for (const auto& [timestamp, document]: m_documents)
    {
        calls.push_back(microseconds(document.call));
        if (document.converted)
            latencies.push_back(microseconds(document.latency));
    }
    ReplaySummary summary;
    summary.documents = {{"documents pushed", static_cast<int64_t>(m_documents.size())}};
    for (const OutcomeLabel& outcome: kOutcomeLabels)
        summary.documents.push_back({outcome.label, counts[outcome.outcome]});
    for (const auto& [kind, count]: m_packetsByKind)
        summary.packetsByKind.push_back({kind, count});
    for (const auto& [typeId, count]: m_objectsByType)
        summary.objectsByType.push_back({typeId, static_cast<int64_t>(count.tracks.size()), count.observations});
    for (const auto& [typeId, count]: m_eventsByType)
        summary.eventsByType.push_back({typeId.empty() ? "(no type)" : typeId, count});
    summary.timesUs = {
        {"push call (us)", percentile(calls, 0.5), percentile(calls, 0.99)},
        {"push to delivery (us)", percentile(latencies, 0.5), percentile(latencies, 0.99)},
    };
    return summary;
}

std::vector<DocumentRecord> ReplayStatistics::takeDocuments()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<DocumentRecord> records;
    records.reserve(m_documents.size());
    const std::vector<DocumentOutcome> outcomesInOrder = outcomes();
    for (auto& [timestamp, document]: m_documents)
    {
        const DocumentOutcome outcome = outcomesInOrder[records.size()];
        records.push_back({static_cast<int>(records.size()) + 1, timestamp, outcome, microseconds(document.call),
            document.converted ? microseconds(document.latency) : 0, std::move(document.packets)});
        document.packets.clear();
    }
    return records;
}

void ReplayStatistics::printSummary(std::FILE* out, int64_t firstTimestampUs) const
{
    const ReplaySummary figures = summary();
    std::fprintf(out, "Summary\n");
    for (const LabelledCount& count: figures.documents)
        std::fprintf(out, "  %-24s%8lld\n", count.label.c_str(), static_cast<long long>(count.count));
    std::fprintf(out, "  packets\n");
    for (const LabelledCount& count: figures.packetsByKind)
        std::fprintf(out, "    %-22s%8lld\n", count.label.c_str(), static_cast<long long>(count.count));
    std::fprintf(out, "  objects                  tracks  observations\n");
    for (const ObjectTypeCount& count: figures.objectsByType)
    {
        std::fprintf(out, "    %-22s%8lld  %12lld\n", count.typeId.c_str(), static_cast<long long>(count.tracks),
            static_cast<long long>(count.observations));
    }
    std::fprintf(out, "  events\n");
    for (const LabelledCount& count: figures.eventsByType)
        std::fprintf(out, "    %-22s%8lld\n", count.label.c_str(), static_cast<long long>(count.count));
    for (const LabelledPercentiles& time: figures.timesUs)
    {
        std::fprintf(out, "  %-25smedian %8lld  p99 %8lld\n", time.label.c_str(), static_cast<long long>(time.median),
            static_cast<long long>(time.p99));
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    printAccount(out, firstTimestampUs);
}

void ReplayStatistics::printAccount(std::FILE* out, int64_t firstTimestampUs) const
{
    std::fprintf(out, "What the plug-in saw:\n");
    for (const auto& [typeId, count]: m_objectsByType)
    {
        int withBestShot = 0;
        for (const std::string& track: count.tracks)
            withBestShot += m_bestShotTracks.count(track) ? 1 : 0;
        std::fprintf(out, "  %s", counted(typeId, count.tracks.size()).c_str());
        if (withBestShot > 0)
            std::fprintf(out, ", %d with a best shot", withBestShot);
        std::fprintf(out, "\n");
    }
    for (const auto& [line, count]: m_highestLineCounts)
        std::fprintf(out, "  %s counted up to %lld\n", line.c_str(), static_cast<long long>(count));
    std::string regionEvents;
    for (const auto& [typeId, count]: m_eventsByType)
    {
        if (typeId.empty() || typeId == kLineCountingTypeId || typeId == kTamperingTypeId
            || typeId == kSettingChangedTypeId)
        {
            continue;
        }
        regionEvents += (regionEvents.empty() ? "" : ", ") + shortType(typeId) + " " + std::to_string(count);
    }
    if (!regionEvents.empty())
        std::fprintf(out, "  region events: %s\n", regionEvents.c_str());
    if (!m_redTracks.empty())
        std::fprintf(out, "  %zu object%s highlighted red after a region event\n", m_redTracks.size(),
            m_redTracks.size() == 1 ? "" : "s");
    for (const int64_t timestamp: m_tamperingTimestamps)
        std::fprintf(out, "  tampering at %.1f s\n", static_cast<double>(timestamp - firstTimestampUs) / 1e6);
    if (const auto changes = m_eventsByType.find(kSettingChangedTypeId); changes != m_eventsByType.end())
        std::fprintf(out, "  the camera reported changed settings %d time%s\n", changes->second,
            changes->second == 1 ? "" : "s");
}

} // namespace qvhost
