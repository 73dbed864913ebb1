#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace encoder::cook {

// One standard rate/sample-rate/channel combination of the format.
struct Flavor {
    // bitRate is the nominal rate in bit/s; the coded rate is frameBytes * 8 * sampleRate / frameSamples.
    int sampleRate, channels, bitRate;
    int frameSamples;  // samples per channel per frame (256, 512 or 1024)
    int frameBytes;    // bytes of one coded frame (all channels)
    // As the codec data carries them (joint stereo only for the last two).
    int subbands, jsSubbandStart, jsVlcBits;
};

// Every combination we can write.
std::span<const Flavor> Flavors();
// Null when not one of them.
const Flavor* FindFlavor(int sampleRate, int channels, int bitRate);

// The transform music codec (FourCC "cook"), mono or joint stereo, with no gain control.
class Encoder {
  public:
    explicit Encoder(const Flavor& flavor);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    const Flavor& Shape() const;
    // The extradata the RealAudio header carries for the decoder.
    std::vector<std::uint8_t> CodecData() const;
    // One frame: frameSamples * channels interleaved samples in, exactly frameBytes bytes out. A short last
    // frame is the caller's to pad with silence.
    void Encode(const std::int16_t* samples, std::uint8_t* out);

    // Frame n played by a decoder is the input of frame n - kDelayFrames, counting every frame given to the
    // decoder. The frame before the first is taken as silence, so the two frames decoders start with carry
    // only silence (FFmpeg's drops them) and its first frame played is the first frame given here. To play
    // the whole sound, the caller encodes kDelayFrames silent frames after the last one.
    static constexpr int kDelayFrames = 2;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace encoder::cook
