// The camera's address as the device URL gives it.
#pragma once

#include <string>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * The leftmost text of four dot-separated groups of one to three digits, each group as long as it can be: what the
 * ECMAScript pattern (\d{1,3}\.){3}\d{1,3} finds. The numbers' ranges are not checked and no port is kept; empty
 * when there is none. A scan of its own rather than std::regex, whose matcher recurses once per character of a
 * URL the host hands us.
 */
std::string cameraAddressFromUrl(std::string_view url);

} // namespace tesh::vms_server_plugins::analytics::qv
