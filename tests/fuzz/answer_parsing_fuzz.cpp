// Feeds arbitrary camera answers to the answer parsers and the naming rules, and checks what must always hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <camera_settings/answer_parsing.h>
#include <camera_settings/frame_border.h>
#include <camera_settings/parameter_naming.h>
#include <tesh/kit/decimal_number.h>

namespace qv = tesh::vms_server_plugins::analytics::qv;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

/** The value of a parameter never holds a line end nor ends with a blank, and comes from a line of its own. */
void checkParameterValue(const std::string& body)
{
    const std::size_t equals = body.find('=');
    const std::string name = body.substr(0, std::min(equals, body.find_first_of("\r\n")));
    const std::optional<std::string> value = qv::parameterValue(body, name);
    if (!value)
        return;
    require(value->find_first_of("\r\n") == std::string::npos);
    require(value->empty() || (value->back() != ' ' && value->back() != '\t'));
    require(body.find(name + "=" + *value) != std::string::npos);
}

void checkIntegerAgainstStoi(const std::string& text)
{
    std::optional<int> expected;
    std::size_t expectedEnd = 0;
    try
    {
        expected = std::stoi(text, &expectedEnd);
    }
    catch (const std::invalid_argument&)
    {}
    catch (const std::out_of_range&)
    {}
    std::size_t end = 0;
    const auto parsed = tesh::kit::parseDecimalInteger(text, &end);
    require(parsed == expected);
    require(!parsed || end == expectedEnd);
}

/** A list that a figure reader can take apart: an even number of integers joined by ",". */
bool isPlainPointList(std::string_view list)
{
    std::size_t numbers = 0;
    while (true)
    {
        std::size_t used = 0;
        const bool startsNumber
            = !list.empty() && (list.front() == '-' || (list.front() >= '0' && list.front() <= '9'));
        if (!startsNumber || !tesh::kit::parseDecimalInteger(list, &used))
            return false;
        ++numbers;
        list.remove_prefix(used);
        if (list.empty())
            return numbers % 2 == 0;
        if (list.front() != ',')
            return false;
        list.remove_prefix(1);
    }
}

void checkPieces(std::string_view value)
{
    const auto count = tesh::kit::parseDecimalInteger(value);
    const bool joined = count && *count >= 2;
    if (const auto line = qv::parseLinePieces(value); line && joined)
        require(isPlainPointList(*line));
    if (const auto region = qv::parseRegionPieces(value); region && joined)
        require(*region == "0" || isPlainPointList(*region));
}

/** Coordinates drawn mostly from the border values, so that every branch of the corner rule is reached. */
int32_t coordinateFrom(uint8_t byte)
{
    switch (byte % 4)
    {
        case 0: return 0;
        case 1: return qv::kFrameBorderFar;
        case 2: return byte * 4;
        default: return -byte;
    }
}

void checkBorderCorner(const uint8_t* data, std::size_t size)
{
    if (size < 4)
        return;
    const qv::Point a{coordinateFrom(data[0]), coordinateFrom(data[1])};
    const qv::Point b{coordinateFrom(data[2]), coordinateFrom(data[3])};
    const auto corner = qv::borderCorner(a, b);
    if (!corner)
        return;
    require(qv::isOnBorder(a) && qv::isOnBorder(b) && a != b);
    require(
        (corner->x == 0 || corner->x == qv::kFrameBorderFar) && (corner->y == 0 || corner->y == qv::kFrameBorderFar));
}

int hexValue(char c)
{
    return c >= 'a' ? c - 'a' + 10 : c - '0';
}

void checkUrlEncodingRoundTrip(const std::string& text)
{
    const std::string encoded = qv::urlEncode(text);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i)
    {
        if (encoded[i] != '%')
        {
            decoded += encoded[i];
            continue;
        }
        require(i + 2 < encoded.size());
        decoded += static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
        i += 2;
    }
    require(decoded == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    checkParameterValue(text);
    const std::string value = qv::parameterValue(text, text.substr(0, text.find('='))).value_or("0");

    checkIntegerAgainstStoi(text);
    checkPieces(text);
    checkPieces(value);
    checkBorderCorner(data, size);

    checkUrlEncodingRoundTrip(text);
    const std::string cameraName = qv::toCameraIndex(text);
    require(cameraName.size() == text.size());
    require(qv::indexDigit(text).size() <= 1);
    require(qv::toCurrentPositionPath(text).size() >= text.size());
    return 0;
}
