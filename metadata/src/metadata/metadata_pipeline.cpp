// The metadata pass of one camera: admission, then pruning, the two conversions and the deliveries on the pool.
#include "metadata_pipeline.h"

#include <future>
#include <utility>

#include <tesh/kit/steady_clock.h>

#include "convert_events.h"
#include "convert_objects.h"
#include "timestamp.h"

namespace tesh::vms_server_plugins::analytics::qv {

using sdk::Ptr;
using sdk::analytics::EventMetadataPacket;
using sdk::analytics::ICustomMetadataPacket;

MetadataPipeline::MetadataPipeline(
    kit::ThreadPool& pool, SettingsSource settings, SettingsChanged settingsChanged, Delivery deliver):
    m_pool(pool),
    m_settings(std::move(settings)),
    m_settingsChanged(std::move(settingsChanged)),
    m_deliver(std::move(deliver))
{}

void MetadataPipeline::push(const ICustomMetadataPacket* packet)
{
    std::unique_ptr<MetadataDocument> document = parse(packet);
    if (!document || !m_ready.exchange(false))
        return;
    startPass(std::move(document), packet->timestampUs());
}

std::unique_ptr<MetadataDocument> MetadataPipeline::parse(const ICustomMetadataPacket* packet)
{
    const std::lock_guard<std::mutex> lock(m_parserMutex);
    return m_parser.parse(packet->data(), packet->dataSize());
}

void MetadataPipeline::startPass(std::unique_ptr<MetadataDocument> document, int64_t packetTimestampUs)
{
    try
    {
        const PassSettings settings = m_settings();
        const Pass pass{shiftedTimestampUs(packetTimestampUs, settings.timestampCalibrationUs), settings};
        m_pool.enqueue([this, document = std::move(document), pass]() mutable { runPass(std::move(document), pass); });
    }
    catch (...)
    {
        m_ready = true; //< No pass was started, so nobody else would set it again.
    }
}

void MetadataPipeline::runPass(std::unique_ptr<MetadataDocument> document, const Pass& pass)
{
    try
    {
        pruneTrackingMaps(pass.settings.highlightSeconds);
        convert(std::move(document), pass);
        deliverOutgoingPackets();
    }
    catch (...)
    {
        // This document's packets are lost; the pipeline must not stay busy for ever.
    }
    clearOutgoingPackets();
    m_ready = true;
}

void MetadataPipeline::pruneTrackingMaps(int32_t highlightSeconds)
{
    m_behaviorHighlights.prune(highlightSeconds, kit::steadyClockNs());
    m_firstAppearances.prune(kit::steadyClockNs());
}

void MetadataPipeline::convert(std::unique_ptr<MetadataDocument> document, const Pass& pass)
{
    const ObjectConversionContext objectContext{pass.timestampUs, pass.settings.highlightSeconds,
        pass.settings.displayTypes, m_coordinateSpan, m_behaviorHighlights, m_firstAppearances, m_trackIds};
    const EventConversionContext eventContext{
        pass.timestampUs, pass.settings.highlightSeconds, m_behaviorHighlights, m_settingsChanged};

    std::future<ObjectConversion> objects;
    std::future<Ptr<EventMetadataPacket>> events;
    try
    {
        if (!document->objects.empty())
            objects = m_pool.enqueue([&]() { return convertObjects(*document, objectContext); });
        if (!document->events.empty())
            events = m_pool.enqueue([&]() { return convertEvents(*document, eventContext); });
    }
    catch (...)
    {
        // Whatever was enqueued still reads the document and the contexts: wait for it below.
    }
    if (objects.valid())
        objects.wait();
    if (events.valid())
        events.wait();
    document.reset();

    if (objects.valid())
    {
        try
        {
            ObjectConversion conversion = objects.get();
            if (conversion.objectPacket)
                m_outgoingObjectPackets.push_back(std::move(conversion.objectPacket));
            for (auto& bestShot: conversion.bestShotPackets)
                m_outgoingBestShotPackets.push_back(std::move(bestShot));
        }
        catch (...)
        {
            // The events of this document can still be delivered.
        }
    }
    if (events.valid())
    {
        try
        {
            m_outgoingEventPackets.push_back(events.get());
        }
        catch (...)
        {}
    }
}

void MetadataPipeline::deliverOutgoingPackets()
{
    std::vector<std::future<void>> deliveries;
    const auto enqueueDeliveries = [&](auto& packets) {
        for (auto& packet: packets)
        {
            // The task owns the reference until the delivery takes it over, so a failed enqueue releases it.
            deliveries.push_back(
                m_pool.enqueue([this, packet = std::move(packet)]() mutable { m_deliver(std::move(packet)); }));
        }
    };
    try
    {
        enqueueDeliveries(m_outgoingObjectPackets);
        enqueueDeliveries(m_outgoingBestShotPackets);
        enqueueDeliveries(m_outgoingEventPackets);
    }
    catch (...)
    {
        // The deliveries already enqueued use this pipeline: wait for them below.
    }
    for (std::future<void>& delivery: deliveries)
        delivery.wait();
}

void MetadataPipeline::clearOutgoingPackets()
{
    m_outgoingObjectPackets.clear();
    m_outgoingBestShotPackets.clear();
    m_outgoingEventPackets.clear();
}

} // namespace tesh::vms_server_plugins::analytics::qv
