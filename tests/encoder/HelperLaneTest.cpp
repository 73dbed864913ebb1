#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "encoder/HelperLane.h"

using encoder::HelperLane;
using namespace std::chrono_literals;

// The queue between the decoding thread and each encoder's thread: what the encode's own tests cannot
// make happen on purpose (a full queue, a failure while the poster waits, Stop during either wait).
TEST(HelperLane, RunsInOrderWithinItsBoundAndHearsFailuresAndStop) {
    std::atomic<bool> stop = false;
    {
        // In order, on another thread, and never more held than the bound, the running task included.
        HelperLane lane(stop, 3);
        std::atomic<bool> release = false;
        std::atomic<int> started = 0;
        std::vector<int> order;
        const auto poster = std::this_thread::get_id();
        std::thread::id worker;
        ASSERT_TRUE(lane.Post([&] {
            worker = std::this_thread::get_id();
            ++started;
            while (!release)
                std::this_thread::sleep_for(1ms);
        }));
        while (started == 0)
            std::this_thread::sleep_for(1ms);
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(lane.Post([&order, i] { order.push_back(i); }));
        std::atomic<bool> thirdQueued = false;
        std::thread late([&] {
            lane.Post([&order] { order.push_back(2); });
            thirdQueued = true;
        });
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(thirdQueued) << "the queue took more than its bound";
        release = true;
        late.join();
        ASSERT_TRUE(lane.Drain());
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
        EXPECT_NE(worker, poster);
        // A task costlier than the whole bound still goes in once the queue is empty.
        ASSERT_TRUE(lane.Post([&order] { order.push_back(4); }, 100));
        ASSERT_TRUE(lane.Drain());
        EXPECT_EQ(order.back(), 4);
    }
    {
        // A failure comes back to the poster, at the next Post or Drain, and what was queued is dropped.
        HelperLane lane(stop, 10);
        std::atomic<bool> ranAfter = false, fail = false;
        lane.Post([&] {
            while (!fail)
                std::this_thread::sleep_for(1ms);
            throw std::runtime_error("the encoder failed");
        });
        lane.Post([&] { ranAfter = true; });
        fail = true;
        try {
            lane.Drain();
            ADD_FAILURE() << "Drain did not rethrow";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "the encoder failed");
        }
        EXPECT_FALSE(ranAfter);
        EXPECT_THROW(lane.Post([] {}), std::runtime_error);
    }
    // Stop frees a poster waiting for room and a Drain waiting for the work; the running task is left to
    // hear Stop itself, and the lane's end waits for it.
    std::atomic<bool> taskSawStop = false;
    {
        HelperLane lane(stop, 1);
        lane.Post([&] {
            while (!stop)
                std::this_thread::sleep_for(1ms);
            taskSawStop = true;
        });
        lane.Post([] {});
        std::atomic<int> answered = 0;
        std::thread poster([&] { answered += lane.Post([] {}) ? 10 : 1; });
        std::thread drainer([&] { answered += lane.Drain() ? 10 : 1; });
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(answered, 0);
        const auto stopped = std::chrono::steady_clock::now();
        stop = true;
        poster.join();
        drainer.join();
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, 2s);
        EXPECT_EQ(answered, 2) << "both waits must end, and say they were stopped";
        EXPECT_FALSE(lane.Post([] {}));
    }
    EXPECT_TRUE(taskSawStop);
}
