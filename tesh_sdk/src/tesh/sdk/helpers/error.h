// Building the error records that failures toward the host carry.
#pragma once

#include <string>

#include <tesh/sdk/result.h>

namespace tesh::sdk {

/**
 * An Error with a new String holding the message. Reports, without failing, a noError code or an
 * empty message: neither belongs in an error.
 */
[[nodiscard]] Error error(ErrorCode errorCode, const std::string& errorMessage);

/** The code's name as in the enumeration, or "<unsupported Error>". */
std::string toString(ErrorCode errorCode);

/** The message text of an error record, or the empty text when it has none. */
std::string messageText(const Error& error);

} // namespace tesh::sdk
