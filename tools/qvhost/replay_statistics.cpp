// Gathering a replay's figures as packets come back, and telling them at the end.
#include "replay_statistics.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace qvhost {
namespace {

constexpr char kHumanTypeId[] = "tesh.qv.Human";
constexpr char kLineCountingTypeId[] = "tesh.qv.LineCounting";
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

/** The number in "<label> : [n]" within a description, or -1. */
int64_t bracketedNumber(const std::string& description, const std::string& label)
{
    const size_t start = description.find(label + " : [");
    if (start == std::string::npos)
        return -1;
    int64_t value = 0;
    bool hasDigit = false;
    for (size_t i = start + label.size() + 4; i < description.size() && std::isdigit(static_cast<unsigned char>(description[i])); ++i)
    {
        value = std::min<int64_t>(value * 10 + (description[i] - '0'), INT32_MAX);
        hasDigit = true;
    }
    return hasDigit ? value : -1;
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

void ReplayStatistics::pushStarting(int64_t passTimestampUs, bool hasContent, Clock::time_point pushStart)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Document& document = m_documents[passTimestampUs];
    document.hasContent = hasContent;
    document.pushStart = pushStart;
    m_latestPassTimestampUs = passTimestampUs;
}

void ReplayStatistics::pushReturned(int64_t passTimestampUs, Clock::duration call)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_documents[passTimestampUs].call = call;
}

void ReplayStatistics::packetReceived(const Json& packet, Clock::time_point arrival)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lastArrival = arrival;
    const std::string kind = packet.value("kind", "other");
    ++m_packetsByKind[kind];
    if (kind == "objects" || kind == "events")
    {
        // An object packet that holds a best shot carries the time of the object's first appearance instead of
        // its document's; it can only come from the pass in flight, that of the latest document pushed.
        auto document = m_documents.find(packet.value("timestampUs", int64_t{-1}));
        if (document == m_documents.end())
            document = m_documents.find(m_latestPassTimestampUs);
        if (document != m_documents.end())
        {
            document->second.converted = true;
            document->second.latency = std::max(document->second.latency, arrival - document->second.pushStart);
        }
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
        const std::string description = event.value("description", "");
        const int64_t line = bracketedNumber(description, "Event Line");
        int64_t& highest = m_highestLineCounts["line " + (line < 0 ? std::string("?") : std::to_string(line))];
        highest = std::max(highest, bracketedNumber(description, "Count"));
    }
}

Clock::time_point ReplayStatistics::lastArrival() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastArrival;
}

void ReplayStatistics::printSummary(std::FILE* out, int64_t firstTimestampUs) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    int converted = 0;
    int dropped = 0;
    std::vector<int64_t> calls;
    std::vector<int64_t> latencies;
    for (const auto& [timestamp, document]: m_documents)
    {
        calls.push_back(microseconds(document.call));
        if (document.converted)
        {
            ++converted;
            latencies.push_back(microseconds(document.latency));
        }
        else if (document.hasContent)
        {
            ++dropped;
        }
    }
    const int pushed = static_cast<int>(m_documents.size());
    std::fprintf(out, "Summary\n");
    std::fprintf(out, "  documents pushed        %8d\n", pushed);
    std::fprintf(out, "  converted               %8d\n", converted);
    std::fprintf(out, "  dropped while busy      %8d\n", dropped);
    std::fprintf(out, "  nothing to convert      %8d\n", pushed - converted - dropped);
    std::fprintf(out, "  packets\n");
    for (const auto& [kind, count]: m_packetsByKind)
        std::fprintf(out, "    %-22s%8d\n", kind.c_str(), count);
    std::fprintf(out, "  objects                  tracks  observations\n");
    for (const auto& [typeId, count]: m_objectsByType)
        std::fprintf(out, "    %-22s%8zu  %12d\n", typeId.c_str(), count.tracks.size(), count.observations);
    std::fprintf(out, "  events\n");
    for (const auto& [typeId, count]: m_eventsByType)
        std::fprintf(out, "    %-22s%8d\n", typeId.empty() ? "(no type)" : typeId.c_str(), count);
    std::fprintf(out, "  push call (us)           median %8lld  p99 %8lld\n",
        static_cast<long long>(percentile(calls, 0.5)), static_cast<long long>(percentile(calls, 0.99)));
    std::fprintf(out, "  push to delivery (us)    median %8lld  p99 %8lld\n",
        static_cast<long long>(percentile(latencies, 0.5)), static_cast<long long>(percentile(latencies, 0.99)));
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
