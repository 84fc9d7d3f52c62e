// Runs a piece of work on a thread with a small stack, so that a parser that recurses per input byte crashes.
#pragma once

#include <cstddef>
#include <functional>

#include <pthread.h>

namespace tesh::vms_server_plugins::analytics::qv::test {

/**
 * A quarter of a MiB: ample for a parser that loops, while a matcher that recurses once per character (a few
 * hundred bytes a level) runs out of it within a few thousand characters.
 */
constexpr std::size_t kSmallStackBytes = 256 * 1024;

inline void* runWork(void* work)
{
    (*static_cast<std::function<void()>*>(work))();
    return nullptr;
}

/** @return Whether the thread could be started with that stack and was joined. */
inline bool runOnSmallStack(std::function<void()> work)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    bool joined = false;
    pthread_t thread;
    if (pthread_attr_setstacksize(&attributes, kSmallStackBytes) == 0
        && pthread_create(&thread, &attributes, &runWork, &work) == 0)
    {
        joined = pthread_join(thread, nullptr) == 0;
    }
    pthread_attr_destroy(&attributes);
    return joined;
}

} // namespace tesh::vms_server_plugins::analytics::qv::test
