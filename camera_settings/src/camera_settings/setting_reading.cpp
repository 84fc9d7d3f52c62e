// Reading one setting from the camera into the host's form of its value.
#include "setting_reading.h"

#include <tesh/kit/decimal_number.h>
#include "plugin_side_settings.h"

#include "answer_parsing.h"
#include "figure_reading.h"
#include "object_size_constraints.h"
#include "parameter_naming.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

/** Settings whose camera value is the host's value as it is. */
constexpr const char* kPassedAsTheyAre[] = {"DURATION", "SENSITIVITY", "HOUR", "MIN", "OSD_X", "OSD_Y", "OSD_STRING",
    "OSD_FONTSIZE", "OSD_COLOR", "OSD_DISPLAY_TIME", "OSD_IMAGETYPE", "OSD_DISPLAYNUM", "OSD_FONTCOLOR",
    "OSD_DISPLAY_STREAM", "REGION_HEIGHT", "REGION_WIDTH"};

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::optional<std::string> regionTypeOf(const std::string& cameraValue)
{
    if (cameraValue == "0")
        return "Region";
    if (cameraValue == "1")
        return "Spot";
    return std::nullopt;
}

/** Shown boxes are the camera's default, so only a change from hidden to shown is news to the host. */
std::optional<std::string> displayTypeOf(const std::string& cameraValue, std::atomic<int32_t>* flag)
{
    if (cameraValue == "0")
    {
        *flag = 0;
        return "0";
    }
    if (flag->exchange(1) == 0)
        return "1";
    return std::nullopt;
}

void applyStoredValue(CameraRead* read, const std::string& name, const std::string& value, AgentSettingsState* state)
{
    const bool calibration = name == kCalibrationSetting;
    const std::optional<int32_t> applied = calibration ? calibrationUsOf(value) : highlightSecondsOf(value);
    if (!applied)
        return;
    (calibration ? state->timestampCalibration : state->highlightSeconds) = *applied;
    read->remember(name, value);
}

/** The camera parameter read for the setting: a figure's live shape where the camera keeps one. */
std::string cameraParameterFor(const std::string& name)
{
    const std::string parameter = toCameraIndex(name);
    const bool liveShape = contains(name, "POSITION") && (contains(name, "REGION") || contains(name, "LINE"));
    return liveShape ? toCurrentPositionPath(parameter) : parameter;
}

void interpretAnswer(CameraRead* read,
    AgentSettingsState* state,
    const std::string& name,
    const std::string& parameter,
    std::string answer)
{
    if (contains(name, "POSITION"))
        return readFigure(read, name, parameter, std::move(answer));
    // An error page, garbage or the lines of other parameters are not a value the host should show.
    const std::optional<std::string> cameraValue = parameterValue(answer, parameter);
    if (!cameraValue)
        return read->fail(name, answer.find('=') == std::string::npos ? kUnreadableAnswer : kParameterMissing);
    const std::optional<std::string> value = name == "AIX_OBJECT_DETECTION_SIZE"
        ? objectSizeFromCamera(*cameraValue, state->frameSize.load())
        : hostValueOf(name, *cameraValue, state);
    if (value)
        read->store(name, *value);
    else if (!contains(name, "DISPLAY_TYPE"))
        read->fail(name, kUnreadableAnswer);
}

} // namespace

std::optional<std::string> hostValueOf(
    const std::string& name, const std::string& cameraValue, AgentSettingsState* state)
{
    for (const char* part: kPassedAsTheyAre)
    {
        if (contains(name, part))
            return cameraValue;
    }
    if (contains(name, "REGION_TYPE"))
        return regionTypeOf(cameraValue);
    if (std::atomic<int32_t>* const flag = displayTypeFlagOf(state, name))
        return displayTypeOf(cameraValue, flag);
    if (contains(name, "DISPLAY_TYPE"))
        return std::nullopt;
    const std::optional<int32_t> number = kit::parseDecimalInteger(cameraValue);
    if (!number)
        return std::nullopt;
    return *number != 0 ? "true" : "false";
}

void readSettingFromCamera(
    CameraRead* read, AgentSettingsState* state, const std::string& name, const std::string& value)
{
    if (name == kCalibrationSetting || name == kHighlightSetting)
        return applyStoredValue(read, name, value, state);
    if (!startsWith(name, "AIX") || !isSafeSettingName(name))
        return;
    if (startsWith(name, "AIX_LINE_COUNT_RESET"))
        return read->store(name, "false");
    const std::string parameter = cameraParameterFor(name);
    CameraRequestOutcome answer = read->read(name, parameter);
    if (answer.answered())
        interpretAnswer(read, state, name, parameter, std::move(answer.body));
}

} // namespace tesh::vms_server_plugins::analytics::qv
