#include "encoder/VideoOut.h"

#include <cstdlib>

#include "encoder/EncodeError.h"
#include "encoder/PicturePool.h"

namespace encoder {

FrameSlots::Range FrameSlots::Before(double limit) {
    Range range{next_, next_};
    while (static_cast<double>(range.end) / framesPerSecond_ < limit)
        ++range.end;
    next_ = range.end;
    return range;
}

FrameSlots::Range FrameSlots::Next(double seconds) {
    if (!holding_ || seconds <= held_) {
        held_ = holding_ ? held_ : seconds;
        holding_ = true;
        return Range{next_, next_};
    }
    // Slots before the middle of the two times are nearer the held picture; at the middle the newer
    // one shows, so that ties do not lag.
    const double middle =
        std::max((held_ + seconds) / 2, seconds - std::max(kMaxEarlySeconds, 0.5 / framesPerSecond_));
    held_ = seconds;
    return Before(middle);
}

namespace {

// Pixels a second up to which the encoder takes libavcodec's slower, better decisions. Measured at a
// fixed quantizer on 320x240: choosing macroblock modes by rate and distortion, with trellis
// quantization and coded-block choice, saves 2-3 % of the bytes for about twice the time; comparing
// motion by rate and distortion too, with more predictors and a wider search, 5-10 % for 5-7 times.
// Small audiences are cheap to encode and need every byte; the large ones keep their speed.
constexpr double kBestDecisionPixels = 1.6e6;
constexpr double kBetterDecisionPixels = 3.2e6;

double PixelsPerSecond(const VideoPlan& plan) {
    return double(plan.width) * plan.height * plan.framesPerSecond;
}

av::CodecPtr OpenRealVideo(const VideoPlan& plan) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RV20);
    if (!codec)
        throw EncodeError("The RealVideo 2.0 encoder is missing from this installation.");
    av::CodecPtr context = av::MakeCodec(codec);
    AVCodecContext* c = context.get();
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
    // Never the quantizer chosen by rate and distortion per macroblock: FFmpeg's decoder rejects the
    // RealVideo it makes.
    const double pixels = PixelsPerSecond(plan);
    AVDictionary* options = nullptr;
    if (pixels <= kBetterDecisionPixels) {
        av_dict_set(&options, "mbd", "rd", 0);
        av_dict_set(&options, "trellis", "1", 0);
        av_dict_set(&options, "mpv_flags", "+cbp_rd", 0);
    }
    if (pixels <= kBestDecisionPixels) {
        av_dict_set(&options, "cmp", "rd", 0);
        av_dict_set(&options, "subcmp", "rd", 0);
        av_dict_set(&options, "last_pred", "3", 0);
        av_dict_set(&options, "dia_size", "2", 0);
    }
    const int rc = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    Check(rc, "Cannot start the RealVideo encoder");
    return context;
}

}  // namespace

VideoOut::VideoOut(const VideoPlan& plan, const std::atomic<bool>& stop, FrameSink& sink)
    : plan_(plan),
      stop_(stop),
      sink_(sink),
      governor_(plan.bitRate, plan.framesPerSecond, plan.width, plan.height, plan.keyFrameInterval),
      codec_(OpenRealVideo(plan)),
      slots_(plan.framesPerSecond) {
    frame_ = av::MakeFrame();
    pending_ = av::MakeFrame();
}

void VideoOut::Picture(const AVFrame* picture, double seconds, std::uint64_t number) {
    const FrameSlots::Range slots = slots_.Next(seconds);
    if (hasPending_)
        EncodeSlots(slots, false);
    av_frame_unref(pending_.get());
    Check(av_frame_ref(pending_.get(), picture), "Out of memory for the video");
    hasPending_ = true;
    pendingId_ = number;
}

void VideoOut::Finish(double endSeconds) {
    if (hasPending_)
        EncodeSlots(slots_.Last(endSeconds), true);
    Check(avcodec_send_frame(codec_.get(), nullptr), "The RealVideo encoder failed");
    Collect();
}

void VideoOut::EncodeSlots(FrameSlots::Range slots, bool final) {
    // A leap in the source's times takes many slots to fill, so Stop is heard here too.
    for (std::int64_t slot = slots.first; slot < slots.end && !stop_; ++slot) {
        const bool last = final && slot + 1 == slots.end;
        RateGovernor::Decision decision = governor_.Next(slot, last);
        // A repeat sends the picture the encoder last had again (no new picture is scaled in).
        if (!decision.repeat && scaledId_ != pendingId_)
            Scale();
        // The large pictures keep their speed: their later keyframes are priced from the one before.
        if (decision.key && (!triedKey_ || PixelsPerSecond(plan_) <= kBetterDecisionPixels))
            decision = TryKey(slot, last, decision);
        frame_->pts = slot;
        frame_->pict_type = decision.key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        frame_->quality = decision.quantizer * FF_QP2LAMBDA;
        Check(avcodec_send_frame(codec_.get(), frame_.get()), "The RealVideo encoder failed");
        governor_.Sent(slot, decision, Collect());
    }
}

RateGovernor::Decision VideoOut::TryKey(std::int64_t slot, bool last, RateGovernor::Decision decision) {
    // A keyframe's cost decides how fine it can be, and what it shows is seen for seconds: it is tried on
    // an encoder of its own first (a keyframe needs nothing before it), again at the quantizer chosen from
    // that when they differ much. One more picture's encoding every few seconds.
    triedKey_ = true;
    for (int round = 0; round < 2; ++round) {
        av::CodecPtr trial = OpenRealVideo(plan_);
        frame_->pts = 0;
        frame_->pict_type = AV_PICTURE_TYPE_I;
        frame_->quality = decision.quantizer * FF_QP2LAMBDA;
        Check(avcodec_send_frame(trial.get(), frame_.get()), "The RealVideo encoder failed");
        Check(avcodec_send_frame(trial.get(), nullptr), "The RealVideo encoder failed");
        std::int64_t bits = 0;
        av::PacketPtr packet = av::MakePacket();
        while (avcodec_receive_packet(trial.get(), packet.get()) >= 0) {
            bits += std::int64_t{packet->size} * 8;
            av_packet_unref(packet.get());
        }
        governor_.TriedKey(decision.quantizer, bits);
        const RateGovernor::Decision chosen = governor_.Next(slot, last);
        const bool near = std::abs(chosen.quantizer - decision.quantizer) <= 1;
        decision = chosen;
        if (near)
            break;
    }
    return decision;
}

void VideoOut::Scale() {
    av_frame_unref(frame_.get());
    Check(av_frame_ref(frame_.get(), scaled_->Get(pending_.get(), pendingId_)),
          "Out of memory for the video");
    scaledId_ = pendingId_;
}

std::int64_t VideoOut::Collect() {
    const int fps = plan_.framesPerSecond;
    return Receive(codec_.get(), streams_, sink_, [fps](const AVPacket& p) { return p.pts * 1000 / fps; });
}

}  // namespace encoder
