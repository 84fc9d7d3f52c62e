// Reading the camera's coordinates and sizes the way the standard string-to-float conversion does, without
// exceptions and without the host process's locale.
#pragma once

#include <optional>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Leading white space and one "+" are skipped, then the longest decimal number is taken; whatever follows is left.
 * @return Nothing where no number starts, or where it is out of the float range, infinite or not a number.
 */
std::optional<float> parseDecimalFloat(std::string_view text);

} // namespace tesh::vms_server_plugins::analytics::qv
