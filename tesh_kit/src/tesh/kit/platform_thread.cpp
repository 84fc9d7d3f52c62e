// A thread started through the operating system's own call, which can be given the size of its stack.
#include "platform_thread.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#    include <process.h>
#    include <windows.h>
#else
#    include <limits.h>
#    include <pthread.h>
#endif

namespace tesh::kit {

namespace {

/** Owned by the new thread once it has been started, and deleted there when run returns. */
using Run = std::function<void()>;

void runAndDelete(void* argument)
{
    const std::unique_ptr<Run> run(static_cast<Run*>(argument));
    try
    {
        (*run)();
    }
    catch (...)
    {
        // The thread ends here rather than take the host's process with it.
    }
}

} // namespace

#if defined(_WIN32)

struct PlatformThread::Native
{
    HANDLE handle = nullptr;
    DWORD id = 0;
};

namespace {

unsigned __stdcall threadEntry(void* argument)
{
    runAndDelete(argument);
    return 0;
}

} // namespace

PlatformThread::PlatformThread(std::function<void()> run, std::size_t stackBytes)
{
    auto native = std::make_unique<Native>();
    auto owned = std::make_unique<Run>(std::move(run));
    unsigned id = 0;
    // A reservation, not a commitment: the pages of the stack are committed as the thread reaches them.
    const uintptr_t handle = _beginthreadex(
        nullptr, static_cast<unsigned>(stackBytes), threadEntry, owned.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
    if (handle == 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "_beginthreadex");
    owned.release();
    native->handle = reinterpret_cast<HANDLE>(handle);
    native->id = id;
    m_native = std::move(native);
}

void PlatformThread::join()
{
    if (!m_native)
        return;
    WaitForSingleObject(m_native->handle, INFINITE);
    CloseHandle(m_native->handle);
    m_native.reset();
}

bool PlatformThread::isCurrent() const
{
    return m_native && m_native->id == GetCurrentThreadId();
}

#else

struct PlatformThread::Native
{
    pthread_t thread{};
};

namespace {

void* threadEntry(void* argument)
{
    runAndDelete(argument);
    return nullptr;
}

/** Frees the attributes whichever way the start goes. */
class ThreadAttributes
{
public:
    explicit ThreadAttributes(std::size_t stackBytes)
    {
        m_status = pthread_attr_init(&m_attributes);
        if (m_status == 0 && stackBytes > 0)
            m_status = pthread_attr_setstacksize(
                &m_attributes, std::max(stackBytes, static_cast<std::size_t>(PTHREAD_STACK_MIN)));
    }
    ~ThreadAttributes() { pthread_attr_destroy(&m_attributes); }
    ThreadAttributes(const ThreadAttributes&) = delete;
    ThreadAttributes& operator=(const ThreadAttributes&) = delete;

    int status() const { return m_status; }
    const pthread_attr_t* get() const { return &m_attributes; }

private:
    pthread_attr_t m_attributes{};
    int m_status = 0;
};

} // namespace

PlatformThread::PlatformThread(std::function<void()> run, std::size_t stackBytes)
{
    auto native = std::make_unique<Native>();
    auto owned = std::make_unique<Run>(std::move(run));
    const ThreadAttributes attributes(stackBytes);
    int status = attributes.status();
    if (status == 0)
        status = pthread_create(&native->thread, attributes.get(), threadEntry, owned.get());
    if (status != 0)
        throw std::system_error(status, std::generic_category(), "pthread_create");
    owned.release();
    m_native = std::move(native);
}

void PlatformThread::join()
{
    if (!m_native)
        return;
    pthread_join(m_native->thread, nullptr);
    m_native.reset();
}

bool PlatformThread::isCurrent() const
{
    return m_native && pthread_equal(m_native->thread, pthread_self()) != 0;
}

#endif

PlatformThread::PlatformThread() = default;

PlatformThread::~PlatformThread()
{
    join();
}

PlatformThread::PlatformThread(PlatformThread&& other) noexcept = default;

PlatformThread& PlatformThread::operator=(PlatformThread&& other) noexcept
{
    if (this != &other)
    {
        join();
        m_native = std::move(other.m_native);
    }
    return *this;
}

} // namespace tesh::kit
