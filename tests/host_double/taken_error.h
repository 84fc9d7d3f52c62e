// An error record the library filled, read the way the host reads it and released.
#pragma once

#include <sstream>
#include <string>
#include <utility>

#include <host_double/error_code_printer.h>
#include <tesh/sdk/helpers/error.h>

namespace tesh::test {

/** The code and the message text ("<null>" for none) of an error record. */
using ErrorSeen = std::pair<sdk::ErrorCode, std::string>;

inline const ErrorSeen kSuccess{sdk::ErrorCode::noError, "<null>"};

/** The message's reference is released here, as the host releases it after reading. */
inline ErrorSeen takeError(sdk::Error* error)
{
    const std::string message = error->errorMessage ? error->errorMessage->str() : "<null>";
    if (error->errorMessage)
        error->errorMessage->releaseRef();
    error->errorMessage = nullptr;
    return {error->errorCode, message};
}

/** A pointer as the library's log lines print it through a stream. */
inline std::string streamPointer(const void* pointer)
{
    std::ostringstream text;
    text << pointer;
    return text.str();
}

} // namespace tesh::test
