#include "encoder/PicturePool.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <string>

#include "encoder/EncodeError.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
}

namespace encoder {
namespace {

// Copies a `width` x `height` plane out of `from` (stored as it was recorded) turned as `o` says.
void Reorient(const std::uint8_t* from, int fromStride, std::uint8_t* to, int toStride, int width, int height,
              Orientation o) {
    const int fromWidth = o.swap ? height : width, fromHeight = o.swap ? width : height;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = to + static_cast<std::ptrdiff_t>(y) * toStride;
        for (int x = 0; x < width; ++x) {
            int sx = o.swap ? y : x, sy = o.swap ? x : y;
            if (o.flipX)
                sx = fromWidth - 1 - sx;
            if (o.flipY)
                sy = fromHeight - 1 - sy;
            line[x] = from[static_cast<std::ptrdiff_t>(sy) * fromStride + sx];
        }
    }
}

}  // namespace

std::array<int, 3> EncoderStrides(AVCodecContext* encoder) {
    int width = encoder->width + 2 * 16, height = encoder->height + 2 * 16;
    int align[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(encoder, &width, &height, align);
    int strides[4] = {};
    for (int tries = 0; tries < 16; ++tries, width += width & ~(width - 1)) {
        if (av_image_fill_linesizes(strides, AV_PIX_FMT_YUV420P, width) < 0)
            break;
        bool aligned = true;
        for (int i = 0; i < 3; ++i)
            aligned = aligned && align[i] > 0 && strides[i] % align[i] == 0;
        if (aligned)
            return {strides[0], strides[1], strides[2]};
    }
    const int luma = FFALIGN(encoder->width, 64), chroma = FFALIGN((encoder->width + 1) / 2, 64);
    return {luma, chroma, chroma};
}

Orientation OrientationOf(const AVStream* stream) {
    double clockwise = 0;
    const std::int32_t* matrix = nullptr;
    size_t size = 0;
    if (const std::uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
        data && size >= 9 * sizeof(std::int32_t))
        matrix = reinterpret_cast<const std::int32_t*>(data);
    if (matrix) {
        clockwise = -av_display_rotation_get(matrix);
    } else if (const AVDictionaryEntry* tag = av_dict_get(stream->metadata, "rotate", nullptr, 0)) {
        char* end = nullptr;
        clockwise = std::strtod(tag->value, &end);
        if (end == tag->value || !std::isfinite(clockwise))
            clockwise = 0;
    }
    if (!std::isfinite(clockwise))
        return {};
    clockwise -= 360 * std::floor(clockwise / 360 + 0.9 / 360);
    const bool mirrored = matrix && double(matrix[0]) * matrix[4] - double(matrix[1]) * matrix[3] < 0;
    if (std::abs(clockwise - 90) < 1)
        return mirrored ? Orientation{true, false, false} : Orientation{true, false, true};
    if (std::abs(clockwise - 270) < 1)
        return mirrored ? Orientation{true, true, true} : Orientation{true, true, false};
    if (std::abs(clockwise - 180) < 1)
        return mirrored ? Orientation{false, true, false} : Orientation{false, true, true};
    if (std::abs(clockwise) < 1 && mirrored)
        return Orientation{false, false, true};
    return {};
}
ScaledPictures::ScaledPictures(int width, int height, std::array<int, 3> strides, Orientation orientation)
    : width_(width), height_(height), strides_(strides), orientation_(orientation) {
    // A line shorter than the picture's would have each line overwrite the next and the last run past
    // the buffer: a fault in the layout, not a lack of memory, so it is said as such.
    const int pixels[3] = {width, (width + 1) / 2, (width + 1) / 2};
    for (int i = 0; i < 3; ++i)
        if (strides_[i] < pixels[i])
            throw EncodeError("Cannot lay out the " + std::to_string(width) + "x" + std::to_string(height) +
                              " pictures for the RealVideo encoder: lines of " + std::to_string(strides_[i]) +
                              " bytes cannot hold " + std::to_string(pixels[i]) +
                              " pixels. This is a fault of the program, not of the source file.");
    const int lines[3] = {height, (height + 1) / 2, (height + 1) / 2};
    std::size_t bytes = 0;
    for (int i = 0; i < 3; ++i) {
        offsets_[i] = bytes;
        bytes += static_cast<std::size_t>(strides_[i]) * lines[i];
    }
    // The encoder's motion search may read a little past the last line.
    pool_.reset(av_buffer_pool_init(bytes + static_cast<std::size_t>(strides_[0]) * 2 + 64, nullptr));
    if (!pool_)
        throw std::bad_alloc();
}

av::FramePtr ScaledPictures::InEncoderStrides(const AVFrame* source) {
    av::FramePtr picture = NewPicture();
    av_image_copy(picture->data, picture->linesize, const_cast<const std::uint8_t**>(source->data),
                  source->linesize, AV_PIX_FMT_YUV420P, width_, height_);
    return picture;
}

const AVFrame* ScaledPictures::Get(const AVFrame* source, std::uint64_t number) {
    if (number == number_ && picture_)
        return picture_.get();
    number_ = number;
    if (OfTheSize(source)) {
        // The planes only: what else the decoder said of the picture is no business of the encoder.
        picture_ = av::MakeFrame();
        picture_->format = AV_PIX_FMT_YUV420P;
        picture_->width = width_;
        picture_->height = height_;
        for (int i = 0; i < AV_NUM_DATA_POINTERS && source->buf[i]; ++i) {
            picture_->buf[i] = av_buffer_ref(source->buf[i]);
            if (!picture_->buf[i])
                throw std::bad_alloc();
        }
        for (int i = 0; i < 3; ++i) {
            picture_->data[i] = source->data[i];
            picture_->linesize[i] = source->linesize[i];
        }
        return picture_.get();
    }
    // A turned picture is scaled as it is stored, then turned: the small picture is the cheap one.
    const bool upright = orientation_.Upright();
    const int scaledWidth = orientation_.swap ? height_ : width_;
    const int scaledHeight = orientation_.swap ? width_ : height_;
    scale_.reset(sws_getCachedContext(scale_.release(), source->width, source->height,
                                      static_cast<AVPixelFormat>(source->format), scaledWidth, scaledHeight,
                                      AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scale_)
        throw EncodeError("Cannot convert the source's pictures to the output size.");
    picture_ = NewPicture();
    if (upright) {
        sws_scale(scale_.get(), source->data, source->linesize, 0, source->height, picture_->data,
                  picture_->linesize);
        return picture_.get();
    }
    if (!stored_) {
        stored_ = av::MakeFrame();
        stored_->format = AV_PIX_FMT_YUV420P;
        stored_->width = scaledWidth;
        stored_->height = scaledHeight;
        Check(av_frame_get_buffer(stored_.get(), 0), "Out of memory for the video");
    }
    sws_scale(scale_.get(), source->data, source->linesize, 0, source->height, stored_->data,
              stored_->linesize);
    for (int i = 0; i < 3; ++i)
        Reorient(stored_->data[i], stored_->linesize[i], picture_->data[i], picture_->linesize[i],
                 i == 0 ? width_ : (width_ + 1) / 2, i == 0 ? height_ : (height_ + 1) / 2, orientation_);
    return picture_.get();
}

av::FramePtr ScaledPictures::NewPicture() {
    av::FramePtr picture = av::MakeFrame();
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width_;
    picture->height = height_;
    picture->buf[0] = av_buffer_pool_get(pool_.get());
    if (!picture->buf[0])
        throw std::bad_alloc();
    // Aligned as the pool's buffers are; the strides keep every line so.
    for (int i = 0; i < 3; ++i) {
        picture->data[i] = picture->buf[0]->data + offsets_[i];
        picture->linesize[i] = strides_[i];
    }
    return picture;
}

}  // namespace encoder
