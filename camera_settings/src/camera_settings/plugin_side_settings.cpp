// Reading the box delay and the highlight time from the host's setting texts.
#include "plugin_side_settings.h"

#include <tesh/kit/decimal_number.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

constexpr int32_t kMinCalibrationLevel = -20;
constexpr int32_t kMaxCalibrationLevel = 20;
constexpr int32_t kMaxHighlightSeconds = 60;

/** The whole text must be the number: "5 sec" is not what the dialog sends. */
std::optional<int32_t> integerWithin(std::string_view text, int32_t minimum, int32_t maximum)
{
    std::size_t end = 0;
    const std::optional<int32_t> value = kit::parseDecimalInteger(text, &end);
    if (!value || end != text.size() || *value < minimum || *value > maximum)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int32_t> calibrationUsOf(std::string_view level)
{
    const std::optional<int32_t> value = integerWithin(level, kMinCalibrationLevel, kMaxCalibrationLevel);
    if (!value)
        return std::nullopt;
    return *value * kCalibrationStepUs;
}

std::optional<int32_t> highlightSecondsOf(std::string_view seconds)
{
    return integerWithin(seconds, 0, kMaxHighlightSeconds);
}

} // namespace tesh::vms_server_plugins::analytics::qv
