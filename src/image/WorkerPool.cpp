#include "image/WorkerPool.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace mirulo::image {

WorkerPool& WorkerPool::Shared() {
    // Leaked on purpose: joining threads while the process exits can deadlock
    // on Windows, and an idle thread holds nothing that needs closing.
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
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

std::size_t WorkerPool::Run(std::size_t helpers, const std::function<void()>& work) {
    std::lock_guard run(runMutex_);
    {
        std::lock_guard lock(mutex_);
        while (threads_.size() < helpers) {
            try {
                threads_.emplace_back([this, index = threads_.size()] { Serve(index); });
            } catch (const std::system_error&) {
                break; // out of threads: the ones there are do the work
            }
        }
        job_ = &work;
        wanted_ = std::min(helpers, threads_.size());
        pending_ = wanted_;
        failure_ = nullptr;
        ++generation_;
    }
    wake_.notify_all();

    std::exception_ptr ownFailure;
    try {
        work();
    } catch (...) {
        ownFailure = std::current_exception();
    }
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
    if (ownFailure) {
        std::rethrow_exception(ownFailure);
    }
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    return wanted_ + 1;
}

void WorkerPool::Serve(std::size_t index) {
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return generation_ != seen; });
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
