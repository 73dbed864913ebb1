#include "encoder/VideoOut.h"

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

VideoOut::VideoOut(const VideoPlan& plan, const std::atomic<bool>& stop, FrameSink& sink)
    : plan_(plan),
      stop_(stop),
      sink_(sink),
      governor_(plan.bitRate, plan.framesPerSecond, plan.width, plan.height, plan.keyFrameInterval),
      slots_(plan.framesPerSecond) {
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

void VideoOut::Picture(const AVFrame* picture, double seconds, std::uint64_t number) {
    if (hasPending_)
        EncodeUntil(seconds, false);
    av_frame_unref(pending_.get());
    Check(av_frame_ref(pending_.get(), picture), "Out of memory for the video");
    hasPending_ = true;
    pendingId_ = number;
}

void VideoOut::Finish(double endSeconds) {
    if (hasPending_)
        EncodeUntil(endSeconds, true);
    Check(avcodec_send_frame(codec_.get(), nullptr), "The RealVideo encoder failed");
    Collect();
}

void VideoOut::EncodeUntil(double seconds, bool final) {
    // A leap in the source's times takes many slots to fill, so Stop is heard here too.
    const FrameSlots::Range slots = final ? slots_.Last(seconds) : slots_.Until(seconds);
    for (std::int64_t slot = slots.first; slot < slots.end && !stop_; ++slot) {
        const bool last = final && slot + 1 == slots.end;
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
