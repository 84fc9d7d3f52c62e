// What a replay pushed and what came back, gathered while it runs and told as a summary at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "input_documents.h"
#include "packet_json.h"
#include "replay_record.h"

namespace qvhost {

using Clock = std::chrono::steady_clock;

/** Fed by the pushing thread and by the plug-in's delivering threads at once. */
class ReplayStatistics
{
public:
    /** @param keepPackets Whether documents() hands back the packets of each document too. */
    explicit ReplayStatistics(bool keepPackets = false): m_keepPackets(keepPackets) {}

    /**
     * Called just before the push, since the plug-in may deliver before the push call returns.
     * @param passTimestampUs The document's packet time plus the calibration offset, which its event packet and
     *     (most of the time) its object packet carry.
     * @param shape Whether the plug-in reads the document and whether it holds objects or notifications, so that no
     *     packet back means a drop.
     */
    void pushStarting(int64_t passTimestampUs, DocumentShape shape, Clock::time_point pushStart);

    void pushReturned(int64_t passTimestampUs, Clock::duration call, bool refused);

    void packetReceived(const Json& packet, Clock::time_point arrival);

    /** When the last packet came, or the epoch when none did. */
    Clock::time_point lastArrival() const;

    ReplaySummary summary() const;

    /** Every document pushed, in the order pushed, with its packets, which it hands over and no longer keeps. */
    std::vector<DocumentRecord> takeDocuments();

    /** The figures, short and aligned, for people. */
    void printSummary(std::FILE* out, int64_t firstTimestampUs) const;

private:
    struct Document
    {
        DocumentShape shape;
        Clock::time_point pushStart;
        Clock::duration call{};
        bool refused = false;
        bool converted = false;
        Clock::duration latency{};
        std::vector<Json> packets;
    };

    struct TypeCount
    {
        std::set<std::string> tracks;
        int observations = 0;
    };

    /** In push order; a converted document counts as queued when an earlier one's packets came after its push. */
    std::vector<DocumentOutcome> outcomes() const;
    void countItems(const Json& packet);
    void printAccount(std::FILE* out, int64_t firstTimestampUs) const;

    const bool m_keepPackets;
    mutable std::mutex m_mutex;
    std::map<int64_t, Document> m_documents; //< By pass timestamp.
    int64_t m_latestPassTimestampUs = -1;
    std::map<std::string, int> m_packetsByKind;
    std::map<std::string, TypeCount> m_objectsByType;
    std::map<std::string, int> m_eventsByType;
    std::set<std::string> m_bestShotTracks;
    std::set<std::string> m_redTracks;
    std::map<std::string, int64_t> m_highestLineCounts; //< By rule.
    std::vector<int64_t> m_tamperingTimestamps;
    Clock::time_point m_lastArrival;
};

} // namespace qvhost
