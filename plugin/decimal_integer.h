// Reading the camera's integer fields the way the C library's conversions do, without exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

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

} // namespace tesh::vms_server_plugins::analytics::qv
