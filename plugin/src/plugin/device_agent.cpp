// The agent of one camera: admission of metadata documents and the processing pass.
#include "device_agent.h"

#include <future>
#include <thread>

#include <metadata/convert_events.h>
#include <metadata/convert_objects.h>
#include <tesh/kit/steady_clock.h>
#include <metadata/timestamp.h>
#include <tesh/sdk/helpers/boundary.h>
#include <tesh/sdk/helpers/from_string_map.h>
#include <tesh/sdk/helpers/ptr.h>

#include "camera_address.h"
#include "device_agent_manifest.h"
#include <camera_settings/plugin_side_settings.h>

namespace tesh::vms_server_plugins::analytics::qv {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;

namespace {

std::string textOf(const char* text)
{
    return text ? text : "";
}

} // namespace

DeviceAgent::DeviceAgent(const IDeviceInfo* deviceInfo):
    ConsumingDeviceAgent(deviceInfo, /*enableOutput*/ true),
    m_cameraAddress(cameraAddressFromUrl(textOf(deviceInfo ? deviceInfo->url() : nullptr))),
    m_cameraLogin(textOf(deviceInfo ? deviceInfo->login() : nullptr)),
    m_cameraPassword(textOf(deviceInfo ? deviceInfo->password() : nullptr)),
    m_cameraSettings(
        std::make_unique<CameraSettings>(CameraLink(m_cameraAddress, m_cameraLogin, m_cameraPassword), &m_state)),
    m_threadPool(kit::ThreadPool::workerCountFor(std::thread::hardware_concurrency()))
{}

DeviceAgent::~DeviceAgent() = default;

void DeviceAgent::neededMetadataTypes(Result<void>* outResult, const IMetadataTypes* /*neededMetadataTypes*/)
{
    if (outResult)
        *outResult = {};
}

std::string DeviceAgent::manifestString() const
{
    return deviceAgentManifest();
}

Result<ISettingsResponse*> DeviceAgent::settingsReceived()
{
    return {Error(), m_cameraSettings->settingsReceived(settings()).releasePtr()};
}

void DeviceAgent::getPluginSideSettings(Result<ISettingsResponse*>* outResult) const
{
    runGuardedSlot([this](const std::string& text) { print(text); }, "getPluginSideSettings", outResult,
        [&] { outResult->value = m_cameraSettings->pluginSideSettings(settings()).releasePtr(); });
}

void DeviceAgent::onActiveSettingChanged(
    Result<IActiveSettingChangedResponse*>* /*outResult*/, const IActiveSettingChangedAction* action)
{
    // The result stays as the host set it: this hook changes nothing in the dialog.
    runGuarded([this](const std::string& text) { print(text); }, "onActiveSettingChanged",
        [&] {
            if (!action || textOf(action->activeSettingName()) != kCalibrationSetting)
                return;
            const auto values = adopt(action->settingsValues());
            Settings current;
            if (!fromStringMap(/*enableOutput*/ false, printPrefix(), &current, values.get(), "Active settings", 0))
                return;
            applyCalibration(current);
        });
}

void DeviceAgent::applyCalibration(const Settings& values)
{
    const auto calibration = values.find(kCalibrationSetting);
    if (calibration == values.end())
        return;
    if (const std::optional<int32_t> calibrationUs = calibrationUsOf(calibration->second))
        m_state.timestampCalibration = *calibrationUs;
}

bool DeviceAgent::pushCompressedVideoFrame(const ICompressedVideoPacket* videoFrame)
{
    // The figures on the camera are kept in thousandths of this size, so a new size means a new read.
    const int32_t width = videoFrame->width();
    const int32_t height = videoFrame->height();
    if (!isUsableFrameSize(width, height))
        return true;
    if (width != m_state.frameSize.load().width)
    {
        m_state.frameSize.store({width, height});
        m_state.refreshPending = true;
    }
    return true;
}

bool DeviceAgent::pushCustomMetadataPacket(const ICustomMetadataPacket* customMetadataPacket)
{
    std::unique_ptr<MetadataDocument> document = parseDocument(customMetadataPacket);
    if (!document || !m_metadataReady.exchange(false))
        return true;

    const int64_t passTimestampUs
        = shiftedTimestampUs(customMetadataPacket->timestampUs(), m_state.timestampCalibration);
    try
    {
        m_threadPool.enqueue([this, document = std::move(document), passTimestampUs]() mutable {
            processMetadataDocument(std::move(document), passTimestampUs);
        });
    }
    catch (...)
    {
        m_metadataReady = true; //< No pass was started, so nobody else would set it again.
    }
    return true;
}

std::unique_ptr<MetadataDocument> DeviceAgent::parseDocument(const ICustomMetadataPacket* packet)
{
    const std::lock_guard<std::mutex> lock(m_parserMutex);
    return m_metadataParser.parse(packet->data(), packet->dataSize());
}

void DeviceAgent::processMetadataDocument(std::unique_ptr<MetadataDocument> document, int64_t passTimestampUs)
{
    try
    {
        pruneTrackingMaps();
        convertDocument(std::move(document), passTimestampUs);
        deliverOutgoingPackets();
    }
    catch (...)
    {
        // This document's packets are lost; the agent must not stay busy for ever.
    }
    clearOutgoingPackets();
    m_metadataReady = true;
}

void DeviceAgent::pruneTrackingMaps()
{
    m_behaviorHighlights.prune(m_state.highlightSeconds, kit::steadyClockNs());
    m_firstAppearances.prune(kit::steadyClockNs());
}

void DeviceAgent::convertDocument(std::unique_ptr<MetadataDocument> document, int64_t passTimestampUs)
{
    const int32_t highlightSeconds = m_state.highlightSeconds;
    const ObjectConversionContext objectContext{passTimestampUs, highlightSeconds, displayTypes(), m_coordinateSpan,
        m_behaviorHighlights, m_firstAppearances, m_trackIds};
    const EventConversionContext eventContext{passTimestampUs, highlightSeconds, m_behaviorHighlights,
        m_state.refreshPending, m_state.writeHoldOff.isActive()};

    std::future<ObjectConversion> objects;
    std::future<Ptr<EventMetadataPacket>> events;
    try
    {
        if (!document->objects.empty())
            objects = m_threadPool.enqueue([&]() { return convertObjects(*document, objectContext); });
        if (!document->events.empty())
            events = m_threadPool.enqueue([&]() { return convertEvents(*document, eventContext); });
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

void DeviceAgent::deliverOutgoingPackets()
{
    std::vector<std::future<void>> deliveries;
    const auto enqueueDeliveries = [&](auto& packets) {
        for (auto& packet: packets)
        {
            // The task owns the reference until the base takes it over, so a failed enqueue releases it.
            deliveries.push_back(m_threadPool.enqueue(
                [this, packet = std::move(packet)]() mutable { pushMetadataPacket(packet.releasePtr()); }));
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
        // The deliveries already enqueued use this agent: wait for them below.
    }
    for (std::future<void>& delivery: deliveries)
        delivery.wait();
}

void DeviceAgent::clearOutgoingPackets()
{
    m_outgoingObjectPackets.clear();
    m_outgoingBestShotPackets.clear();
    m_outgoingEventPackets.clear();
}

DisplayTypes DeviceAgent::displayTypes() const
{
    return {m_state.personDisplayType != 0, m_state.bicycleDisplayType != 0, m_state.carDisplayType != 0};
}

} // namespace tesh::vms_server_plugins::analytics::qv
