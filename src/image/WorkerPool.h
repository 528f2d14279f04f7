#pragma once
// Threads that stay for the life of the process, so that encoding a picture
// does not pay to start threads (a few milliseconds each under some systems)
// and each thread keeps its own warm buffers from one picture to the next.
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
    // The process's pool. It is never destroyed: its idle threads end with the process.
    static WorkerPool& Shared();

    WorkerPool() = default;
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    // Only for pools of one's own; ends and joins the threads.
    ~WorkerPool();

    // Calls `work` on the calling thread and, at the same time, on `helpers`
    // pool threads, and returns when every call has returned. Helper i is
    // always the same thread, so what a call keeps in thread_local storage is
    // there again on the next run. Runs are taken one at a time: a second
    // caller waits for the first to finish. If threads cannot be started, the
    // run goes on with those there are; returns how many threads ran `work`,
    // the caller included. The first exception any call threw is rethrown once
    // all have returned. `work` must not call Run on the same pool.
    std::size_t Run(std::size_t helpers, const std::function<void()>& work);

private:
    void Serve(std::size_t index);

    std::mutex runMutex_; // one run at a time
    std::mutex mutex_;    // guards everything below
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> threads_;
    const std::function<void()>* job_ = nullptr;
    std::uint64_t generation_ = 0;
    std::size_t wanted_ = 0;  // helpers taking part in this run
    std::size_t pending_ = 0; // helpers still working on it
    std::exception_ptr failure_;
    bool stopping_ = false;
};

} // namespace mirulo::image
