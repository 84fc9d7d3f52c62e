// Failure messages of GoogleTest name an error code instead of printing a bare number.
#pragma once

#include <ostream>

#include <tesh/sdk/helpers/error.h>

namespace tesh::sdk {

/** Found by GoogleTest through argument-dependent lookup, so it lives in the code's own namespace. */
inline void PrintTo(ErrorCode errorCode, std::ostream* os)
{
    *os << toString(errorCode) << " (" << static_cast<int>(errorCode) << ")";
}

} // namespace tesh::sdk
