// What the report's charts show, gathered from the packet lines of a replay: tracks, best shots, events and the
// line counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "replay_record.h"

namespace qvhost {

struct BestShot
{
    std::string trackId;
    int64_t timestampUs = 0;
    std::string imageUrl;
};

struct Track
{
    std::string trackId;
    std::string typeId; //< Empty for a track known only from a best shot.
    int64_t firstUs = 0; //< The earliest packet time it appears at, as the host will show it.
    int64_t lastUs = 0;
    int observations = 0;
    std::vector<BestShot> bestShots;
};

struct EventMark
{
    int64_t timestampUs = 0;
    std::string typeId;
    std::string caption;
    std::string description;
};

struct CountPoint
{
    int64_t timestampUs = 0;
    int64_t count = 0;
};

/** The running count of one counting line, in the order the events came. */
struct LineSeries
{
    std::string label;
    std::vector<CountPoint> points;
};

struct ReportContent
{
    std::vector<Track> tracks; //< In the order of their first appearance.
    std::vector<BestShot> bestShots; //< In time order.
    std::vector<EventMark> events; //< In time order.
    std::vector<LineSeries> lines; //< By label.
    std::vector<std::string> typeIds; //< Every object type seen, sorted; its index picks its colour.
    int64_t firstUs = 0; //< The earliest document or packet time.
    int64_t lastUs = 0; //< The latest.
};

ReportContent reportContent(const std::vector<DocumentRecord>& documents);

/** "tesh.qv.Car" -> "Car". */
std::string shortTypeName(const std::string& typeId);

/** The first six digits: enough to tell the tracks of one replay apart at a glance. */
std::string shortTrackId(const std::string& trackId);

/** A colour of the report's palette for the type at this index of ReportContent::typeIds. */
std::string typeColour(const ReportContent& content, const std::string& typeId);

} // namespace qvhost
