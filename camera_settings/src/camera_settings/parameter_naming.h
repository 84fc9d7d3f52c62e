// How the host's setting names become the camera's parameter names and query values.
#pragma once

#include <string>
#include <string_view>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * The host numbers repeated settings 1 to 8, the camera 0 to 7: a last character "1" to "9" is lowered by one,
 * anything else (also a trailing "0", which no setting has) leaves the name as it is.
 */
std::string toCameraIndex(std::string_view name);

/** The last decimal digit of the name as a one-character text (the host index of repeated settings), or "". */
std::string indexDigit(std::string_view name);

/** The camera keeps the live shape of a figure under "..._CURRENT_POSITION#" beside the drawn "..._POSITION#". */
std::string toCurrentPositionPath(std::string_view path);

/**
 * Whether a setting name may go into a request as it is: letters, digits and underscores only, so that no name can
 * add parameters of its own ("&", "=", "#", spaces, control characters).
 */
bool isSafeSettingName(std::string_view name);

/** Percent-encoding with lowercase hex digits; only letters, digits and "-._~" pass as they are. */
std::string urlEncode(std::string_view value);

} // namespace tesh::vms_server_plugins::analytics::qv
