#include <gtest/gtest.h>

#include "encoder/RateGovernor.h"

using encoder::RateGovernor;

namespace {

// Runs the governor against a model encoder whose frames cost complexity / quantizer bits (keyframes
// five times as much) for `seconds` of slots; returns the bits per second spent and counts what happened.
struct Outcome {
    double bitRate = 0;
    int sent = 0, repeated = 0, keys = 0;
    int lastQuantizer = 0;
    std::vector<std::int64_t> keySlots;
};

Outcome Simulate(double complexity, int bitRate, int fps, int seconds) {
    RateGovernor governor(bitRate, fps, 160, 120, fps * 5);
    Outcome o;
    const std::int64_t slots = std::int64_t{fps} * seconds;
    for (std::int64_t slot = 0; slot < slots; ++slot) {
        const auto d = governor.Next(slot, slot == slots - 1);
        if (d.repeat) {
            // A repeated picture costs a few dozen bytes at the coarsest quantizer.
            EXPECT_EQ(d.quantizer, RateGovernor::kCoarsest);
            EXPECT_FALSE(d.key);
            governor.Sent(slot, d, 40 * 8);
            ++o.repeated;
            continue;
        }
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

}  // namespace

TEST(RateGovernor, KeepsTheRateOfOrdinaryPicturesWithoutRepeats) {
    const Outcome o = Simulate(50000, 100000, 15, 30);  // about quantizer 8
    EXPECT_EQ(o.repeated, 0);
    EXPECT_NEAR(o.bitRate, 100000, 10000);
    EXPECT_GT(o.lastQuantizer, RateGovernor::kFinest);
    EXPECT_LT(o.lastQuantizer, RateGovernor::kCoarsest);
}

TEST(RateGovernor, RepeatsPicturesWhenEvenTheCoarsestQuantizerCostsTooMuch) {
    // 31 * 2000 bits per frame at the coarsest quantizer, 6 frames a second: twice the budget.
    const Outcome o = Simulate(31 * 2000 * 1.0, 6000, 6, 30);
    EXPECT_GT(o.repeated, 0);
    EXPECT_LE(o.bitRate, 6000 * 1.10);
    EXPECT_EQ(o.lastQuantizer, RateGovernor::kCoarsest);
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
