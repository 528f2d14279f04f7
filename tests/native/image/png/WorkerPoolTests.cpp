#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
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

TEST(WorkerPool, RunsOnTheCallerAndItsThreadsAtOnceAndKeepsTheSameThreadPerSlot) {
    WorkerPool pool;
    std::map<std::size_t, std::thread::id> firstRun;
    for (int run = 0; run < 3; ++run) {
        Gathering gathering(3);
        std::mutex mutex;
        std::map<std::size_t, std::thread::id> slots;
        std::set<std::thread::id> threads;
        std::atomic<bool> together{true};
        const std::size_t ran = pool.Run(3, [&](std::size_t slot) {
            if (!gathering.Arrive()) {
                together = false;
            }
            std::lock_guard lock(mutex);
            slots[slot] = std::this_thread::get_id();
            threads.insert(std::this_thread::get_id());
        });
        EXPECT_EQ(ran, 3u);
        EXPECT_TRUE(together);
        EXPECT_EQ(threads.size(), 3u);
        ASSERT_EQ(slots.size(), 3u);
        EXPECT_EQ(slots.begin()->first, 0u);
        EXPECT_EQ(slots.rbegin()->first, 2u);
        EXPECT_EQ(slots[0], std::this_thread::get_id());
        if (run == 0) {
            firstRun = slots;
        } else {
            EXPECT_EQ(slots, firstRun) << "run " << run;
        }
    }
    // One thread: a pool thread runs it, in the slot it had, and the caller waits.
    std::atomic<int> calls{0};
    std::thread::id ranOn;
    std::size_t ranIn = 0;
    EXPECT_EQ(pool.Run(1,
                       [&](std::size_t slot) {
                           ++calls;
                           ranOn = std::this_thread::get_id();
                           ranIn = slot;
                       }),
              1u);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ranIn, 1u);
    EXPECT_EQ(ranOn, firstRun[1]);
}

// What a thread holds for the next run is given back once it has been idle.
struct Held {
    static inline std::atomic<int> alive{0};
    Held() { ++alive; }
    ~Held() { --alive; }
};

// A pool thread holds its things in thread_local storage; the caller's slot
// holds them where the pool's idle release can let them go.
TEST(WorkerPool, IdleThreadsEndAndGiveBackWhatTheyAndTheCallersSlotHeld) {
    WorkerPool pool(std::chrono::milliseconds(100));
    std::unique_ptr<Held> callersHeld;
    std::atomic<int> releases{0};
    pool.SetIdleRelease([&] {
        callersHeld.reset();
        ++releases;
    });
    const auto holdInEverySlot = [&](std::size_t slot) {
        if (slot == 0) {
            if (!callersHeld) {
                callersHeld = std::make_unique<Held>();
            }
        } else {
            thread_local Held held;
        }
    };
    EXPECT_EQ(pool.Run(3, holdInEverySlot), 3u);
    EXPECT_EQ(Held::alive, 3);

    for (int waited = 0; (Held::alive > 0 || releases == 0) && waited < 100; ++waited) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(Held::alive, 0);
    EXPECT_GE(releases, 1);

    EXPECT_EQ(pool.Run(3, holdInEverySlot), 3u);
    EXPECT_EQ(Held::alive, 3);
}

TEST(WorkerPool, RethrowsAFailureOnceEveryCallHasReturned) {
    WorkerPool pool;
    std::atomic<int> started{0};
    std::atomic<int> finished{0};
    EXPECT_THROW(pool.Run(3,
                          [&](std::size_t) {
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
    EXPECT_EQ(pool.Run(2, [&](std::size_t) { ++calls; }), 2u);
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
                    pool.Run(2, [&](std::size_t) {
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
