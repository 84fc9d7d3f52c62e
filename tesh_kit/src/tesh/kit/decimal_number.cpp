// Reading numbers from a camera's texts: integers by our own scan, floats through std::from_chars, which ignores the
// locale.
#include "decimal_number.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <system_error>

namespace tesh::kit {

namespace {

/** One past the largest magnitude, so that INT32_MIN still fits. */
constexpr int64_t kMagnitudeLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;

struct DecimalScan
{
    bool hasDigits = false;
    bool negative = false;
    int64_t magnitude = 0; //< Stops growing once above kMagnitudeLimit.
    std::size_t end = 0; //< Just past the last digit.

    bool fits() const { return magnitude < kMagnitudeLimit || (negative && magnitude == kMagnitudeLimit); }
};

/** Every digit is consumed even after an overflow, as strtol does. */
DecimalScan scanDecimal(std::string_view text)
{
    DecimalScan scan;
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    {
        scan.negative = text[i] == '-';
        ++i;
    }
    for (; i < text.size() && isDecimalDigit(text[i]); ++i)
    {
        scan.hasDigits = true;
        if (scan.magnitude <= kMagnitudeLimit)
            scan.magnitude = scan.magnitude * 10 + (text[i] - '0');
    }
    scan.end = i;
    return scan;
}

/** Below 2^53, every integer is exact as a double. */
constexpr uint64_t kExactMantissaLimit = uint64_t{1} << 53;

/** The powers of ten that are exact as doubles. */
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14,
    1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

/** Up to 19 digits always fit 64 bits. */
constexpr std::ptrdiff_t kMaxPlainDigits = 19;

/**
 * Text that is only digits with at most one point, as the camera writes its coordinates, read without from_chars:
 * an exact integer divided by an exact power of ten is rounded once, as from_chars rounds, so the double is the same.
 * @return Nothing for any other text, which from_chars reads.
 */
std::optional<double> plainDecimal(const char* first, const char* last)
{
    uint64_t mantissa = 0; //< Wraps beyond kMaxPlainDigits digits, which are refused below.
    const char* at = first;
    for (; at != last && isDecimalDigit(*at); ++at)
        mantissa = mantissa * 10 + static_cast<uint64_t>(*at - '0');
    const std::ptrdiff_t integerDigits = at - first;
    std::ptrdiff_t fractionDigits = 0;
    if (at != last && *at == '.')
    {
        const char* const fraction = ++at;
        for (; at != last && isDecimalDigit(*at); ++at)
            mantissa = mantissa * 10 + static_cast<uint64_t>(*at - '0');
        fractionDigits = at - fraction;
    }
    constexpr std::ptrdiff_t kPowers = static_cast<std::ptrdiff_t>(std::size(kExactPowersOfTen));
    const std::ptrdiff_t digits = integerDigits + fractionDigits;
    if (at != last || digits == 0 || digits > kMaxPlainDigits || mantissa >= kExactMantissaLimit
        || fractionDigits >= kPowers)
        return std::nullopt;
    return static_cast<double>(mantissa) / kExactPowersOfTen[fractionDigits];
}

} // namespace

std::optional<int32_t> parseDecimalInteger(std::string_view text, std::size_t* end)
{
    const DecimalScan scan = scanDecimal(text);
    if (!scan.hasDigits || !scan.fits())
        return std::nullopt;
    if (end)
        *end = scan.end;
    return static_cast<int32_t>(scan.negative ? -scan.magnitude : scan.magnitude);
}

int32_t saturatedDecimalInteger(std::string_view text)
{
    const DecimalScan scan = scanDecimal(text);
    if (scan.fits())
        return static_cast<int32_t>(scan.negative ? -scan.magnitude : scan.magnitude);
    return scan.negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

std::optional<float> parseDecimalFloat(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && isCSpace(text[start]))
        ++start;
    if (start + 1 < text.size() && text[start] == '+' && text[start + 1] != '-')
        ++start;
    float value = 0;
    const char* const first = text.data() + start;
    const std::from_chars_result result = std::from_chars(first, text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

float decimalFloatOrZero(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    {
        negative = text[i] == '-';
        ++i;
    }
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    // from_chars would take a second minus sign, where atof reads nothing.
    if (first == last || *first == '-')
        return 0;
    double value = 0;
    if (const std::optional<double> plain = plainDecimal(first, last))
        value = *plain;
    else if (std::from_chars(first, last, value).ec != std::errc())
        return 0;
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return 0;
    return static_cast<float>(negative ? -value : value);
}

} // namespace tesh::kit
