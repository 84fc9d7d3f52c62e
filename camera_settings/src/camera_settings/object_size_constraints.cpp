// Converting the detected objects' size limits between the camera's pixels and the host's fractions of the frame.
#include "object_size_constraints.h"

#include <array>
#include <vector>

#include <nlohmann/json.hpp>

#include <tesh/kit/decimal_number.h>
#include "pixel_conversion.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::json;

constexpr std::size_t kCameraFieldCount = 8;

std::optional<std::vector<float>> numbersOf(std::string_view text)
{
    std::vector<float> numbers;
    std::size_t start = 0;
    while (true)
    {
        const std::size_t comma = text.find(',', start);
        const std::optional<float> number = kit::parseDecimalFloat(text.substr(start, comma - start));
        if (!number)
            return std::nullopt;
        numbers.push_back(*number);
        if (comma == std::string_view::npos || numbers.size() > kCameraFieldCount)
            return numbers;
        start = comma + 1;
    }
}

/** [x, y] of the host's value, or nothing where it is not an array starting with two numbers. */
std::optional<std::array<double, 2>> pairOf(const Json& value)
{
    if (!value.is_array() || value.size() < 2 || !value[0].is_number() || !value[1].is_number())
        return std::nullopt;
    return std::array<double, 2>{value[0].get<double>(), value[1].get<double>()};
}

int32_t sizeWithin(int32_t dimension, double fraction)
{
    const int32_t size = truncatedPixels(dimension, fraction);
    if (size > dimension)
        return dimension;
    return size < kMinObjectSizePixels ? kMinObjectSizePixels : size;
}

} // namespace

std::optional<std::string> objectSizeFromCamera(std::string_view cameraValue, FrameSize frame)
{
    const std::optional<std::vector<float>> n = numbersOf(cameraValue);
    if (!n || n->size() != kCameraFieldCount || frame.width <= 0 || frame.height <= 0)
        return std::nullopt;
    const float width = static_cast<float>(frame.width);
    const float height = static_cast<float>(frame.height);
    const auto fractions = [&](std::size_t x) { return Json::array({(*n)[x] / width, (*n)[x + 1] / height}); };
    const Json value = {
        {"minimum", fractions(2)},
        {"maximum", fractions(6)},
        {"positions", Json::array({fractions(0), fractions(4)})},
    };
    return value.dump();
}

std::optional<std::string> objectSizeToCamera(const std::string& hostValue, FrameSize frame)
{
    const Json value = Json::parse(hostValue, nullptr, /*allow_exceptions*/ false);
    if (!value.is_object() || !value.contains("positions") || !value["positions"].is_array()
        || value["positions"].size() < 2)
    {
        return std::nullopt;
    }
    const auto p0 = pairOf(value["positions"][0]);
    const auto p1 = pairOf(value["positions"][1]);
    const auto minimum = pairOf(value.value("minimum", Json()));
    const auto maximum = pairOf(value.value("maximum", Json()));
    if (!p0 || !p1 || !minimum || !maximum)
        return std::nullopt;

    const int32_t fields[kCameraFieldCount] = {
        truncatedPixels(frame.width, (*p0)[0]),
        truncatedPixels(frame.height, (*p0)[1]),
        sizeWithin(frame.width, (*minimum)[0]),
        sizeWithin(frame.height, (*minimum)[1]),
        truncatedPixels(frame.width, (*p1)[0]),
        truncatedPixels(frame.height, (*p1)[1]),
        sizeWithin(frame.width, (*maximum)[0]),
        sizeWithin(frame.height, (*maximum)[1]),
    };
    std::string text;
    for (const int32_t field: fields)
        text += (text.empty() ? "" : ",") + std::to_string(field);
    return text;
}

} // namespace tesh::vms_server_plugins::analytics::qv
