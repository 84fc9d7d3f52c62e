// The device agent manifest: the types the host may expect from an agent and the type library describing them.
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <plugin/device_agent_manifest.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

// Ordered, so that comparing two objects also compares the order of their members.
using Json = nlohmann::ordered_json;

Json parsedManifest()
{
    return Json::parse(deviceAgentManifest(), nullptr, false);
}

std::vector<std::string> memberNames(const Json& object)
{
    std::vector<std::string> names;
    for (const auto& member: object.items())
        names.push_back(member.key());
    return names;
}

struct AttributeRow
{
    std::string type;
    std::string name;
    std::string subtype; //< Empty: the attribute has none.
};

Json attributeTable(const std::vector<AttributeRow>& rows)
{
    Json table = Json::array();
    for (const AttributeRow& row: rows)
    {
        Json attribute = {{"type", row.type}, {"name", row.name}};
        if (!row.subtype.empty())
            attribute["subtype"] = row.subtype;
        table.push_back(attribute);
    }
    return table;
}

TEST(DeviceAgentManifest, isOneObjectOfTheSupportedTypesThenTheTypeLibrary)
{
    ASSERT_NE(Json::parse(R"({"a": 1, "b": 2})"), Json::parse(R"({"b": 2, "a": 1})"))
        << "the comparisons here rely on member order";

    const std::string& text = deviceAgentManifest();
    EXPECT_EQ(&deviceAgentManifest(), &text) << "every agent hands out the same text";
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.front(), '{') << "no line break before the object";
    EXPECT_EQ(text.substr(text.size() - 2), "}\n");
    EXPECT_EQ(text.find("tesh.qv.Unknown"), std::string::npos) << "an unknown region event is not declared";

    const Json manifest = parsedManifest();
    ASSERT_TRUE(manifest.is_object());
    EXPECT_EQ(memberNames(manifest), (std::vector<std::string>{"supportedTypes", "typeLibrary"}));

    const std::vector<std::string> kObjectNames = {"Object ID", "Color", "Speed"};
    const std::vector<std::string> kRegionNames = {"Key", "Value"};
    const struct
    {
        const char* key;
        const char* id;
        std::vector<std::string> attributes;
    } rows[] = {
        {"objectTypeId", "tesh.qv.Head", {"Object ID"}},
        {"objectTypeId", "tesh.qv.Human",
            {"Object ID", "Gender", "Top Color", "Bottom Color", "Eyewear", "Mask", "Hat", "Helmet", "Bag"}},
        {"objectTypeId", "tesh.qv.Car", kObjectNames},
        {"objectTypeId", "tesh.qv.Truck", kObjectNames},
        {"objectTypeId", "tesh.qv.Bus", kObjectNames},
        {"objectTypeId", "tesh.qv.Bicycle", kObjectNames},
        {"objectTypeId", "tesh.qv.Motorcycle", kObjectNames},
        {"eventTypeId", "tesh.qv.LineCounting", {"Video Source", "Rule", "Count"}},
        {"eventTypeId", "tesh.qv.Tampering", {"Source", "State"}},
        {"eventTypeId", "tesh.qv.SettingChanged", {"Video Source Token", "Data"}},
        {"eventTypeId", "tesh.qv.Events", kRegionNames},
        {"eventTypeId", "tesh.qv.Appear", kRegionNames},
        {"eventTypeId", "tesh.qv.Stay", kRegionNames},
        {"eventTypeId", "tesh.qv.Direction", kRegionNames},
        {"eventTypeId", "tesh.qv.Enter", kRegionNames},
        {"eventTypeId", "tesh.qv.Exit", kRegionNames},
        {"eventTypeId", "tesh.qv.Loitering", kRegionNames},
    };
    const Json& supported = manifest["supportedTypes"];
    ASSERT_EQ(supported.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        const Json expected = {{rows[i].key, rows[i].id}, {"attributes", Json(rows[i].attributes)}};
        EXPECT_EQ(supported[i], expected) << "supported type #" << i + 1;
    }
    for (const Json& type: supported)
    {
        for (const char* libraryOnly: {"tesh.qv.Vehicle", "tesh.qv.BehaviorAnal"})
            EXPECT_NE(type.value("objectTypeId", type.value("eventTypeId", "")), libraryOnly);
    }
}

TEST(DeviceAgentManifest, describesEveryTypeOfTheLibraryInOrder)
{
    const Json manifest = parsedManifest();
    ASSERT_TRUE(manifest.is_object());
    const Json& library = manifest["typeLibrary"];
    EXPECT_EQ(memberNames(library),
        (std::vector<std::string>{"objectTypes", "eventTypes", "groups", "enumTypes", "colorTypes"}));

    const Json head = attributeTable({{"Number", "Object ID", "integer"}, {"Number", "Likelihood", ""}});
    const Json person = attributeTable({{"Number", "Object ID", "integer"}, {"Number", "Likelihood", ""},
        {"Enum", "Gender", "tesh.qv.Gender"}, {"Color", "Top Color", "tesh.qv.Color"},
        {"Color", "Top Color 2", "tesh.qv.Color"}, {"Color", "Bottom Color", "tesh.qv.Color"},
        {"Boolean", "Eyewear", ""}, {"Boolean", "Mask", ""}, {"Boolean", "Hat", ""}, {"Boolean", "Helmet", ""},
        {"Enum", "Bag", "tesh.qv.Bag"}, {"String", "Behaviour", ""}});
    const Json vehicleKind = attributeTable(
        {{"Number", "Object ID", "integer"}, {"Number", "Likelihood", ""}, {"String", "Vehicle Type", ""},
            {"Number", "Type Likelihood", ""}, {"Color", "Color", "tesh.qv.Color"}, {"Number", "Speed", "integer"}});
    const struct
    {
        const char* id;
        const char* name;
        const char* icon;
        const char* base; //< Empty: no base member.
        const Json& attributes;
    } objectRows[] = {
        {"tesh.qv.Head", "Head", "tesh.base.face", "", head},
        {"tesh.qv.Human", "Person", "tesh.base.person", "", person},
        {"tesh.qv.Vehicle", "Vehicle", "tesh.base.vehicle", "", head},
        {"tesh.qv.Car", "Car", "tesh.base.car", "tesh.qv.Vehicle", vehicleKind},
        {"tesh.qv.Truck", "Truck", "tesh.base.truck", "tesh.qv.Vehicle", vehicleKind},
        {"tesh.qv.Bus", "Bus", "tesh.base.bus", "tesh.qv.Vehicle", vehicleKind},
        {"tesh.qv.Bicycle", "Bicycle", "tesh.base.bike", "tesh.qv.Vehicle", vehicleKind},
        {"tesh.qv.Motorcycle", "Motorcycle", "tesh.base.bike", "tesh.qv.Vehicle", vehicleKind},
    };
    const Json& objects = library["objectTypes"];
    ASSERT_EQ(objects.size(), std::size(objectRows));
    for (size_t i = 0; i < std::size(objectRows); ++i)
    {
        const auto& row = objectRows[i];
        Json expected = {{"id", row.id}, {"name", row.name}, {"icon", row.icon}};
        if (*row.base)
            expected["base"] = row.base;
        expected["attributes"] = row.attributes;
        EXPECT_EQ(objects[i], expected) << row.id;
    }

    const Json region = attributeTable({{"String", "Key", ""}, {"String", "Value", ""}});
    const Json lineCounting
        = attributeTable({{"String", "Video Source", ""}, {"String", "Rule", ""}, {"Number", "Count", ""}});
    const Json behavior
        = attributeTable({{"String", "Video Source", ""}, {"String", "Rule", ""}, {"Number", "Object ID", ""},
            {"String", "Class Type", ""}, {"String", "Actions", ""}, {"String", "States", ""}});
    const Json tampering = attributeTable({{"String", "Source", ""}, {"String", "State", ""}});
    const Json settingChanged = attributeTable({{"String", "Video Source Token", ""}, {"String", "Data", ""}});
    const struct
    {
        const char* id;
        const char* name;
        const char* groupId; //< Empty: outside any group.
        const Json& attributes;
    } eventRows[] = {
        {"tesh.qv.LineCounting", "Line Counting", "", lineCounting},
        {"tesh.qv.BehaviorAnal", "Behavior Changed", "", behavior},
        {"tesh.qv.Tampering", "Tampering", "", tampering},
        {"tesh.qv.SettingChanged", "AI Settings Changed", "", settingChanged},
        {"tesh.qv.Appear", "Appear", "tesh.qv.Events", region},
        {"tesh.qv.Stay", "Stay", "tesh.qv.Events", region},
        {"tesh.qv.Direction", "Direction", "tesh.qv.Events", region},
        {"tesh.qv.Enter", "Enter", "tesh.qv.Events", region},
        {"tesh.qv.Exit", "Exit", "tesh.qv.Events", region},
        {"tesh.qv.Loitering", "Loitering", "tesh.qv.Events", region},
    };
    const Json& events = library["eventTypes"];
    ASSERT_EQ(events.size(), std::size(eventRows));
    for (size_t i = 0; i < std::size(eventRows); ++i)
    {
        const auto& row = eventRows[i];
        Json expected = {{"id", row.id}, {"name", row.name}};
        if (*row.groupId)
            expected["groupId"] = row.groupId;
        expected["attributes"] = row.attributes;
        EXPECT_EQ(events[i], expected) << row.id;
    }

    EXPECT_EQ(library["groups"], Json::parse(R"([{"id": "tesh.qv.Events", "name": "Region Events"}])"));
    EXPECT_EQ(library["enumTypes"], Json::parse(R"([
        {"id": "tesh.qv.Gender", "name": "Gender", "items": ["Male", "Female"]},
        {"id": "tesh.qv.Bag", "name": "Bag", "items": ["Handbag", "Backpack"]}])"));

    const struct
    {
        const char* name;
        const char* rgb;
    } colorRows[] = {
        {"Black", "#000000"},
        {"Blue", "#0000FF"},
        {"Brown", "#A52A2A"},
        {"Cyan", "#00FFFF"},
        {"Green", "#008000"},
        {"Gray", "#808080"},
        {"Orange", "#FFA500"},
        {"Pink", "#FFC0CB"},
        {"Purple", "#800080"},
        {"Red", "#FF0000"},
        {"White", "#FFFFFF"},
    };
    Json colors = Json::array();
    for (const auto& row: colorRows)
        colors.push_back({{"name", row.name}, {"rgb", row.rgb}});
    const Json colorType = {{"id", "tesh.qv.Color"}, {"name", "Color"}, {"items", colors}};
    EXPECT_EQ(library["colorTypes"], Json::array({colorType}));
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
