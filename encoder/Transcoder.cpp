#include "encoder/Transcoder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include <sys/stat.h>

#include "encoder/EncodeError.h"
#include "encoder/HelperLane.h"
#include "encoder/LibavPtr.h"
#include "encoder/Ra144Stream.h"
#include "encoder/RateGovernor.h"
#include "encoder/rm/OutputFile.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace encoder {
namespace {

using Clock = std::chrono::steady_clock;

// Silence put before audio that starts later than the picture, at most this long.
constexpr int kMaxLeadingSilenceSeconds = 60;
// Audio that starts before the picture is cut, at most this long.
constexpr double kMaxDroppedLeadSeconds = 1e6;
// A picture stamped this much later than the one before it, and later than the source says it lasts
// or than its sound has got to, has a broken time: the timeline is joined up there rather than filled
// with the last picture up to it (a damaged MPEG claiming a day of pictures took the encode's memory
// without end). A still longer than kMaxStillSeconds is taken for broken whatever the source says.
constexpr double kMaxPictureGapSeconds = 10;
constexpr double kMaxStillSeconds = 3 * 3600;
// Decoded blocks of sound go to the sound encoders this many at a time: their threads wake less often.
constexpr size_t kSampleBatch = 16;
// Bytes of decoded pictures, and of decoded samples, each encoder's queue holds at most: enough to
// keep both threads busy through an uneven stretch, little enough to keep the memory low.
constexpr std::size_t kPictureQueueBytes = std::size_t{6} << 20;
constexpr std::size_t kSampleQueueBytes = std::size_t{1} << 20;

void Check(int rc, const std::string& what) {
    if (rc < 0)
        throw EncodeError(what + ": " + av::ErrorText(rc) + ".");
}

// One encoded frame on its way to the writer, for every stream it belongs to.
struct Encoded {
    const std::vector<int>* streams;
    std::int64_t timestampMs;
    bool keyFrame;
    av::PacketPtr packet;
};

// The writer as the encoders' threads share it: each frame is written as soon as it is made, so that
// nothing piles up between the encoders and the file, however many frames a stretch of the source gives.
class FrameSink {
  public:
    void Open(rm::Writer& writer) { writer_ = &writer; }
    // Takes `frames` (and leaves the vector empty).
    void Put(std::vector<Encoded>& frames) {
        std::lock_guard guard(lock_);
        for (Encoded& e : frames)
            for (int stream : *e.streams)
                writer_->WriteFrame(
                    stream, e.timestampMs, e.keyFrame,
                    std::span<const std::uint8_t>(e.packet->data, static_cast<size_t>(e.packet->size)));
        frames.clear();
    }

  private:
    std::mutex lock_;
    rm::Writer* writer_ = nullptr;
};

// A decoded picture or block of samples shared by the encoders that take it; each holds a reference.
using SharedFrame = std::shared_ptr<const AVFrame>;

SharedFrame Own(av::FramePtr frame) {
    return SharedFrame(frame.release(), [](const AVFrame* f) {
        AVFrame* owned = const_cast<AVFrame*>(f);
        av_frame_free(&owned);
    });
}

// Another reference to `frame`'s pictures or samples (no copy).
SharedFrame Share(const AVFrame* frame) {
    return Own(av::Allocated<av::FramePtr>(av_frame_clone(frame)));
}

std::size_t FrameBytes(const AVFrame* frame) {
    std::size_t bytes = 0;
    for (const AVBufferRef* buffer : frame->buf)
        if (buffer)
            bytes += buffer->size;
    return std::max<std::size_t>(bytes, 1);
}

// Takes every packet the encoder has ready and writes it; `timestampMs` maps a packet to its time.
// Returns the bits taken.
template <typename TimeFn>
std::int64_t Receive(AVCodecContext* codec, const std::vector<int>& streams, FrameSink& sink,
                     TimeFn timestampMs) {
    std::vector<Encoded> out;
    std::int64_t bits = 0;
    for (;;) {
        av::PacketPtr packet = av::MakePacket();
        const int rc = avcodec_receive_packet(codec, packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        Check(rc, "The encoder failed");
        const std::int64_t ts = timestampMs(*packet);
        const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        bits += std::int64_t{packet->size} * 8;
        out.push_back(Encoded{&streams, ts, key, std::move(packet)});
    }
    sink.Put(out);
    return bits;
}

// The plane strides the RealVideo encoder of `encoder` keeps its own pictures in: a picture handed over
// in them is taken as it is, any other is copied first (a twentieth of the encode's time at 640x480).
// libavcodec does not say them; these follow how it lays out its pictures (a 16-pixel border on each
// side, aligned as for any codec buffer). Were they wrong, the encoder would only copy, as before.
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

// How a stored picture becomes the upright one: the output pixel (x, y) shows the stored pixel
// (swap ? y : x, swap ? x : y), counted from the right when flipX and from the bottom when flipY.
struct Orientation {
    bool swap = false, flipX = false, flipY = false;
    bool Upright() const { return !swap && !flipX && !flipY; }
};

// The turn and mirroring that players apply to the stream's pictures: its display matrix, else the
// older "rotate" tag (degrees clockwise). Angles other than quarter turns are left as they are.
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

// The source's pictures at one output size, shared by the encoders of that size (which share a thread
// too), so that audiences of one size scale each picture once. Pictures are made in the encoder's own
// strides; a source picture of the output size in them is taken as it is. A picture once made is never
// written again: encoders still hold it.
class ScaledPictures {
  public:
    ScaledPictures(int width, int height, std::array<int, 3> strides, Orientation orientation)
        : width_(width), height_(height), strides_(strides), orientation_(orientation) {
        const int lines[3] = {height, (height + 1) / 2, (height + 1) / 2};
        std::size_t bytes = 0;
        for (int i = 0; i < 3; ++i) {
            offsets_[i] = bytes;
            bytes += static_cast<std::size_t>(strides_[i]) * lines[i];
        }
        // The encoder's motion search may read a little past the last line.
        pool_.reset(av_buffer_pool_init(bytes + static_cast<std::size_t>(strides_[0]) * 2 + 64, nullptr));
        if (!pool_ || strides_[0] < width)
            throw std::bad_alloc();
    }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Whether `source` is a picture of the output size in the encoder's format.
    bool OfTheSize(const AVFrame* source) const {
        return orientation_.Upright() && source->format == AV_PIX_FMT_YUV420P && source->width == width_ &&
               source->height == height_;
    }

    // `source`, of the output size, in the encoder's strides. Called by the decoding thread, so that the
    // copy is not the encoder thread's work.
    av::FramePtr InEncoderStrides(const AVFrame* source) {
        av::FramePtr picture = NewPicture();
        av_image_copy(picture->data, picture->linesize, const_cast<const std::uint8_t**>(source->data),
                      source->linesize, AV_PIX_FMT_YUV420P, width_, height_);
        return picture;
    }
    bool HasEncoderStrides(const AVFrame* source) const {
        for (int i = 0; i < 3; ++i)
            if (source->linesize[i] != strides_[i])
                return false;
        return true;
    }

    // `source` at the output size; `number` tells the decoded pictures apart.
    const AVFrame* Get(const AVFrame* source, std::uint64_t number) {
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
        scale_.reset(sws_getCachedContext(
            scale_.release(), source->width, source->height, static_cast<AVPixelFormat>(source->format),
            scaledWidth, scaledHeight, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
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

  private:
    struct PoolDeleter {
        void operator()(AVBufferPool* p) const { av_buffer_pool_uninit(&p); }
    };

    av::FramePtr NewPicture() {
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

// One RealVideo encoding: a constant frame rate made from the source's pictures, each output slot
// showing the latest picture that started at or before it.
class VideoOut {
  public:
    VideoOut(const VideoPlan& plan, const std::atomic<bool>& stop, FrameSink& sink)
        : plan_(plan),
          stop_(stop),
          sink_(sink),
          governor_(plan.bitRate, plan.framesPerSecond, plan.width, plan.height, plan.keyFrameInterval) {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RV20);
        if (!codec)
            throw EncodeError("The RealVideo 2.0 encoder is missing from this installation.");
        codec_ = av::MakeCodec(codec);
        AVCodecContext* c = codec_.get();
        c->width = plan.width;
        c->height = plan.height;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = AVRational{1, plan.framesPerSecond};
        c->framerate = AVRational{plan.framesPerSecond, 1};
        c->bit_rate = plan.bitRate;
        // Every frame's quantizer and keyframes come from the governor.
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 10;
        c->gop_size = 600;
        c->max_b_frames = 0;
        c->thread_count = 1;
        Check(avcodec_open2(c, codec, nullptr), "Cannot start the RealVideo encoder");
        frame_ = av::MakeFrame();
        pending_ = av::MakeFrame();
    }

    const VideoPlan& Plan() const { return plan_; }
    std::vector<int>& Streams() { return streams_; }
    AVCodecContext* Codec() { return codec_.get(); }
    // Where this encoder's pictures are scaled; set before the first picture.
    void ScaleWith(ScaledPictures& scaled) { scaled_ = &scaled; }

    // Every decoded picture in order, `seconds` from the start of the clip; `number` counts them from 1.
    void Picture(const AVFrame* picture, double seconds, std::uint64_t number) {
        if (hasPending_)
            EncodeUntil(seconds, false);
        av_frame_unref(pending_.get());
        Check(av_frame_ref(pending_.get(), picture), "Out of memory for the video");
        hasPending_ = true;
        pendingId_ = number;
    }

    void Finish(double endSeconds) {
        if (hasPending_)
            EncodeUntil(endSeconds, true);
        Check(avcodec_send_frame(codec_.get(), nullptr), "The RealVideo encoder failed");
        Collect();
    }

  private:
    double SlotTime(std::int64_t slot) const { return static_cast<double>(slot) / plan_.framesPerSecond; }

    // Encodes the slots up to `seconds`; where the budget is spent, the governor has a slot repeat the
    // picture sent before it. The last slot of the clip always shows the newest picture.
    void EncodeUntil(double seconds, bool final) {
        // A slot within a millisecond of the next picture belongs to that picture. A leap in the
        // source's times takes many slots to fill, so Stop is heard here too.
        // At the end of the clip every slot the clip lasts into is sent, so the picture lasts as long
        // as the source, and less than one slot longer, however short the clip (a clip shorter than a
        // slot still has its picture).
        const double limit = final ? std::max(seconds - 0.001, 0.0005) : seconds - 0.001;
        while (SlotTime(next_) < limit && !stop_) {
            const std::int64_t slot = next_++;
            const bool last = final && !(SlotTime(next_) < limit);
            const RateGovernor::Decision decision = governor_.Next(slot, last);
            // A repeat sends the picture the encoder last had again (no new picture is scaled in).
            if (!decision.repeat && scaledId_ != pendingId_)
                Scale();
            frame_->pts = slot;
            frame_->pict_type = decision.key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
            frame_->quality = decision.quantizer * FF_QP2LAMBDA;
            Check(avcodec_send_frame(codec_.get(), frame_.get()), "The RealVideo encoder failed");
            governor_.Sent(slot, decision, Collect());
        }
    }

    void Scale() {
        av_frame_unref(frame_.get());
        Check(av_frame_ref(frame_.get(), scaled_->Get(pending_.get(), pendingId_)),
              "Out of memory for the video");
        scaledId_ = pendingId_;
    }

    std::int64_t Collect() {
        const int fps = plan_.framesPerSecond;
        return Receive(codec_.get(), streams_, sink_,
                       [fps](const AVPacket& p) { return p.pts * 1000 / fps; });
    }

    VideoPlan plan_;
    const std::atomic<bool>& stop_;
    FrameSink& sink_;
    RateGovernor governor_;
    std::vector<int> streams_;
    av::CodecPtr codec_;
    ScaledPictures* scaled_ = nullptr;
    av::FramePtr frame_;    // the picture in the output size
    av::FramePtr pending_;  // the latest source picture
    bool hasPending_ = false;
    std::uint64_t pendingId_ = 0;
    std::uint64_t scaledId_ = 0;
    std::int64_t next_ = 0;  // next output slot
};

// One audio encoding: resampled to the codec's rate, layout and sample format, cut into codec frames.
class AudioOut {
  public:
    AudioOut(const AudioPlan& plan, const std::atomic<bool>& stop, FrameSink& sink)
        : plan_(plan), sink_(sink) {
        const AVCodec* codec = plan.codec == AudioCodec::Ra144 ? avcodec_find_encoder(AV_CODEC_ID_RA_144)
                                                               : avcodec_find_encoder_by_name("ac3");
        if (!codec)
            throw EncodeError("The RealAudio encoder is missing from this installation.");
        codec_ = av::MakeCodec(codec);
        AVCodecContext* c = codec_.get();
        c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        c->sample_rate = plan.sampleRate;
        av_channel_layout_default(&c->ch_layout, plan.channels);
        c->bit_rate = plan.bitRate;
        c->time_base = AVRational{1, plan.sampleRate};
        Check(avcodec_open2(c, codec, nullptr), "Cannot start the RealAudio encoder");
        fifo_.reset(av_audio_fifo_alloc(c->sample_fmt, plan.channels, c->frame_size * 4));
        if (!fifo_)
            throw EncodeError("Out of memory for the audio.");
        // 14.4 has an encoder of our own, far faster than libavcodec's.
        if (plan.codec == AudioCodec::Ra144 && c->sample_fmt == AV_SAMPLE_FMT_S16 && plan.channels == 1 &&
            c->frame_size == Ra144Stream::kFrameSamples)
            stretches_ = std::make_unique<Ra144Stream>(stop);
    }

    const AudioPlan& Plan() const { return plan_; }
    std::vector<int>& Streams() { return streams_; }
    int FrameSamples() const { return codec_->frame_size; }
    int FrameBytes() const {
        return plan_.codec == AudioCodec::Ra144
                   ? 20
                   : static_cast<int>(std::lround(static_cast<double>(plan_.bitRate) * codec_->frame_size /
                                                  8.0 / plan_.sampleRate));
    }

    // Loudest sample since the last call, percent of full scale.
    int TakePeak() { return peak_.exchange(0); }

    // Every decoded block of samples in order; `seconds` is where the block starts in the clip.
    void Samples(const AVFrame* samples, double seconds) {
        if (!resample_ || samples->format != inFormat_ || samples->sample_rate != inRate_ ||
            samples->ch_layout.nb_channels != inChannels_)
            MakeResampler(samples);
        if (!started_) {
            started_ = true;
            // Bounded before counting samples: a damaged file's far-off time must not overflow them.
            const double lead =
                std::clamp(seconds, -kMaxDroppedLeadSeconds, double{kMaxLeadingSilenceSeconds});
            const std::int64_t offset = std::llround(lead * plan_.sampleRate);
            if (offset > 0)
                WriteSilence(offset);
            else
                drop_ = -offset;
        }
        Convert(samples);
        Drain(false);
    }

    void Finish() {
        if (resample_)
            Convert(nullptr);
        Drain(true);
        if (stretches_) {
            Put(stretches_->Finish());
            return;
        }
        Check(avcodec_send_frame(codec_.get(), nullptr), "The RealAudio encoder failed");
        Collect();
    }

  private:
    void MakeResampler(const AVFrame* samples) {
        AVChannelLayout in{};
        if (samples->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || samples->ch_layout.nb_channels == 0)
            av_channel_layout_default(&in, std::max(1, samples->ch_layout.nb_channels));
        else
            Check(av_channel_layout_copy(&in, &samples->ch_layout), "Out of memory for the audio");
        SwrContext* raw = nullptr;
        const int rc = swr_alloc_set_opts2(&raw, &codec_->ch_layout, codec_->sample_fmt, plan_.sampleRate,
                                           &in, static_cast<AVSampleFormat>(samples->format),
                                           samples->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        resample_.reset(raw);
        Check(rc, "Cannot convert the source's audio");
        // Each output channel's mix weights add up to at most 1, so the mix is never louder than the
        // loudest source channel: libswresample keeps that only for integer output by itself, and its
        // usual weights take an in-phase stereo source 3 dB up in mono and a loud 5.1 one far over.
        Check(av_opt_set_double(resample_.get(), "rematrix_maxval", 1.0, 0),
              "Cannot convert the source's audio");
        Check(swr_init(resample_.get()), "Cannot convert the source's audio");
        inFormat_ = samples->format;
        inRate_ = samples->sample_rate;
        inChannels_ = samples->ch_layout.nb_channels;
    }

    void Convert(const AVFrame* samples) {
        av::FramePtr converted = av::MakeFrame();
        converted->format = codec_->sample_fmt;
        converted->sample_rate = plan_.sampleRate;
        Check(av_channel_layout_copy(&converted->ch_layout, &codec_->ch_layout),
              "Out of memory for the audio");
        const int wanted = swr_get_out_samples(resample_.get(), samples ? samples->nb_samples : 0);
        if (wanted <= 0)
            return;
        converted->nb_samples = wanted;
        Check(av_frame_get_buffer(converted.get(), 0), "Out of memory for the audio");
        const int got = swr_convert(resample_.get(), converted->data, wanted,
                                    samples ? const_cast<const uint8_t**>(samples->extended_data) : nullptr,
                                    samples ? samples->nb_samples : 0);
        Check(got, "Cannot convert the source's audio");
        int skip = static_cast<int>(std::min<std::int64_t>(drop_, got));
        drop_ -= skip;
        if (got - skip <= 0)
            return;
        void* planes[AV_NUM_DATA_POINTERS] = {};
        const int planeCount = av_sample_fmt_is_planar(codec_->sample_fmt) ? plan_.channels : 1;
        const int skipBytes = skip * av_get_bytes_per_sample(codec_->sample_fmt) *
                              (av_sample_fmt_is_planar(codec_->sample_fmt) ? 1 : plan_.channels);
        for (int i = 0; i < planeCount; ++i)
            planes[i] = converted->extended_data[i] + skipBytes;
        if (av_audio_fifo_write(fifo_.get(), planes, got - skip) < got - skip)
            throw EncodeError("Out of memory for the audio.");
    }

    void WriteSilence(std::int64_t count) {
        while (count > 0) {
            const int n = static_cast<int>(std::min<std::int64_t>(count, 4096));
            av::FramePtr silence = SilentFrame(n);
            if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(silence->extended_data), n) < n)
                throw EncodeError("Out of memory for the audio.");
            count -= n;
        }
    }

    av::FramePtr SilentFrame(int samples) {
        av::FramePtr frame = av::MakeFrame();
        frame->format = codec_->sample_fmt;
        frame->sample_rate = plan_.sampleRate;
        frame->nb_samples = samples;
        Check(av_channel_layout_copy(&frame->ch_layout, &codec_->ch_layout), "Out of memory for the audio");
        Check(av_frame_get_buffer(frame.get(), 0), "Out of memory for the audio");
        av_samples_set_silence(frame->extended_data, 0, samples, plan_.channels, codec_->sample_fmt);
        return frame;
    }

    // Feeds whole codec frames; at the end the last part frame is filled up with silence.
    void Drain(bool final) {
        const int size = codec_->frame_size;
        while (av_audio_fifo_size(fifo_.get()) >= size || (final && av_audio_fifo_size(fifo_.get()) > 0)) {
            av::FramePtr frame = SilentFrame(size);
            const int n =
                av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->extended_data), size);
            if (n < 0)
                Check(n, "Cannot convert the source's audio");
            NotePeak(*frame, n);
            frame->pts = samplesIn_;
            samplesIn_ += size;
            if (stretches_) {
                stretches_->Frame(reinterpret_cast<const std::int16_t*>(frame->data[0]));
                Put(stretches_->Take());
                continue;
            }
            Check(avcodec_send_frame(codec_.get(), frame.get()), "The RealAudio encoder failed");
            Collect();
        }
    }

    void NotePeak(const AVFrame& frame, int samples) {
        float peak = 0;
        if (codec_->sample_fmt == AV_SAMPLE_FMT_S16) {
            const auto* s = reinterpret_cast<const std::int16_t*>(frame.data[0]);
            for (int i = 0; i < samples * plan_.channels; ++i)
                peak = std::max(peak, std::abs(s[i] / 32768.0f));
        } else if (codec_->sample_fmt == AV_SAMPLE_FMT_FLTP) {
            for (int ch = 0; ch < plan_.channels; ++ch) {
                const auto* s = reinterpret_cast<const float*>(frame.extended_data[ch]);
                for (int i = 0; i < samples; ++i)
                    peak = std::max(peak, std::abs(s[i]));
            }
        }
        const int level = std::min(100, static_cast<int>(peak * 100));
        // Read and reset by the decoding thread's progress reports.
        for (int seen = peak_.load(); level > seen && !peak_.compare_exchange_weak(seen, level);) {
        }
    }

    // Packets of consecutive frames, in order, from the stretches.
    void Put(std::vector<av::PacketPtr> packets) {
        std::vector<Encoded> out;
        for (av::PacketPtr& packet : packets) {
            const std::int64_t ts = packets_++ * codec_->frame_size * 1000 / plan_.sampleRate;
            const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
            out.push_back(Encoded{&streams_, ts, key, std::move(packet)});
        }
        sink_.Put(out);
    }

    void Collect() {
        // Frames follow each other without gaps, so the n-th frame starts at n frame lengths.
        const std::int64_t frameSamples = codec_->frame_size;
        const std::int64_t rate = plan_.sampleRate;
        Receive(codec_.get(), streams_, sink_,
                [&](const AVPacket&) { return packets_++ * frameSamples * 1000 / rate; });
    }

    AudioPlan plan_;
    FrameSink& sink_;
    std::vector<int> streams_;
    av::CodecPtr codec_;
    av::ResamplePtr resample_;
    av::FifoPtr fifo_;
    int inFormat_ = -1, inRate_ = 0, inChannels_ = 0;
    bool started_ = false;
    std::int64_t drop_ = 0;
    std::int64_t samplesIn_ = 0;
    std::int64_t packets_ = 0;
    std::atomic<int> peak_ = 0;
    std::unique_ptr<Ra144Stream> stretches_;
};

// The encoder of `plan`: audiences whose plans agree share one, so their frames are encoded once.
template <typename Out, typename Plan, typename... Extra>
Out& EncoderFor(std::vector<std::unique_ptr<Out>>& outs, const Plan& plan, Extra&... extra) {
    for (auto& existing : outs)
        if (existing->Plan() == plan)
            return *existing;
    return *outs.emplace_back(std::make_unique<Out>(plan, extra...));
}

// A decoder for one of the source's streams.
struct Decoder {
    int index = -1;
    AVStream* stream = nullptr;
    av::CodecPtr codec;
};

int InterruptRead(void* stop) {
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

}  // namespace

struct Transcoder::Impl {
    TranscodeJob job;
    const std::atomic<bool>& stop;
    ProgressFn progress;

    av::InputPtr input;
    Decoder video, audio;
    double sourceFps = 0;
    Orientation orientation;     // how the source's pictures are turned upright
    struct stat opened {};       // the source as it was when the encode began
    std::int64_t startTime = 0;  // of the clip, AV_TIME_BASE units
    std::vector<StreamPlan> plans;
    std::vector<std::unique_ptr<VideoOut>> videoOuts;
    std::vector<std::unique_ptr<AudioOut>> audioOuts;
    std::unique_ptr<rm::Writer> writer;
    FrameSink sink;

    double lastVideoSeconds = -1, videoEndSeconds = 0;
    double videoShift = 0;    // taken off the source's picture times after a broken leap in them
    double audioSeconds = 0;  // where the sound decoded so far ends, by its first time and samples
    std::vector<std::pair<SharedFrame, double>> samplesToSend;  // decoded sound not yet handed over
    std::size_t samplesToSendBytes = 0;
    std::int64_t audioSamplesSeen = 0;
    bool decodedAnything = false;
    std::int32_t lastPercent = -1;
    Clock::time_point lastReport;

    std::uint64_t pictureNumber = 0;
    // The video encoders of each output size, with their scaled pictures and their thread.
    struct VideoGroup {
        std::unique_ptr<ScaledPictures> scaled;
        std::vector<VideoOut*> outs;
    };
    std::vector<VideoGroup> videoGroups;

    // The threads of the video groups and of the audio encoders, by index; last, so that they end
    // before what they use.
    std::vector<std::unique_ptr<HelperLane>> videoLanes, audioLanes;

    Impl(TranscodeJob j, const std::atomic<bool>& s, ProgressFn p)
        : job(std::move(j)), stop(s), progress(std::move(p)) {}

    EncodeError SourceError(const std::string& reason) const {
        return EncodeError("Cannot read the source file " + job.source + ": " + reason + ".");
    }

    void Open() {
        std::error_code ec;
        const auto status = std::filesystem::status(job.source, ec);
        if (std::filesystem::is_directory(status))
            throw SourceError("it is a folder, not a media file");
        // A pipe or device could block the reader where Stop cannot reach it.
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
            throw SourceError("it is not a file but a device or pipe");
        if (::stat(job.source.c_str(), &opened) != 0)
            opened = {};
        // A source is a local file whatever its name holds ("pipe:a.wav", "concat:x|y" are names too),
        // and what it refers to is read from local files only.
        AVDictionary* options = nullptr;
        if (av_dict_set(&options, "protocol_whitelist", "file", 0) < 0)
            throw std::bad_alloc();
        av::DictionaryPtr heldOptions(options);  // avformat_open_input replaces what it takes
        AVFormatContext* raw = avformat_alloc_context();
        if (!raw)
            throw EncodeError("Out of memory.");
        raw->interrupt_callback.callback = InterruptRead;
        raw->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(&stop);
        int rc = avformat_open_input(&raw, ("file:" + job.source).c_str(), nullptr, &options);
        heldOptions.release();
        heldOptions.reset(options);
        // A demuxer chosen by the file's extension that finds no media in it says "Invalid argument",
        // which tells a user nothing; the system's own reasons (missing, no access) are kept as they are.
        if (rc == AVERROR(EINVAL))
            throw SourceError("it is not a media file this program can read");
        if (rc < 0)
            throw SourceError(av::ErrorText(rc));
        input.reset(raw);
        rc = avformat_find_stream_info(input.get(), nullptr);
        if (rc < 0 && !stop)
            throw SourceError(av::ErrorText(rc));
        OpenDecoder(AVMEDIA_TYPE_VIDEO, video, job.choice.doVideo);
        OpenDecoder(AVMEDIA_TYPE_AUDIO, audio, job.choice.doAudio);
        if (video.stream) {
            AVRational rate = video.stream->avg_frame_rate;
            if (rate.num <= 0 || rate.den <= 0)
                rate = video.stream->r_frame_rate;
            if (rate.num > 0 && rate.den > 0)
                sourceFps = av_q2d(rate);
        }
        startTime = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
    }

    // The source's name now leads to another file, or its file is shorter than when the encode began.
    bool Changed() const {
        struct stat now {};
        if (opened.st_ino == 0 || ::stat(job.source.c_str(), &now) != 0)
            return false;
        return now.st_dev != opened.st_dev || now.st_ino != opened.st_ino || now.st_size < opened.st_size;
    }

    // Finds the source's stream of `type`; its decoder is opened only when that stream is `wanted`, so a
    // stream the user switched off cannot fail the encode.
    void OpenDecoder(AVMediaType type, Decoder& decoder, bool wanted) {
        const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
        if (index < 0)
            return;
        AVStream* stream = input->streams[index];
        // A cover picture of an audio file is no video.
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
            return;
        decoder.index = index;
        decoder.stream = stream;
        if (!wanted)
            return;
        const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
        const AVCodecID id = stream->codecpar->codec_id;
        const AVCodec* codec = avcodec_find_decoder(id);
        if (!codec && id == AV_CODEC_ID_NONE)
            throw SourceError(std::string("its ") + kind + " is in a format this program does not know");
        if (!codec)
            throw SourceError(std::string("its ") + kind + " is in a format this program cannot decode (" +
                              avcodec_get_name(id) + ")");
        decoder.codec = av::MakeCodec(codec);
        Check(avcodec_parameters_to_context(decoder.codec.get(), stream->codecpar), "Cannot read the source");
        decoder.codec->thread_count = type == AVMEDIA_TYPE_VIDEO ? 0 : 1;  // 0: as many as there are cores
        decoder.codec->pkt_timebase = stream->time_base;
        const int rc = avcodec_open2(decoder.codec.get(), codec, nullptr);
        if (rc < 0)
            throw SourceError(av::ErrorText(rc));
    }

    void Plan() {
        SourceShape shape;
        shape.hasAudio = audio.stream != nullptr;
        shape.hasVideo = video.stream != nullptr;
        if (video.codec) {
            shape.width = video.codec->width;
            shape.height = video.codec->height;
            const AVRational sar = av_guess_sample_aspect_ratio(input.get(), video.stream, nullptr);
            shape.sampleAspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
            orientation = OrientationOf(video.stream);
            if (orientation.swap) {
                std::swap(shape.width, shape.height);
                shape.sampleAspect = 1.0 / shape.sampleAspect;
            }
            shape.framesPerSecond = sourceFps;
            if (shape.width <= 0 || shape.height <= 0)
                throw SourceError("its video has no picture size");
        }
        plans = PlanEncode(job.choice, shape, job.source);
        if (!plans.front().hasVideo)
            video = Decoder{};
        if (!plans.front().hasAudio)
            audio = Decoder{};
    }

    // The video decoder starts with a thread per core. When the encoders have at least as much to do,
    // they keep the other cores busy already, and the decoder's extra threads would only take turns
    // with them and cost the work of handing pictures between themselves: it decodes on this thread.
    void FitDecoderThreads() {
        if (!video.codec || video.codec->thread_count == 1)
            return;
        double encodePixels = 0;
        for (const StreamPlan& plan : plans)
            if (plan.hasVideo)
                encodePixels += double(plan.video.width) * plan.video.height * plan.video.framesPerSecond;
        const double decodePixels =
            double(video.codec->width) * video.codec->height * (sourceFps > 0 ? sourceFps : 25);
        // A RealVideo picture costs about twice the decoding of a picture of the same size.
        if (plans.size() < 2 && 2 * encodePixels < decodePixels)
            return;
        av::CodecPtr single = av::MakeCodec(video.codec->codec);
        Check(avcodec_parameters_to_context(single.get(), video.stream->codecpar), "Cannot read the source");
        single->thread_count = 1;
        single->pkt_timebase = video.stream->time_base;
        if (avcodec_open2(single.get(), video.codec->codec, nullptr) >= 0)
            video.codec = std::move(single);
    }

    void SetUpOutputs() {
        const bool multiRate = plans.size() > 1;
        writer = std::make_unique<rm::Writer>(job.output);
        writer->StopWhen(stop);
        std::string audiences;
        for (const StreamPlan& plan : plans) {
            const std::uint32_t audience = multiRate ? plan.budget : 0;
            if (plan.hasVideo) {
                VideoOut& out = EncoderFor(videoOuts, plan.video, stop, sink);
                rm::StreamDesc desc;
                desc.kind = rm::StreamKind::Video;
                desc.codec = rm::Codec::RealVideo20;
                desc.avgBitRate = desc.maxBitRate = static_cast<std::uint32_t>(plan.video.bitRate);
                desc.video.width = static_cast<std::uint16_t>(plan.video.width);
                desc.video.height = static_cast<std::uint16_t>(plan.video.height);
                desc.video.framesPerSecond = plan.video.framesPerSecond;
                desc.audienceBitRate = audience;
                out.Streams().push_back(writer->AddStream(desc));
            }
            if (plan.hasAudio) {
                AudioOut& out = EncoderFor(audioOuts, plan.audio, stop, sink);
                rm::StreamDesc desc;
                desc.kind = rm::StreamKind::Audio;
                desc.codec =
                    plan.audio.codec == AudioCodec::Ra144 ? rm::Codec::RealAudio144 : rm::Codec::RealAudioAc3;
                desc.avgBitRate = desc.maxBitRate = static_cast<std::uint32_t>(plan.audio.bitRate);
                desc.audio.sampleRate = static_cast<std::uint32_t>(plan.audio.sampleRate);
                desc.audio.channels = static_cast<std::uint16_t>(plan.audio.channels);
                desc.audio.bitsPerSample = 16;
                desc.audio.frameBytes = static_cast<std::uint32_t>(out.FrameBytes());
                desc.audio.samplesPerFrame = static_cast<std::uint32_t>(out.FrameSamples());
                desc.audienceBitRate = audience;
                // Audiences with the same sound share one stream, made for the lowest of them (plans come
                // lowest first): GStreamer cannot decode a 14.4 stream it is not playing, so a file holds
                // each sound once.
                if (out.Streams().empty())
                    out.Streams().push_back(writer->AddStream(desc));
            }
            audiences += (audiences.empty() ? "" : ", ") + AudienceName(plan.audience);
        }
        rm::ClipInfo clip = job.clip;
        clip.fileInfo.emplace_back("Generated By", "Quenzor");
        clip.fileInfo.emplace_back("Target Audiences", audiences);
        clip.fileInfo.emplace_back(
            "Audio Format", plans.front().hasAudio ? AudioContentName(job.choice.audioContent) : "No Audio");
        clip.fileInfo.emplace_back(
            "Video Quality", plans.front().hasVideo ? VideoQualityName(job.choice.videoQuality) : "No Video");
        StartLanes();
        writer->Begin(clip);
        sink.Open(*writer);
    }

    double Seconds(const AVFrame* frame, const Decoder& decoder, double fallback) const {
        const std::int64_t ts = frame->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE)
            return fallback;
        return ts * av_q2d(decoder.stream->time_base) - static_cast<double>(startTime) / AV_TIME_BASE;
    }

    void OnPicture(const AVFrame* frame) {
        const double step = sourceFps > 0 ? 1.0 / sourceFps : 0.04;
        const double expected = lastVideoSeconds < 0 ? 0 : lastVideoSeconds + step;
        double seconds = Seconds(frame, video, expected) - videoShift;
        if (BrokenLeap(seconds, seconds - expected)) {
            videoShift += seconds - expected;
            seconds = expected;
        }
        const double length =
            frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(video.stream->time_base) : step;
        lastVideoSeconds = seconds;
        videoEndSeconds = std::max(videoEndSeconds, seconds + length);
        const SharedFrame picture = SharePicture(frame);
        const std::size_t bytes = FrameBytes(picture.get());
        const std::uint64_t number = ++pictureNumber;
        for (size_t i = 0; i < videoGroups.size(); ++i) {
            const VideoGroup* group = &videoGroups[i];
            videoLanes[i]->Post(
                [group, picture, seconds, number] {
                    for (VideoOut* out : group->outs)
                        out->Picture(picture.get(), seconds, number);
                },
                bytes);
        }
    }

    // The decoded picture as the encoders get it: for the encoders of the source's own size, copied here
    // into the strides their encoder works in, so that their thread need not copy it. The encoder takes
    // pictures as they are only in whole macroblocks.
    SharedFrame SharePicture(const AVFrame* frame) {
        if ((frame->width | frame->height) & 15)
            return Share(frame);
        for (const VideoGroup& group : videoGroups) {
            if (!group.scaled->OfTheSize(frame) || group.scaled->HasEncoderStrides(frame))
                continue;
            return Own(group.scaled->InEncoderStrides(frame));
        }
        return Share(frame);
    }

    // Whether a picture at `seconds`, `gap` later than the next one was due, has a broken time.
    bool BrokenLeap(double seconds, double gap) const {
        if (gap <= kMaxPictureGapSeconds)
            return false;
        const std::int64_t duration = input->duration;
        if (duration > 0 && duration != AV_NOPTS_VALUE &&
            seconds > static_cast<double>(duration) / AV_TIME_BASE + kMaxPictureGapSeconds)
            return true;
        // The sound is counted by its samples: where a real still lasts, the sound goes on meanwhile.
        if (audioSamplesSeen > 0 && seconds > audioSeconds + kMaxPictureGapSeconds)
            return true;
        return gap > kMaxStillSeconds;
    }

    // One thread for each picture size (shared by its video encoders) and one for each audio encoder, so
    // that they all run beside the decoding.
    void StartLanes() {
        for (auto& out : videoOuts) {
            const VideoPlan& plan = out->Plan();
            auto same = std::find_if(videoGroups.begin(), videoGroups.end(), [&](const VideoGroup& g) {
                return g.scaled->Width() == plan.width && g.scaled->Height() == plan.height;
            });
            if (same == videoGroups.end()) {
                videoGroups.push_back(
                    {std::make_unique<ScaledPictures>(plan.width, plan.height, EncoderStrides(out->Codec()),
                                                      orientation),
                     {}});
                same = videoGroups.end() - 1;
            }
            same->outs.push_back(out.get());
            out->ScaleWith(*same->scaled);
        }
        for (size_t i = 0; i < videoGroups.size(); ++i)
            videoLanes.push_back(std::make_unique<HelperLane>(stop, kPictureQueueBytes));
        for (size_t i = 0; i < audioOuts.size(); ++i)
            audioLanes.push_back(std::make_unique<HelperLane>(stop, kSampleQueueBytes));
    }

    void OnSamples(const AVFrame* frame) {
        const double fallback = static_cast<double>(audioSamplesSeen) / std::max(1, frame->sample_rate);
        const double seconds = Seconds(frame, audio, fallback);
        if (audioSamplesSeen == 0)
            audioSeconds = seconds;
        audioSamplesSeen += frame->nb_samples;
        audioSeconds += static_cast<double>(frame->nb_samples) / std::max(1, frame->sample_rate);
        samplesToSend.push_back({Share(frame), seconds});
        samplesToSendBytes += FrameBytes(frame);
        if (samplesToSend.size() >= kSampleBatch)
            SendSamples();
    }

    void SendSamples() {
        if (samplesToSend.empty())
            return;
        auto batch =
            std::make_shared<const std::vector<std::pair<SharedFrame, double>>>(std::move(samplesToSend));
        for (size_t i = 0; i < audioOuts.size(); ++i) {
            AudioOut* out = audioOuts[i].get();
            audioLanes[i]->Post(
                [out, batch] {
                    for (const auto& [samples, seconds] : *batch)
                        out->Samples(samples.get(), seconds);
                },
                samplesToSendBytes);
        }
        samplesToSend.clear();
        samplesToSendBytes = 0;
    }

    // Feeds a packet (or nullptr at the end) to a decoder and handles every frame it returns. A packet
    // the decoder rejects is skipped, as players do with damaged parts of a file.
    void Decode(Decoder& decoder, const AVPacket* packet) {
        int rc = avcodec_send_packet(decoder.codec.get(), packet);
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
            if (rc == AVERROR(ENOMEM))
                throw EncodeError("Out of memory while decoding the source.");
            return;
        }
        av::FramePtr frame = av::MakeFrame();
        for (;;) {
            rc = avcodec_receive_frame(decoder.codec.get(), frame.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return;
            if (rc < 0) {
                if (rc == AVERROR(ENOMEM))
                    throw EncodeError("Out of memory while decoding the source.");
                continue;
            }
            decodedAnything = true;
            if (&decoder == &video)
                OnPicture(frame.get());
            else
                OnSamples(frame.get());
            av_frame_unref(frame.get());
        }
    }

    void Report(const AVPacket* packet, bool done) {
        TranscodeProgress p;
        const std::int64_t duration = input->duration;
        if (duration > 0 && duration != AV_NOPTS_VALUE)
            p.durationMs = static_cast<std::int32_t>(std::min<std::int64_t>(duration / 1000, INT32_MAX));
        if (packet && packet->pts != AV_NOPTS_VALUE) {
            const AVStream* stream = input->streams[packet->stream_index];
            const double seconds =
                packet->pts * av_q2d(stream->time_base) - static_cast<double>(startTime) / AV_TIME_BASE;
            p.timestampMs = static_cast<std::int32_t>(std::clamp(seconds * 1000, 0.0, 2e9));
        }
        if (done) {
            p.percentDone = 100;
            p.timestampMs = std::max(p.timestampMs, p.durationMs);
        } else if (p.durationMs > 0) {
            p.percentDone = static_cast<std::int32_t>(
                std::min<std::int64_t>(99, std::int64_t{p.timestampMs} * 100 / p.durationMs));
        } else {
            const std::int64_t size = input->pb ? avio_size(input->pb) : 0;
            const std::int64_t at = input->pb ? avio_tell(input->pb) : 0;
            p.percentDone =
                size > 0 ? static_cast<std::int32_t>(std::clamp<std::int64_t>(at * 100 / size, 0, 99)) : 0;
        }
        // Never backwards: interleaving makes packet times jump a little.
        p.percentDone = std::max(p.percentDone, lastPercent < 0 ? 0 : lastPercent);
        const Clock::time_point now = Clock::now();
        if (p.percentDone == lastPercent && now - lastReport < std::chrono::milliseconds(200) && !done)
            return;
        for (auto& out : audioOuts)
            p.audioPeakLevel = std::max(p.audioPeakLevel, out->TakePeak());
        lastPercent = p.percentDone;
        lastReport = now;
        if (progress)
            progress(p);
    }

    // Has every encoder end its stream on its own thread and waits for them all; false when stopped.
    bool FinishLanes() {
        SendSamples();
        const double end = videoEndSeconds;
        for (size_t i = 0; i < videoGroups.size(); ++i) {
            const VideoGroup* group = &videoGroups[i];
            videoLanes[i]->Post([group, end] {
                for (VideoOut* out : group->outs)
                    out->Finish(end);
            });
        }
        for (size_t i = 0; i < audioOuts.size(); ++i) {
            AudioOut* out = audioOuts[i].get();
            audioLanes[i]->Post([out] { out->Finish(); });
        }
        for (auto& lane : videoLanes)
            if (!lane->Drain())
                return false;
        for (auto& lane : audioLanes)
            if (!lane->Drain())
                return false;
        return true;
    }

    bool Run() {
        Open();
        if (stop)
            return false;
        Plan();
        FitDecoderThreads();
        SetUpOutputs();
        Report(nullptr, false);
        av::PacketPtr packet = av::MakePacket();
        bool readFailed = false;
        int readError = 0;
        while (!stop) {
            const int rc = av_read_frame(input.get(), packet.get());
            if (rc == AVERROR_EOF)
                break;
            if (rc < 0) {
                if (stop)
                    break;
                readFailed = true;
                readError = rc;
                break;
            }
            if (packet->stream_index == video.index && video.codec)
                Decode(video, packet.get());
            else if (packet->stream_index == audio.index && audio.codec)
                Decode(audio, packet.get());
            Report(packet.get(), false);
            av_packet_unref(packet.get());
        }
        if (stop)
            return false;
        // A source cut short or replaced while it was read would give a file of only part of it.
        if (Changed())
            throw SourceError("the source changed while it was read; convert it again once it is whole");
        // A read error after good data is a damaged end of file: keep what could be read.
        if (video.codec)
            Decode(video, nullptr);
        if (audio.codec)
            Decode(audio, nullptr);
        if (!decodedAnything) {
            if (readFailed)
                throw SourceError(av::ErrorText(readError));
            throw SourceError("it holds no audio or video that can be decoded");
        }
        if (!FinishLanes() || stop)
            return false;
        writer->Finish();
        Report(nullptr, true);
        return true;
    }
};

Transcoder::Transcoder(TranscodeJob job, const std::atomic<bool>& stop, ProgressFn progress)
    : impl_(std::make_unique<Impl>(std::move(job), stop, std::move(progress))) {}

Transcoder::~Transcoder() = default;

bool Transcoder::Run() {
    try {
        return impl_->Run();
    } catch (const rm::WriteStopped&) {
        return false;
    } catch (const rm::WriteError& e) {
        throw EncodeError(e.what());
    }
}

}  // namespace encoder
