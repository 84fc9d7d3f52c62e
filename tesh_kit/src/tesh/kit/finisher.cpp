// Work that must not run on the thread that asks for it, finished on a thread of its own.
#include "finisher.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tesh::kit {

namespace {

class Finishers
{
public:
    ~Finishers()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (Finisher& finisher: m_finishers)
            finisher.thread.join();
    }

    void start(std::function<void()> job)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        joinEnded();
        auto ended = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([job = std::move(job), ended]() {
            try
            {
                job();
            }
            catch (...)
            {
                // Nobody waits for an outcome here; the thread must end either way.
            }
            *ended = true;
        });
        m_finishers.push_back({std::move(thread), std::move(ended)});
    }

private:
    struct Finisher
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };

    /** Called with the lock held. */
    void joinEnded()
    {
        for (auto it = m_finishers.begin(); it != m_finishers.end();)
        {
            if (!*it->ended)
            {
                ++it;
                continue;
            }
            it->thread.join();
            it = m_finishers.erase(it);
        }
    }

private:
    std::mutex m_mutex;
    std::list<Finisher> m_finishers;
};

Finishers& finishers()
{
    static Finishers instance;
    return instance;
}

} // namespace

void finishElsewhere(std::function<void()> job)
{
    finishers().start(std::move(job));
}

} // namespace tesh::kit
