// Reading the camera's integer fields the way the standard string-to-int conversion does, without exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Base 10 with the semantics of std::stoi: leading white space is skipped, one optional sign, then the digits up
 * to the first non-digit; whatever follows is left for the caller.
 * @param end Receives the offset just past the last digit; untouched on failure.
 * @return Nothing when no digit follows the sign or the value does not fit 32 bits (where std::stoi throws).
 */
std::optional<int32_t> parseDecimalInteger(std::string_view text, std::size_t* end = nullptr);

} // namespace tesh::vms_server_plugins::analytics::qv
