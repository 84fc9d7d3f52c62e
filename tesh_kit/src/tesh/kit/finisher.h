// Work that must not run on the thread that asks for it, finished on a thread of its own.
#pragma once

#include <functional>

namespace tesh::kit {

/**
 * Runs job on a new thread and returns at once. For work that would wait for the calling thread, such as
 * destroying an object whose last reference was dropped on one of its own workers. Every such thread is joined by
 * the next call once it has ended, and all of them when the library's static objects are destroyed (the unload),
 * so none runs on after the code it executes is gone.
 * @throws std::system_error where the operating system refuses a thread.
 */
void finishElsewhere(std::function<void()> job);

} // namespace tesh::kit
