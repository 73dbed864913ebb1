#pragma once
#include <array>
#include <cstdint>

#include "encoder/ra144/Ra144Tables.h"

namespace encoder::ra144 {

// RealAudio 14.4 (8 kbit/s, 20-byte frames of 160 samples at 8 kHz): a CELP coder with a 10-tap
// synthesis filter, an adaptive codebook of past excitation and two fixed codebooks.
//
// The encoder keeps the decoder's state exactly as a decoder computes it (the integer synthesis of every
// subblock is the decoder's), so its adaptive codebook and filter memory never drift from what is played.
// The search itself works in float: the filtered candidates come from the impulse response of each
// subblock's filter, the adaptive ones by a running update from lag to lag, and the fixed ones are first
// ranked through the seven vectors each fixed codebook is nearly built of, then the best few are filtered
// and ranked exactly. The three gains are chosen over all 256 gain steps from dot products.
//
// Like the usual encoder it looks one frame ahead (the filter of a frame is fitted around its last
// subblock): the packet of a frame comes out when the next frame is given, and the first packet is of a
// silent frame before the sound.
class Encoder {
  public:
    using Packet = std::array<std::uint8_t, kPacketBytes>;

    Encoder();
    // Gives the next frame of 160 samples (nullptr once the sound has ended, which fills the look-ahead
    // with silence) and returns the packet of the frame before it.
    Packet Encode(const std::int16_t* next);
    // The samples a decoder plays for the packets so far, 160 to a packet.
    const std::array<std::int16_t, kFrame>& Decoded() const { return decoded_; }

  private:
    void EncodeSubblock(int index, const std::int16_t* coefs, unsigned level, struct BitWriter& bits);
    void Synthesize(const std::int16_t* coefs, int adaptive, int fixed1, int fixed2, unsigned level, int gain,
                    std::int16_t* out);
    void FitFilter(const std::int32_t* window, std::int16_t* coefs) const;

    // The decoder's state.
    std::int16_t adaptive_[kAdaptiveSize] = {};      // past excitation
    std::int16_t history_[kOrder + kSubblock] = {};  // the synthesis filter's output, its memory last
    int coefs_[2][kOrder] = {};                      // filter of the frame being coded and of the one before
    unsigned reflectionRms_[2] = {};                 // likewise
    unsigned oldEnergy_ = 0;

    // The frame being coded and the one after it, as the coder sees them (samples / 4).
    std::int16_t frame_[kFrame] = {};
    std::array<std::int16_t, kFrame> decoded_{};
};

}  // namespace encoder::ra144
