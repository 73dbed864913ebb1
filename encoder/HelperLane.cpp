#include "encoder/HelperLane.h"

namespace encoder {

HelperLane::~HelperLane() {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void HelperLane::RunBoth(const std::function<void()>& here, const std::function<void()>& there) {
    if (!thread_.joinable())
        thread_ = std::thread([this] { Loop(); });
    {
        std::lock_guard guard(lock_);
        task_ = &there;
        done_ = false;
        error_ = nullptr;
    }
    changed_.notify_all();
    std::exception_ptr mine;
    try {
        here();
    } catch (...) {
        mine = std::current_exception();
    }
    std::unique_lock wait(lock_);
    changed_.wait(wait, [this] { return done_; });
    if (mine)
        std::rethrow_exception(mine);
    if (error_)
        std::rethrow_exception(error_);
}

void HelperLane::Loop() {
    std::unique_lock wait(lock_);
    for (;;) {
        changed_.wait(wait, [this] { return quit_ || task_ != nullptr; });
        if (quit_)
            return;
        const std::function<void()>* task = task_;
        wait.unlock();
        std::exception_ptr error;
        try {
            (*task)();
        } catch (...) {
            error = std::current_exception();
        }
        wait.lock();
        error_ = error;
        task_ = nullptr;
        done_ = true;
        changed_.notify_all();
    }
}

}  // namespace encoder
