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

void WorkerPool::SetIdleRelease(std::function<void()> release) {
    std::lock_guard lock(mutex_);
    idleRelease_ = std::move(release);
}

std::size_t WorkerPool::Run(std::size_t threads, const std::function<void(std::size_t slot)>& work) {
    std::lock_guard run(runMutex_);
    // The calling thread takes part: it holds a processor already. Pool
    // threads woken alone, while it still held that processor, were put on
    // one processor of two and shared it for milliseconds after the other had
    // been idle (a 1080p page of text took 15 ms instead of 10 on a virtual
    // machine).
    const bool callerWorks = threads > 1;
    const std::size_t poolThreads = callerWorks ? threads - 1 : threads;
    {
        std::lock_guard lock(mutex_);
        if (workers_.size() < poolThreads) {
            workers_.resize(poolThreads);
        }
        wanted_ = 0;
        try {
            for (; wanted_ < poolThreads; ++wanted_) {
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
        work(0);
        return 1;
    }
    wake_.notify_all();
    std::exception_ptr callerFailure;
    if (callerWorks) {
        try {
            work(0);
        } catch (...) {
            callerFailure = std::current_exception();
        }
    }

    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
    if (callerFailure) {
        failure_ = nullptr;
        std::rethrow_exception(callerFailure);
    }
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    return wanted_ + (callerWorks ? 1 : 0);
}

// On a pool thread that has just ended after its idle time, with no lock
// held. Skipped while a run is under way: that run's threads end later and
// release then. A run never waits for this: it only tries the run lock.
void WorkerPool::ReleaseIfIdle() {
    std::unique_lock run(runMutex_, std::try_to_lock);
    if (!run.owns_lock()) {
        return;
    }
    std::function<void()> release;
    {
        std::lock_guard lock(mutex_);
        for (const Worker& worker : workers_) {
            if (worker.running) {
                return;
            }
        }
        release = idleRelease_;
    }
    if (release) {
        release();
    }
}

void WorkerPool::Serve(std::size_t index) {
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!wake_.wait_for(lock, idleTime_, [&] { return generation_ != seen; })) {
            // Idle long enough: end, and let the thread_local buffers go with it.
            workers_[index].running = false;
            lock.unlock();
            ReleaseIfIdle();
            return;
        }
        seen = generation_;
        if (stopping_) {
            return;
        }
        if (index >= wanted_) {
            continue;
        }
        const std::function<void(std::size_t)>* job = job_;
        lock.unlock();
        std::exception_ptr failure;
        try {
            (*job)(index + 1);
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
