#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "encoder/RateGovernor.h"

using encoder::RateGovernor;

namespace {

// Runs the governor against a model encoder whose frames cost complexity / quantizer bits (keyframes
// five times as much), as the video encoder drives it: a keyframe is tried before it is sent. Runs for
// `seconds` of slots; returns the bits per second spent and counts what happened.
struct Outcome {
    double bitRate = 0;
    int sent = 0, repeated = 0, keys = 0;
    int lastQuantizer = 0;
    int longestRepeatRun = 0;
    std::vector<std::int64_t> keySlots;
    std::vector<int> quantizers;  // of each slot's picture, keyframes' included
};

template <typename Complexity>
Outcome SimulateContent(Complexity complexityAt, int bitRate, int fps, int seconds) {
    RateGovernor governor(bitRate, fps, 160, 120, fps * 5);
    Outcome o;
    const std::int64_t slots = std::int64_t{fps} * seconds;
    int run = 0;
    for (std::int64_t slot = 0; slot < slots; ++slot) {
        const double complexity = complexityAt(slot);
        const bool last = slot == slots - 1;
        auto d = governor.Next(slot, last);
        if (d.key) {
            governor.TriedKey(d.quantizer, static_cast<std::int64_t>(complexity * 5 / d.quantizer));
            d = governor.Next(slot, last);
        }
        o.quantizers.push_back(d.quantizer);
        if (d.repeat) {
            // A repeated picture costs a few dozen bytes at the coarsest quantizer.
            EXPECT_EQ(d.quantizer, RateGovernor::kCoarsest);
            EXPECT_FALSE(d.key);
            governor.Sent(slot, d, 40 * 8);
            ++o.repeated;
            o.longestRepeatRun = std::max(o.longestRepeatRun, ++run);
            continue;
        }
        run = 0;
        EXPECT_GE(d.quantizer, RateGovernor::kFinest);
        EXPECT_LE(d.quantizer, RateGovernor::kCoarsest);
        const double bits = complexity * (d.key ? 5 : 1) / d.quantizer;
        governor.Sent(slot, d, static_cast<std::int64_t>(bits));
        ++o.sent;
        if (d.key) {
            ++o.keys;
            o.keySlots.push_back(slot);
        } else {
            o.lastQuantizer = d.quantizer;
        }
    }
    o.bitRate = static_cast<double>(governor.BitsSent()) / seconds;
    return o;
}

Outcome Simulate(double complexity, int bitRate, int fps, int seconds) {
    return SimulateContent([complexity](std::int64_t) { return complexity; }, bitRate, fps, seconds);
}

}  // namespace

TEST(RateGovernor, KeepsTheRateOfOrdinaryPicturesWithoutRepeats) {
    {
        SCOPED_TRACE("steady content");
        const Outcome o = Simulate(50000, 100000, 15, 30);  // about quantizer 8
        EXPECT_EQ(o.repeated, 0);
        EXPECT_NEAR(o.bitRate, 100000, 5000);
        EXPECT_GT(o.lastQuantizer, RateGovernor::kFinest);
        EXPECT_LT(o.lastQuantizer, RateGovernor::kCoarsest);
    }
    {
        SCOPED_TRACE("busy seconds between calm ones, and a scene cut");
        // Two calm seconds, then two three times as busy, in turn; every 7 s a picture costs ten.
        const int fps = 24;
        const Outcome o = SimulateContent(
            [](std::int64_t slot) {
                return (slot % 168 == 100 ? 10 : 1) * (slot / 48 % 2 ? 75000.0 : 25000.0);
            },
            100000, fps, 30);
        EXPECT_EQ(o.repeated, 0) << "a busy stretch within the rate froze the picture";
        EXPECT_NEAR(o.bitRate, 100000, 5000);
    }
}

TEST(RateGovernor, KeyframesAreFinerThanThePicturesAfterThem) {
    for (const int bitRate : {25000, 60000, 300000}) {
        SCOPED_TRACE(bitRate);
        const int fps = 10;
        const Outcome o = Simulate(60000, bitRate, fps, 30);
        ASSERT_GE(o.keySlots.size(), 5u);
        EXPECT_EQ(o.repeated, 0);
        for (const std::int64_t key : o.keySlots) {
            // The pictures of the second after it, on average, are coded no finer.
            double after = 0;
            for (std::int64_t s = key + 1; s <= key + fps; ++s)
                after += o.quantizers[static_cast<size_t>(s)];
            EXPECT_LE(o.quantizers[static_cast<size_t>(key)], after / fps) << "keyframe at slot " << key;
        }
    }
}

TEST(RateGovernor, RepeatsPicturesWhenEvenTheCoarsestQuantizerCostsTooMuch) {
    // 2000 bits per frame at the coarsest quantizer, 6 frames a second, keyframes five times as much:
    // more than half again the budget.
    const Outcome o = Simulate(31 * 2000 * 1.0, 9000, 6, 30);
    EXPECT_GT(o.repeated, 0);
    EXPECT_LE(o.bitRate, 9000 * 1.05);
    EXPECT_EQ(o.lastQuantizer, RateGovernor::kCoarsest);
    // Evenly: a lower frame rate, not a freeze followed by a burst.
    EXPECT_LE(o.longestRepeatRun, 2);
}

TEST(RateGovernor, KeyframesComeAFixedTimeApartRepeatsOrNot) {
    for (double complexity : {100000.0, 31 * 4000.0}) {
        const Outcome o = Simulate(complexity, 8000, 8, 30);
        ASSERT_GE(o.keySlots.size(), 6u) << complexity;
        EXPECT_EQ(o.keySlots.front(), 0);
        for (size_t i = 1; i < o.keySlots.size(); ++i)
            EXPECT_LE(o.keySlots[i] - o.keySlots[i - 1], 40 + 8) << complexity;  // 5 s, plus a repeat or so
    }
}

TEST(RateGovernor, EasyPicturesGetTheFinestQuantizer) {
    const Outcome o = Simulate(1000, 300000, 25, 10);
    EXPECT_EQ(o.lastQuantizer, RateGovernor::kFinest);
    EXPECT_EQ(o.repeated, 0);
}
