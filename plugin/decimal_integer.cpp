// Reading the camera's integer fields the way the standard string-to-int conversion does, without exceptions.
#include "decimal_integer.h"

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

/** The white space of the "C" locale, which is what strtol skips in front of a number. */
bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<int32_t> parseDecimalInteger(std::string_view text, std::size_t* end)
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
    if (i == text.size() || !isDigit(text[i]))
        return std::nullopt;

    // One past the largest magnitude, so that INT32_MIN still fits; every digit is consumed even after overflow,
    // as strtol does, and the overflow is reported once the number ends.
    constexpr int64_t kMagnitudeLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    bool overflow = false;
    for (; i < text.size() && isDigit(text[i]); ++i)
    {
        if (!overflow)
        {
            magnitude = magnitude * 10 + (text[i] - '0');
            overflow = magnitude > kMagnitudeLimit;
        }
    }
    if (overflow || (!negative && magnitude == kMagnitudeLimit))
        return std::nullopt;
    if (end)
        *end = i;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

} // namespace tesh::vms_server_plugins::analytics::qv
