#include "encoder/HelperLane.h"

namespace encoder {
namespace {

// Stop is a plain flag nobody signals, so waits look at it this often.
constexpr auto kStopPoll = std::chrono::milliseconds(5);

}  // namespace

HelperLane::HelperLane(const std::atomic<bool>& stop, std::size_t capacity)
    : stop_(stop), capacity_(capacity), thread_([this] { Loop(); }) {}

HelperLane::~HelperLane() {
    std::deque<Task> dropped;
    {
        std::lock_guard guard(lock_);
        quit_ = true;
        dropped.swap(queue_);
    }
    work_.notify_all();
    thread_.join();
}

bool HelperLane::Post(std::function<void()> task, std::size_t cost) {
    std::unique_lock wait(lock_);
    for (;;) {
        RethrowFailure();
        if (stop_)
            return false;
        if (queue_.empty() || queued_ + cost <= capacity_)
            break;
        room_.wait_for(wait, kStopPoll);
    }
    queue_.push_back(Task{std::move(task), cost});
    queued_ += cost;
    wait.unlock();
    work_.notify_one();
    return true;
}

bool HelperLane::Drain() {
    std::unique_lock wait(lock_);
    for (;;) {
        RethrowFailure();
        if (stop_)
            return false;
        if (queue_.empty() && !busy_)
            return true;
        room_.wait_for(wait, kStopPoll);
    }
}

void HelperLane::RethrowFailure() {
    if (error_)
        std::rethrow_exception(error_);
}

void HelperLane::Loop() {
    std::unique_lock wait(lock_);
    for (;;) {
        work_.wait(wait, [this] { return quit_ || !queue_.empty(); });
        if (quit_)
            return;
        Task task = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        wait.unlock();
        std::exception_ptr error;
        if (!stop_) {
            try {
                task.run();
            } catch (...) {
                error = std::current_exception();
            }
        }
        // The task's pictures and samples are let go before the poster hears there is room.
        task.run = nullptr;
        wait.lock();
        busy_ = false;
        queued_ -= task.cost;
        if (error) {
            error_ = error;
            queue_.clear();
            queued_ = 0;
        }
        room_.notify_all();
    }
}

}  // namespace encoder
