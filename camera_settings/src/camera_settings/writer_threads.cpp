// Starting the writer threads, and joining them when the settings go.
#include "writer_threads.h"

#include <exception>
#include <utility>

namespace tesh::vms_server_plugins::analytics::qv {

WriterThreads::~WriterThreads()
{
    stopAndJoin();
}

bool WriterThreads::start(Writer writer)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    joinFinishedLocked();
    if (m_stopping)
        return false;
    try
    {
        Entry& entry = m_writers.emplace_back();
        entry.thread = std::thread([this, writer = std::move(writer), finished = entry.finished]() {
            try
            {
                writer(m_stopping);
            }
            catch (...)
            {
                // What the writer did not send is lost; the process must not end for it.
            }
            *finished = true;
        });
        return true;
    }
    catch (const std::exception&)
    {
        if (!m_writers.empty() && !m_writers.back().thread.joinable())
            m_writers.pop_back();
        return false;
    }
}

void WriterThreads::stopAndJoin()
{
    m_stopping = true;
    std::list<Entry> writers;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        writers.swap(m_writers);
    }
    for (Entry& entry: writers)
        entry.thread.join();
}

void WriterThreads::joinFinishedLocked()
{
    for (auto entry = m_writers.begin(); entry != m_writers.end();)
    {
        if (*entry->finished)
        {
            entry->thread.join();
            entry = m_writers.erase(entry);
        }
        else
        {
            ++entry;
        }
    }
}

} // namespace tesh::vms_server_plugins::analytics::qv
