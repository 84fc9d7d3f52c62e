// Keeps exceptions from crossing into the host: a slot's body runs guarded and a throw becomes an error.
#pragma once

#include <exception>
#include <string>

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

} // namespace tesh::sdk
