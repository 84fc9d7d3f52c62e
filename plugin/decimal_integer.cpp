// Reading the camera's integer fields the way the C library's conversions do, without exceptions.
#include "decimal_integer.h"

#include <limits>

namespace tesh::vms_server_plugins::analytics::qv {

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

} // namespace tesh::vms_server_plugins::analytics::qv
