// The settings model: the dialog's layout, the setting names the camera synchronisation relies on, their keys.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <camera_settings/settings_defaults.h>
#include <plugin/engine_manifest.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::ordered_json;

Json parsedModel()
{
    const Json manifest = Json::parse(engineManifest(), nullptr, false);
    return manifest.is_object() ? manifest.value("deviceAgentSettingsModel", Json()) : Json();
}

std::vector<std::string> memberNames(const Json& object)
{
    std::vector<std::string> names;
    for (const auto& member: object.items())
        names.push_back(member.key());
    return names;
}

/** One line per element, indented by its depth: containers by caption, settings by name. */
void outline(const Json& element, int depth, std::vector<std::string>* lines)
{
    const std::string type = element.value("type", "?");
    std::string label = element.value("name", element.value("caption", ""));
    if (type == "Repeater")
        label = element["count"].dump();
    lines->push_back(std::string(2 * depth, ' ') + type + (label.empty() ? "" : " " + label));
    if (type == "Repeater")
        outline(element["template"], depth + 1, lines);
    for (const char* children: {"items", "sections"})
    {
        for (const Json& child: element.value(children, Json::array()))
            outline(child, depth + 1, lines);
    }
}

void visit(const Json& element, const std::function<void(const Json&)>& visitor)
{
    visitor(element);
    for (const char* children: {"template", "items", "sections"})
    {
        if (!element.contains(children))
            continue;
        if (element[children].is_object())
        {
            visit(element[children], visitor);
            continue;
        }
        for (const Json& child: element[children])
            visit(child, visitor);
    }
}

/** The names in the host's settings map: a template name stands for its instances 1 to 8. */
std::vector<std::string> settingNames(const Json& model)
{
    std::vector<std::string> names;
    visit(model, [&](const Json& element) {
        const std::string name = element.value("name", "");
        const size_t hash = name.find('#');
        if (name.empty())
            return;
        if (hash == std::string::npos)
            names.push_back(name);
        for (int instance = 1; hash != std::string::npos && instance <= 8; ++instance)
            names.push_back(name.substr(0, hash) + std::to_string(instance) + name.substr(hash + 1));
    });
    return names;
}

const Json& findSetting(const Json& model, const std::string& name)
{
    static const Json kNone;
    const Json* found = &kNone;
    visit(model, [&](const Json& element) {
        if (element.value("name", "") == name)
            found = &element;
    });
    return *found;
}

// Written from the dialog's description, not from the code: sections, group boxes, repeaters, settings.
const std::vector<std::string> kOutline = {
    "Settings",
    "  Section Object Detection",
    "    SwitchButton AIX_OBJECT_DETECTION_ENABLE",
    "    GroupBox Calibration",
    "      GroupBox Box",
    "        SpinBox TS_CALIBRATION",
    "    Section Configuration",
    "      GroupBox Configuration",
    "        GroupBox Object",
    "          GroupBox Person",
    "            CheckBox AIX_PERSON_DETECTION_ENABLE",
    "            ComboBox AIX_PERSON_DISPLAY_TYPE",
    "            ComboBox AIX_PERSON_SENSITIVITY",
    "            CheckBox AIX_PERSON_SMARTOBJECT_ENABLE",
    "          GroupBox Bicycle",
    "            CheckBox AIX_BICYCLE_DETECTION_ENABLE",
    "            ComboBox AIX_BICYCLE_DISPLAY_TYPE",
    "            ComboBox AIX_BICYCLE_SENSITIVITY",
    "            CheckBox AIX_BICYCLE_SMARTOBJECT_ENABLE",
    "          GroupBox Car",
    "            CheckBox AIX_CAR_DETECTION_ENABLE",
    "            ComboBox AIX_CAR_DISPLAY_TYPE",
    "            ComboBox AIX_CAR_SENSITIVITY",
    "            CheckBox AIX_CAR_SMARTOBJECT_ENABLE",
    "          GroupBox Size",
    "            ObjectSizeConstraints AIX_OBJECT_DETECTION_SIZE",
    "    Section Exclude Regions",
    "      GroupBox Exclude Regions",
    "        Repeater \"8\"",
    "          GroupBox Exclude Region #",
    "            CheckBox AIX_EXCLUDE_REGION_ENABLE#",
    "            PolygonFigure AIX_EXCLUDE_REGION_POSITION#",
    "            GroupBox Type",
    "              RadioButtonGroup AIX_EXCLUDE_REGION_TYPE#",
    "            GroupBox Object",
    "              CheckBox AIX_EXCLUDE_REGION_PERSON_ENABLE#",
    "              CheckBox AIX_EXCLUDE_REGION_BICYCLE_ENABLE#",
    "              CheckBox AIX_EXCLUDE_REGION_CAR_ENABLE#",
    "  Section Video Surveillance",
    "    GroupBox Highlight Objects Triggered by Region Events",
    "      GroupBox Display Time",
    "        ComboBox HL_DURATION",
    "    Section Regions",
    "      GroupBox Regions",
    "        Repeater \"8\"",
    "          GroupBox Region #",
    "            CheckBox AIX_REGION_ENABLE#",
    "            PolygonFigure AIX_REGION_POSITION#",
    "            GroupBox Events",
    "              GroupBox Appear",
    "                CheckBox AIX_REGION_EVENT_PERSON_APPEAR#",
    "                CheckBox AIX_REGION_EVENT_BICYCLE_APPEAR#",
    "                CheckBox AIX_REGION_EVENT_CAR_APPEAR#",
    "              GroupBox Stay",
    "                CheckBox AIX_REGION_EVENT_PERSON_STAY#",
    "                CheckBox AIX_REGION_EVENT_BICYCLE_STAY#",
    "                CheckBox AIX_REGION_EVENT_CAR_STAY#",
    "              GroupBox Direction",
    "                CheckBox AIX_REGION_EVENT_PERSON_DIRECTION#",
    "                CheckBox AIX_REGION_EVENT_BICYCLE_DIRECTION#",
    "                CheckBox AIX_REGION_EVENT_CAR_DIRECTION#",
    "              GroupBox Enter",
    "                CheckBox AIX_REGION_EVENT_PERSON_ENTER#",
    "                CheckBox AIX_REGION_EVENT_BICYCLE_ENTER#",
    "                CheckBox AIX_REGION_EVENT_CAR_ENTER#",
    "              GroupBox Exit",
    "                CheckBox AIX_REGION_EVENT_PERSON_EXIT#",
    "                CheckBox AIX_REGION_EVENT_BICYCLE_EXIT#",
    "                CheckBox AIX_REGION_EVENT_CAR_EXIT#",
    "              GroupBox Loitering",
    "                CheckBox AIX_REGION_EVENT_PERSON_LOITERING#",
    "              SpinBox AIX_REGION_EVENT_STAYDURATION#",
    "              SpinBox AIX_REGION_EVENT_LOITERINGDURATION#",
    "    Section Lines",
    "      GroupBox Lines",
    "        Repeater \"8\"",
    "          GroupBox Line #",
    "            CheckBox AIX_LINE_ENABLE#",
    "            LineFigure AIX_LINE_POSITION#",
    "            GroupBox Object",
    "              CheckBox AIX_LINE_PERSON_ENABLE#",
    "              CheckBox AIX_LINE_BICYCLE_ENABLE#",
    "              CheckBox AIX_LINE_CAR_ENABLE#",
    "      Section OSD Settings",
    "        GroupBox OSD Settings",
    "          GroupBox Reset Count",
    "            CheckBox AIX_LINE_COUNT_RESET_ALL",
    "            GroupBox Schedule",
    "              CheckBox AIX_LINE_DAILYRESET_ENABLE",
    "              SpinBox AIX_LINE_DAILYRESET_HOUR",
    "              SpinBox AIX_LINE_DAILYRESET_MIN",
    "          GroupBox Display Time",
    "            ComboBox AIX_LINE_COUNTOSD_DISPLAY_TIME",
    "            CheckBox AIX_LINE_COUNTOSD_DISPLAY_ALLWAYS",
    "          Repeater \"8\"",
    "            GroupBox Line #",
    "              CheckBox AIX_LINE_COUNT_RESET#",
    "              CheckBox AIX_LINE_COUNTOSD_DISPLAY_ENABLE#",
    "              CheckBox AIX_LINE_COUNTOSD_DISPLAY_EVENT_TYPE#",
    "              TextField AIX_LINE_COUNTOSD_STRING#",
    "              Banner",
    "              SpinBox AIX_LINE_COUNTOSD_X#",
    "              SpinBox AIX_LINE_COUNTOSD_Y#",
    "              SpinBox AIX_LINE_COUNTOSD_FONTSIZE#",
    "              ComboBox AIX_LINE_COUNTOSD_COLOR#",
    "  Section Tampering",
    "    SwitchButton AIX_TAMPERING_ENABLE",
    "    GroupBox Configuration",
    "      GroupBox Tampering",
    "        ComboBox AIX_TAMPERING_SENSITIVITY",
    "        ComboBox AIX_TAMPERING_DURATION",
};

TEST(SettingsModel, laysOutTheDialogInSectionsGroupBoxesAndRepeaters)
{
    const Json model = parsedModel();
    ASSERT_TRUE(model.is_object());
    EXPECT_EQ(memberNames(model), (std::vector<std::string>{"type", "items", "sections"}));
    EXPECT_EQ(model["items"], Json::array());
    std::vector<std::string> lines;
    outline(model, 0, &lines);
    EXPECT_EQ(lines, kOutline);
}

TEST(SettingsModel, givesTheHost337DistinctNamesNumberedFromOne)
{
    const std::vector<std::string> names = settingNames(parsedModel());
    const std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(names.size(), 337u);
    EXPECT_EQ(distinct.size(), 337u);
    for (const char* name: {"AIX_LINE_COUNT_RESET1", "AIX_LINE_COUNT_RESET8", "AIX_REGION_EVENT_PERSON_LOITERING8",
             "AIX_LINE_COUNTOSD_DISPLAY_ALLWAYS", "TS_CALIBRATION", "HL_DURATION"})
    {
        EXPECT_EQ(distinct.count(name), 1u) << name;
    }
    for (const char* name: {"AIX_LINE_COUNT_RESET0", "AIX_LINE_COUNT_RESET9", "AIX_REGION_EVENT_BICYCLE_LOITERING1",
             "AIX_LINE_COUNTOSD_DISPLAY_ALWAYS"})
    {
        EXPECT_EQ(distinct.count(name), 0u) << name;
    }
}

TEST(SettingsModel, givesEveryNameADefaultInTheHostsTextForm)
{
    const std::map<std::string, std::string> defaults = settingsDefaults();
    const std::vector<std::string> names = settingNames(parsedModel());
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), defaults.size());
    for (const std::string& name: names)
        EXPECT_EQ(defaults.count(name), 1u) << name;
    EXPECT_EQ(defaults.at("AIX_PERSON_DETECTION_ENABLE"), "true");
    EXPECT_EQ(defaults.at("AIX_LINE_ENABLE8"), "false");
    EXPECT_EQ(defaults.at("AIX_PERSON_DISPLAY_TYPE"), "1");
    EXPECT_EQ(defaults.at("AIX_EXCLUDE_REGION_TYPE3"), "Region");
    EXPECT_EQ(defaults.at("TS_CALIBRATION"), "0");
    EXPECT_EQ(defaults.at("AIX_REGION_POSITION5"), "");
    EXPECT_EQ(Json::parse(defaults.at("AIX_OBJECT_DETECTION_SIZE")),
        Json::parse(R"({"minimum":[0.006,0.01],"maximum":[1.0,1.0]})"));
}

TEST(SettingsModel, writesEveryRepeaterCountAndFigureMaximumAsTheText8)
{
    int counts = 0;
    int figures = 0;
    visit(parsedModel(), [&](const Json& element) {
        if (element.contains("count"))
        {
            ++counts;
            EXPECT_EQ(element["count"], "8");
        }
        if (element.contains("maxPoints"))
        {
            ++figures;
            EXPECT_EQ(element["maxPoints"], "8");
            const int expectedMinimum = element["type"] == "LineFigure" ? 2 : 4;
            EXPECT_EQ(element["minPoints"], expectedMinimum) << "a JSON number";
        }
    });
    EXPECT_EQ(counts, 4);
    EXPECT_EQ(figures, 3);
}

TEST(SettingsModel, givesEveryElementItsKeysInOrder)
{
    using Keys = std::vector<std::string>;
    const std::map<std::string, std::set<Keys>> allowed = {
        {"Settings", {{"type", "items", "sections"}}},
        {"Section", {{"type", "caption", "items"}, {"type", "caption", "items", "sections"}}},
        {"GroupBox", {{"type", "caption", "items"}, {"type", "caption", "items", "filledCheckItems"}}},
        {"Repeater", {{"type", "count", "template"}}},
        {"SwitchButton", {{"type", "caption", "name", "description", "defaultValue"}}},
        {"CheckBox",
            {{"type", "name", "caption", "defaultValue"}, {"type", "name", "caption", "defaultValue", "enabled"}}},
        {"ComboBox", {{"type", "name", "caption", "defaultValue", "range", "itemCaptions"}}},
        {"SpinBox",
            {{"type", "name", "caption", "defaultValue", "minValue", "maxValue"},
                {"type", "name", "caption", "defaultValue", "minValue", "maxValue", "description", "isActive"}}},
        {"RadioButtonGroup", {{"type", "name", "defaultValue", "range"}}},
        {"TextField", {{"type", "name", "caption", "defaultValue"}}},
        {"Banner", {{"type", "icon", "text"}}},
        {"ObjectSizeConstraints", {{"type", "name", "caption", "defaultValue"}}},
        {"PolygonFigure", {{"type", "name", "caption", "minPoints", "maxPoints"}}},
        {"LineFigure", {{"type", "name", "caption", "minPoints", "maxPoints"}}},
    };
    int checked = 0;
    visit(parsedModel(), [&](const Json& element) {
        ++checked;
        const auto keys = allowed.find(element.value("type", ""));
        ASSERT_NE(keys, allowed.end()) << element.dump();
        EXPECT_EQ(keys->second.count(memberNames(element)), 1u) << element.dump();
        if (element.contains("enabled"))
        {
            EXPECT_EQ(element["enabled"], true);
        }
    });
    EXPECT_EQ(checked, static_cast<int>(kOutline.size()));
}

TEST(SettingsModel, holdsTheDefaultsRangesAndCaptionsTheCameraSynchronisationExpects)
{
    const Json model = parsedModel();
    const Json calibration = findSetting(model, "TS_CALIBRATION");
    EXPECT_EQ(calibration["caption"], "Delay Level<br>(-20 ~ +20)");
    EXPECT_EQ(calibration["defaultValue"], 0);
    EXPECT_EQ(calibration["minValue"], -20);
    EXPECT_EQ(calibration["maxValue"], 20);
    EXPECT_EQ(calibration["isActive"], true);

    const Json highlight = findSetting(model, "HL_DURATION");
    EXPECT_EQ(highlight["defaultValue"], "5");
    EXPECT_EQ(highlight["range"], Json::parse(R"(["0", "1", "5", "10", "30", "60"])"));
    EXPECT_EQ(highlight["itemCaptions"],
        Json::parse(R"({"0": "Off", "1": "1 sec", "5": "5 sec", "10": "10 sec", "30": "30 sec", "60": "60 sec"})"));

    EXPECT_EQ(findSetting(model, "AIX_PERSON_SENSITIVITY")["itemCaptions"],
        Json::parse(R"({"0": "Ultra High", "1": "High", "2": "Middle", "3": "Low"})"));
    EXPECT_EQ(findSetting(model, "AIX_OBJECT_DETECTION_SIZE")["defaultValue"],
        Json::parse(R"({"minimum": [0.006, 0.01], "maximum": [1.0, 1.0]})"));
    EXPECT_EQ(findSetting(model, "AIX_EXCLUDE_REGION_TYPE#")["range"], Json::parse(R"(["Region", "Spot"])"));
    EXPECT_EQ(findSetting(model, "AIX_LINE_COUNTOSD_STRING#")["defaultValue"], "%L#%");
    EXPECT_EQ(findSetting(model, "AIX_LINE_COUNTOSD_COLOR#")["range"].size(), 10u);
    EXPECT_EQ(findSetting(model, "AIX_LINE_COUNTOSD_COLOR#")["itemCaptions"]["9"], "Orange");
    EXPECT_EQ(findSetting(model, "AIX_LINE_COUNTOSD_FONTSIZE#")["defaultValue"], 50);
    EXPECT_EQ(findSetting(model, "AIX_REGION_EVENT_STAYDURATION#")["maxValue"], 600);
    EXPECT_EQ(findSetting(model, "AIX_TAMPERING_DURATION")["defaultValue"], "3");
    EXPECT_EQ(findSetting(model, "AIX_TAMPERING_ENABLE")["defaultValue"], true);
    EXPECT_EQ(findSetting(model, "AIX_CAR_SMARTOBJECT_ENABLE")["defaultValue"], true);
    EXPECT_EQ(findSetting(model, "AIX_LINE_ENABLE#")["defaultValue"], false);
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
