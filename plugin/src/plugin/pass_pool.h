// The workers that run the metadata passes of every camera, shared by all agents.
#pragma once

#include <memory>

#include <tesh/kit/thread_pool.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** So that a few host handlers that hold their workers do not stop every camera. */
constexpr unsigned kMinPassWorkers = 4;

/**
 * The pool every agent hands its passes to: one worker per logical processor and at least kMinPassWorkers. A pool
 * of its own per agent would be hundreds of threads,
 * each woken for each document of its camera; a few shared workers stay busy under load and run hot in cache. Their
 * stacks are deep enough for the passes to parse their copies at once (see kDeepParseStackBytes). It lives while an
 * agent holds it; the first agent made after the last one has gone starts a new one.
 * @throws std::system_error where the operating system refuses a thread.
 */
std::shared_ptr<kit::ThreadPool> passPool();

} // namespace tesh::vms_server_plugins::analytics::qv
