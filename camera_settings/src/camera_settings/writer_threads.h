// The threads that write the host's changes to the camera while the host's call has long returned.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Every writer is joined, at the latest when this object goes, so no writer outlives the agent whose camera and
 * known values it uses. A writer asked to stop sends no further request; the one under way ends within its
 * time-out.
 */
class WriterThreads
{
public:
    using Writer = std::function<void(const std::atomic<bool>& stopping)>;

    WriterThreads() = default;
    ~WriterThreads();
    WriterThreads(const WriterThreads&) = delete;
    WriterThreads& operator=(const WriterThreads&) = delete;

    /** @return False where no thread could be started; the writer has not run then. */
    bool start(Writer writer);

    /** Asks every writer to stop and waits for all of them. */
    void stopAndJoin();

private:
    struct Entry
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
    };

    void joinFinishedLocked();

    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::list<Entry> m_writers;
};

} // namespace tesh::vms_server_plugins::analytics::qv
