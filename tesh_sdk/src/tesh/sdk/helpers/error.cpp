// Building the error records that failures toward the host carry.
#include "error.h"

#include <tesh/kit/debug.h>
#include <tesh/sdk/helpers/string.h>

namespace tesh::sdk {

namespace {

void print(const std::string& text)
{
    kit::debug::printLine("tesh::sdk::error(): ", text);
}

} // namespace

Error error(ErrorCode errorCode, const std::string& errorMessage)
{
    TESH_KIT_CHECK(print, errorCode != ErrorCode::noError, "Error code must differ from `ErrorCode::noError`");
    TESH_KIT_CHECK(print, !errorMessage.empty(), "Error message must not be empty");
    return Error{errorCode, new String(errorMessage)};
}

std::string toString(ErrorCode errorCode)
{
    switch (errorCode)
    {
        case ErrorCode::noError: return "noError";
        case ErrorCode::unauthorized: return "unauthorized";
        case ErrorCode::notImplemented: return "notImplemented";
        case ErrorCode::networkError: return "networkError";
        case ErrorCode::otherError: return "otherError";
        case ErrorCode::internalError: return "internalError";
        case ErrorCode::invalidParams: return "invalidParams";
    }
    return "<unsupported Error>";
}

std::string messageText(const Error& error)
{
    return error.errorMessage ? error.errorMessage->str() : "";
}

} // namespace tesh::sdk
