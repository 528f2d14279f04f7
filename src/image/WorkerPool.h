#pragma once
// Threads that outlive one picture, so that encoding pictures one after the
// other does not pay each time to start threads (a few milliseconds each under
// some systems) and to fault in fresh buffers: each thread keeps what it holds
// in thread_local storage until it has been idle for a while, then ends and
// gives it back.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mirulo::image {

class WorkerPool {
public:
    // How long an idle thread waits for work before it ends.
    static constexpr std::chrono::milliseconds kDefaultIdleTime{30'000};

    // The process's pool. It is never destroyed: its idle threads end by
    // themselves or with the process.
    static WorkerPool& Shared();

    explicit WorkerPool(std::chrono::milliseconds idleTime = kDefaultIdleTime) : idleTime_(idleTime) {}
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    // Only for pools of one's own; ends and joins the threads.
    ~WorkerPool();

    // Calls `work` on `threads` threads at once and returns when every call
    // has returned. With two or more, the calling thread is one of them and
    // the others are pool threads; with one, a pool thread runs it and the
    // caller only waits. `work` is given its slot: 0 on the calling thread,
    // i + 1 on pool thread i, which is the same thread from run to run while
    // it stays busy enough, so what a call keeps in thread_local storage is
    // there again next time. What slot 0 keeps, it keeps where it likes and
    // lets go in the idle release (SetIdleRelease). Runs are taken one at a
    // time: a second caller waits for the first to finish. If threads cannot
    // be started, the run goes on with those there are, or on the calling
    // thread alone (slot 0) if there are none; returns how many threads ran
    // `work`. The first exception any call threw is rethrown once all have
    // returned. `work` must not call Run on the same pool.
    std::size_t Run(std::size_t threads, const std::function<void(std::size_t slot)>& work);

    // Called, with no run under way, when every pool thread has ended after
    // its idle time: for what runs keep in slot 0, as the pool threads'
    // thread_local storage goes with them.
    void SetIdleRelease(std::function<void()> release);

private:
    struct Worker {
        std::thread thread;
        bool running = false;
    };

    void StartWorker(std::size_t index);
    void Serve(std::size_t index);
    void ReleaseIfIdle();

    const std::chrono::milliseconds idleTime_;
    std::mutex runMutex_; // one run at a time
    std::mutex mutex_;    // guards everything below
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<Worker> workers_;
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::function<void()> idleRelease_;
    std::uint64_t generation_ = 0;
    std::size_t wanted_ = 0;  // workers taking part in this run
    std::size_t pending_ = 0; // workers still working on it
    std::exception_ptr failure_;
    bool stopping_ = false;
};

} // namespace mirulo::image
