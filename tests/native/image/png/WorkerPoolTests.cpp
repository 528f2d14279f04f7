#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "image/WorkerPool.h"

namespace mirulo::image::test {
namespace {

using namespace std::chrono_literals;

// Holds every caller of Arrive until `expected` have arrived, so a run whose
// calls did not overlap fails instead of passing one by one. Gives up after a
// while rather than hang the suite.
class Gathering {
public:
    explicit Gathering(std::size_t expected) : expected_(expected) {}

    bool Arrive() {
        std::unique_lock lock(mutex_);
        if (++arrived_ == expected_) {
            all_.notify_all();
            return true;
        }
        return all_.wait_for(lock, 10s, [this] { return arrived_ >= expected_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable all_;
    std::size_t expected_;
    std::size_t arrived_ = 0;
};

TEST(WorkerPool, RunsOnItsThreadsAtOnceAndKeepsTheSameThreads) {
    WorkerPool pool;
    std::set<std::thread::id> firstRun;
    for (int run = 0; run < 3; ++run) {
        Gathering gathering(3);
        std::mutex mutex;
        std::set<std::thread::id> threads;
        std::atomic<bool> together{true};
        const std::size_t ran = pool.Run(3, [&] {
            if (!gathering.Arrive()) {
                together = false;
            }
            std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        });
        EXPECT_EQ(ran, 3u);
        EXPECT_TRUE(together);
        EXPECT_EQ(threads.size(), 3u);
        EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
        if (run == 0) {
            firstRun = threads;
        } else {
            EXPECT_EQ(threads, firstRun) << "run " << run;
        }
    }
    // Fewer than it has: only as many calls as asked for.
    std::atomic<int> calls{0};
    EXPECT_EQ(pool.Run(1, [&] { ++calls; }), 1u);
    EXPECT_EQ(calls, 1);
}

// What a thread holds for the next run is given back once it has been idle.
struct Held {
    static inline std::atomic<int> alive{0};
    Held() { ++alive; }
    ~Held() { --alive; }
};

TEST(WorkerPool, IdleThreadsEndAndGiveBackWhatTheyHeld) {
    WorkerPool pool(std::chrono::milliseconds(100));
    std::mutex mutex;
    std::set<std::thread::id> before;
    pool.Run(2, [&] {
        thread_local Held held;
        std::lock_guard lock(mutex);
        before.insert(std::this_thread::get_id());
    });
    EXPECT_EQ(Held::alive, 2);

    for (int waited = 0; Held::alive > 0 && waited < 100; ++waited) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(Held::alive, 0);

    std::set<std::thread::id> after;
    EXPECT_EQ(pool.Run(2,
                       [&] {
                           thread_local Held held;
                           std::lock_guard lock(mutex);
                           after.insert(std::this_thread::get_id());
                       }),
              2u);
    EXPECT_EQ(after.size(), 2u);
    EXPECT_EQ(Held::alive, 2);
}

TEST(WorkerPool, RethrowsAFailureOnceEveryCallHasReturned) {
    WorkerPool pool;
    std::atomic<int> started{0};
    std::atomic<int> finished{0};
    EXPECT_THROW(pool.Run(3,
                          [&] {
                              if (started++ == 0) {
                                  throw std::runtime_error("band failed");
                              }
                              std::this_thread::sleep_for(50ms);
                              ++finished;
                          }),
                 std::runtime_error);
    EXPECT_EQ(finished, 2);
    // The pool goes on working after a failure.
    std::atomic<int> calls{0};
    EXPECT_EQ(pool.Run(2, [&] { ++calls; }), 2u);
    EXPECT_EQ(calls, 2);
}

TEST(WorkerPool, TakesRunsFromSeveralCallersOneAtATime) {
    WorkerPool pool;
    std::atomic<int> inside{0};
    std::atomic<int> most{0};
    std::atomic<int> calls{0};
    {
        std::vector<std::jthread> callers;
        for (int i = 0; i < 4; ++i) {
            callers.emplace_back([&] {
                for (int run = 0; run < 20; ++run) {
                    pool.Run(2, [&] {
                        const int now = ++inside;
                        int seen = most.load();
                        while (now > seen && !most.compare_exchange_weak(seen, now)) {
                        }
                        std::this_thread::sleep_for(1ms);
                        --inside;
                        ++calls;
                    });
                }
            });
        }
    }
    EXPECT_EQ(calls, 4 * 20 * 2);
    EXPECT_LE(most, 2);
}

} // namespace
} // namespace mirulo::image::test
