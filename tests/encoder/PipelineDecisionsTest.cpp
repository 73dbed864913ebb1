#include <gtest/gtest.h>

#include <climits>
#include <string>

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
        // Pictures stamped 0.05 s, 0.25, 0.2995, 1.0, 1.0 again, 0.5, 1.04 and 1.08, in that order, in a
        // clip of 1.25 s. Each call names a picture and gives the slots of the one before it.
        EXPECT_EQ(Of(slots.Until(0.25)), Slots(0, 3));  // the first fills the slots before it too
        // Slot 3 (0.3 s) is within a millisecond of 0.2995 and goes to it: 0.25 shows in none.
        EXPECT_EQ(Of(slots.Until(0.2995)), Slots(3, 3));
        EXPECT_EQ(Of(slots.Until(1.0)), Slots(3, 10));    // a gap: filled up to the next picture
        EXPECT_EQ(Of(slots.Until(1.0)), Slots(10, 10));   // the same time again: the newer one takes over
        EXPECT_EQ(Of(slots.Until(0.5)), Slots(10, 10));   // an earlier time: likewise
        EXPECT_EQ(Of(slots.Until(1.04)), Slots(10, 11));  // the newest, stamped 0.5, shows at 1.0 s
        EXPECT_EQ(Of(slots.Until(1.08)), Slots(11, 11));  // faster than the slots: 1.04 shows in none
        // The end cuts the last picture within one slot: a clip of 1.25 s lasts into slot 12 (1.2 s).
        EXPECT_EQ(Of(slots.Last(1.25)), Slots(11, 13));
    }
    {
        SCOPED_TRACE("a clip that ends on a slot");
        FrameSlots slots(10);
        EXPECT_EQ(Of(slots.Until(0.1)), Slots(0, 1));
        EXPECT_EQ(Of(slots.Last(0.2)), Slots(1, 2));
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
