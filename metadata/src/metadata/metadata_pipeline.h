// The metadata pass of one camera: admits its documents one at a time, converts each in one task on a worker pool
// and hands the packets that come out to a delivery function, in order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <tesh/kit/thread_pool.h>
#include <tesh/sdk/analytics/helpers/event_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>
#include <tesh/sdk/analytics/i_custom_metadata_packet.h>
#include <tesh/sdk/analytics/i_metadata_packet.h>
#include <tesh/sdk/helpers/ptr.h>

#include "behavior_highlights.h"
#include "conversion_context.h"
#include "first_appearances.h"
#include "metadata_document.h"
#include "metadata_parser.h"
#include "pass_settings.h"
#include "track_ids.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * A burst of notifications from a camera is a few documents; passes take milliseconds, so only a stalled host
 * handler fills this many. Beyond it the oldest waiting document goes, so what waits stays bounded and recent.
 */
inline constexpr std::size_t kMaxWaitingDocuments = 32;

/** What admission did with a packet. */
enum class Admission
{
    /**
     * No pass for it: no data, more than kMaxDocumentBytes, its settings could not be had, or its copy could not
     * be made; while a pass was under way, also a text that is not well-formed or no metadata stream.
     */
    refused,
    /**
     * Its pass was handed to the pool at once, with a copy of its bytes that the pass parses on its worker: a
     * text found unreadable there ends the pass with nothing delivered.
     */
    started,
    queued, //< It carries events or best shots and waits for the pass under way.
    droppedWhileBusy, //< Boxes only, while a pass was under way.
};

/**
 * Converts at most one document at a time, in the order they came. A document that finds the pipeline idle is only
 * copied by the host's push call and parsed by its pass. A document of boxes only that arrives meanwhile is parsed
 * and dropped, so the host's push call never waits and no backlog of stale boxes builds up; one that carries events
 * or image references waits for its turn in a bounded queue, since those are not sent again.
 */
class MetadataPipeline
{
public:
    /** The settings of a pass; asked for on the admitting thread, while a settings thread may change them. */
    using SettingsSource = std::function<PassSettings()>;

    /** The camera reported that its analytics settings changed; called on a worker. */
    using SettingsChanged = std::function<void()>;

    /**
     * Hands the packets of one pass to the host, in order; the pipeline lets go of them afterwards, and keeps the
     * list's room for the next pass. Called on the pass's worker, one pass at a time.
     */
    using Delivery = std::function<void(const std::vector<sdk::Ptr<sdk::analytics::IMetadataPacket>>&)>;

    /** Writes one line of the agent's log; called on the admitting thread or on the pass's worker. */
    using Print = std::function<void(const std::string&)>;

    /**
     * @param pool Runs the passes, one task each (conversions and deliveries included); other pipelines may share
     * it. It must outlive this pipeline.
     */
    MetadataPipeline(kit::ThreadPool& pool,
        SettingsSource settings,
        SettingsChanged settingsChanged,
        Delivery deliver,
        Print print = nullptr);

    /**
     * Waits until the pass under way and the documents waiting behind it are done, as their task uses this pipeline
     * and its callbacks. Must not run on the pass's own worker.
     */
    ~MetadataPipeline();

    MetadataPipeline(const MetadataPipeline&) = delete;
    MetadataPipeline& operator=(const MetadataPipeline&) = delete;

    /**
     * Starts a pass with a copy of the packet's data unless one is under way; while one is, parses the data on the
     * calling thread, with a parser of its own, to tell whether it must wait or can go.
     */
    Admission push(const sdk::analytics::ICustomMetadataPacket* packet);

    /** False from the admission of a document until the last step of the pass of the last one waiting. */
    bool isReady() const { return m_ready; }

private:
    struct Pass
    {
        int64_t timestampUs; //< The packet's, shifted by the calibration.
        PassSettings settings;
    };

    struct AdmittedDocument
    {
        std::unique_ptr<MetadataDocument> document; //< Null for the copy in m_parser, which the pass parses.
        Pass pass;
    };

    std::optional<Pass> passOf(const sdk::analytics::ICustomMetadataPacket& packet) const;
    bool takeBusyState();
    Admission startWithCopy(const char* data, int size, const Pass& pass);
    Admission admitWhileBusy(const char* data, int size, const Pass& pass);
    Admission admit(AdmittedDocument admitted);
    void wait(AdmittedDocument admitted);
    /** @return False where no pass task could be started, the busy state then ended. */
    bool startPasses(AdmittedDocument first);
    void runPasses(AdmittedDocument first);
    bool takeWaiting(AdmittedDocument* next);
    void endBusyState();
    void reportDroppedParts(const MetadataDocument& document);
    void print(const std::string& text) const;
    void runPass(AdmittedDocument admitted);
    std::unique_ptr<MetadataDocument> parseCopy();
    void pruneTrackingMaps(int32_t highlightSeconds, int64_t nowNs);
    void convert(const MetadataDocument& document, const Pass& pass, int64_t startNs);
    void deliverOutgoingPackets();
    void clearOutgoingPackets();

private:
    kit::ThreadPool& m_pool;
    const ParseStack m_parseStack; //< Of the pool's workers, where the copy is parsed.
    const SettingsSource m_settings;
    const SettingsChanged m_settingsChanged;
    const Delivery m_deliver;
    const Print m_print;
    std::mutex m_admissionMutex; //< Guards m_busy, m_copyPending and m_waiting, so no document is left behind.
    std::condition_variable m_idle; //< m_busy went false.
    std::condition_variable m_copyWritten; //< m_copyPending went false.
    bool m_busy = false; //< A pass task is under way; it takes the waiting documents before it ends.
    bool m_copyPending = false; //< The push call that started the pass task is still writing its copy.
    std::deque<AdmittedDocument> m_waiting;
    std::size_t m_droppedWaiting = 0; //< Documents the full queue pushed out, for the log.
    std::atomic<bool> m_ready{true}; //< !m_busy, for readers that take no lock.
    /**
     * The passes' own: written by the push call that takes the busy state, then read by the pass it starts, so
     * never by two threads at once; a push call that finds a pass under way parses with a parser of its own.
     */
    MetadataParser m_parser;
    // Touched by passes only, which never overlap.
    BehaviorHighlights m_behaviorHighlights;
    FirstAppearances m_firstAppearances;
    TrackIds m_trackIds;
    SharedAttributes m_sharedAttributes;
    CoordinateSpan m_coordinateSpan;
    /** The pass's packets in the order they are delivered: objects, best shots, then events. */
    std::vector<sdk::Ptr<sdk::analytics::IMetadataPacket>> m_outgoingPackets;
};

} // namespace tesh::vms_server_plugins::analytics::qv
