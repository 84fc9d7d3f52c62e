// Gathering the tracks, best shots, events and line counts of a replay from its packet lines.
#include "report_content.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "line_count_event.h"

namespace qvhost {
namespace {

/** Told apart on a light page and by most colour-blind readers; types beyond the eighth repeat them. */
constexpr const char* kTypePalette[]
    = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b", "#e377c2", "#17becf"};

/** A track known only from a best shot is drawn in this grey. */
constexpr char kUnknownTypeColour[] = "#7f7f7f";

class ContentBuilder
{
public:
    void add(const DocumentRecord& document)
    {
        widen(document.passTimestampUs);
        for (const Json& packet: document.packets)
        {
            const int64_t timestampUs = packet.value("timestampUs", int64_t{0});
            widen(timestampUs);
            const std::string kind = packet.value("kind", "");
            if (kind == "objects")
                addObjects(arrayOf(packet, "objects"), timestampUs);
            else if (kind == "events")
                addEvents(arrayOf(packet, "events"), timestampUs);
            else if (kind == "bestShot")
                addBestShot(packet, timestampUs);
        }
    }

    ReportContent finish()
    {
        std::stable_sort(m_content.bestShots.begin(), m_content.bestShots.end(),
            [](const BestShot& a, const BestShot& b) { return a.timestampUs < b.timestampUs; });
        std::stable_sort(m_content.events.begin(), m_content.events.end(),
            [](const EventMark& a, const EventMark& b) { return a.timestampUs < b.timestampUs; });
        for (const BestShot& shot: m_content.bestShots)
            m_content.tracks[m_trackIndex.at(shot.trackId)].bestShots.push_back(shot);
        std::stable_sort(m_content.tracks.begin(), m_content.tracks.end(),
            [](const Track& a, const Track& b) { return a.firstUs < b.firstUs; });
        for (auto& [label, series]: m_lines)
            m_content.lines.push_back(std::move(series));
        m_content.typeIds.assign(m_typeIds.begin(), m_typeIds.end());
        return std::move(m_content);
    }

private:
    void widen(int64_t timestampUs)
    {
        m_content.firstUs = m_empty ? timestampUs : std::min(m_content.firstUs, timestampUs);
        m_content.lastUs = m_empty ? timestampUs : std::max(m_content.lastUs, timestampUs);
        m_empty = false;
    }

    Track& track(const std::string& trackId, int64_t timestampUs)
    {
        const auto [found, isNew] = m_trackIndex.emplace(trackId, m_content.tracks.size());
        if (isNew)
            m_content.tracks.push_back({trackId, "", timestampUs, timestampUs, 0, {}});
        Track& track = m_content.tracks[found->second];
        track.firstUs = std::min(track.firstUs, timestampUs);
        track.lastUs = std::max(track.lastUs, timestampUs);
        return track;
    }

    void addObjects(const Json& objects, int64_t timestampUs)
    {
        for (const Json& object: objects)
        {
            Track& seen = track(object.value("trackId", ""), timestampUs);
            seen.typeId = object.value("typeId", "");
            ++seen.observations;
            m_typeIds.insert(seen.typeId);
        }
    }

    void addEvents(const Json& events, int64_t timestampUs)
    {
        for (const Json& event: events)
        {
            EventMark mark{
                timestampUs, event.value("typeId", ""), event.value("caption", ""), event.value("description", "")};
            if (mark.typeId == kLineCountingTypeId)
            {
                const LineCount lineCount = lineCountOf(mark.description);
                LineSeries& series = m_lines[lineLabel(lineCount)];
                series.label = lineLabel(lineCount);
                if (lineCount.count >= 0)
                    series.points.push_back({timestampUs, lineCount.count});
            }
            m_content.events.push_back(std::move(mark));
        }
    }

    void addBestShot(const Json& packet, int64_t timestampUs)
    {
        BestShot shot{packet.value("trackId", ""), timestampUs, packet.value("imageUrl", "")};
        track(shot.trackId, timestampUs);
        m_content.bestShots.push_back(std::move(shot));
    }

    ReportContent m_content;
    bool m_empty = true;
    std::map<std::string, size_t> m_trackIndex;
    std::map<std::string, LineSeries> m_lines;
    std::set<std::string> m_typeIds;
};

} // namespace

ReportContent reportContent(const std::vector<DocumentRecord>& documents)
{
    ContentBuilder builder;
    for (const DocumentRecord& document: documents)
        builder.add(document);
    return builder.finish();
}

std::string shortTypeName(const std::string& typeId)
{
    const size_t dot = typeId.rfind('.');
    return dot == std::string::npos ? typeId : typeId.substr(dot + 1);
}

std::string shortTrackId(const std::string& trackId)
{
    return trackId.substr(0, 6);
}

std::string typeColour(const ReportContent& content, const std::string& typeId)
{
    const auto found = std::lower_bound(content.typeIds.begin(), content.typeIds.end(), typeId);
    if (typeId.empty() || found == content.typeIds.end() || *found != typeId)
        return kUnknownTypeColour;
    const auto index = static_cast<size_t>(std::distance(content.typeIds.begin(), found));
    return kTypePalette[index % std::size(kTypePalette)];
}

} // namespace qvhost
