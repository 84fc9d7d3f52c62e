// Real library objects for the contract test, made with the library's own classes and handed out
// as plain addresses.
#include "factory.h"

#include <cstring>
#include <mutex>
#include <string>

#include <tesh/sdk/analytics/helpers/attribute.h>
#include <tesh/sdk/analytics/helpers/consuming_device_agent.h>
#include <tesh/sdk/analytics/helpers/engine.h>
#include <tesh/sdk/analytics/helpers/event_metadata.h>
#include <tesh/sdk/analytics/helpers/event_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_metadata.h>
#include <tesh/sdk/analytics/helpers/object_metadata_packet.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>
#include <tesh/sdk/analytics/helpers/plugin.h>
#include <tesh/sdk/analytics/i_active_setting_changed_action.h>
#include <tesh/sdk/helpers/lib_context.h>
#include <tesh/sdk/helpers/settings_response.h>
#include <tesh/sdk/helpers/string.h>
#include <tesh/sdk/helpers/string_map.h>
#include <tesh/sdk/helpers/uuid_helper.h>

namespace contract_factory {

namespace {

using namespace tesh::sdk;
using namespace tesh::sdk::analytics;

/** Every object leaves as the address of its root interface, which single inheritance makes the object's. */
void* handOut(const IRefCountable* object)
{
    return const_cast<IRefCountable*>(object);
}

template<class Interface>
const Interface* takeBack(void* object)
{
    return static_cast<const Interface*>(static_cast<IRefCountable*>(object));
}

Uuid toUuid(const TrackId& trackId)
{
    Uuid uuid;
    std::memcpy(uuid.bytes, trackId.bytes, sizeof(uuid.bytes));
    return uuid;
}

Rect toRect(const Box& box)
{
    return {box.x, box.y, box.width, box.height};
}

std::string textOf(const char* text)
{
    return text ? text : "";
}

std::string joined(const std::map<std::string, std::string>& pairs)
{
    std::string text;
    for (const auto& [key, value]: pairs)
        text += key + "=" + value + ";";
    return text;
}

Ptr<SettingsResponse> responseWith(const std::map<std::string, std::string>& values)
{
    auto response = makePtr<SettingsResponse>();
    for (const auto& [key, value]: values)
        response->setValue(key, value);
    return response;
}

/** The texts of a PluginSetup, copied so that the caller's storage need not outlive the objects. */
struct Texts
{
    explicit Texts(const PluginSetup& setup):
        pluginManifest(textOf(setup.pluginManifest)),
        engineManifest(textOf(setup.engineManifest)),
        deviceAgentManifest(textOf(setup.deviceAgentManifest)),
        compatibleVendor(textOf(setup.compatibleVendor))
    {}

    std::string pluginManifest;
    std::string engineManifest;
    std::string deviceAgentManifest;
    std::string compatibleVendor;
};

class ContractDeviceAgent: public ConsumingDeviceAgent
{
public:
    ContractDeviceAgent(const IDeviceInfo* deviceInfo, std::string manifest):
        ConsumingDeviceAgent(deviceInfo, /*enableOutput*/ true),
        m_manifest(std::move(manifest))
    {
        m_observed["vendor"] = textOf(deviceInfo->vendor());
        m_observed["model"] = textOf(deviceInfo->model());
        m_observed["url"] = textOf(deviceInfo->url());
        m_observed["login"] = textOf(deviceInfo->login());
        m_observed["password"] = textOf(deviceInfo->password());
    }

    std::string manifestString() const override { return m_manifest; }

    void neededMetadataTypes(Result<void>* outResult, const IMetadataTypes* /*neededMetadataTypes*/) override
    {
        *outResult = {};
    }

    void getPluginSideSettings(Result<ISettingsResponse*>* outResult) const override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        *outResult = {Error{}, responseWith(m_observed).releasePtr()};
    }

    void onActiveSettingChanged(
        Result<IActiveSettingChangedResponse*>* /*outResult*/, const IActiveSettingChangedAction* action) override
    {
        const auto values = adopt(action->settingsValues());
        std::map<std::string, std::string> pairs;
        for (int i = 0; values && i < values->count(); ++i)
            pairs[textOf(values->key(i))] = textOf(values->value(i));
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_observed["activeSetting"] = textOf(action->activeSettingName());
        m_observed["activeValues"] = joined(pairs);
    }

    Result<ISettingsResponse*> settingsReceived() override { return {Error{}, responseWith(settings()).releasePtr()}; }

    bool pushCompressedVideoFrame(const ICompressedVideoPacket* videoFrame) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_observed["frameWidth"] = std::to_string(videoFrame->width());
        m_observed["frameHeight"] = std::to_string(videoFrame->height());
        return true;
    }

    bool pushCustomMetadataPacket(const ICustomMetadataPacket* customMetadataPacket) override
    {
        auto object = makePtr<ObjectMetadata>();
        object->setTypeId(std::string(customMetadataPacket->data(), customMetadataPacket->dataSize()));
        auto packet = makePtr<ObjectMetadataPacket>();
        packet->setTimestampUs(customMetadataPacket->timestampUs());
        packet->setDurationUs(1);
        packet->addItem(object.get());
        pushMetadataPacket(packet.releasePtr());
        return true;
    }

protected:
    ~ContractDeviceAgent() override = default;

private:
    const std::string m_manifest;
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_observed;
};

class ContractEngine: public Engine
{
public:
    explicit ContractEngine(const Texts& texts): Engine(/*enableOutput*/ true), m_texts(texts) {}

    std::string manifestString() const override { return m_texts.engineManifest; }

    bool isCompatible(const IDeviceInfo* deviceInfo) const override
    {
        return textOf(deviceInfo->vendor()) == m_texts.compatibleVendor;
    }

    void obtainDeviceAgent(Result<IDeviceAgent*>* outResult, const IDeviceInfo* deviceInfo) override
    {
        *outResult = {Error{}, new ContractDeviceAgent(deviceInfo, m_texts.deviceAgentManifest)};
    }

    Result<ISettingsResponse*> settingsReceived() override { return {Error{}, responseWith(settings()).releasePtr()}; }

    Result<ActionResult> executeAction(const std::string& actionId,
        Uuid objectTrackId,
        Uuid deviceId,
        int64_t timestampUs,
        Ptr<IObjectTrackInfo> objectTrackInfo,
        const Settings& params) override
    {
        const std::string message = uuidToText(objectTrackId, 0) + " " + uuidToText(deviceId, 0) + " "
            + std::to_string(timestampUs) + " " + (objectTrackInfo ? "with" : "without") + " track info "
            + joined(params);
        return {Error{}, {new String(actionId), new String(message)}};
    }

protected:
    ~ContractEngine() override = default;

private:
    const Texts m_texts;
};

class ContractPlugin: public Plugin
{
public:
    explicit ContractPlugin(const PluginSetup& setup): m_texts(setup) {}

    Result<IEngine*> doObtainEngine() override { return {Error{}, new ContractEngine(m_texts)}; }

    std::string manifestString() const override { return m_texts.pluginManifest; }

protected:
    ~ContractPlugin() override = default;

private:
    const Texts m_texts;
};

} // namespace

void* newString(const char* text)
{
    return handOut(new String(text));
}

void* newStringMap(const Pair* pairs, int count)
{
    auto* const map = new StringMap();
    for (int i = 0; i < count; ++i)
        map->setItem(pairs[i].key, pairs[i].value);
    return handOut(map);
}

void* newSettingsResponse(const Pair* values, int count)
{
    auto* const response = new SettingsResponse();
    for (int i = 0; i < count; ++i)
        response->setValue(values[i].key, values[i].value);
    return handOut(response);
}

void* newAttribute(const AttributeFields& attribute)
{
    return handOut(new Attribute(attribute.type, attribute.name, attribute.value, attribute.confidence));
}

void* newObjectMetadata(
    const char* typeId, const TrackId& trackId, const Box& box, const AttributeFields* attributes, int attributeCount)
{
    auto* const object = new ObjectMetadata();
    object->setTypeId(typeId);
    object->setTrackId(toUuid(trackId));
    object->setBoundingBox(toRect(box));
    for (int i = 0; i < attributeCount; ++i)
    {
        const AttributeFields& a = attributes[i];
        object->addAttribute(makePtr<Attribute>(a.type, a.name, a.value, a.confidence));
    }
    return handOut(object);
}

void* newEventMetadata(
    const char* typeId, const char* caption, const char* description, bool isActive, const TrackId& trackId)
{
    auto* const event = new EventMetadata();
    event->setTypeId(typeId);
    event->setCaption(caption);
    event->setDescription(description);
    event->setIsActive(isActive);
    event->setTrackId(toUuid(trackId));
    return handOut(event);
}

void* newObjectMetadataPacket(int64_t timestampUs, int64_t durationUs, void* const* objectItems, int count)
{
    auto* const packet = new ObjectMetadataPacket();
    packet->setTimestampUs(timestampUs);
    packet->setDurationUs(durationUs);
    for (int i = 0; i < count; ++i)
        packet->addItem(takeBack<IObjectMetadata>(objectItems[i]));
    return handOut(packet);
}

void* newEventMetadataPacket(int64_t timestampUs, int64_t durationUs, void* const* eventItems, int count)
{
    auto* const packet = new EventMetadataPacket();
    packet->setTimestampUs(timestampUs);
    packet->setDurationUs(durationUs);
    for (int i = 0; i < count; ++i)
        packet->addItem(takeBack<IEventMetadata>(eventItems[i]));
    return handOut(packet);
}

void* newBestShotPacket(const TrackId& trackId, int64_t timestampUs, const Box& box, const char* imageUrl)
{
    auto* const packet = new ObjectTrackBestShotPacket(toUuid(trackId), timestampUs, toRect(box));
    packet->setImageUrl(imageUrl);
    return handOut(packet);
}

void* newPlugin(const PluginSetup& setup)
{
    return handOut(new ContractPlugin(setup));
}

void* libContext()
{
    return teshLibContext();
}

} // namespace contract_factory
