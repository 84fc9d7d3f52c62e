// Keeps exceptions from crossing into the host: a slot's body runs guarded and a throw becomes an error.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include <tesh/kit/debug.h>
#include <tesh/sdk/result.h>

namespace tesh::sdk {

namespace detail {

/** One error line naming the operation; itself never throws. */
void logCaughtException(const kit::debug::PrintFunc& print, const char* operation, const char* what) noexcept;

} // namespace detail

/**
 * Runs body; an exception is logged as one error line naming the operation.
 * @return Whether body finished without throwing.
 */
template<typename Body>
bool runGuarded(const kit::debug::PrintFunc& print, const char* operation, Body&& body) noexcept
{
    try
    {
        body();
        return true;
    }
    catch (const std::exception& e)
    {
        detail::logCaughtException(print, operation, e.what());
    }
    catch (...)
    {
        detail::logCaughtException(print, operation, "unknown exception");
    }
    return false;
}

/** An internalError naming the operation, for a slot whose body threw; never throws. */
Error internalErrorOf(const char* operation) noexcept;

namespace detail {

/** A slot whose body threw hands back no value: its body hands the value over as its last step, if at all. */
template<typename Value>
void failSlot(Result<Value>* outResult, const char* operation) noexcept
{
    *outResult = {internalErrorOf(operation), Value{}};
}

inline void failSlot(Result<void>* outResult, const char* operation) noexcept
{
    outResult->error = internalErrorOf(operation);
}

} // namespace detail

/**
 * The whole of a host slot that reports through a Result: body fills *outResult as the slot's outcome; an
 * exception is logged as one error line naming the operation and becomes internalErrorOf(operation). With a null
 * outResult the host has nowhere to hear of the outcome, so nothing is done.
 */
template<typename Value, typename Body>
void runGuardedSlot(
    const kit::debug::PrintFunc& print, const char* operation, Result<Value>* outResult, Body&& body) noexcept
{
    if (!outResult)
        return;
    if (!runGuarded(print, operation, std::forward<Body>(body)))
        detail::failSlot(outResult, operation);
}

} // namespace tesh::sdk
