// Work of one run spread over worker threads while its results are taken back
// strictly in the order the work was handed out.
//
// The calling thread fills a batch (Fill), hands it over (Submit), and takes
// finished batches back in submission order (TakeOldest), writes them out and
// hands them back to be filled again (Release). A fixed ring of batches is
// reused for the whole run, so memory does not grow with the input. With no
// worker threads a batch is worked on by Submit itself, on the calling
// thread. `work` runs on the workers and must touch nothing but its batch and
// what is safe to share (read-only data such as a MappedGrid); everything that
// talks to the user stays on the calling thread. The destructor waits for the
// workers after letting them finish the batch in hand; batches not yet begun
// are dropped.
//
// Workers start at the first Submit. When the system refuses a thread (a
// process limit), the ring goes on with those that started, or with none, so
// that Submit works on the calling thread: a run never fails for want of a
// thread. Workers block every signal, so that a signal reaches the thread
// that runs the run and interrupts what it waits for.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/worker_threads.hpp"
#include "tasks/engine_names.hpp"

namespace egm2008 {

/// How a worker thread is started: as std::thread does, throwing std::system_error
/// when the system refuses.
using WorkerStarter = std::thread (*)(std::function<void()> body);
/// Replaces how workers start (tests stand in one that refuses); nullptr restores
/// std::thread. Returns the former starter.
WorkerStarter SetWorkerStarter(WorkerStarter starter);
/// Starts `body` on a new thread through the current starter, every signal blocked in it.
std::thread StartWorker(std::function<void()> body);

template <typename Batch>
class OrderedWork {
public:
    /// `depth` batches in the ring (at least 1); `workers` threads (0: Submit works).
    OrderedWork(std::size_t depth, std::size_t workers, std::function<void(Batch&)> work)
        : work_(std::move(work)), slots_(depth > 0 ? depth : 1), workerCount_(workers) {}
    ~OrderedWork() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        submittedSignal_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    /// True when every batch of the ring is handed out or waiting to be taken back.
    bool Full() const { return submitted_ - taken_ == slots_.size(); }
    /// True when some submitted batch has not been taken back yet.
    bool Pending() const { return submitted_ != taken_; }

    /// The batch to fill next; call only when not Full.
    Batch& Fill() { return slots_[submitted_ % slots_.size()].batch; }

    /// Hands the batch from Fill to the workers.
    void Submit() {
        Slot& slot = slots_[submitted_ % slots_.size()];
        StartWorkers();
        if (workerCount_ == 0) {
            work_(slot.batch);
            slot.done = true;
            ++submitted_;
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slot.done = false;
            ++submitted_;
            sharedSubmitted_ = submitted_;
        }
        submittedSignal_.notify_one();
    }

    /// Waits for the oldest submitted batch and gives it back; call only when Pending.
    Batch& TakeOldest() {
        Slot& slot = slots_[taken_ % slots_.size()];
        if (workerCount_ > 0) {
            std::unique_lock<std::mutex> lock(mutex_);
            doneSignal_.wait(lock, [&slot] { return slot.done; });
        }
        return slot.batch;
    }

    /// Ends the use of the batch TakeOldest gave; its slot can be filled again.
    void Release() { ++taken_; }

private:
    struct Slot {
        Batch batch;
        bool done = true;
    };

    // Starts the workers once; those the system refuses are done without.
    void StartWorkers() {
        if (started_) return;
        started_ = true;
        for (std::size_t k = 0; k < workerCount_; ++k) {
            try {
                workers_.push_back(StartWorker([this] { Serve(); }));
            } catch (const std::system_error&) {
                break;
            }
        }
        workerCount_ = workers_.size();
    }

    void Serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            submittedSignal_.wait(lock,
                                  [this] { return stopping_ || claimed_ != sharedSubmitted_; });
            if (stopping_) return;
            Slot& slot = slots_[claimed_ % slots_.size()];
            ++claimed_;
            lock.unlock();
            work_(slot.batch);
            lock.lock();
            slot.done = true;
            doneSignal_.notify_all();
        }
    }

    std::function<void(Batch&)> work_;
    std::vector<Slot> slots_;
    std::size_t workerCount_;
    bool started_ = false;
    std::vector<std::thread> workers_;

    // Counted by the calling thread only.
    std::size_t submitted_ = 0;
    std::size_t taken_ = 0;

    // Shared with the workers, under mutex_.
    std::mutex mutex_;
    std::condition_variable submittedSignal_;
    std::condition_variable doneSignal_;
    std::size_t sharedSubmitted_ = 0;
    std::size_t claimed_ = 0;
    bool stopping_ = false;
};

}  // namespace egm2008
