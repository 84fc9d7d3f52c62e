// The worker pool: size, order of shutdown, a start the operating system refuses.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

#include <gtest/gtest.h>

#include <tesh/kit/thread_pool.h>

namespace {

using namespace std::chrono_literals;
using tesh::kit::setWorkerStartForTests;
using tesh::kit::ThreadPool;

std::atomic<int> startsAllowed{0};
std::atomic<int> workersEnded{0};

/** Starts startsAllowed workers, then fails as the operating system does when it has no thread left. */
tesh::kit::PlatformThread startUntilRefused(std::function<void()> loop, std::size_t stackBytes)
{
    if (startsAllowed-- <= 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "no thread");
    return tesh::kit::PlatformThread(
        [loop = std::move(loop)]() {
            loop();
            ++workersEnded;
        },
        stackBytes);
}

/** Every pool made while it lives starts only this many workers. */
class RefusedStarts
{
public:
    explicit RefusedStarts(int allowed)
    {
        startsAllowed = allowed;
        workersEnded = 0;
        setWorkerStartForTests(startUntilRefused);
    }
    ~RefusedStarts() { setWorkerStartForTests(nullptr); }
};

TEST(ThreadPool, theWorkerThatWentIdleLastTakesTheNextTask)
{
    ThreadPool pool(3);
    const auto runOn = [&pool]() { return pool.enqueue([]() { return std::this_thread::get_id(); }).get(); };
    for (int i = 0; i < 3; ++i)
    {
        std::this_thread::sleep_for(50ms); //< All three wait: none is still starting or finishing a task.
        const std::thread::id first = runOn();
        std::this_thread::sleep_for(50ms); //< Its worker waits again, the last of the three to do so.
        EXPECT_EQ(runOn(), first);
    }
}

TEST(ThreadPool, taskThatWaitsOnItsOwnSubtasksFinishes)
{
    ThreadPool pool(2);
    auto outer = pool.enqueue([&pool]() {
        auto a = pool.enqueue([]() { return 20; });
        auto b = pool.enqueue([]() { return 22; });
        return a.get() + b.get();
    });
    ASSERT_EQ(outer.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(outer.get(), 42);
}

TEST(ThreadPool, exceptionOfATaskReachesItsFutureAndTheWorkerGoesOn)
{
    ThreadPool pool(1);
    auto failing = pool.enqueue([]() -> int { throw std::runtime_error("conversion failed"); });
    EXPECT_THROW(failing.get(), std::runtime_error);
    pool.post([]() { throw std::runtime_error("nobody waits for this one"); });
    EXPECT_EQ(pool.enqueue([]() { return 1; }).get(), 1) << "the one worker survived both";
}

TEST(ThreadPool, destructionWaitsForQueuedTasksAndTheWorkTheySpawn)
{
    std::atomic<int> done{0};
    {
        ThreadPool pool(2);
        for (int i = 0; i < 8; ++i)
        {
            pool.enqueue([&pool, &done]() {
                std::this_thread::sleep_for(5ms);
                // Enqueued while the destructor may already be waiting: it must still run.
                pool.enqueue([&done]() { ++done; });
                ++done;
            });
        }
    }
    EXPECT_EQ(done, 16);
}

TEST(ThreadPool, workerThatCannotStartFailsThePoolAfterTheOthersAreJoined)
{
    const RefusedStarts refused(2);
    EXPECT_THROW(ThreadPool(4), std::system_error);
    EXPECT_EQ(workersEnded, 2) << "the two started workers were joined before the throw";
}

/** Goes down `levels` frames of 1 KiB each; the volatile buffer keeps the compiler from folding the frames. */
int descend(int levels)
{
    volatile char frame[1024];
    frame[0] = 1;
    return levels == 0 ? 0 : descend(levels - 1) + frame[0];
}

TEST(ThreadPool, workersHaveTheStackTheyWereGiven)
{
    // Twice the 8 MiB that threads get by default here: the descent overflows any stack of the default size.
    constexpr std::size_t kStackBytes = 32 * 1024 * 1024;
    constexpr int kLevels = 16 * 1024;
    ThreadPool pool(1, kStackBytes);
    EXPECT_EQ(pool.stackBytes(), kStackBytes);
    EXPECT_EQ(pool.enqueue([]() { return descend(kLevels); }).get(), kLevels);
    EXPECT_EQ(ThreadPool(1).stackBytes(), 0u) << "the system's default, of a size the pool does not know";
}

} // namespace
