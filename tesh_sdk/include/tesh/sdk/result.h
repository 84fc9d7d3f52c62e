// How every fallible operation toward the host reports its outcome.
//
// A host-facing slot never returns a Result by value (compilers disagree on where the hidden return
// pointer goes): it takes a pointer to the caller's storage as its first argument and fills it.
#pragma once

#include <cstdint>

#include <tesh/sdk/i_string.h>

namespace tesh::sdk {

/** A closed set; the values are the host's. */
enum class ErrorCode : int32_t
{
    noError = 0, //< Success; never carried by an Error made with error().
    unauthorized = -1, //< The caller may not do this.
    notImplemented = -21, //< The operation exists but is not supported here.
    networkError = -22, //< A device or service could not be reached.
    otherError = -100, //< A failure that none of the other codes describes.
    internalError = -1000, //< A broken invariant inside the plug-in.
    invalidParams = -1001, //< The caller's arguments cannot be used.
};

/** Success is noError with a null message; the message holds one reference. */
struct Error
{
    alignas(8) ErrorCode errorCode = ErrorCode::noError;
    alignas(8) const IString* errorMessage = nullptr;

    bool isOk() const { return errorCode == ErrorCode::noError && errorMessage == nullptr; }
};

/**
 * An Error followed by the value; an object value holds one reference, or is null. Must be looked at: a dropped
 * Result loses both a failure and the reference its value holds.
 */
template<typename Value>
struct [[nodiscard]] Result
{
    alignas(8) Error error;
    alignas(8) Value value{};

    bool isOk() const { return error.isOk(); }
};

template<>
struct [[nodiscard]] Result<void>
{
    alignas(8) Error error;

    bool isOk() const { return error.isOk(); }
};

static_assert(sizeof(Error) == 16, "error code and message each take an 8-byte field");
static_assert(sizeof(Result<IString*>) == 24, "the value follows the Error in its own 8-byte field");
static_assert(sizeof(Result<void>) == 16, "a result with no value is just the Error");

} // namespace tesh::sdk
