// The settings model, written as the dialog reads: sections, group boxes and the settings in them.
#include "settings_model.h"

#include <string>
#include <utility>
#include <vector>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::ordered_json;
using Items = std::vector<Json>;
using Captions = std::vector<std::pair<const char*, const char*>>;

/** The host expects the repeater count and the figure point maximum as text holding the number. */
const std::string kMaxFigureCountText = std::to_string(kMaxFigureCount);

Json section(const char* caption, Items items, Items sections = {})
{
    Json result = {{"type", "Section"}, {"caption", caption}, {"items", std::move(items)}};
    if (!sections.empty())
        result["sections"] = std::move(sections);
    return result;
}

Json groupBox(const char* caption, Items items)
{
    return {{"type", "GroupBox"}, {"caption", caption}, {"items", std::move(items)}};
}

/** The instances of template are numbered by the host; figure names the figure setting they are drawn as. */
Json repeater(const char* caption, const char* figure, Items items)
{
    Json instance = groupBox(caption, std::move(items));
    instance["filledCheckItems"] = Json::array({figure});
    return {{"type", "Repeater"}, {"count", kMaxFigureCountText}, {"template", std::move(instance)}};
}

Json switchButton(const char* name, const char* description)
{
    return {{"type", "SwitchButton"}, {"caption", "Enable"}, {"name", name}, {"description", description},
        {"defaultValue", true}};
}

Json checkBox(const char* name, const char* caption, bool defaultValue = false)
{
    return {{"type", "CheckBox"}, {"name", name}, {"caption", caption}, {"defaultValue", defaultValue}};
}

Json enabledCheckBox(const char* name, const char* caption)
{
    Json result = checkBox(name, caption);
    result["enabled"] = true;
    return result;
}

Json comboBox(const char* name, const char* caption, const char* defaultValue, const Captions& choices)
{
    Json range = Json::array();
    Json itemCaptions = Json::object();
    for (const auto& [value, choiceCaption]: choices)
    {
        range.push_back(value);
        itemCaptions[value] = choiceCaption;
    }
    return {{"type", "ComboBox"}, {"name", name}, {"caption", caption}, {"defaultValue", defaultValue},
        {"range", std::move(range)}, {"itemCaptions", std::move(itemCaptions)}};
}

Json spinBox(const char* name, const char* caption, int defaultValue, int minValue, int maxValue)
{
    return {{"type", "SpinBox"}, {"name", name}, {"caption", caption}, {"defaultValue", defaultValue},
        {"minValue", minValue}, {"maxValue", maxValue}};
}

Json polygonFigure(const char* name)
{
    return {{"type", "PolygonFigure"}, {"name", name}, {"caption", "Label"}, {"minPoints", 4},
        {"maxPoints", kMaxFigureCountText}};
}

Json lineFigure(const char* name)
{
    return {{"type", "LineFigure"}, {"name", name}, {"caption", "Label"}, {"minPoints", 2},
        {"maxPoints", kMaxFigureCountText}};
}

const Captions kDisplayTypes = {{"0", "Off"}, {"1", "Class"}};
const Captions kDetectionSensitivities = {{"0", "Ultra High"}, {"1", "High"}, {"2", "Middle"}, {"3", "Low"}};

Json objectClass(
    const char* caption, const char* detect, const char* displayType, const char* sensitivity, const char* smartObject)
{
    return groupBox(caption,
        {checkBox(detect, "Detect", true), comboBox(displayType, "Display Type", "1", kDisplayTypes),
            comboBox(sensitivity, "Sensitivity", "0", kDetectionSensitivities),
            checkBox(smartObject, "Smart Shot", true)});
}

Json objectSize()
{
    const Json defaultValue = {{"minimum", {0.006, 0.01}}, {"maximum", {1.0, 1.0}}};
    return groupBox("Size",
        {{{"type", "ObjectSizeConstraints"}, {"name", "AIX_OBJECT_DETECTION_SIZE"}, {"caption", "Constraints"},
            {"defaultValue", defaultValue}}});
}

Json configurationSection()
{
    return section("Configuration",
        {groupBox("Configuration",
            {groupBox("Object",
                {objectClass("Person", "AIX_PERSON_DETECTION_ENABLE", "AIX_PERSON_DISPLAY_TYPE",
                     "AIX_PERSON_SENSITIVITY", "AIX_PERSON_SMARTOBJECT_ENABLE"),
                    objectClass("Bicycle", "AIX_BICYCLE_DETECTION_ENABLE", "AIX_BICYCLE_DISPLAY_TYPE",
                        "AIX_BICYCLE_SENSITIVITY", "AIX_BICYCLE_SMARTOBJECT_ENABLE"),
                    objectClass("Car", "AIX_CAR_DETECTION_ENABLE", "AIX_CAR_DISPLAY_TYPE", "AIX_CAR_SENSITIVITY",
                        "AIX_CAR_SMARTOBJECT_ENABLE"),
                    objectSize()})})});
}

Json excludeRegionsSection()
{
    const Json excludeRegion = repeater("Exclude Region #", "AIX_EXCLUDE_REGION_POSITION#",
        {checkBox("AIX_EXCLUDE_REGION_ENABLE#", "Enable Exclude Region"), polygonFigure("AIX_EXCLUDE_REGION_POSITION#"),
            groupBox("Type",
                {{{"type", "RadioButtonGroup"}, {"name", "AIX_EXCLUDE_REGION_TYPE#"}, {"defaultValue", "Region"},
                    {"range", {"Region", "Spot"}}}}),
            groupBox("Object",
                {enabledCheckBox("AIX_EXCLUDE_REGION_PERSON_ENABLE#", "Person"),
                    enabledCheckBox("AIX_EXCLUDE_REGION_BICYCLE_ENABLE#", "Bicycle"),
                    enabledCheckBox("AIX_EXCLUDE_REGION_CAR_ENABLE#", "Car")})});
    return section("Exclude Regions", {groupBox("Exclude Regions", {excludeRegion})});
}

Json objectDetectionSection()
{
    Json calibration = spinBox("TS_CALIBRATION", "Delay Level<br>(-20 ~ +20)", 0, -20, 20);
    calibration["description"] = "Subtract(-): Display the box faster<br>Add(+): Display the box slower";
    // The host reports every change at once, so the metadata timing follows the spin box before the dialog is applied.
    calibration["isActive"] = true;
    return section("Object Detection",
        {switchButton("AIX_OBJECT_DETECTION_ENABLE", "Object Detection Enable/Disable"),
            groupBox("Calibration", {groupBox("Box", {std::move(calibration)})})},
        {configurationSection(), excludeRegionsSection()});
}

/** The person, bicycle and car check boxes of one region event; loitering is detected for people only. */
Json regionEvent(const char* caption, const char* person, const char* bicycle = nullptr, const char* car = nullptr)
{
    Items items = {enabledCheckBox(person, "Person")};
    if (bicycle)
        items.push_back(enabledCheckBox(bicycle, "Bicycle"));
    if (car)
        items.push_back(enabledCheckBox(car, "Car"));
    return groupBox(caption, std::move(items));
}

Json regionsSection()
{
    const Json region = repeater("Region #", "AIX_REGION_POSITION#",
        {checkBox("AIX_REGION_ENABLE#", "Enable Region Events"), polygonFigure("AIX_REGION_POSITION#"),
            groupBox("Events",
                {regionEvent("Appear", "AIX_REGION_EVENT_PERSON_APPEAR#", "AIX_REGION_EVENT_BICYCLE_APPEAR#",
                     "AIX_REGION_EVENT_CAR_APPEAR#"),
                    regionEvent("Stay", "AIX_REGION_EVENT_PERSON_STAY#", "AIX_REGION_EVENT_BICYCLE_STAY#",
                        "AIX_REGION_EVENT_CAR_STAY#"),
                    regionEvent("Direction", "AIX_REGION_EVENT_PERSON_DIRECTION#",
                        "AIX_REGION_EVENT_BICYCLE_DIRECTION#", "AIX_REGION_EVENT_CAR_DIRECTION#"),
                    regionEvent("Enter", "AIX_REGION_EVENT_PERSON_ENTER#", "AIX_REGION_EVENT_BICYCLE_ENTER#",
                        "AIX_REGION_EVENT_CAR_ENTER#"),
                    regionEvent("Exit", "AIX_REGION_EVENT_PERSON_EXIT#", "AIX_REGION_EVENT_BICYCLE_EXIT#",
                        "AIX_REGION_EVENT_CAR_EXIT#"),
                    regionEvent("Loitering", "AIX_REGION_EVENT_PERSON_LOITERING#"),
                    spinBox("AIX_REGION_EVENT_STAYDURATION#", "Stay Duration (sec)", 1, 1, 600),
                    spinBox("AIX_REGION_EVENT_LOITERINGDURATION#", "Loitering Time (sec)", 1, 1, 600)})});
    return section("Regions", {groupBox("Regions", {region})});
}

const Captions kOsdColors = {{"0", "White"}, {"1", "Gray1"}, {"2", "Gray2"}, {"3", "Gray3"}, {"4", "Black"},
    {"5", "Red"}, {"6", "Green"}, {"7", "Blue"}, {"8", "Yellow"}, {"9", "Orange"}};

Json lineDisplay()
{
    return repeater("Line #", "AIX_LINE_POSITION#",
        {checkBox("AIX_LINE_COUNT_RESET#", "Reset Count"),
            checkBox("AIX_LINE_COUNTOSD_DISPLAY_ENABLE#", "Display String"),
            enabledCheckBox("AIX_LINE_COUNTOSD_DISPLAY_EVENT_TYPE#", "Display Event Type"),
            {{"type", "TextField"}, {"name", "AIX_LINE_COUNTOSD_STRING#"}, {"caption", "OSD String"},
                {"defaultValue", "%L#%"}},
            {{"type", "Banner"}, {"icon", "info"}, {"text", "%L#% : replaced by line count"}},
            spinBox("AIX_LINE_COUNTOSD_X#", "X-Coords<br>(0 ~ 1000)", 0, 0, 1000),
            spinBox("AIX_LINE_COUNTOSD_Y#", "Y-Coords<br>(0 ~ 1000)", 0, 0, 1000),
            spinBox("AIX_LINE_COUNTOSD_FONTSIZE#", "Font Size<br>(12 ~ 84)", 50, 12, 84),
            comboBox("AIX_LINE_COUNTOSD_COLOR#", "Color", "0", kOsdColors)});
}

Json osdSettingsSection()
{
    const Captions displayTimes
        = {{"1", "1 sec"}, {"5", "5 sec"}, {"10", "10 sec"}, {"30", "30 sec"}, {"60", "60 sec"}};
    return section("OSD Settings",
        {groupBox("OSD Settings",
            {groupBox("Reset Count",
                 {checkBox("AIX_LINE_COUNT_RESET_ALL", "All Lines Now"),
                     groupBox("Schedule",
                         {enabledCheckBox("AIX_LINE_DAILYRESET_ENABLE", "Daily"),
                             spinBox("AIX_LINE_DAILYRESET_HOUR", "Hour", 0, 0, 23),
                             spinBox("AIX_LINE_DAILYRESET_MIN", "Minute", 0, 0, 59)})}),
                groupBox("Display Time",
                    {comboBox("AIX_LINE_COUNTOSD_DISPLAY_TIME", "Duration", "1", displayTimes),
                        enabledCheckBox("AIX_LINE_COUNTOSD_DISPLAY_ALLWAYS", "Continuously")}),
                lineDisplay()})});
}

Json linesSection()
{
    const Json line = repeater("Line #", "AIX_LINE_POSITION#",
        {checkBox("AIX_LINE_ENABLE#", "Enable Line Counting"), lineFigure("AIX_LINE_POSITION#"),
            groupBox("Object",
                {enabledCheckBox("AIX_LINE_PERSON_ENABLE#", "Person"),
                    enabledCheckBox("AIX_LINE_BICYCLE_ENABLE#", "Bicycle"),
                    enabledCheckBox("AIX_LINE_CAR_ENABLE#", "Car")})});
    return section("Lines", {groupBox("Lines", {line})}, {osdSettingsSection()});
}

Json videoSurveillanceSection()
{
    const Captions durations
        = {{"0", "Off"}, {"1", "1 sec"}, {"5", "5 sec"}, {"10", "10 sec"}, {"30", "30 sec"}, {"60", "60 sec"}};
    return section("Video Surveillance",
        {groupBox("Highlight Objects Triggered by Region Events",
            {groupBox("Display Time", {comboBox("HL_DURATION", "Duration", "5", durations)})})},
        {regionsSection(), linesSection()});
}

Json tamperingSection()
{
    return section("Tampering",
        {switchButton("AIX_TAMPERING_ENABLE", "Tampering Enable/Disable"),
            groupBox("Configuration",
                {groupBox("Tampering",
                    {comboBox("AIX_TAMPERING_SENSITIVITY", "Sensitivity", "1",
                         {{"0", "High"}, {"1", "Middle"}, {"2", "Low"}}),
                        comboBox("AIX_TAMPERING_DURATION", "Duration", "3",
                            {{"1", "1 sec"}, {"3", "3 sec"}, {"5", "5 sec"}, {"10", "10 sec"}})})})});
}

} // namespace

Json settingsModel()
{
    return {{"type", "Settings"}, {"items", Json::array()},
        {"sections", {objectDetectionSection(), videoSurveillanceSection(), tamperingSection()}}};
}

} // namespace tesh::vms_server_plugins::analytics::qv
