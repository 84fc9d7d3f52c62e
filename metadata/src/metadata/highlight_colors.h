// The colours the host draws an object's box in, as values of its box colour attribute.
#pragma once

namespace tesh::vms_server_plugins::analytics::qv {

inline constexpr char kHighlightBlue[] = "Blue";
inline constexpr char kHighlightRed[] = "Red";
inline constexpr char kHighlightGreen[] = "Green";
inline constexpr char kHighlightCyan[] = "Cyan";

} // namespace tesh::vms_server_plugins::analytics::qv
