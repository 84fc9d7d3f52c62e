// Reading numbers from a camera's texts the way the C library's conversions do, but without exceptions and always
// in the "C" locale: a host may set the process's locale from its user's, and atof would then read "0.5" as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tesh::kit {

inline bool isDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

/** The white space of the "C" locale, which is what strtol, atoi and atof skip in front of a number. */
inline bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/**
 * Base 10 with the semantics of std::stoi: leading white space is skipped, one optional sign, then the digits up
 * to the first non-digit; whatever follows is left for the caller.
 * @param end Receives the offset just past the last digit; untouched on failure.
 * @return Nothing when no digit follows the sign or the value does not fit 32 bits (where std::stoi throws).
 */
std::optional<int32_t> parseDecimalInteger(std::string_view text, std::size_t* end = nullptr);

/**
 * As atoi reads it: 0 where no digit follows the sign; a value outside 32 bits, where atoi is undefined, gives the
 * nearer limit.
 */
int32_t saturatedDecimalInteger(std::string_view text);

/**
 * As std::stof reads it: leading white space and one "+" are skipped, then the longest decimal number is taken;
 * whatever follows is left.
 * @return Nothing where no number starts, or where it is out of the float range, infinite or not a number.
 */
std::optional<float> parseDecimalFloat(std::string_view text);

/**
 * As atof reads it, narrowed to float: 0 where no number starts, and also for a value that is not finite as a float
 * (atof reads "nan" and "inf") or out of its range.
 */
float decimalFloatOrZero(std::string_view text);

} // namespace tesh::kit
