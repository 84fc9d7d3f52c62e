// Builds the device agent manifest from the shared type identifiers and the colour table.
#include "device_agent_manifest.h"

#include <cstdint>
#include <utility>

#include <nlohmann/json.hpp>

#include <metadata/named_colors.h>
#include <metadata/type_ids.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

// Plain nlohmann::json would sort the members; the host reads them in the order we write them.
using Json = nlohmann::ordered_json;

// Enumeration and colour types of the type library; nothing outside the manifest names them.
constexpr char kGenderEnumId[] = "tesh.qv.Gender";
constexpr char kBagEnumId[] = "tesh.qv.Bag";
constexpr char kColorTypeId[] = "tesh.qv.Color";

/** Indent of the serialised text: for people reading it, the host ignores whitespace. */
constexpr int kIndent = 4;

/** The largest colour component that fits the two hexadecimal digits of its place in "#RRGGBB". */
constexpr int32_t kMaxColorComponent = 0xFF;

constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr bool colorTableFitsRgbText()
{
    for (const NamedColor& color: kColorTable)
    {
        for (const int32_t component: {color.red, color.green, color.blue})
        {
            if (component < 0 || component > kMaxColorComponent)
                return false;
        }
    }
    return true;
}
static_assert(colorTableFitsRgbText(), "every colour component is written as two hexadecimal digits");

struct Attribute
{
    const char* type;
    const char* name;
    const char* subtype = nullptr;
};

constexpr Attribute kHeadAttributes[] = {
    {"Number", "Object ID", "integer"},
    {"Number", "Likelihood"},
};

constexpr Attribute kPersonAttributes[] = {
    {"Number", "Object ID", "integer"},
    {"Number", "Likelihood"},
    {"Enum", "Gender", kGenderEnumId},
    {"Color", "Top Color", kColorTypeId},
    {"Color", "Top Color 2", kColorTypeId},
    {"Color", "Bottom Color", kColorTypeId},
    {"Boolean", "Eyewear"},
    {"Boolean", "Mask"},
    {"Boolean", "Hat"},
    {"Boolean", "Helmet"},
    {"Enum", "Bag", kBagEnumId},
    {"String", "Behaviour"},
};

constexpr Attribute kVehicleKindAttributes[] = {
    {"Number", "Object ID", "integer"},
    {"Number", "Likelihood"},
    {"String", "Vehicle Type"},
    {"Number", "Type Likelihood"},
    {"Color", "Color", kColorTypeId},
    {"Number", "Speed", "integer"},
};

constexpr Attribute kLineCountingAttributes[] = {
    {"String", "Video Source"},
    {"String", "Rule"},
    {"Number", "Count"},
};

constexpr Attribute kBehaviorAttributes[] = {
    {"String", "Video Source"},
    {"String", "Rule"},
    {"Number", "Object ID"},
    {"String", "Class Type"},
    {"String", "Actions"},
    {"String", "States"},
};

constexpr Attribute kTamperingAttributes[] = {
    {"String", "Source"},
    {"String", "State"},
};

constexpr Attribute kSettingChangedAttributes[] = {
    {"String", "Video Source Token"},
    {"String", "Data"},
};

constexpr Attribute kRegionEventAttributes[] = {
    {"String", "Key"},
    {"String", "Value"},
};

// The object attributes we fill in: fewer than the type library declares.
constexpr const char* kHeadSupportedNames[] = {"Object ID"};
constexpr const char* kPersonSupportedNames[]
    = {"Object ID", "Gender", "Top Color", "Bottom Color", "Eyewear", "Mask", "Hat", "Helmet", "Bag"};
constexpr const char* kVehicleKindSupportedNames[] = {"Object ID", "Color", "Speed"};

struct ObjectKind
{
    const char* id;
    const char* name;
    const char* icon;
};

constexpr ObjectKind kVehicleKinds[] = {
    {kCarTypeId, "Car", "tesh.base.car"},
    {kTruckTypeId, "Truck", "tesh.base.truck"},
    {kBusTypeId, "Bus", "tesh.base.bus"},
    {kBicycleTypeId, "Bicycle", "tesh.base.bike"},
    {kMotorcycleTypeId, "Motorcycle", "tesh.base.bike"},
};

struct EventKind
{
    const char* id;
    const char* name;
};

constexpr EventKind kRegionEvents[] = {
    {kAppearTypeId, "Appear"},
    {kStayTypeId, "Stay"},
    {kDirectionTypeId, "Direction"},
    {kEnterTypeId, "Enter"},
    {kExitTypeId, "Exit"},
    {kLoiteringTypeId, "Loitering"},
};

template<typename Names>
Json nameList(const Names& names)
{
    Json list = Json::array();
    for (const char* name: names)
        list.push_back(name);
    return list;
}

template<typename Attributes>
Json attributeNames(const Attributes& attributes)
{
    Json list = Json::array();
    for (const Attribute& attribute: attributes)
        list.push_back(attribute.name);
    return list;
}

template<typename Attributes>
Json attributeTable(const Attributes& attributes)
{
    Json table = Json::array();
    for (const Attribute& attribute: attributes)
    {
        Json entry = {{"type", attribute.type}, {"name", attribute.name}};
        if (attribute.subtype)
            entry["subtype"] = attribute.subtype;
        table.push_back(std::move(entry));
    }
    return table;
}

Json supportedObject(const char* id, Json attributeNames)
{
    return {{"objectTypeId", id}, {"attributes", std::move(attributeNames)}};
}

Json supportedEvent(const char* id, Json attributeNames)
{
    return {{"eventTypeId", id}, {"attributes", std::move(attributeNames)}};
}

Json supportedTypes()
{
    Json types = Json::array();
    types.push_back(supportedObject(kHeadTypeId, nameList(kHeadSupportedNames)));
    types.push_back(supportedObject(kHumanTypeId, nameList(kPersonSupportedNames)));
    for (const ObjectKind& kind: kVehicleKinds)
        types.push_back(supportedObject(kind.id, nameList(kVehicleKindSupportedNames)));
    types.push_back(supportedEvent(kLineCountingTypeId, attributeNames(kLineCountingAttributes)));
    types.push_back(supportedEvent(kTamperingTypeId, attributeNames(kTamperingAttributes)));
    types.push_back(supportedEvent(kSettingChangedTypeId, attributeNames(kSettingChangedAttributes)));
    types.push_back(supportedEvent(kEventsGroupId, attributeNames(kRegionEventAttributes)));
    for (const EventKind& kind: kRegionEvents)
        types.push_back(supportedEvent(kind.id, attributeNames(kRegionEventAttributes)));
    return types;
}

/** Without a base when `base` is null. */
Json objectType(const char* id, const char* name, const char* icon, const char* base, Json attributes)
{
    Json type = {{"id", id}, {"name", name}, {"icon", icon}};
    if (base)
        type["base"] = base;
    type["attributes"] = std::move(attributes);
    return type;
}

Json objectTypes()
{
    Json types = Json::array();
    types.push_back(objectType(kHeadTypeId, "Head", "tesh.base.face", nullptr, attributeTable(kHeadAttributes)));
    types.push_back(objectType(kHumanTypeId, "Person", "tesh.base.person", nullptr, attributeTable(kPersonAttributes)));
    types.push_back(
        objectType(kVehicleTypeId, "Vehicle", "tesh.base.vehicle", nullptr, attributeTable(kHeadAttributes)));
    for (const ObjectKind& kind: kVehicleKinds)
    {
        types.push_back(
            objectType(kind.id, kind.name, kind.icon, kVehicleTypeId, attributeTable(kVehicleKindAttributes)));
    }
    return types;
}

/** Outside any group when `groupId` is null. */
Json eventType(const char* id, const char* name, const char* groupId, Json attributes)
{
    Json type = {{"id", id}, {"name", name}};
    if (groupId)
        type["groupId"] = groupId;
    type["attributes"] = std::move(attributes);
    return type;
}

Json eventTypes()
{
    Json types = Json::array();
    types.push_back(eventType(kLineCountingTypeId, "Line Counting", nullptr, attributeTable(kLineCountingAttributes)));
    types.push_back(eventType(kBehaviorAnalTypeId, "Behavior Changed", nullptr, attributeTable(kBehaviorAttributes)));
    types.push_back(eventType(kTamperingTypeId, "Tampering", nullptr, attributeTable(kTamperingAttributes)));
    types.push_back(
        eventType(kSettingChangedTypeId, "AI Settings Changed", nullptr, attributeTable(kSettingChangedAttributes)));
    for (const EventKind& kind: kRegionEvents)
        types.push_back(eventType(kind.id, kind.name, kEventsGroupId, attributeTable(kRegionEventAttributes)));
    return types;
}

Json groups()
{
    Json list = Json::array();
    list.push_back({{"id", kEventsGroupId}, {"name", "Region Events"}});
    return list;
}

Json enumTypes()
{
    Json list = Json::array();
    list.push_back({{"id", kGenderEnumId}, {"name", "Gender"}, {"items", {"Male", "Female"}}});
    list.push_back({{"id", kBagEnumId}, {"name", "Bag"}, {"items", {"Handbag", "Backpack"}}});
    return list;
}

std::string rgbText(const NamedColor& color)
{
    std::string text = "#";
    for (const int32_t component: {color.red, color.green, color.blue})
    {
        text += kHexDigits[component >> 4];
        text += kHexDigits[component & 0xF];
    }
    return text;
}

Json colorTypes()
{
    Json items = Json::array();
    for (const NamedColor& color: kColorTable)
        items.push_back({{"name", color.name}, {"rgb", rgbText(color)}});
    Json list = Json::array();
    list.push_back({{"id", kColorTypeId}, {"name", "Color"}, {"items", std::move(items)}});
    return list;
}

Json typeLibrary()
{
    return {{"objectTypes", objectTypes()}, {"eventTypes", eventTypes()}, {"groups", groups()},
        {"enumTypes", enumTypes()}, {"colorTypes", colorTypes()}};
}

std::string buildManifest()
{
    const Json manifest = {{"supportedTypes", supportedTypes()}, {"typeLibrary", typeLibrary()}};
    return manifest.dump(kIndent) + "\n";
}

} // namespace

const std::string& deviceAgentManifest()
{
    // Destroyed at the unload like any static: releasing an agent late at exit never reads it, only getManifest does.
    static const std::string text = buildManifest();
    return text;
}

} // namespace tesh::vms_server_plugins::analytics::qv
