#pragma once
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace encoder {

// A second thread that takes half of a piece of work: RunBoth runs one part here and the other on the
// helper, and returns when both are done. Used to encode several audiences' pictures side by side.
class HelperLane {
  public:
    HelperLane() = default;
    ~HelperLane();
    HelperLane(const HelperLane&) = delete;
    HelperLane& operator=(const HelperLane&) = delete;

    // An exception from either part is rethrown here (this thread's first).
    void RunBoth(const std::function<void()>& here, const std::function<void()>& there);

  private:
    void Loop();

    std::mutex lock_;
    std::condition_variable changed_;
    const std::function<void()>* task_ = nullptr;
    bool done_ = false;
    bool quit_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace encoder
