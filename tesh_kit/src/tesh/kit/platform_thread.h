// A thread started through the operating system's own call, which, unlike std::thread, can be given the size of
// its stack.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace tesh::kit {

/**
 * Owns one thread until join(). What the thread runs must not throw; if it does, the exception ends there and the
 * thread with it.
 */
class PlatformThread
{
public:
    PlatformThread();

    /**
     * Starts run on a new thread whose stack reserves stackBytes (0: the system's default size). The reservation
     * is address space; only the pages the thread touches take memory.
     * @throws std::system_error where the operating system refuses the thread.
     */
    PlatformThread(std::function<void()> run, std::size_t stackBytes);

    /** Joins a thread still running: destroying it unjoined would leave it running with nobody to wait for it. */
    ~PlatformThread();

    PlatformThread(PlatformThread&& other) noexcept;
    PlatformThread& operator=(PlatformThread&& other) noexcept;
    PlatformThread(const PlatformThread&) = delete;
    PlatformThread& operator=(const PlatformThread&) = delete;

    bool joinable() const { return m_native != nullptr; }

    /** Waits until the thread has ended; it is then no longer joinable. */
    void join();

    /** Whether the calling thread is this one. */
    bool isCurrent() const;

private:
    struct Native; //< The system's handle of the thread, in the source file, so that no system header comes here.

    std::unique_ptr<Native> m_native;
};

} // namespace tesh::kit
