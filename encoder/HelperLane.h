#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace encoder {

// A worker thread fed through a bounded queue. An encode has one per output picture size (its video
// encoders share it) and one per audio encoder, so that decoding, scaling and the encodes run side by
// side on every core, while the queue's bound keeps only a few
// decoded pictures waiting. Tasks run in the order posted.
//
// A task that throws ends the lane's work: what is still queued is dropped, and the next Post or Drain
// rethrows the failure on the posting thread. `stop` (the encode's Stop) is heard in every wait.
class HelperLane {
  public:
    // `capacity`: the queue takes tasks until their costs add up to this (always at least one task).
    HelperLane(const std::atomic<bool>& stop, std::size_t capacity);
    ~HelperLane();  // drops what is queued and waits for the running task
    HelperLane(const HelperLane&) = delete;
    HelperLane& operator=(const HelperLane&) = delete;

    // Queues `task`, waiting while the queue is full. Returns false when stopped (the task is dropped).
    bool Post(std::function<void()> task, std::size_t cost = 1);
    // Waits until every queued task has run. Returns false when stopped.
    bool Drain();

  private:
    struct Task {
        std::function<void()> run;
        std::size_t cost;
    };
    void Loop();
    void RethrowFailure();  // with lock_ held

    const std::atomic<bool>& stop_;
    const std::size_t capacity_;
    std::mutex lock_;
    std::condition_variable work_;  // a task came, or the lane is to quit
    std::condition_variable room_;  // a task ended: room in the queue, or all done
    std::deque<Task> queue_;
    std::size_t queued_ = 0;  // cost of what is queued
    bool busy_ = false;       // a task is running
    bool quit_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace encoder
