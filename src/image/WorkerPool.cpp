#include "image/WorkerPool.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace mirulo::image {

WorkerPool& WorkerPool::Shared() {
    // Leaked on purpose: joining threads while the process exits can deadlock
    // on Windows.
    static WorkerPool* const pool = new WorkerPool;
    return *pool;
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        ++generation_;
    }
    wake_.notify_all();
    for (Worker& worker : workers_) {
        if (worker.thread.joinable()) {
            worker.thread.join();
        }
    }
}

// With mutex_ held. A worker that ended after its idle time is joined (it
// has already let go of the lock) and started again.
void WorkerPool::StartWorker(std::size_t index) {
    Worker& worker = workers_[index];
    if (worker.thread.joinable()) {
        worker.thread.join();
    }
    worker.thread = std::thread([this, index] { Serve(index); });
    worker.running = true;
}

std::size_t WorkerPool::Run(std::size_t threads, const std::function<void()>& work) {
    std::lock_guard run(runMutex_);
    {
        std::lock_guard lock(mutex_);
        if (workers_.size() < threads) {
            workers_.resize(threads);
        }
        wanted_ = 0;
        try {
            for (; wanted_ < threads; ++wanted_) {
                if (!workers_[wanted_].running) {
                    StartWorker(wanted_);
                }
            }
        } catch (const std::system_error&) {
            // Out of threads: the ones there are do the work.
        }
        job_ = &work;
        pending_ = wanted_;
        failure_ = nullptr;
        ++generation_;
    }
    if (wanted_ == 0) {
        work();
        return 1;
    }
    wake_.notify_all();

    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    return wanted_;
}

void WorkerPool::Serve(std::size_t index) {
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!wake_.wait_for(lock, idleTime_, [&] { return generation_ != seen; })) {
            // Idle long enough: end, and let the thread_local buffers go with it.
            workers_[index].running = false;
            return;
        }
        seen = generation_;
        if (stopping_) {
            return;
        }
        if (index >= wanted_) {
            continue;
        }
        const std::function<void()>* job = job_;
        lock.unlock();
        std::exception_ptr failure;
        try {
            (*job)();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure && !failure_) {
            failure_ = failure;
        }
        if (--pending_ == 0) {
            done_.notify_all();
        }
    }
}

} // namespace mirulo::image
