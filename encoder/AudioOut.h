#pragma once
// One audio encoder. Made on the encode thread before the lanes start; from then on it runs on an audio
// lane of its own (Samples, Finish), but for TakePeak, which the encode thread's progress reports call.
// 14.4 and cook are encoded on the same lane by our own encoders (Ra144Stream, CookStream), AC-3 by
// libavcodec's.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "encoder/CookStream.h"
#include "encoder/EncodeSettings.h"
#include "encoder/FrameSink.h"
#include "encoder/LibavPtr.h"
#include "encoder/Ra144Stream.h"

namespace encoder {

// Where a sound's samples go in the clip, counted at the encoder's rate: a sound that starts after the
// picture is put after silence (at most a minute of it), one that starts before the picture loses what
// comes before it.
class SampleTrim {
  public:
    explicit SampleTrim(int sampleRate) : sampleRate_(sampleRate) {}

    bool Started() const { return started_; }
    // The sound's first block starts `seconds` into the clip: returns the samples of silence to put
    // before it (0 for a sound that starts before the picture).
    std::int64_t Start(double seconds);
    // Of `count` samples that follow those seen so far, how many at their start are cut.
    int Cut(int count);

  private:
    int sampleRate_;
    bool started_ = false;
    std::int64_t drop_ = 0;  // samples still to cut
};

// One audio encoding: resampled to the codec's rate, layout and sample format, cut into codec frames.
class AudioOut {
  public:
    AudioOut(const AudioPlan& plan, const std::atomic<bool>& stop, FrameSink& sink);

    ~AudioOut();

    const AudioPlan& Plan() const { return plan_; }
    std::vector<int>& Streams() { return streams_; }
    // Samples per channel of one codec frame.
    int FrameSamples() const { return frameSize_; }
    int FrameBytes() const;
    // What the writer needs of cook beside its frames: the flavor number and codec data its header
    // carries, and the silent frame that completes its last interleave block.
    int Flavor() const { return flavor_; }
    std::vector<std::uint8_t> CodecData() const {
        return cook_ ? cook_->CodecData() : std::vector<std::uint8_t>{};
    }
    std::vector<std::uint8_t> SilentFrame() const {
        return cook_ ? cook_->SilentFrame() : std::vector<std::uint8_t>{};
    }

    // Loudest sample since the last call, percent of full scale.
    int TakePeak() { return peak_.exchange(0); }

    // Every decoded block of samples in order; `seconds` is where the block starts in the clip.
    void Samples(const AVFrame* samples, double seconds);
    void Finish();

  private:
    void MakeResampler(const AVFrame* samples);
    void Convert(const AVFrame* samples);
    void WriteSilence(std::int64_t count);
    av::FramePtr SilentFrame(int samples);

    // Feeds whole codec frames; at the end the last part frame is filled up with silence.
    void Drain(bool final);

    void NotePeak(const AVFrame& frame, int samples);
    // Packets of consecutive frames, in order, from our 14.4 encoder.
    void Put(std::vector<av::PacketPtr> packets);
    void Collect();

    AudioPlan plan_;
    FrameSink& sink_;
    std::vector<int> streams_;
    av::CodecPtr codec_;  // AC-3 only
    AVSampleFormat format_ = AV_SAMPLE_FMT_S16;
    AVChannelLayout layout_{};
    int frameSize_ = 0;
    int flavor_ = 0;
    av::ResamplePtr resample_;
    av::FifoPtr fifo_;
    int inFormat_ = -1, inRate_ = 0, inChannels_ = 0;
    SampleTrim trim_;
    std::int64_t samplesIn_ = 0;
    std::int64_t packets_ = 0;
    std::atomic<int> peak_ = 0;
    std::unique_ptr<Ra144Stream> ra144_;
    std::unique_ptr<CookStream> cook_;
    AudioPackets* own_ = nullptr;  // whichever of the two encodes, if one does
};

}  // namespace encoder
