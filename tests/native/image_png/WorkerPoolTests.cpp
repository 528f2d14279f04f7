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

TEST(WorkerPool, RunsOnTheCallerAndTheHelpersAtOnceAndKeepsTheSameThreads) {
    WorkerPool pool;
    std::set<std::thread::id> firstRun;
    for (int run = 0; run < 3; ++run) {
        Gathering gathering(4);
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
        EXPECT_EQ(ran, 4u);
        EXPECT_TRUE(together);
        EXPECT_EQ(threads.size(), 4u);
        EXPECT_EQ(threads.count(std::this_thread::get_id()), 1u);
        if (run == 0) {
            firstRun = threads;
        } else {
            EXPECT_EQ(threads, firstRun) << "run " << run;
        }
    }
}

TEST(WorkerPool, RunsFewerHelpersThanItHasWhenAskedForFewer) {
    WorkerPool pool;
    pool.Run(3, [] {});
    std::atomic<int> calls{0};
    EXPECT_EQ(pool.Run(1, [&] { ++calls; }), 2u);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(pool.Run(0, [&] { ++calls; }), 1u);
    EXPECT_EQ(calls, 3);
}

TEST(WorkerPool, RethrowsAFailureOnceEveryCallHasReturned) {
    WorkerPool pool;
    const std::thread::id caller = std::this_thread::get_id();
    for (const bool callerFails : {false, true}) {
        std::atomic<int> finished{0};
        EXPECT_THROW(pool.Run(2,
                              [&] {
                                  const bool isCaller = std::this_thread::get_id() == caller;
                                  if (isCaller == callerFails) {
                                      throw std::runtime_error("band failed");
                                  }
                                  std::this_thread::sleep_for(50ms);
                                  ++finished;
                              }),
                     std::runtime_error);
        EXPECT_EQ(finished, callerFails ? 2 : 1) << (callerFails ? "caller failed" : "helper failed");
    }
    // The pool goes on working after a failure.
    std::atomic<int> calls{0};
    EXPECT_EQ(pool.Run(2, [&] { ++calls; }), 3u);
    EXPECT_EQ(calls, 3);
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
                    pool.Run(1, [&] {
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
