// The metadata pass of one camera: admission, then one task on the pool that prunes, converts and delivers.
#include "metadata_pipeline.h"

#include <algorithm>
#include <utility>

#include <tesh/kit/steady_clock.h>

#include "convert_events.h"
#include "convert_objects.h"
#include "metadata_document_shelf.h"
#include "timestamp.h"

namespace tesh::vms_server_plugins::analytics::qv {

using sdk::analytics::ICustomMetadataPacket;

namespace {

/** Neither notifications nor best shots are sent again by the camera; boxes are, with the next document. */
bool mustNotBeLost(const MetadataDocument& document)
{
    return !document.events.empty()
        || std::any_of(document.objects.begin(), document.objects.end(),
            [](const MetadataObject& object) { return object.imageRef.has_value(); });
}

/** 1, 2, 4, 8...: a full queue that stays full is told of ever more rarely. */
bool isPowerOfTwo(std::size_t count)
{
    return count != 0 && (count & (count - 1)) == 0;
}

} // namespace

MetadataPipeline::MetadataPipeline(
    kit::ThreadPool& pool, SettingsSource settings, SettingsChanged settingsChanged, Delivery deliver, Print print):
    m_pool(pool),
    m_parseStack(pool.stackBytes() >= kDeepParseStackBytes ? ParseStack::deep : ParseStack::unknown),
    m_settings(std::move(settings)),
    m_settingsChanged(std::move(settingsChanged)),
    m_deliver(std::move(deliver)),
    m_print(std::move(print))
{}

MetadataPipeline::~MetadataPipeline()
{
    std::unique_lock<std::mutex> lock(m_admissionMutex);
    m_idle.wait(lock, [this]() { return !m_busy; });
}

Admission MetadataPipeline::push(const ICustomMetadataPacket* packet)
{
    if (!packet)
        return Admission::refused;
    const char* const data = packet->data();
    const int size = packet->dataSize();
    if (!isWithinDocumentBounds(data, size))
        return Admission::refused;
    const std::optional<Pass> pass = passOf(*packet);
    if (!pass)
        return Admission::refused; //< Without its settings no pass can be run for it.
    if (takeBusyState())
        return startWithCopy(data, size, *pass);
    return admitWhileBusy(data, size, *pass);
}

std::optional<MetadataPipeline::Pass> MetadataPipeline::passOf(const ICustomMetadataPacket& packet) const
{
    try
    {
        const PassSettings settings = m_settings();
        return Pass{shiftedTimestampUs(packet.timestampUs(), settings.timestampCalibrationUs), settings};
    }
    catch (...)
    {
        return std::nullopt;
    }
}

bool MetadataPipeline::takeBusyState()
{
    const std::lock_guard<std::mutex> lock(m_admissionMutex);
    if (m_busy)
        return false;
    m_busy = true;
    m_ready = false;
    m_copyPending = true;
    return true;
}

/**
 * The parse, the longest step of admission, is left to the pass, so the host's thread only copies. The pass is
 * handed to the pool first: a worker takes longer to wake than the copy takes, and wakes meanwhile. Holding the busy
 * state, this thread has the passes' parser to itself until it tells the pass that the copy is written.
 */
Admission MetadataPipeline::startWithCopy(const char* data, int size, const Pass& pass)
{
    // Even without a copy the pass must run: documents may have been queued since the busy state was taken.
    if (!startPasses({nullptr, pass}))
        return Admission::refused; //< No pass will read a copy; another push may already be making one.
    const bool copied = m_parser.copy(data, size);
    {
        const std::lock_guard<std::mutex> lock(m_admissionMutex);
        m_copyPending = false;
    }
    m_copyWritten.notify_one();
    return copied ? Admission::started : Admission::refused;
}

/**
 * Whether the document waits or goes depends on what it holds, so it is parsed here, with a parser of this call's
 * own: the passes' parser may be in use by the pass, and no lock is shared with it. The parser keeps its rapidxml
 * document on the heap, not on this thread's stack.
 */
Admission MetadataPipeline::admitWhileBusy(const char* data, int size, const Pass& pass)
{
    std::unique_ptr<MetadataDocument> document = MetadataParser().parse(data, size);
    if (!document)
        return Admission::refused;
    reportDroppedParts(*document);
    return admit({std::move(document), pass});
}

Admission MetadataPipeline::admit(AdmittedDocument admitted)
{
    {
        const std::lock_guard<std::mutex> lock(m_admissionMutex);
        if (m_busy)
        {
            if (!mustNotBeLost(*admitted.document))
                return Admission::droppedWhileBusy;
            wait(std::move(admitted));
            return Admission::queued;
        }
        m_busy = true;
        m_ready = false;
    }
    startPasses(std::move(admitted));
    return Admission::started;
}

/** Called with the admission lock held. */
void MetadataPipeline::wait(AdmittedDocument admitted)
{
    if (m_waiting.size() >= kMaxWaitingDocuments)
    {
        m_waiting.pop_front();
        if (isPowerOfTwo(++m_droppedWaiting))
        {
            print("Dropped the oldest metadata document waiting for conversion, " + std::to_string(m_droppedWaiting)
                + " so far: " + std::to_string(kMaxWaitingDocuments) + " were waiting.");
        }
    }
    m_waiting.push_back(std::move(admitted));
}

bool MetadataPipeline::startPasses(AdmittedDocument first)
{
    try
    {
        auto task = std::make_shared<AdmittedDocument>(std::move(first));
        m_pool.post([this, task]() { runPasses(std::move(*task)); });
        return true;
    }
    catch (...)
    {
        // No pass task runs, so nobody else would take the waiting documents or end the busy state.
        const std::lock_guard<std::mutex> lock(m_admissionMutex);
        m_waiting.clear();
        endBusyState();
        return false;
    }
}

/** One task converts the waiting documents one after the other, so passes never overlap and keep their order. */
void MetadataPipeline::runPasses(AdmittedDocument first)
{
    AdmittedDocument current = std::move(first);
    do
    {
        runPass(std::move(current));
    } while (takeWaiting(&current));
}

/** Ends the busy state when nothing waits, under the lock admission tests it with. */
bool MetadataPipeline::takeWaiting(AdmittedDocument* next)
{
    const std::lock_guard<std::mutex> lock(m_admissionMutex);
    if (m_waiting.empty())
    {
        endBusyState();
        return false;
    }
    *next = std::move(m_waiting.front());
    m_waiting.pop_front();
    return true;
}

/**
 * Called with the admission lock held, and the destructor is told under it: the pass's task touches nothing of the
 * pipeline once the lock is let go.
 */
void MetadataPipeline::endBusyState()
{
    m_busy = false;
    m_copyPending = false;
    m_ready = true;
    m_idle.notify_all();
}

void MetadataPipeline::reportDroppedParts(const MetadataDocument& document)
{
    if (document.objectsLeftOut == 0 && document.eventsLeftOut == 0)
        return;
    print("A metadata document held more than " + std::to_string(kMaxObjectsPerDocument) + " objects or "
        + std::to_string(kMaxEventsPerDocument) + " notifications; left out " + std::to_string(document.objectsLeftOut)
        + " objects and " + std::to_string(document.eventsLeftOut) + " notifications.");
}

void MetadataPipeline::print(const std::string& text) const
{
    if (m_print)
        m_print(text);
}

void MetadataPipeline::runPass(AdmittedDocument admitted)
{
    try
    {
        std::unique_ptr<MetadataDocument> document = admitted.document ? std::move(admitted.document) : parseCopy();
        if (!document)
            return; //< An unreadable text: nothing to deliver.
        const int64_t startNs = kit::steadyClockNs();
        pruneTrackingMaps(admitted.pass.settings.highlightSeconds, startNs);
        convert(*document, admitted.pass, startNs);
        deliverOutgoingPackets();
        // Emptied after the deliveries, which the host waits for, rather than before them.
        putBackMetadataDocument(std::move(document));
    }
    catch (...)
    {
        // This document's packets are lost; the pipeline must not stay busy for ever.
    }
    clearOutgoingPackets();
}

std::unique_ptr<MetadataDocument> MetadataPipeline::parseCopy()
{
    {
        std::unique_lock<std::mutex> lock(m_admissionMutex);
        m_copyWritten.wait(lock, [this]() { return !m_copyPending; });
    }
    std::unique_ptr<MetadataDocument> document = m_parser.parseCopy(m_parseStack);
    if (document)
        reportDroppedParts(*document);
    return document;
}

void MetadataPipeline::pruneTrackingMaps(int32_t highlightSeconds, int64_t nowNs)
{
    m_behaviorHighlights.prune(highlightSeconds, nowNs);
    m_firstAppearances.prune(nowNs);
}

/**
 * The conversions of one document take microseconds, far less than waking another worker, so the pass runs them
 * itself, one after the other.
 */
void MetadataPipeline::convert(const MetadataDocument& document, const Pass& pass, int64_t startNs)
{
    if (!document.objects.empty())
    {
        try
        {
            const ObjectConversionContext objectContext{pass.timestampUs, startNs, pass.settings.highlightSeconds,
                pass.settings.displayTypes, m_coordinateSpan, m_behaviorHighlights, m_firstAppearances, m_trackIds,
                m_sharedAttributes};
            ObjectConversion conversion = convertObjects(document, objectContext);
            if (conversion.objectPacket)
                m_outgoingPackets.push_back(std::move(conversion.objectPacket));
            for (auto& bestShot: conversion.bestShotPackets)
                m_outgoingPackets.push_back(std::move(bestShot));
        }
        catch (...)
        {
            // The events of this document can still be delivered.
        }
    }
    if (!document.events.empty())
    {
        try
        {
            const EventConversionContext eventContext{
                pass.timestampUs, startNs, pass.settings.highlightSeconds, m_behaviorHighlights, m_settingsChanged};
            m_outgoingPackets.push_back(convertEvents(document, eventContext));
        }
        catch (...)
        {
            // The objects of this document are delivered all the same.
        }
    }
}

/** On the pass's worker, so the packets of one pass reach the host in order and before those of the next. */
void MetadataPipeline::deliverOutgoingPackets()
{
    if (m_outgoingPackets.empty())
        return;
    try
    {
        m_deliver(m_outgoingPackets);
    }
    catch (...)
    {
        // What was not delivered of this pass is lost; the next passes are not.
    }
}

void MetadataPipeline::clearOutgoingPackets()
{
    m_outgoingPackets.clear();
}

} // namespace tesh::vms_server_plugins::analytics::qv
