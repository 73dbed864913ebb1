#include "encoder/VideoOut.h"

#include <cmath>
#include <cstdlib>
#include <numeric>

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
// Small audiences are cheap to encode and need every byte; the large ones keep their speed. The largest
// pictures (the 512K audience's 640x480) keep libavcodec's defaults even at a low frame rate: with the
// better decisions a 10 fps source took 3.7 times the ffmpeg command line's time at 512K.
constexpr double kBestDecisionPixels = 1.6e6;
constexpr double kBetterDecisionPixels = 3.2e6;
constexpr int kBetterDecisionPictureArea = 480 * 360;

// The frame rate is chosen from the source's first pictures: this share of the clip, between these many
// seconds, and no more than this many bytes of pictures. The later half of them tells what the pictures
// cost (a clip often starts quieter than it goes on). The chosen rate must let them be coded no coarser
// than kChosenQuantizer on average, which leaves the rate control room for harder stretches before it
// must leave pictures out. The rate goes down to a third of the plan's at most: below, the motion is
// lost anyway.
constexpr double kChooseClipShare = 0.5;
constexpr double kChooseLeastSeconds = 2.0;
constexpr double kChooseMostSeconds = 6.0;
constexpr std::size_t kChooseBytes = std::size_t{16} << 20;
constexpr double kChosenQuantizer = 28;
constexpr int kLowestRateShare = 3;

double PixelsPerSecond(const VideoPlan& plan) {
    return double(plan.width) * plan.height * plan.framesPerSecond;
}

bool BetterDecisions(const VideoPlan& plan) {
    return plan.width * plan.height <= kBetterDecisionPictureArea &&
           PixelsPerSecond(plan) <= kBetterDecisionPixels;
}

bool BestDecisions(const VideoPlan& plan) {
    return BetterDecisions(plan) && PixelsPerSecond(plan) <= kBestDecisionPixels;
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
    AVDictionary* options = nullptr;
    if (BetterDecisions(plan)) {
        av_dict_set(&options, "mbd", "rd", 0);
        av_dict_set(&options, "trellis", "1", 0);
        av_dict_set(&options, "mpv_flags", "+cbp_rd", 0);
    }
    if (BestDecisions(plan)) {
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
    choosing_ = plan.framesPerSecond > 1 && BestDecisions(plan);
}

void VideoOut::Picture(const AVFrame* picture, double seconds, std::uint64_t number) {
    if (!choosing_) {
        Take(picture, seconds, number, false);
        return;
    }
    Held held{av::MakeFrame(), seconds, number};
    Check(av_frame_ref(held.picture.get(), scaled_->Get(picture, number)), "Out of memory for the video");
    heldBytes_ += std::size_t(plan_.width) * plan_.height * 3 / 2;
    held_.push_back(std::move(held));
    if (heldBytes_ >= kChooseBytes || seconds - held_.front().seconds >= ChooseSeconds())
        SettleFrameRate();
}

double VideoOut::ChooseSeconds() const {
    return expectedSeconds_ > 0
               ? std::clamp(kChooseClipShare * expectedSeconds_, kChooseLeastSeconds, kChooseMostSeconds)
               : kChooseMostSeconds;
}

void VideoOut::Take(const AVFrame* picture, double seconds, std::uint64_t number, bool scaled) {
    const FrameSlots::Range slots = slots_.Next(seconds);
    if (hasPending_)
        EncodeSlots(slots, false);
    av_frame_unref(pending_.get());
    Check(av_frame_ref(pending_.get(), picture), "Out of memory for the video");
    hasPending_ = true;
    pendingId_ = number;
    pendingScaled_ = scaled;
}

void VideoOut::SettleFrameRate() {
    choosing_ = false;
    const int framesPerSecond = ChooseFrameRate();
    if (framesPerSecond != plan_.framesPerSecond && !stop_) {
        plan_ = AtFrameRate(plan_, framesPerSecond);
        codec_ = OpenRealVideo(plan_);
        governor_ = RateGovernor(plan_.bitRate, plan_.framesPerSecond, plan_.width, plan_.height,
                                 plan_.keyFrameInterval);
        governor_.ExpectSeconds(expectedSeconds_);
        slots_ = FrameSlots(plan_.framesPerSecond);
        sink_.SetFramesPerSecond(streams_, plan_.framesPerSecond);
    }
    std::vector<Held> held = std::move(held_);
    held_.clear();
    for (const Held& h : held)
        Take(h.picture.get(), h.seconds, h.number, true);
}

int VideoOut::ChooseFrameRate() {
    const int full = plan_.framesPerSecond;
    const Trial atFull = TryFrameRate(full);
    if (!atFull.measured || NeededQuantizer(atFull, full) <= kChosenQuantizer)
        return full;
    // A picture costs more the further apart the pictures are (more has moved): how much more is
    // measured at the lowest rate, and the rates between follow a power of the distance.
    const int lowest = std::max(1, (full + kLowestRateShare - 1) / kLowestRateShare);
    const Trial atLowest = TryFrameRate(lowest);
    if (!atLowest.measured || stop_)
        return full;
    const double growth =
        std::clamp(std::log(std::max(atLowest.pictureBits, 1.0) / std::max(atFull.pictureBits, 1.0)) /
                       std::log(double(full) / lowest),
                   0.0, 1.5);
    for (int rate = full - 1; rate > lowest; --rate) {
        Trial guess = atLowest;
        guess.pictureBits = atFull.pictureBits * std::pow(double(full) / rate, growth);
        if (NeededQuantizer(guess, rate) <= kChosenQuantizer)
            return rate;
    }
    return lowest;
}

VideoOut::Trial VideoOut::TryFrameRate(int framesPerSecond) {
    Trial trial;
    const VideoPlan plan = AtFrameRate(plan_, framesPerSecond);
    av::CodecPtr codec = OpenRealVideo(plan);
    av::FramePtr frame = av::MakeFrame();
    av::PacketPtr packet = av::MakePacket();
    FrameSlots slots(framesPerSecond);
    std::vector<double> pictureBits;
    // Sends `picture` for `slot` (nullptr: the end) and takes what comes out.
    auto send = [&](const AVFrame* picture, std::int64_t slot, bool key) {
        if (picture) {
            av_frame_unref(frame.get());
            Check(av_frame_ref(frame.get(), picture), "Out of memory for the video");
            frame->pts = slot;
            frame->pict_type = key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
            const double quantizer =
                key ? RateGovernor::kKeyQuantizerShare * RateGovernor::kCoarsest : RateGovernor::kCoarsest;
            frame->quality = static_cast<int>(std::lround(quantizer)) * FF_QP2LAMBDA;
        }
        Check(avcodec_send_frame(codec.get(), picture ? frame.get() : nullptr),
              "The RealVideo encoder failed");
        while (avcodec_receive_packet(codec.get(), packet.get()) >= 0) {
            const double bits = double(packet->size) * 8;
            if (packet->flags & AV_PKT_FLAG_KEY)
                trial.keyBits = bits;
            else
                pictureBits.push_back(bits);
            av_packet_unref(packet.get());
        }
    };
    // Each held picture fills the slots up to the next one's time, within the time the pictures are held
    // for (a leap in the source's times is not filled here); the last is left out.
    const auto slotCount = static_cast<std::int64_t>(std::ceil(ChooseSeconds() * framesPerSecond));
    std::int64_t next = 0;
    for (std::size_t i = 0; i < held_.size() && next < slotCount && !stop_; ++i) {
        const FrameSlots::Range range = slots.Next(held_[i].seconds);
        for (next = range.first; next < std::min(range.end, slotCount) && !stop_; ++next)
            send(held_[i - 1].picture.get(), next, next == 0);
    }
    // The keyframes to come are priced by the latest picture: the first is often nearly empty.
    if (!held_.empty())
        send(held_.back().picture.get(), next, true);
    send(nullptr, 0, false);
    const std::size_t later = pictureBits.size() / 2;
    trial.measured = pictureBits.size() > later && trial.keyBits > 0;
    if (trial.measured)
        trial.pictureBits =
            std::accumulate(pictureBits.begin() + std::ptrdiff_t(later), pictureBits.end(), 0.0) /
            double(pictureBits.size() - later);
    return trial;
}

double VideoOut::NeededQuantizer(const Trial& trial, int framesPerSecond) const {
    // Bits times quantizer stay about the same as the quantizer changes (the governor's model too).
    const VideoPlan plan = AtFrameRate(plan_, framesPerSecond);
    const double keyQuantizer = std::lround(RateGovernor::kKeyQuantizerShare * RateGovernor::kCoarsest) /
                                RateGovernor::kKeyQuantizerShare;
    const double keySeconds = double(plan.keyFrameInterval) / framesPerSecond;
    const double perSecond = trial.pictureBits * RateGovernor::kCoarsest * framesPerSecond +
                             trial.keyBits * keyQuantizer / keySeconds;
    return perSecond / std::max(1, plan.bitRate);
}

void VideoOut::Finish(double endSeconds) {
    if (choosing_)
        SettleFrameRate();
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
        if (decision.key && (!triedKey_ || BetterDecisions(plan_)))
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
    Check(av_frame_ref(frame_.get(),
                       pendingScaled_ ? pending_.get() : scaled_->Get(pending_.get(), pendingId_)),
          "Out of memory for the video");
    scaledId_ = pendingId_;
}

std::int64_t VideoOut::Collect() {
    const int fps = plan_.framesPerSecond;
    return Receive(codec_.get(), streams_, sink_, [fps](const AVPacket& p) { return p.pts * 1000 / fps; });
}

}  // namespace encoder
