// The simulated camera's configuration memory: its coverage of the dialog, its factory values and
// the values and side effects of writes.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <camera_parameters.h>
#include <parameter_table.h>

namespace qvcam {
namespace {

struct DialogSetting
{
    std::string name; //< "#" stands for the dialog's instance number 1 to 8.
    std::string defaultValue; //< In the dialog's form.
};

/**
 * Every dialog setting that the plug-in reads from or writes to the camera, with the dialog's default.
 * Not here: TS_CALIBRATION and HL_DURATION (kept in the plug-in), AIX_LINE_COUNT_RESET_ALL (written as
 * eight per-line resets) and AIX_OBJECT_DETECTION_SIZE (pixels, checked on its own).
 */
const std::vector<DialogSetting> kDialogSettings = {
    {"AIX_OBJECT_DETECTION_ENABLE", "true"},
    {"AIX_PERSON_DETECTION_ENABLE", "true"},
    {"AIX_PERSON_DISPLAY_TYPE", "1"},
    {"AIX_PERSON_SENSITIVITY", "0"},
    {"AIX_PERSON_SMARTOBJECT_ENABLE", "true"},
    {"AIX_BICYCLE_DETECTION_ENABLE", "true"},
    {"AIX_BICYCLE_DISPLAY_TYPE", "1"},
    {"AIX_BICYCLE_SENSITIVITY", "0"},
    {"AIX_BICYCLE_SMARTOBJECT_ENABLE", "true"},
    {"AIX_CAR_DETECTION_ENABLE", "true"},
    {"AIX_CAR_DISPLAY_TYPE", "1"},
    {"AIX_CAR_SENSITIVITY", "0"},
    {"AIX_CAR_SMARTOBJECT_ENABLE", "true"},
    {"AIX_LINE_DAILYRESET_ENABLE", "false"},
    {"AIX_LINE_DAILYRESET_HOUR", "0"},
    {"AIX_LINE_DAILYRESET_MIN", "0"},
    {"AIX_LINE_COUNTOSD_DISPLAY_TIME", "1"},
    {"AIX_LINE_COUNTOSD_DISPLAY_ALLWAYS", "false"},
    {"AIX_TAMPERING_ENABLE", "true"},
    {"AIX_TAMPERING_SENSITIVITY", "1"},
    {"AIX_TAMPERING_DURATION", "3"},
    {"AIX_EXCLUDE_REGION_ENABLE#", "false"},
    {"AIX_EXCLUDE_REGION_POSITION#", ""},
    {"AIX_EXCLUDE_REGION_TYPE#", "Region"},
    {"AIX_EXCLUDE_REGION_PERSON_ENABLE#", "false"},
    {"AIX_EXCLUDE_REGION_BICYCLE_ENABLE#", "false"},
    {"AIX_EXCLUDE_REGION_CAR_ENABLE#", "false"},
    {"AIX_REGION_ENABLE#", "false"},
    {"AIX_REGION_POSITION#", ""},
    {"AIX_REGION_EVENT_PERSON_APPEAR#", "false"},
    {"AIX_REGION_EVENT_BICYCLE_APPEAR#", "false"},
    {"AIX_REGION_EVENT_CAR_APPEAR#", "false"},
    {"AIX_REGION_EVENT_PERSON_STAY#", "false"},
    {"AIX_REGION_EVENT_BICYCLE_STAY#", "false"},
    {"AIX_REGION_EVENT_CAR_STAY#", "false"},
    {"AIX_REGION_EVENT_PERSON_DIRECTION#", "false"},
    {"AIX_REGION_EVENT_BICYCLE_DIRECTION#", "false"},
    {"AIX_REGION_EVENT_CAR_DIRECTION#", "false"},
    {"AIX_REGION_EVENT_PERSON_ENTER#", "false"},
    {"AIX_REGION_EVENT_BICYCLE_ENTER#", "false"},
    {"AIX_REGION_EVENT_CAR_ENTER#", "false"},
    {"AIX_REGION_EVENT_PERSON_EXIT#", "false"},
    {"AIX_REGION_EVENT_BICYCLE_EXIT#", "false"},
    {"AIX_REGION_EVENT_CAR_EXIT#", "false"},
    {"AIX_REGION_EVENT_PERSON_LOITERING#", "false"},
    {"AIX_REGION_EVENT_STAYDURATION#", "1"},
    {"AIX_REGION_EVENT_LOITERINGDURATION#", "1"},
    {"AIX_LINE_ENABLE#", "false"},
    {"AIX_LINE_POSITION#", ""},
    {"AIX_LINE_PERSON_ENABLE#", "false"},
    {"AIX_LINE_BICYCLE_ENABLE#", "false"},
    {"AIX_LINE_CAR_ENABLE#", "false"},
    {"AIX_LINE_COUNT_RESET#", "false"},
    {"AIX_LINE_COUNTOSD_DISPLAY_ENABLE#", "false"},
    {"AIX_LINE_COUNTOSD_DISPLAY_EVENT_TYPE#", "false"},
    {"AIX_LINE_COUNTOSD_STRING#", "%L#%"},
    {"AIX_LINE_COUNTOSD_X#", "0"},
    {"AIX_LINE_COUNTOSD_Y#", "0"},
    {"AIX_LINE_COUNTOSD_FONTSIZE#", "50"},
    {"AIX_LINE_COUNTOSD_COLOR#", "0"},
};

std::string replacedMarks(std::string text, const std::string& number)
{
    for (size_t mark = text.find('#'); mark != std::string::npos; mark = text.find('#', mark))
        text.replace(mark, 1, number);
    return text;
}

/** The dialog's value as the camera holds it: switches 0/1, area/spot 0/1, no figure "0". */
std::string inCameraForm(const std::string& dialogValue)
{
    if (dialogValue == "true" || dialogValue == "Spot")
        return "1";
    if (dialogValue == "false" || dialogValue == "Region" || dialogValue.empty())
        return "0";
    return dialogValue;
}

TEST(ParameterTable, everyDialogSettingStartsAtTheDialogDefaultUnderEachCameraIndex)
{
    const ParameterTable table;
    for (const DialogSetting& setting: kDialogSettings)
    {
        const bool repeated = setting.name.back() == '#';
        for (int dialogIndex = 1; dialogIndex <= (repeated ? kFigureCount : 1); ++dialogIndex)
        {
            const std::string dialogNumber = std::to_string(dialogIndex);
            const std::string cameraName
                = repeated ? replacedMarks(setting.name, std::to_string(dialogIndex - 1)) : setting.name;
            const ParameterTable::ReadResult read = table.read(cameraName);
            ASSERT_EQ(read.outcome, ParameterTable::ReadOutcome::value) << cameraName;
            EXPECT_EQ(read.value, inCameraForm(replacedMarks(setting.defaultValue, dialogNumber))) << cameraName;
        }
    }
    EXPECT_FALSE(table.knows("AIX_LINE_POSITION8")) << "camera indices end at 7";
}

TEST(ParameterTable, factoryObjectSizeReadsBackWithinAPixelOfTheDialogDefault)
{
    // The dialog's default limits, as fractions of the frame: minimum 0.006 x 0.01, maximum 1 x 1.
    const double expected[] = {0.006, 0.01, 1.0, 1.0};
    const ParameterTable table;
    std::vector<double> pixels;
    std::string text = table.value("AIX_OBJECT_DETECTION_SIZE");
    for (size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1)
    {
        comma = text.find(',', start);
        pixels.push_back(std::stod(text.substr(start, comma - start)));
    }
    ASSERT_EQ(pixels.size(), 8U) << text;
    const double frame[] = {kFrameWidth, kFrameHeight};
    const size_t sizeFields[] = {2, 3, 6, 7};
    for (size_t i = 0; i < 4; ++i)
    {
        const double onePixel = 1.0 / frame[i % 2];
        EXPECT_NEAR(pixels[sizeFields[i]] / frame[i % 2], expected[i], onePixel) << "field " << sizeFields[i];
    }
}

TEST(ParameterTable, catalogueNamesAreUniqueAndFactoryValuesAcceptable)
{
    std::set<std::string> names;
    for (const ParameterDefinition& definition: cameraParameters())
    {
        EXPECT_TRUE(names.insert(definition.name).second) << "twice: " << definition.name;
        EXPECT_TRUE(acceptsValue(definition.rule, definition.factoryValue)) << definition.name;
    }
}

struct WriteCase
{
    std::string name;
    std::string value;
    ParameterTable::WriteOutcome outcome;
    std::string reason;
};

TEST(ParameterTable, writesAreCheckedAsTheCameraChecksThem)
{
    using Outcome = ParameterTable::WriteOutcome;
    const std::vector<WriteCase> cases = {
        {"AIX_TAMPERING_ENABLE", "0", Outcome::done, "a switch takes 0"},
        {"AIX_TAMPERING_ENABLE", "true", Outcome::rejected, "the dialog's form must be converted"},
        {"AIX_TAMPERING_ENABLE", "2", Outcome::rejected, "a switch has two positions"},
        {"AIX_PERSON_SENSITIVITY", "3", Outcome::done, "lowest sensitivity"},
        {"AIX_PERSON_SENSITIVITY", "4", Outcome::rejected, "beyond the four levels"},
        {"AIX_TAMPERING_DURATION", "10", Outcome::done, "one of the offered durations"},
        {"AIX_TAMPERING_DURATION", "2", Outcome::rejected, "not an offered duration"},
        {"AIX_REGION_EVENT_STAYDURATION0", "600", Outcome::done, "upper limit"},
        {"AIX_REGION_EVENT_STAYDURATION0", "601", Outcome::rejected, "above the limit"},
        {"AIX_REGION_EVENT_STAYDURATION0", "0", Outcome::rejected, "below the limit"},
        {"AIX_REGION_EVENT_STAYDURATION0", " 5", Outcome::rejected, "the camera's number parser is strict"},
        {"AIX_LINE_COUNTOSD_FONTSIZE7", "11", Outcome::rejected, "below the smallest font"},
        {"AIX_LINE_COUNTOSD_STRING0", "%L1% people", Outcome::done, "text with the count mark"},
        {"AIX_LINE_COUNTOSD_STRING0", std::string(65, 'a'), Outcome::rejected, "longer than an OSD line"},
        {"AIX_REGION_POSITION0", "100,100,500,100,500,500,100,500", Outcome::done, "four points"},
        {"AIX_REGION_POSITION0", "0", Outcome::done, "no figure"},
        {"AIX_REGION_POSITION0", "100,100,500", Outcome::rejected, "half a point"},
        {"AIX_REGION_POSITION0", "100,100", Outcome::rejected, "one point is no figure"},
        {"AIX_REGION_POSITION0", "1001,0,0,0", Outcome::rejected, "outside the frame"},
        {"AIX_REGION_POSITION0", "0.1,0.2,0.3,0.4", Outcome::rejected, "fractions instead of thousandths"},
        {"AIX_LINE_POSITION0", "1,1,2,2,3,3,4,4,5,5,6,6,7,7,8,8,9,9", Outcome::rejected, "nine points"},
        {"AIX_OBJECT_DETECTION_SIZE", "192,108,12,12,960,540,1920,540", Outcome::done, "eight pixels"},
        {"AIX_OBJECT_DETECTION_SIZE", "192,108,12,12,960,540,1920", Outcome::rejected, "seven numbers"},
        {"AIX_LINE_CURRENT_POSITION0", "1;0,0,999,999", Outcome::rejected, "the live shape is read-only"},
        {"AIX_LINE_POSITION8", "0", Outcome::unknown, "an index not converted to the camera's"},
        {"AIX_REGION_EVENT_BICYCLE_LOITERING0", "1", Outcome::unknown, "only people loiter"},
        {"AIX_LINE_COUNT_RESET_ALL", "1", Outcome::unknown, "the camera resets line by line"},
    };
    for (const WriteCase& row: cases)
    {
        ParameterTable table;
        const std::string before = table.value(row.name);
        EXPECT_EQ(table.write(row.name, row.value), row.outcome) << row.name << "=" << row.value << ": " << row.reason;
        const std::string expected = row.outcome == Outcome::done ? row.value : before;
        EXPECT_EQ(table.value(row.name), expected) << row.name << ": " << row.reason;
    }
}

TEST(ParameterTable, figureWriteBecomesTheLiveShapeAndClearRemovesBoth)
{
    for (const std::string kind: {"AIX_REGION_", "AIX_EXCLUDE_REGION_", "AIX_LINE_"})
    {
        ParameterTable table;
        const std::string figure = kind + "POSITION3";
        const std::string liveShape = kind + "CURRENT_POSITION3";
        EXPECT_EQ(table.read(liveShape).outcome, ParameterTable::ReadOutcome::noLiveShape) << kind;

        ASSERT_EQ(table.write(figure, "100,100,500,100,500,500"), ParameterTable::WriteOutcome::done);
        EXPECT_EQ(table.read(liveShape).value, "1;100,100,500,100,500,500") << kind;
        EXPECT_EQ(table.read(kind + "CURRENT_POSITION2").outcome, ParameterTable::ReadOutcome::noLiveShape)
            << "another index keeps its own shape";

        // The plug-in clears with the value 0.
        ASSERT_EQ(table.write(kind + "CLEAR3", "0"), ParameterTable::WriteOutcome::done);
        EXPECT_EQ(table.value(figure), "0") << kind;
        EXPECT_EQ(table.read(liveShape).outcome, ParameterTable::ReadOutcome::noLiveShape) << kind;
        EXPECT_EQ(table.value(kind + "CLEAR3"), "0") << "a trigger keeps no value";
    }
}

TEST(ParameterTable, setPlacesValuesTheCameraWouldRefuse)
{
    ParameterTable table;
    // A region cut by the frame border: the camera reports the pieces inside the frame.
    const std::string pieces = "2;0,100,300,100,300,400,0,400;700,100,999,100,999,400,700,400";
    table.set("AIX_REGION_CURRENT_POSITION1", pieces);
    EXPECT_EQ(table.read("AIX_REGION_CURRENT_POSITION1").value, pieces);
    EXPECT_EQ(table.value("AIX_REGION_POSITION1"), "0") << "the figure itself is untouched";

    table.set("AIX_TAMPERING_ENABLE", "on");
    EXPECT_EQ(table.value("AIX_TAMPERING_ENABLE"), "on");

    table.set("AIX_LINE_POSITION5", "10,10,990,990");
    EXPECT_EQ(table.value("AIX_LINE_CURRENT_POSITION5"), "1;10,10,990,990");

    table.set("AIX_FIRMWARE_EXTRA", "7");
    EXPECT_EQ(table.read("AIX_FIRMWARE_EXTRA").value, "7");
    EXPECT_EQ(table.write("AIX_FIRMWARE_EXTRA", "anything"), ParameterTable::WriteOutcome::done);
}

} // namespace
} // namespace qvcam
