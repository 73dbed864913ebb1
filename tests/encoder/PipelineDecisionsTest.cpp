#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "encoder/AudioOut.h"
#include "encoder/EncodeError.h"
#include "encoder/PicturePool.h"
#include "encoder/VideoOut.h"

namespace {

using encoder::FrameSlots;
using Slots = std::pair<std::int64_t, std::int64_t>;

Slots Of(FrameSlots::Range r) {
    return {r.first, r.end};
}

}  // namespace

// What the outputs decide on their own, on made-up times and sizes: which output slots each picture
// fills, what is cut from or put before the sound, and a picture layout that cannot hold its pictures.
TEST(PipelineDecisions, SlotsSoundLeadAndPictureLayoutOnMadeUpValues) {
    {
        SCOPED_TRACE("pictures into slots of a tenth of a second");
        FrameSlots slots(10);
        // Pictures stamped 0.05 s, 0.25, 0.2995, 1.02, 1.02 again, 0.5, 1.06 and 1.08, in that order. Each
        // call names a picture and gives the slots of the one before it.
        EXPECT_EQ(Of(slots.Next(0.05)), Slots(0, 0));
        EXPECT_EQ(Of(slots.Next(0.25)), Slots(0, 2));    // the first fills the slots before it too
        EXPECT_EQ(Of(slots.Next(0.2995)), Slots(2, 3));  // slot 2 (0.2 s) is nearer 0.25 than 0.2995
        // A gap: the picture lasts until a tenth of a second before the next.
        EXPECT_EQ(Of(slots.Next(1.02)), Slots(3, 10));
        EXPECT_EQ(Of(slots.Next(1.02)), Slots(10, 10));  // the same time again: the newer one takes over
        EXPECT_EQ(Of(slots.Next(0.5)), Slots(10, 10));   // an earlier time: likewise
        EXPECT_EQ(Of(slots.Next(1.06)), Slots(10, 11));  // the newest, stamped 0.5, shows at 1.0 s
        EXPECT_EQ(Of(slots.Next(1.08)), Slots(11, 11));  // faster than the slots: 1.06 shows in none
        // The end cuts the last picture within one slot: a clip of 1.25 s lasts into slot 12 (1.2 s).
        EXPECT_EQ(Of(slots.Last(1.25)), Slots(11, 13));
    }
    {
        SCOPED_TRACE("a clip that ends on a slot");
        FrameSlots slots(10);
        EXPECT_EQ(Of(slots.Next(0)), Slots(0, 0));
        EXPECT_EQ(Of(slots.Next(0.1)), Slots(0, 1));
        EXPECT_EQ(Of(slots.Last(0.2)), Slots(1, 2));
    }
    {
        SCOPED_TRACE("every slot shows the nearest picture, whatever the two frame rates");
        // Film, PAL and NTSC sources into slower, faster and nearly equal rates; the last source skips
        // every seventh picture.
        struct Case {
            double sourceFps;
            int slotFps;
            int skipEvery;
        };
        for (const Case c : {Case{24000.0 / 1001, 24, 0}, Case{24000.0 / 1001, 8, 0}, Case{10, 15, 0},
                             Case{30000.0 / 1001, 20, 0}, Case{25, 6, 0}, Case{25, 12, 7}}) {
            SCOPED_TRACE(testing::Message() << c.sourceFps << " into " << c.slotFps);
            FrameSlots slots(c.slotFps);
            std::vector<double> times;
            std::vector<int> shown;  // the source picture of each slot
            for (int i = 0; i < 600; ++i) {
                if (c.skipEvery && i % c.skipEvery == 3)
                    continue;
                const FrameSlots::Range r = slots.Next(i / c.sourceFps);
                for (std::int64_t s = r.first; s < r.end; ++s)
                    shown.push_back(static_cast<int>(times.size()) - 1);
                times.push_back(i / c.sourceFps);
            }
            ASSERT_GT(shown.size(), 100u);
            for (size_t s = 0; s < shown.size(); ++s) {
                const double at = static_cast<double>(s) / c.slotFps;
                double nearest = 1e9;
                for (double t : times)
                    nearest = std::min(nearest, std::abs(t - at));
                EXPECT_NEAR(std::abs(times[static_cast<size_t>(shown[s])] - at), nearest, 1e-9)
                    << "slot " << s;
            }
        }
    }
    {
        SCOPED_TRACE("clips shorter than one slot keep their picture");
        FrameSlots shortClip(15);
        EXPECT_EQ(Of(shortClip.Last(0.02)), Slots(0, 1));
        FrameSlots noLength(15);
        EXPECT_EQ(Of(noLength.Last(0)), Slots(0, 1));
    }
    {
        SCOPED_TRACE("a sound that starts after the picture");
        encoder::SampleTrim trim(8000);
        EXPECT_FALSE(trim.Started());
        EXPECT_EQ(trim.Start(0.25), 2000);
        EXPECT_TRUE(trim.Started());
        EXPECT_EQ(trim.Cut(500), 0);
    }
    {
        SCOPED_TRACE("a sound that starts before the picture (a negative start)");
        encoder::SampleTrim trim(8000);
        EXPECT_EQ(trim.Start(-0.1), 0);
        EXPECT_EQ(trim.Cut(500), 500);
        EXPECT_EQ(trim.Cut(500), 300);
        EXPECT_EQ(trim.Cut(500), 0);
    }
    {
        SCOPED_TRACE("a damaged file's far-off times");
        encoder::SampleTrim late(44100);
        EXPECT_EQ(late.Start(1e12), 60 * 44100);
        encoder::SampleTrim early(44100);
        EXPECT_EQ(early.Start(-1e300), 0);
        EXPECT_EQ(early.Cut(INT_MAX), INT_MAX);
    }
    {
        SCOPED_TRACE("a picture layout whose lines are too short is a fault, not a lack of memory");
        for (const std::array<int, 3> strides : {std::array{32, 32, 32}, std::array{64, 31, 32}}) {
            try {
                encoder::ScaledPictures pictures(63, 48, strides, {});
                ADD_FAILURE() << "lines of " << strides[0] << ", " << strides[1] << " were taken";
            } catch (const encoder::EncodeError& e) {
                EXPECT_NE(std::string(e.what()).find("63x48"), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find("fault of the program"), std::string::npos) << e.what();
            }
        }
        // Lines just long enough are taken, and the pictures made are in them.
        encoder::ScaledPictures pictures(63, 48, {64, 32, 32}, {});
        encoder::av::FramePtr source = encoder::av::MakeFrame();
        source->format = AV_PIX_FMT_YUV420P;
        source->width = 63;
        source->height = 48;
        ASSERT_GE(av_frame_get_buffer(source.get(), 0), 0);
        const encoder::av::FramePtr copy = pictures.InEncoderStrides(source.get());
        EXPECT_TRUE(pictures.HasEncoderStrides(copy.get()));
    }
}
