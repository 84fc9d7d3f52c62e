// The agent's write channel: the later value of a setting wins, and no thread outlives the writes.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <camera_settings/write_channel.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using namespace std::chrono_literals;

/** Holds the first write until released, so that later posts find it running. */
class RecordingCamera
{
public:
    void write(const WriteChannel::Job& job)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_written.push_back(job.name + "=" + job.value);
        m_released.wait(lock, [this]() { return m_open; });
    }

    void dropped(const WriteChannel::Job& job, bool replaced)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_dropped.push_back(job.name + "=" + job.value + (replaced ? " replaced" : " never started"));
    }

    void release()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_released.notify_all();
    }

    std::vector<std::string> written() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_written;
    }

    std::vector<std::string> droppedJobs() const
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_dropped;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_open = false;
    std::vector<std::string> m_written;
    std::vector<std::string> m_dropped;
};

bool becomesTrue(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(WriteChannel, laterValueWinsAndNoWorkerOutlivesTheWrites)
{
    RecordingCamera camera;
    WriteChannel channel(
        8, [&](const WriteChannel::Job& job, const std::atomic<bool>&) { camera.write(job); },
        [&](const WriteChannel::Job& job, bool replaced) { camera.dropped(job, replaced); });

    channel.post({"Sensitivity", "1", {}});
    ASSERT_TRUE(becomesTrue([&]() { return camera.written().size() == 1; }));
    // The first value is being written: the second waits behind it and is replaced by the third.
    channel.post({"Sensitivity", "2", {}});
    channel.post({"Sensitivity", "3", {}});
    camera.release();

    ASSERT_TRUE(becomesTrue([&]() { return channel.workerCount() == 0; }));
    EXPECT_EQ((std::vector<std::string>{"Sensitivity=1", "Sensitivity=3"}), camera.written());
    EXPECT_EQ((std::vector<std::string>{"Sensitivity=2 replaced"}), camera.droppedJobs());

    // A later delivery starts a worker again.
    channel.post({"OsdText", "Gate", {}});
    ASSERT_TRUE(becomesTrue([&]() { return camera.written().size() == 3; }));
    channel.finish(1s);
    EXPECT_EQ(0, channel.workerCount());
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
