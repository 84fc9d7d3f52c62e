// Keeps exceptions from crossing into the host: a slot's body runs guarded and a throw becomes an error.
#include "boundary.h"

#include <tesh/sdk/helpers/error.h>

namespace tesh::sdk {

namespace detail {

void logCaughtException(const kit::debug::PrintFunc& print, const char* operation, const char* what) noexcept
{
    try
    {
        print(std::string("ERROR: ") + operation + "(): caught exception: " + what);
    }
    catch (...)
    {
        // Out of memory even for the log line: nothing more can be said.
    }
}

} // namespace detail

Error internalErrorOf(const char* operation) noexcept
{
    try
    {
        return error(ErrorCode::internalError, std::string(operation) + "() failed inside the plug-in");
    }
    catch (...)
    {
        return Error{ErrorCode::internalError, nullptr};
    }
}

} // namespace tesh::sdk
