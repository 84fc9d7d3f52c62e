// Calls every host-facing slot of real library objects through the host's own declarations and
// reads the answers back, so that a slot moved, an argument list changed or a record laid out
// differently in the library fails here the way it would fail in the host.
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "factory.h"
#include "host_side.h"
#include "host_view.h"

namespace {

using namespace host_view;
using host_side::HostObject;
using host_side::HostStringMap;

constexpr const char* kLibraryName = "contract_host";
constexpr int32_t kNoError = 0;
constexpr int32_t kOtherError = -100;
constexpr int32_t kInternalError = -1000;
constexpr int32_t kInvalidParams = -1001;

// ---------------------------------------------------------------------------------------------------
// Holding references the way the host does.

struct Releaser
{
    void operator()(const IRefCountable* object) const
    {
        if (object)
            object->releaseRef();
    }
};

template<class T>
using Held = std::unique_ptr<T, Releaser>;

/** Adopts the one reference that a factory function or a slot handed over. */
template<class T>
Held<T> adopt(void* object)
{
    return Held<T>(static_cast<T*>(object));
}

template<class T>
Held<T> adopt(T* object)
{
    return Held<T>(object);
}

/** The count, read through slots 2 and 3 alone. */
int refCountOf(const IRefCountable* object)
{
    const int count = object->addRef() - 1;
    object->releaseRef();
    return count;
}

template<class T>
Held<T> query(const IRefCountable* object, const char* id)
{
    return Held<T>(static_cast<T*>(object->queryInterface(id)));
}

/** Reads a text the library handed over with one reference, and gives that reference back. */
std::string takeText(IString* text)
{
    if (!text)
        return "<null>";
    const std::string result = text->str();
    EXPECT_EQ(0, text->releaseRef()) << "the text came with exactly one reference: " << result;
    return result;
}

std::string textOr(const char* text)
{
    return text ? text : "<null>";
}

/** The error part of a result: its code and its message text, the message's reference given back. */
std::string errorOf(Error* error)
{
    return std::to_string(error->errorCode) + " " + (error->errorMessage ? takeText(error->errorMessage) : "");
}

std::map<std::string, std::string> pairsOf(const IStringMap* map)
{
    std::map<std::string, std::string> pairs;
    for (int i = 0; map && i < map->count(); ++i)
        pairs[textOr(map->key(i))] = textOr(map->value(i));
    return pairs;
}

/** The values of a settings response handed over with one reference; the response is released. */
std::map<std::string, std::string> takeValues(ISettingsResponse* response)
{
    if (!response)
        return {};
    const auto values = adopt(response->values());
    auto pairs = pairsOf(values.get());
    EXPECT_EQ(nullptr, adopt(response->errors()).get());
    EXPECT_EQ(nullptr, adopt(response->model()).get());
    EXPECT_EQ(0, response->releaseRef());
    return pairs;
}

Result<IString*> presetTextResult()
{
    return {{kNoError, nullptr}, nullptr};
}

Result<ISettingsResponse*> presetSettingsResult()
{
    return {{kNoError, nullptr}, nullptr};
}

/**
 * Slots 1 to 3: each id answers with the object itself and one new reference, the root id too; each
 * refused id answers null and leaves the count alone.
 */
void expectRefCountingSlots(
    const IRefCountable* object, std::vector<const char*> ids, std::vector<const char*> refusedIds = {})
{
    ASSERT_NE(nullptr, object);
    const int count = refCountOf(object);
    EXPECT_EQ(count + 1, object->addRef());
    EXPECT_EQ(count, object->releaseRef());

    ids.push_back("tesh::sdk::IRefCountable");
    for (const char* id: ids)
    {
        const IRefCountable* const answer = object->queryInterface(id);
        EXPECT_EQ(object, answer) << id;
        EXPECT_EQ(count + 1, refCountOf(object)) << id;
        if (answer)
        {
            EXPECT_EQ(count, answer->releaseRef()) << id;
        }
    }

    refusedIds.push_back("tesh::sdk::IRefCountabl");
    refusedIds.push_back("tesh::sdk::IRefCountable2");
    for (const char* id: refusedIds)
    {
        EXPECT_EQ(nullptr, object->queryInterface(id)) << id;
        EXPECT_EQ(count, refCountOf(object)) << id;
    }
}

contract_factory::TrackId trackIdOf(unsigned char first)
{
    contract_factory::TrackId trackId{};
    for (int i = 0; i < 16; ++i)
        trackId.bytes[i] = static_cast<unsigned char>(first + i);
    return trackId;
}

std::string hexOf(const contract_factory::TrackId& trackId)
{
    static const char* const kDigits = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte: trackId.bytes)
    {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

void expectSameTrackId(const contract_factory::TrackId& expected, const Uuid& actual)
{
    EXPECT_EQ(0, std::memcmp(expected.bytes, actual.bytes, 16));
}

void expectSameBox(const contract_factory::Box& expected, const Rect& actual)
{
    EXPECT_FLOAT_EQ(expected.x, actual.x);
    EXPECT_FLOAT_EQ(expected.y, actual.y);
    EXPECT_FLOAT_EQ(expected.width, actual.width);
    EXPECT_FLOAT_EQ(expected.height, actual.height);
}

// ---------------------------------------------------------------------------------------------------
// The process as the host sets it up: a named library with a registry, before any object exists.

host_side::CountingRegistry& registry()
{
    static auto* const theRegistry = new host_side::CountingRegistry();
    return *theRegistry;
}

class HostSetup: public testing::Environment
{
public:
    void SetUp() override
    {
        auto* const context = static_cast<ILibContext*>(contract_factory::libContext());
        context->setName(kLibraryName);
        context->setRefCountableRegistry(&registry()); //< The context owns it from now on.
    }
};

[[maybe_unused]] testing::Environment* const hostSetup = testing::AddGlobalTestEnvironment(new HostSetup);

/** Every test ends with the library's objects it made destroyed and the host's objects it lent let go. */
class Contract: public testing::Test
{
protected:
    void SetUp() override
    {
        m_libraryObjectsBefore = registry().liveCount();
        m_hostObjectsBefore = host_side::liveHostObjects();
    }

    void TearDown() override
    {
        EXPECT_EQ(m_libraryObjectsBefore, registry().liveCount()) << "library objects left alive";
        EXPECT_EQ(m_hostObjectsBefore, host_side::liveHostObjects()) << "host objects still referenced";
        EXPECT_EQ(0, registry().misfits()) << "registry told of an unknown object or an unexpected count";
    }

private:
    int m_libraryObjectsBefore = 0;
    int m_hostObjectsBefore = 0;
};

// ---------------------------------------------------------------------------------------------------
// Value objects.

class ValueObjects: public Contract
{};

TEST_F(ValueObjects, StringAnswersItsIdAndReadsBackItsText)
{
    const int createdBefore = registry().created();
    const auto text = adopt<IString>(contract_factory::newString("a \"quoted\" text"));
    EXPECT_EQ(createdBefore + 1, registry().created());
    expectRefCountingSlots(text.get(), {"tesh::sdk::IString"}, {"tesh::sdk::IStringMap"});
    EXPECT_STREQ("a \"quoted\" text", text->str());
}

TEST_F(ValueObjects, StringMapReadsBackPairsInKeyOrderByIndexAndByKey)
{
    const contract_factory::Pair pairs[] = {{"b", "2"}, {"a", "1"}, {"ab", "12"}};
    const auto map = adopt<IStringMap>(contract_factory::newStringMap(pairs, 3));
    expectRefCountingSlots(map.get(), {"tesh::sdk::IStringMap"}, {"tesh::sdk::IString"});

    ASSERT_EQ(3, map->count());
    EXPECT_STREQ("a", map->key(0));
    EXPECT_STREQ("ab", map->key(1));
    EXPECT_STREQ("b", map->key(2));
    EXPECT_EQ(nullptr, map->key(3));
    EXPECT_EQ(nullptr, map->key(-1));

    EXPECT_STREQ("12", map->value("ab"));
    EXPECT_STREQ("2", map->value("b"));
    EXPECT_EQ(nullptr, map->value("c"));
    EXPECT_EQ(nullptr, map->value(static_cast<const char*>(nullptr)));

    EXPECT_STREQ("1", map->value(0));
    EXPECT_STREQ("12", map->value(1));
    EXPECT_STREQ("2", map->value(2));
    EXPECT_EQ(nullptr, map->value(3));
}

TEST_F(ValueObjects, SettingsResponseHandsOutItsValuesWithANewReferenceAndNoErrorsOrModel)
{
    const contract_factory::Pair values[] = {{"AIX_SENSITIVITY", "7"}, {"HL_DURATION", "3"}};
    const auto response = adopt<ISettingsResponse>(contract_factory::newSettingsResponse(values, 2));
    expectRefCountingSlots(response.get(), {"tesh::sdk::ISettingsResponse1", "tesh::sdk::ISettingsResponse"},
        {"tesh::sdk::ISettingsResponse2"});

    const auto map = adopt(response->values());
    ASSERT_NE(nullptr, map);
    EXPECT_EQ(2, refCountOf(map.get())) << "one reference for the response, one for the caller";
    EXPECT_EQ((std::map<std::string, std::string>{{"AIX_SENSITIVITY", "7"}, {"HL_DURATION", "3"}}), pairsOf(map.get()));
    EXPECT_EQ(nullptr, adopt(response->errors()).get());
    EXPECT_EQ(nullptr, adopt(response->model()).get());
}

TEST_F(ValueObjects, AttributeReadsBackTypeNameValueAndConfidence)
{
    const auto attribute = adopt<IAttribute>(contract_factory::newAttribute({5, "Color", "Red", 0.75F}));
    expectRefCountingSlots(attribute.get(), {"tesh::sdk::IAttribute"});
    EXPECT_EQ(5, attribute->type());
    EXPECT_STREQ("Color", attribute->name());
    EXPECT_STREQ("Red", attribute->value());
    EXPECT_FLOAT_EQ(0.75F, attribute->confidence());
}

// ---------------------------------------------------------------------------------------------------
// Metadata items.

class MetadataItems: public Contract
{};

TEST_F(MetadataItems, ObjectMetadataReadsBackTypeTrackBoxAndAttributesInOrder)
{
    const auto trackId = trackIdOf(0x10);
    const contract_factory::Box box{0.125F, 0.25F, 0.5F, 0.375F};
    const contract_factory::AttributeFields attributes[] = {{0, "Gender", "Man", 0.5F}, {2, "Age", "Adult", 0.25F}};
    const auto object
        = adopt<IObjectMetadata>(contract_factory::newObjectMetadata("tesh.qv.Human", trackId, box, attributes, 2));
    expectRefCountingSlots(object.get(), {"tesh::sdk::analytics::IObjectMetadata", "tesh::sdk::analytics::IMetadata"},
        {"tesh::sdk::analytics::IEventMetadata", "tesh::sdk::IAttribute"});

    EXPECT_STREQ("tesh.qv.Human", object->typeId());
    EXPECT_FLOAT_EQ(1.0F, object->confidence());
    ASSERT_EQ(2, object->attributeCount());
    const auto first = adopt(object->attribute(0));
    const auto second = adopt(object->attribute(1));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(2, refCountOf(first.get())) << "one reference for the object, one for the caller";
    EXPECT_STREQ("Gender", first->name());
    EXPECT_STREQ("Man", first->value());
    EXPECT_EQ(2, second->type());
    EXPECT_STREQ("Age", second->name());
    EXPECT_FLOAT_EQ(0.25F, second->confidence());
    EXPECT_EQ(nullptr, object->attribute(-1));
    EXPECT_EQ(nullptr, object->attribute(2));

    Uuid readTrackId{};
    object->getTrackId(&readTrackId);
    expectSameTrackId(trackId, readTrackId);
    EXPECT_STREQ("", object->auxiliaryText());
    Rect readBox{};
    object->getBoundingBox(&readBox);
    expectSameBox(box, readBox);
}

TEST_F(MetadataItems, EventMetadataReadsBackCaptionDescriptionStateAndTrack)
{
    const auto trackId = trackIdOf(0x40);
    const auto event = adopt<IEventMetadata>(contract_factory::newEventMetadata(
        "tesh.qv.LineCrossing", "Line 2 crossed", "Counted 4 objects", true, trackId));
    expectRefCountingSlots(event.get(),
        {"tesh::sdk::analytics::IEventMetadata2", "tesh::sdk::analytics::IEventMetadata1",
            "tesh::sdk::analytics::IEventMetadata", "tesh::sdk::analytics::IMetadata"},
        {"tesh::sdk::analytics::IObjectMetadata", "tesh::sdk::analytics::IEventMetadata3"});

    EXPECT_STREQ("tesh.qv.LineCrossing", event->typeId());
    EXPECT_FLOAT_EQ(1.0F, event->confidence());
    EXPECT_EQ(0, event->attributeCount());
    EXPECT_EQ(nullptr, event->attribute(0));
    EXPECT_STREQ("Line 2 crossed", event->caption());
    EXPECT_STREQ("Counted 4 objects", event->description());
    EXPECT_TRUE(event->isActive());
    Uuid readTrackId{};
    event->getTrackId(&readTrackId);
    expectSameTrackId(trackId, readTrackId);
    EXPECT_STREQ("", event->auxiliaryText());

    const auto inactive
        = adopt<IEventMetadata>(contract_factory::newEventMetadata("tesh.qv.Tampering", "", "", false, trackIdOf(0)));
    EXPECT_FALSE(inactive->isActive());
}

// ---------------------------------------------------------------------------------------------------
// Metadata packets.

class MetadataPackets: public Contract
{};

TEST_F(MetadataPackets, ObjectPacketReadsBackTimeDurationAndItemsWithNewReferences)
{
    const contract_factory::Box box{0.1F, 0.2F, 0.3F, 0.4F};
    const auto car
        = adopt<IObjectMetadata>(contract_factory::newObjectMetadata("tesh.qv.Car", trackIdOf(1), box, nullptr, 0));
    const auto bus
        = adopt<IObjectMetadata>(contract_factory::newObjectMetadata("tesh.qv.Bus", trackIdOf(2), box, nullptr, 0));
    void* const items[] = {car.get(), bus.get()};
    const auto packet = adopt<IObjectMetadataPacket>(contract_factory::newObjectMetadataPacket(1000, 1, items, 2));
    EXPECT_EQ(2, refCountOf(car.get())) << "the packet holds a reference of its own";
    expectRefCountingSlots(packet.get(),
        {"tesh::sdk::analytics::IObjectMetadataPacket1", "tesh::sdk::analytics::IObjectMetadataPacket",
            "tesh::sdk::analytics::ICompoundMetadataPacket", "tesh::sdk::analytics::IMetadataPacket",
            "tesh::sdk::analytics::IDataPacket"},
        {"tesh::sdk::analytics::IEventMetadataPacket", "tesh::sdk::analytics::IObjectTrackBestShotPacket"});

    EXPECT_EQ(1000, packet->timestampUs());
    EXPECT_EQ(1, packet->durationUs());
    ASSERT_EQ(2, packet->count());
    const auto first = adopt(packet->at(0));
    EXPECT_EQ(static_cast<IMetadata*>(car.get()), first.get());
    EXPECT_EQ(3, refCountOf(car.get()));
    const auto second = adopt(packet->at(1));
    ASSERT_NE(nullptr, second);
    EXPECT_STREQ("tesh.qv.Bus", second->typeId());
    EXPECT_EQ(nullptr, packet->at(2));
    EXPECT_EQ(nullptr, packet->at(-1));
    EXPECT_EQ(0, packet->auxiliaryValue());
}

TEST_F(MetadataPackets, EventPacketReadsBackTimeDurationAndItemsWithNewReferences)
{
    const auto event = adopt<IEventMetadata>(
        contract_factory::newEventMetadata("tesh.qv.Loitering", "Loitering", "Region 3", true, trackIdOf(9)));
    void* const items[] = {event.get()};
    const auto packet = adopt<IEventMetadataPacket>(contract_factory::newEventMetadataPacket(2500, 7, items, 1));
    expectRefCountingSlots(packet.get(),
        {"tesh::sdk::analytics::IEventMetadataPacket1", "tesh::sdk::analytics::IEventMetadataPacket",
            "tesh::sdk::analytics::ICompoundMetadataPacket", "tesh::sdk::analytics::IMetadataPacket",
            "tesh::sdk::analytics::IDataPacket"},
        {"tesh::sdk::analytics::IObjectMetadataPacket"});

    EXPECT_EQ(2500, packet->timestampUs());
    EXPECT_EQ(7, packet->durationUs());
    ASSERT_EQ(1, packet->count());
    const auto item = adopt(packet->at(0));
    ASSERT_NE(nullptr, item);
    const auto asEvent = query<IEventMetadata>(item.get(), "tesh::sdk::analytics::IEventMetadata2");
    ASSERT_NE(nullptr, asEvent);
    EXPECT_STREQ("Region 3", asEvent->description());
    EXPECT_EQ(nullptr, packet->at(1));
    EXPECT_EQ(0, packet->auxiliaryValue());
}

TEST_F(MetadataPackets, BestShotPacketReadsBackTrackBoxAndImageUrlWithNoImageBytes)
{
    const auto trackId = trackIdOf(0x80);
    const contract_factory::Box box{0.5F, 0.625F, 0.125F, 0.0625F};
    const auto packet = adopt<IObjectTrackBestShotPacket>(
        contract_factory::newBestShotPacket(trackId, 4321, box, "http://127.0.0.1/shot.jpg"));
    expectRefCountingSlots(packet.get(),
        {"tesh::sdk::analytics::IObjectTrackBestShotPacket2", "tesh::sdk::analytics::IObjectTrackBestShotPacket1",
            "tesh::sdk::analytics::IObjectTrackBestShotPacket", "tesh::sdk::analytics::IMetadataPacket",
            "tesh::sdk::analytics::IDataPacket"},
        {"tesh::sdk::analytics::ICompoundMetadataPacket", "tesh::sdk::analytics::IObjectMetadataPacket1"});

    EXPECT_EQ(4321, packet->timestampUs());
    Uuid readTrackId{};
    packet->getTrackId(&readTrackId);
    expectSameTrackId(trackId, readTrackId);
    Rect readBox{};
    packet->getBoundingBox(&readBox);
    expectSameBox(box, readBox);
    EXPECT_STREQ("http://127.0.0.1/shot.jpg", packet->imageUrl());
    EXPECT_EQ(nullptr, packet->imageData());
    EXPECT_EQ(0, packet->imageDataSize());
    EXPECT_STREQ("", packet->imageDataFormat());
    EXPECT_EQ(nullptr, packet->attribute(0));
    EXPECT_EQ(0, packet->attributeCount());
    EXPECT_EQ(0, packet->auxiliaryValue());
}

// ---------------------------------------------------------------------------------------------------
// The host's objects that the plug-in, engine and agents are handed.

class OpaqueHostObject: public HostObject<IOpaqueHostObject>
{
public:
    explicit OpaqueHostObject(const char* id): HostObject({id}) {}
};

class HostDeviceInfo: public HostObject<IDeviceInfo>
{
public:
    HostDeviceInfo(std::string id, std::string vendor):
        HostObject({"tesh::sdk::IDeviceInfo"}),
        m_id(std::move(id)),
        m_vendor(std::move(vendor))
    {}

    const char* id() const override { return noted("id", m_id); }
    const char* vendor() const override { return noted("vendor", m_vendor); }
    const char* model() const override { return noted("model", "QV-3200"); }
    const char* firmware() const override { return noted("firmware", "fw-1.0"); }
    const char* name() const override { return noted("name", "Gate camera"); }
    const char* url() const override { return noted("url", "http://127.0.0.1:8080/"); }
    const char* login() const override { return noted("login", "operator"); }
    const char* password() const override { return noted("password", "s3cret"); }

private:
    const char* noted(const char* slot, const std::string& text) const
    {
        note(slot);
        return text.c_str();
    }

    const char* noted(const char* slot, const char* text) const
    {
        note(slot);
        return text;
    }

private:
    const std::string m_id;
    const std::string m_vendor;
};

class HostEngineInfo: public HostObject<IEngineInfo>
{
public:
    HostEngineInfo(): HostObject({"tesh::sdk::analytics::IEngineInfo"}) {}

    const char* id() const override
    {
        note("id");
        return "engine-7";
    }
};

/** Keeps every packet it is handed, as a host that shows them later would. */
class HostDeviceAgentHandler: public HostObject<IDeviceAgentHandler>
{
public:
    HostDeviceAgentHandler(): HostObject({"tesh::sdk::analytics::IDeviceAgent::IHandler"}) {}

    void handleMetadata(IMetadataPacket* metadataPacket) override
    {
        note("handleMetadata");
        if (metadataPacket)
            metadataPacket->addRef();
        m_packets.emplace_back(metadataPacket);
    }

    std::vector<Held<IMetadataPacket>>& packets() { return m_packets; }

private:
    std::vector<Held<IMetadataPacket>> m_packets;
};

class HostCustomMetadataPacket: public HostObject<ICustomMetadataPacket>
{
public:
    HostCustomMetadataPacket(int64_t timestampUs, std::string bytes):
        HostObject({"tesh::sdk::analytics::ICustomMetadataPacket", "tesh::sdk::analytics::IDataPacket"}),
        m_timestampUs(timestampUs),
        m_bytes(std::move(bytes))
    {}

    int64_t timestampUs() const override
    {
        note("timestampUs");
        return m_timestampUs;
    }

    const char* codec() const override
    {
        note("codec");
        return "text/xml";
    }

    const char* data() const override
    {
        note("data");
        return m_bytes.c_str();
    }

    int dataSize() const override
    {
        note("dataSize");
        return static_cast<int>(m_bytes.size());
    }

private:
    const int64_t m_timestampUs;
    const std::string m_bytes;
};

class HostCompressedVideoPacket: public HostObject<ICompressedVideoPacket>
{
public:
    HostCompressedVideoPacket(int width, int height):
        HostObject({"tesh::sdk::analytics::ICompressedVideoPacket1", "tesh::sdk::analytics::ICompressedVideoPacket",
            "tesh::sdk::analytics::IDataPacket"}),
        m_width(width),
        m_height(height)
    {}

    int64_t timestampUs() const override
    {
        note("timestampUs");
        return 5000;
    }

    const char* codec() const override
    {
        note("codec");
        return "H264";
    }

    const char* data() const override
    {
        note("data");
        return "";
    }

    int dataSize() const override
    {
        note("dataSize");
        return 0;
    }

    const IRefCountable* context() const override
    {
        note("context");
        return nullptr;
    }

    int flags() const override
    {
        note("flags");
        return 0;
    }

    int width() const override
    {
        note("width");
        return m_width;
    }

    int height() const override
    {
        note("height");
        return m_height;
    }

private:
    const int m_width;
    const int m_height;
};

/** A data packet of a kind the agent does not take. */
class HostPlainDataPacket: public HostObject<IDataPacket>
{
public:
    explicit HostPlainDataPacket(int64_t timestampUs):
        HostObject({"tesh::sdk::analytics::IDataPacket"}),
        m_timestampUs(timestampUs)
    {}

    int64_t timestampUs() const override { return m_timestampUs; }

private:
    const int64_t m_timestampUs;
};

class HostAction: public HostObject<IAction>
{
public:
    HostAction(contract_factory::TrackId trackId, contract_factory::TrackId deviceId, IStringMap* params):
        HostObject({"tesh::sdk::analytics::IAction"}),
        m_trackId(trackId),
        m_deviceId(deviceId),
        m_trackInfo(new OpaqueHostObject("tesh::sdk::analytics::IObjectTrackInfo")),
        m_params(params)
    {
        m_params->addRef();
    }

    const char* actionId() const override
    {
        note("actionId");
        return "tesh.qv.resetCounter";
    }

    void getObjectTrackId(Uuid* outValue) const override
    {
        note("getObjectTrackId");
        std::memcpy(outValue->bytes, m_trackId.bytes, 16);
    }

    void getDeviceId(Uuid* outValue) const override
    {
        note("getDeviceId");
        std::memcpy(outValue->bytes, m_deviceId.bytes, 16);
    }

    IRefCountable* objectTrackInfo() const override
    {
        note("objectTrackInfo");
        m_trackInfo->addRef();
        return m_trackInfo.get();
    }

    int64_t timestampUs() const override
    {
        note("timestampUs");
        return 987654321;
    }

    IStringMap* params() const override
    {
        note("params");
        m_params->addRef();
        return m_params.get();
    }

    const IRefCountable* trackInfo() const { return m_trackInfo.get(); }

private:
    const contract_factory::TrackId m_trackId;
    const contract_factory::TrackId m_deviceId;
    const Held<IRefCountable> m_trackInfo;
    const Held<IStringMap> m_params;
};

class HostActiveSettingChangedAction: public HostObject<IActiveSettingChangedAction>
{
public:
    HostActiveSettingChangedAction(std::string settingName, IStringMap* settingsValues):
        HostObject({"tesh::sdk::analytics::IActiveSettingChangedAction"}),
        m_settingName(std::move(settingName)),
        m_settingsValues(settingsValues)
    {
        m_settingsValues->addRef();
    }

    const char* activeSettingName() const override
    {
        note("activeSettingName");
        return m_settingName.c_str();
    }

    IStringMap* params() const override
    {
        note("params");
        return nullptr;
    }

    IStringMap* settingsValues() const override
    {
        note("settingsValues");
        m_settingsValues->addRef();
        return m_settingsValues.get();
    }

private:
    const std::string m_settingName;
    const Held<IStringMap> m_settingsValues;
};

template<class T, typename... Args>
Held<T> make(Args&&... args)
{
    return Held<T>(new T(std::forward<Args>(args)...));
}

// ---------------------------------------------------------------------------------------------------
// Plug-in, engine and device agent.

constexpr const char* kPluginManifest = R"({"id": "tesh.qv.contract", "name": "Contract"})";
constexpr const char* kEngineManifest = R"({"deviceAgentSettingsModel": {}})";
constexpr const char* kAgentManifest = R"({"supportedTypes": []})";
constexpr const char* kVendor = "Quorvane";

class PluginObjects: public Contract
{
protected:
    Held<IPlugin> newPlugin()
    {
        return adopt<IPlugin>(contract_factory::newPlugin({kPluginManifest, kEngineManifest, kAgentManifest, kVendor}));
    }

    Held<IEngine> obtainEngine(IPlugin* plugin)
    {
        Result<IEngine*> result{{kNoError, nullptr}, nullptr};
        plugin->obtainEngine(&result);
        EXPECT_EQ("0 ", errorOf(&result.error));
        return adopt(result.value);
    }

    Held<IDeviceAgent> obtainAgent(IEngine* engine, const IDeviceInfo* deviceInfo)
    {
        Result<IDeviceAgent*> result{{kNoError, nullptr}, nullptr};
        engine->obtainDeviceAgent(&result, deviceInfo);
        EXPECT_EQ("0 ", errorOf(&result.error));
        return adopt(result.value);
    }
};

TEST_F(PluginObjects, PluginAnswersItsManifestAndHandsOutAnEngine)
{
    const auto plugin = newPlugin();
    expectRefCountingSlots(plugin.get(),
        {"tesh::sdk::analytics::IPlugin", "tesh::sdk::analytics::IIntegration", "tesh::sdk::IPlugin",
            "tesh::sdk::IIntegration"},
        {"tesh::sdk::analytics::IEngine"});

    auto manifest = presetTextResult();
    plugin->getManifest(&manifest);
    EXPECT_EQ("0 ", errorOf(&manifest.error));
    EXPECT_EQ(kPluginManifest, takeText(manifest.value));

    const auto engine = obtainEngine(plugin.get());
    ASSERT_NE(nullptr, engine);
    EXPECT_EQ(1, refCountOf(engine.get())) << "the engine came with exactly one reference";
    expectRefCountingSlots(engine.get(), {"tesh::sdk::analytics::IEngine1", "tesh::sdk::analytics::IEngine"},
        {"tesh::sdk::analytics::IPlugin", "tesh::sdk::analytics::IEngine2"});
}

TEST_F(PluginObjects, PluginKeepsTheUtilityProviderUntilItIsReleased)
{
    const auto provider = make<OpaqueHostObject>("tesh::sdk::IUtilityProvider");
    auto plugin = newPlugin();
    plugin->setUtilityProvider(provider.get());
    EXPECT_EQ(2, refCountOf(provider.get()));
    plugin.reset();
    EXPECT_EQ(1, refCountOf(provider.get()));
}

TEST_F(PluginObjects, EngineAnswersItsManifestAndJudgesDevicesByVendor)
{
    const auto engine = obtainEngine(newPlugin().get());
    auto manifest = presetTextResult();
    engine->getManifest(&manifest);
    EXPECT_EQ("0 ", errorOf(&manifest.error));
    EXPECT_EQ(kEngineManifest, takeText(manifest.value));

    const auto compatible = make<HostDeviceInfo>("cam-1", kVendor);
    const auto foreign = make<HostDeviceInfo>("cam-2", "Elsewhere");
    EXPECT_TRUE(engine->isCompatible(compatible.get()));
    EXPECT_FALSE(engine->isCompatible(foreign.get()));
    EXPECT_EQ(1, foreign->calls("vendor"));
    EXPECT_EQ(1, refCountOf(compatible.get())) << "a device description is only borrowed";
}

TEST_F(PluginObjects, EngineMergesSettingsAndLogsThemUnderItsEngineId)
{
    const auto engine = obtainEngine(newPlugin().get());
    const auto engineInfo = make<HostEngineInfo>();
    engine->setEngineInfo(engineInfo.get());
    EXPECT_GE(engineInfo->calls("id"), 1);

    const auto first = make<HostStringMap>(std::map<std::string, std::string>{{"a", "1"}});
    const auto second = make<HostStringMap>(std::map<std::string, std::string>{{"b", "2"}, {"a", "3"}});
    auto result = presetSettingsResult();
    testing::internal::CaptureStderr();
    engine->doSetSettings(&result, first.get());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ("0 ", errorOf(&result.error));
    takeValues(result.value);
    EXPECT_NE(std::string::npos, log.find(std::string("[") + kLibraryName + "_engine_engine-7] Received settings:"))
        << log;
    EXPECT_GE(first->calls("count"), 1);
    EXPECT_GE(first->calls("key"), 1);
    EXPECT_GE(first->calls("value(index)"), 1);

    result = presetSettingsResult();
    engine->doSetSettings(&result, second.get());
    EXPECT_EQ("0 ", errorOf(&result.error));
    EXPECT_EQ((std::map<std::string, std::string>{{"a", "3"}, {"b", "2"}}), takeValues(result.value));

    result = presetSettingsResult();
    engine->doSetSettings(&result, nullptr);
    EXPECT_EQ(std::to_string(kInvalidParams) + " Unable to convert the input string map", errorOf(&result.error));
    EXPECT_EQ(nullptr, result.value);
}

TEST_F(PluginObjects, EngineLeavesThePresetResultsOfPluginSideSettingsAndActiveSettings)
{
    const auto engine = obtainEngine(newPlugin().get());
    auto settings = presetSettingsResult();
    engine->getPluginSideSettings(&settings);
    EXPECT_EQ(kNoError, settings.error.errorCode);
    EXPECT_EQ(nullptr, settings.error.errorMessage);
    EXPECT_EQ(nullptr, settings.value);

    const auto values = make<HostStringMap>(std::map<std::string, std::string>{{"x", "1"}});
    const auto action = make<HostActiveSettingChangedAction>("x", values.get());
    Result<IRefCountable*> response{{kNoError, nullptr}, nullptr};
    engine->onActiveSettingChanged(&response, action.get());
    EXPECT_EQ(kNoError, response.error.errorCode);
    EXPECT_EQ(nullptr, response.error.errorMessage);
    EXPECT_EQ(nullptr, response.value);
    EXPECT_EQ(1, refCountOf(action.get()));
}

TEST_F(PluginObjects, EngineUnpacksEverySlotOfAnAction)
{
    const auto engine = obtainEngine(newPlugin().get());
    const auto params = make<HostStringMap>(std::map<std::string, std::string>{{"line", "2"}, {"mode", "all"}});
    const auto trackId = trackIdOf(0x20);
    const auto deviceId = trackIdOf(0xA0);
    const auto action = make<HostAction>(trackId, deviceId, params.get());

    Result<ActionResult> result{{kOtherError, nullptr}, {nullptr, nullptr}};
    engine->doExecuteAction(&result, action.get());
    EXPECT_EQ("0 ", errorOf(&result.error));
    EXPECT_EQ("tesh.qv.resetCounter", takeText(result.value.url));
    EXPECT_EQ(hexOf(trackId) + " " + hexOf(deviceId) + " 987654321 with track info line=2;mode=all;",
        takeText(result.value.message));
    EXPECT_EQ(1, refCountOf(action->trackInfo())) << "the track info reference was given back";
    EXPECT_EQ(2, refCountOf(params.get())) << "the parameters reference was given back";

    Result<ActionResult> refused{{kNoError, nullptr}, {nullptr, nullptr}};
    engine->doExecuteAction(&refused, nullptr);
    EXPECT_EQ(std::to_string(kInvalidParams) + " Action is null", errorOf(&refused.error));
}

TEST_F(PluginObjects, EngineKeepsItsHandlerUntilItIsReleased)
{
    const auto handler = make<OpaqueHostObject>("tesh::sdk::analytics::IEngine::IHandler");
    auto engine = obtainEngine(newPlugin().get());
    engine->setHandler(handler.get());
    engine->setHandler(handler.get());
    EXPECT_EQ(2, refCountOf(handler.get()));
    engine.reset();
    EXPECT_EQ(1, refCountOf(handler.get()));
}

TEST_F(PluginObjects, EngineHandsOutADeviceAgentNamedAfterTheDevice)
{
    const auto engine = obtainEngine(newPlugin().get());
    const auto deviceInfo = make<HostDeviceInfo>("cam-42", kVendor);
    const auto agent = obtainAgent(engine.get(), deviceInfo.get());
    ASSERT_NE(nullptr, agent);
    EXPECT_EQ(1, refCountOf(agent.get())) << "the agent came with exactly one reference";
    EXPECT_GE(deviceInfo->calls("id"), 1);
    EXPECT_EQ(1, refCountOf(deviceInfo.get())) << "the agent keeps no reference to the description";
    expectRefCountingSlots(agent.get(),
        {"tesh::sdk::analytics::IConsumingDeviceAgent2", "tesh::sdk::analytics::IConsumingDeviceAgent1",
            "tesh::sdk::analytics::IConsumingDeviceAgent", "tesh::sdk::analytics::IDeviceAgent"},
        {"tesh::sdk::analytics::IEngine", "tesh::sdk::analytics::IConsumingDeviceAgent3"});

    auto manifest = presetTextResult();
    agent->getManifest(&manifest);
    EXPECT_EQ("0 ", errorOf(&manifest.error));
    EXPECT_EQ(kAgentManifest, takeText(manifest.value));
}

/** One agent per test, for a device of the engine's vendor. */
class DeviceAgentSlots: public PluginObjects
{
protected:
    void SetUp() override
    {
        PluginObjects::SetUp();
        m_deviceInfo = make<HostDeviceInfo>("cam-9", kVendor);
        m_agent = obtainAgent(obtainEngine(newPlugin().get()).get(), m_deviceInfo.get());
        ASSERT_NE(nullptr, m_agent);
        m_handler = make<HostDeviceAgentHandler>();
    }

    void TearDown() override
    {
        m_agent.reset();
        m_handler.reset();
        m_deviceInfo.reset();
        PluginObjects::TearDown();
    }

    std::string push(IDataPacket* packet)
    {
        Result<void> result{{kNoError, nullptr}}; //< The host presets success; only failures are written.
        m_agent->doPushDataPacket(&result, packet);
        return errorOf(&result.error);
    }

    std::map<std::string, std::string> pluginSideSettings()
    {
        auto result = presetSettingsResult();
        m_agent->getPluginSideSettings(&result);
        EXPECT_EQ("0 ", errorOf(&result.error));
        return takeValues(result.value);
    }

protected:
    Held<HostDeviceInfo> m_deviceInfo;
    Held<IDeviceAgent> m_agent;
    Held<HostDeviceAgentHandler> m_handler;
};

TEST_F(DeviceAgentSlots, CustomPacketComesBackToTheHandlerAsAnObjectPacket)
{
    m_agent->setHandler(m_handler.get());
    const auto custom = make<HostCustomMetadataPacket>(123456, "tesh.qv.Car");
    EXPECT_EQ("0 ", push(custom.get()));
    EXPECT_GE(custom->calls("data"), 1);
    EXPECT_GE(custom->calls("dataSize"), 1);
    EXPECT_EQ(0, custom->calls("codec"));
    EXPECT_EQ(1, refCountOf(custom.get())) << "the pushed packet is only borrowed";

    ASSERT_EQ(1u, m_handler->packets().size());
    const IMetadataPacket* const delivered = m_handler->packets()[0].get();
    ASSERT_NE(nullptr, delivered);
    EXPECT_EQ(123456, delivered->timestampUs());
    const auto objects = query<IObjectMetadataPacket>(delivered, "tesh::sdk::analytics::IObjectMetadataPacket1");
    ASSERT_NE(nullptr, objects);
    EXPECT_EQ(1, objects->durationUs());
    EXPECT_EQ(0, objects->auxiliaryValue());
    ASSERT_EQ(1, objects->count());
    const auto item = adopt(objects->at(0));
    ASSERT_NE(nullptr, item);
    EXPECT_STREQ("tesh.qv.Car", item->typeId());
    const auto object = query<IObjectMetadata>(item.get(), "tesh::sdk::analytics::IObjectMetadata");
    ASSERT_NE(nullptr, object);
    Rect box{};
    object->getBoundingBox(&box);
    EXPECT_FLOAT_EQ(-1.0F, box.width) << "a box never set reads back as -1";

    EXPECT_EQ(2, refCountOf(delivered)) << "the handler's reference and the query's; the agent kept none";
}

TEST_F(DeviceAgentSlots, AgentReportsWhatItReadFromTheDeviceAndFromAVideoFrame)
{
    m_agent->setHandler(m_handler.get());
    const auto frame = make<HostCompressedVideoPacket>(1920, 1080);
    EXPECT_EQ("0 ", push(frame.get()));
    EXPECT_EQ(1, frame->calls("width"));
    EXPECT_EQ(1, frame->calls("height"));
    EXPECT_EQ(0,
        frame->calls("codec") + frame->calls("data") + frame->calls("dataSize") + frame->calls("context")
            + frame->calls("flags"));
    EXPECT_TRUE(m_handler->packets().empty());

    const auto values = pluginSideSettings();
    EXPECT_EQ("1920", values.at("frameWidth"));
    EXPECT_EQ("1080", values.at("frameHeight"));
    EXPECT_EQ(kVendor, values.at("vendor"));
    EXPECT_EQ("QV-3200", values.at("model"));
    EXPECT_EQ("http://127.0.0.1:8080/", values.at("url"));
    EXPECT_EQ("operator", values.at("login"));
    EXPECT_EQ("s3cret", values.at("password"));
    EXPECT_EQ(0, m_deviceInfo->calls("firmware") + m_deviceInfo->calls("name"));
}

TEST_F(DeviceAgentSlots, PacketsTheAgentCannotTakeEndInAnErrorResult)
{
    const auto early = make<HostCustomMetadataPacket>(10, "tesh.qv.Car");
    EXPECT_EQ(std::to_string(kInternalError) + " setHandler() was not called.", push(early.get()));

    m_agent->setHandler(m_handler.get());
    const auto negative = make<HostCustomMetadataPacket>(-5, "tesh.qv.Car");
    EXPECT_EQ(std::to_string(kInvalidParams) + " dataPacket has invalid timestamp -5; discarding the packet.",
        push(negative.get()));
    const auto plain = make<HostPlainDataPacket>(10);
    EXPECT_EQ(std::to_string(kInvalidParams) + " Unsupported frame supplied; ignored.", push(plain.get()));
    EXPECT_EQ(std::to_string(kInvalidParams) + " dataPacket is null; discarding it.", push(nullptr));
    EXPECT_TRUE(m_handler->packets().empty());
}

TEST_F(DeviceAgentSlots, AgentMergesSettingsAndAnswersWithTheUnion)
{
    const auto first = make<HostStringMap>(std::map<std::string, std::string>{{"AIX_A", "1"}});
    const auto second = make<HostStringMap>(std::map<std::string, std::string>{{"AIX_B", "2"}});
    auto result = presetSettingsResult();
    m_agent->doSetSettings(&result, first.get());
    EXPECT_EQ("0 ", errorOf(&result.error));
    EXPECT_EQ((std::map<std::string, std::string>{{"AIX_A", "1"}}), takeValues(result.value));

    result = presetSettingsResult();
    m_agent->doSetSettings(&result, second.get());
    EXPECT_EQ("0 ", errorOf(&result.error));
    EXPECT_EQ((std::map<std::string, std::string>{{"AIX_A", "1"}, {"AIX_B", "2"}}), takeValues(result.value));

    result = presetSettingsResult();
    m_agent->doSetSettings(&result, nullptr);
    EXPECT_EQ(std::to_string(kInvalidParams) + " Settings are invalid", errorOf(&result.error));
    EXPECT_EQ(nullptr, result.value);
}

TEST_F(DeviceAgentSlots, NeededMetadataTypesSucceedsAndFinalizeLogsUnderTheDeviceId)
{
    const auto types = make<OpaqueHostObject>("tesh::sdk::analytics::IMetadataTypes");
    Result<void> result{{kOtherError, nullptr}};
    m_agent->neededMetadataTypes(&result, types.get());
    EXPECT_EQ("0 ", errorOf(&result.error));
    EXPECT_EQ(1, refCountOf(types.get()));

    testing::internal::CaptureStderr();
    m_agent->finalize();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string("[") + kLibraryName + "_device_cam-9] finalize()\n", log);
}

TEST_F(DeviceAgentSlots, ActiveSettingChangeReadsTheSettingNameAndCurrentValues)
{
    const auto values = make<HostStringMap>(std::map<std::string, std::string>{{"AIX_LINE#1", "on"}, {"HL", "3"}});
    const auto action = make<HostActiveSettingChangedAction>("AIX_LINE#1", values.get());
    Result<IRefCountable*> result{{kNoError, nullptr}, nullptr};
    m_agent->onActiveSettingChanged(&result, action.get());
    EXPECT_EQ("0 ", errorOf(&result.error));
    EXPECT_EQ(nullptr, result.value);
    EXPECT_EQ(1, action->calls("activeSettingName"));
    EXPECT_EQ(1, action->calls("settingsValues"));
    EXPECT_EQ(0, action->calls("params"));
    EXPECT_EQ(2, refCountOf(values.get())) << "the values reference was given back";

    const auto reported = pluginSideSettings();
    EXPECT_EQ("AIX_LINE#1", reported.at("activeSetting"));
    EXPECT_EQ("AIX_LINE#1=on;HL=3;", reported.at("activeValues"));
}

TEST_F(DeviceAgentSlots, AgentKeepsItsHandlerUntilItIsReleased)
{
    m_agent->setHandler(m_handler.get());
    m_agent->setHandler(m_handler.get());
    EXPECT_EQ(2, refCountOf(m_handler.get()));
    m_agent.reset();
    EXPECT_EQ(1, refCountOf(m_handler.get()));
}

} // namespace
