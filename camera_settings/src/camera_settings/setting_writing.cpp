// The camera requests that write one setting of the host: its parameter names and query values.
#include "setting_writing.h"

#include <algorithm>
#include <optional>

#include "camera_link.h"
#include "figure_conversion.h"
#include "object_size_constraints.h"
#include "parameter_naming.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

constexpr int kLineCount = 8;

bool contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

/** Switches go to the camera as 0/1; a reset switch is never sent with anything but a switch value. */
std::string cameraValueOf(const std::string& name, const std::string& value)
{
    if (value == "true")
        return "1";
    if (value == "false" || startsWith(name, "AIX_LINE_COUNT_RESET"))
        return "0";
    return value;
}

bool hasControlCharacter(const std::string& value)
{
    return std::any_of(value.begin(), value.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

std::vector<std::string> objectSizePaths(AgentSettingsState* state, const std::string& name, const std::string& value)
{
    const std::optional<std::string> text = objectSizeToCamera(value, state->frameSize.load());
    if (!text)
        return {};
    return {writePathOf(name, *text)};
}

std::vector<std::string> plainPaths(const std::string& name, const std::string& value)
{
    const std::string cameraName = toCameraIndex(name);
    const std::string encoded = urlEncode(value);
    std::vector<std::string> paths;
    // Counting is switched on with its line, so that an enabled line also counts.
    if (contains(name, "AIX_LINE_ENABLE"))
        paths.push_back(writePathOf("AIX_LINE_COUNT_ENABLE" + indexDigit(cameraName), encoded));
    paths.push_back(writePathOf(cameraName, encoded));
    return paths;
}

} // namespace

void applyClassDisplayType(AgentSettingsState* state, const std::string& name, std::string* value)
{
    if (!contains(name, "DISPLAY_TYPE"))
        return;
    if (std::atomic<int32_t>* const flag = displayTypeFlagOf(state, name))
        *flag = *value == "0" ? 0 : 1;
    if (*value != "0")
        *value = "1";
}

std::vector<std::string> resetAllLineCountsPaths()
{
    std::vector<std::string> paths;
    for (int i = 0; i < kLineCount; ++i)
        paths.push_back(writePathOf("AIX_LINE_COUNT_RESET" + std::to_string(i), "0"));
    return paths;
}

WritePlan writePlanFor(AgentSettingsState* state, const std::string& name, std::string value)
{
    applyClassDisplayType(state, name, &value);
    if (contains(name, "REGION_TYPE"))
    {
        if (value == "Region")
            value = "0";
        else if (value == "Spot")
            value = "1";
    }
    if (!startsWith(name, "AIX") || !isSafeSettingName(name))
        return {};
    value = cameraValueOf(name, value);
    if (name == "AIX_LINE_COUNT_RESET_ALL")
        return {resetAllLineCountsPaths(), {}};
    // Figures and object sizes are JSON texts, whose line ends between the values are no part of any value.
    if (name == "AIX_OBJECT_DETECTION_SIZE")
        return {objectSizePaths(state, name, value), {}};
    if (contains(name, "POSITION"))
    {
        std::optional<std::vector<std::string>> paths = figureWritePaths(name, value);
        return paths ? WritePlan{std::move(*paths), {}} : WritePlan{{}, kFigureRefusal};
    }
    if (hasControlCharacter(value))
        return {{}, kControlCharacterRefusal};
    return {plainPaths(name, value), {}};
}

} // namespace tesh::vms_server_plugins::analytics::qv
