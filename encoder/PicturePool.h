#pragma once
// The scaled-picture pool of one output size. Made on the encode thread when the lanes start; its video
// lane scales and turns the pictures (Get). The encode thread uses only its fixed size and strides and
// copies pictures of the output size into them (OfTheSize, HasEncoderStrides, InEncoderStrides), from
// an AVBufferPool, which libavutil makes thread-safe.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "encoder/LibavPtr.h"

namespace encoder {

// The plane strides the RealVideo encoder of `encoder` keeps its own pictures in: a picture handed over
// in them is taken as it is, any other is copied first (a twentieth of the encode's time at 640x480).
// libavcodec does not say them; these follow how it lays out its pictures (a 16-pixel border on each
// side, aligned as for any codec buffer). Were they wrong, the encoder would only copy, as before.
std::array<int, 3> EncoderStrides(AVCodecContext* encoder);

// How a stored picture becomes the upright one: the output pixel (x, y) shows the stored pixel
// (swap ? y : x, swap ? x : y), counted from the right when flipX and from the bottom when flipY.
struct Orientation {
    bool swap = false, flipX = false, flipY = false;
    bool Upright() const { return !swap && !flipX && !flipY; }
};

// The turn and mirroring that players apply to the stream's pictures: its display matrix, else the
// older "rotate" tag (degrees clockwise). Angles other than quarter turns are left as they are.
Orientation OrientationOf(const AVStream* stream);

// The source's pictures at one output size, shared by the encoders of that size (which share a thread
// too), so that audiences of one size scale each picture once. Pictures are made in the encoder's own
// strides; a source picture of the output size in them is taken as it is. A picture once made is never
// written again: encoders still hold it.
class ScaledPictures {
  public:
    ScaledPictures(int width, int height, std::array<int, 3> strides, Orientation orientation);
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Whether `source` is a picture of the output size in the encoder's format.
    bool OfTheSize(const AVFrame* source) const {
        return orientation_.Upright() && source->format == AV_PIX_FMT_YUV420P && source->width == width_ &&
               source->height == height_;
    }

    // `source`, of the output size, in the encoder's strides. Called by the decoding thread, so that the
    // copy is not the encoder thread's work.
    av::FramePtr InEncoderStrides(const AVFrame* source);
    bool HasEncoderStrides(const AVFrame* source) const {
        for (int i = 0; i < 3; ++i)
            if (source->linesize[i] != strides_[i])
                return false;
        return true;
    }

    // `source` at the output size; `number` tells the decoded pictures apart.
    const AVFrame* Get(const AVFrame* source, std::uint64_t number);

  private:
    struct PoolDeleter {
        void operator()(AVBufferPool* p) const { av_buffer_pool_uninit(&p); }
    };

    av::FramePtr NewPicture();

    int width_, height_;
    std::array<int, 3> strides_;
    Orientation orientation_;
    av::FramePtr stored_;  // a turned picture at the output size, before it is turned
    std::size_t offsets_[3] = {};
    std::unique_ptr<AVBufferPool, PoolDeleter> pool_;
    av::ScalePtr scale_;
    av::FramePtr picture_;
    std::uint64_t number_ = 0;
};

}  // namespace encoder
