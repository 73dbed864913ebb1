#include "encoder/AudioOut.h"

#include <algorithm>
#include <string>

#include "encoder/EncodeError.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace encoder {
namespace {

// Silence put before audio that starts later than the picture, at most this long.
constexpr int kMaxLeadingSilenceSeconds = 60;
// Audio that starts before the picture is cut, at most this long.
constexpr double kMaxDroppedLeadSeconds = 1e6;

}  // namespace

std::int64_t SampleTrim::Start(double seconds) {
    started_ = true;
    // Bounded before counting samples: a damaged file's far-off time must not overflow them.
    const double lead = std::clamp(seconds, -kMaxDroppedLeadSeconds, double{kMaxLeadingSilenceSeconds});
    const std::int64_t offset = std::llround(lead * sampleRate_);
    if (offset > 0)
        return offset;
    drop_ = -offset;
    return 0;
}

int SampleTrim::Cut(int count) {
    const int cut = static_cast<int>(std::min<std::int64_t>(drop_, count));
    drop_ -= cut;
    return cut;
}

AudioOut::AudioOut(const AudioPlan& plan, const std::atomic<bool>& stop, FrameSink& sink)
    : plan_(plan), sink_(sink), trim_(plan.sampleRate) {
    av_channel_layout_default(&layout_, plan.channels);
    if (plan.codec == AudioCodec::Cook) {
        const cook::Flavor* flavor = cook::FindFlavor(plan.sampleRate, plan.channels, plan.bitRate);
        if (!flavor)
            throw EncodeError("The RealAudio encoder has no setting for " +
                              std::to_string(plan.bitRate / 1000) + " kbit/s at " +
                              std::to_string(plan.sampleRate) + " Hz.");
        flavor_ = static_cast<int>(flavor - cook::Flavors().data());
        frameSize_ = flavor->frameSamples;
        cook_ = std::make_unique<CookStream>(*flavor, stop);
        own_ = cook_.get();
    } else {
        const AVCodec* codec = plan.codec == AudioCodec::Ra144 ? avcodec_find_encoder(AV_CODEC_ID_RA_144)
                                                               : avcodec_find_encoder_by_name("ac3");
        if (!codec)
            throw EncodeError("The RealAudio encoder is missing from this installation.");
        codec_ = av::MakeCodec(codec);
        AVCodecContext* c = codec_.get();
        c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        c->sample_rate = plan.sampleRate;
        Check(av_channel_layout_copy(&c->ch_layout, &layout_), "Out of memory for the audio");
        c->bit_rate = plan.bitRate;
        c->time_base = AVRational{1, plan.sampleRate};
        Check(avcodec_open2(c, codec, nullptr), "Cannot start the RealAudio encoder");
        format_ = c->sample_fmt;
        frameSize_ = c->frame_size;
        // 14.4 has an encoder of our own, far faster than libavcodec's.
        if (plan.codec == AudioCodec::Ra144 && format_ == AV_SAMPLE_FMT_S16 && plan.channels == 1 &&
            frameSize_ == Ra144Stream::kFrameSamples) {
            ra144_ = std::make_unique<Ra144Stream>(stop);
            own_ = ra144_.get();
        }
    }
    fifo_.reset(av_audio_fifo_alloc(format_, plan.channels, frameSize_ * 4));
    if (!fifo_)
        throw EncodeError("Out of memory for the audio.");
}

AudioOut::~AudioOut() {
    av_channel_layout_uninit(&layout_);
}

int AudioOut::FrameBytes() const {
    if (cook_)
        return cook_->Shape().frameBytes;
    if (plan_.codec == AudioCodec::Ra144)
        return 20;
    return static_cast<int>(
        std::lround(static_cast<double>(plan_.bitRate) * frameSize_ / 8.0 / plan_.sampleRate));
}

void AudioOut::Samples(const AVFrame* samples, double seconds) {
    if (!resample_ || samples->format != inFormat_ || samples->sample_rate != inRate_ ||
        samples->ch_layout.nb_channels != inChannels_)
        MakeResampler(samples);
    if (!trim_.Started())
        WriteSilence(trim_.Start(seconds));
    Convert(samples);
    Drain(false);
}

void AudioOut::Finish() {
    if (resample_)
        Convert(nullptr);
    Drain(true);
    if (own_) {
        Put(own_->Finish());
        return;
    }
    Check(avcodec_send_frame(codec_.get(), nullptr), "The RealAudio encoder failed");
    Collect();
}

void AudioOut::MakeResampler(const AVFrame* samples) {
    AVChannelLayout in{};
    if (samples->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || samples->ch_layout.nb_channels == 0)
        av_channel_layout_default(&in, std::max(1, samples->ch_layout.nb_channels));
    else
        Check(av_channel_layout_copy(&in, &samples->ch_layout), "Out of memory for the audio");
    SwrContext* raw = nullptr;
    const int rc =
        swr_alloc_set_opts2(&raw, &layout_, format_, plan_.sampleRate, &in,
                            static_cast<AVSampleFormat>(samples->format), samples->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    resample_.reset(raw);
    Check(rc, "Cannot convert the source's audio");
    // Each output channel's mix weights add up to at most 1, so the mix is never louder than the
    // loudest source channel: libswresample keeps that only for integer output by itself, and its
    // usual weights take an in-phase stereo source 3 dB up in mono and a loud 5.1 one far over.
    Check(av_opt_set_double(resample_.get(), "rematrix_maxval", 1.0, 0), "Cannot convert the source's audio");
    Check(swr_init(resample_.get()), "Cannot convert the source's audio");
    inFormat_ = samples->format;
    inRate_ = samples->sample_rate;
    inChannels_ = samples->ch_layout.nb_channels;
}

void AudioOut::Convert(const AVFrame* samples) {
    av::FramePtr converted = av::MakeFrame();
    converted->format = format_;
    converted->sample_rate = plan_.sampleRate;
    Check(av_channel_layout_copy(&converted->ch_layout, &layout_), "Out of memory for the audio");
    const int wanted = swr_get_out_samples(resample_.get(), samples ? samples->nb_samples : 0);
    if (wanted <= 0)
        return;
    converted->nb_samples = wanted;
    Check(av_frame_get_buffer(converted.get(), 0), "Out of memory for the audio");
    const int got = swr_convert(resample_.get(), converted->data, wanted,
                                samples ? const_cast<const uint8_t**>(samples->extended_data) : nullptr,
                                samples ? samples->nb_samples : 0);
    Check(got, "Cannot convert the source's audio");
    const int skip = trim_.Cut(got);
    if (got - skip <= 0)
        return;
    void* planes[AV_NUM_DATA_POINTERS] = {};
    const int planeCount = av_sample_fmt_is_planar(format_) ? plan_.channels : 1;
    const int skipBytes =
        skip * av_get_bytes_per_sample(format_) * (av_sample_fmt_is_planar(format_) ? 1 : plan_.channels);
    for (int i = 0; i < planeCount; ++i)
        planes[i] = converted->extended_data[i] + skipBytes;
    if (av_audio_fifo_write(fifo_.get(), planes, got - skip) < got - skip)
        throw EncodeError("Out of memory for the audio.");
}

void AudioOut::WriteSilence(std::int64_t count) {
    while (count > 0) {
        const int n = static_cast<int>(std::min<std::int64_t>(count, 4096));
        av::FramePtr silence = SilentFrame(n);
        if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(silence->extended_data), n) < n)
            throw EncodeError("Out of memory for the audio.");
        count -= n;
    }
}

av::FramePtr AudioOut::SilentFrame(int samples) {
    av::FramePtr frame = av::MakeFrame();
    frame->format = format_;
    frame->sample_rate = plan_.sampleRate;
    frame->nb_samples = samples;
    Check(av_channel_layout_copy(&frame->ch_layout, &layout_), "Out of memory for the audio");
    Check(av_frame_get_buffer(frame.get(), 0), "Out of memory for the audio");
    av_samples_set_silence(frame->extended_data, 0, samples, plan_.channels, format_);
    return frame;
}

void AudioOut::Drain(bool final) {
    const int size = frameSize_;
    while (av_audio_fifo_size(fifo_.get()) >= size || (final && av_audio_fifo_size(fifo_.get()) > 0)) {
        av::FramePtr frame = SilentFrame(size);
        const int n = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->extended_data), size);
        if (n < 0)
            Check(n, "Cannot convert the source's audio");
        NotePeak(*frame, n);
        frame->pts = samplesIn_;
        samplesIn_ += size;
        if (own_) {
            own_->Frame(reinterpret_cast<const std::int16_t*>(frame->data[0]));
            Put(own_->Take());
            continue;
        }
        Check(avcodec_send_frame(codec_.get(), frame.get()), "The RealAudio encoder failed");
        Collect();
    }
}

void AudioOut::NotePeak(const AVFrame& frame, int samples) {
    float peak = 0;
    if (format_ == AV_SAMPLE_FMT_S16) {
        const auto* s = reinterpret_cast<const std::int16_t*>(frame.data[0]);
        for (int i = 0; i < samples * plan_.channels; ++i)
            peak = std::max(peak, std::abs(s[i] / 32768.0f));
    } else if (format_ == AV_SAMPLE_FMT_FLTP) {
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

void AudioOut::Put(std::vector<av::PacketPtr> packets) {
    std::vector<Encoded> out;
    for (av::PacketPtr& packet : packets) {
        // 14.4's packets follow each other from 0; cook's carry the time their sound plays at.
        const std::int64_t at = cook_ ? packet->pts : packets_ * frameSize_;
        ++packets_;
        const std::int64_t ts = at * 1000 / plan_.sampleRate;
        const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        out.push_back(Encoded{&streams_, ts, key, std::move(packet)});
    }
    sink_.Put(out);
}

void AudioOut::Collect() {
    // Frames follow each other without gaps, so the n-th frame starts at n frame lengths.
    const std::int64_t frameSamples = frameSize_;
    const std::int64_t rate = plan_.sampleRate;
    Receive(codec_.get(), streams_, sink_,
            [&](const AVPacket&) { return packets_++ * frameSamples * 1000 / rate; });
}

}  // namespace encoder
