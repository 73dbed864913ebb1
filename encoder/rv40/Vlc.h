#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace encoder::rv40 {

// Bits written most significant first, as the decoder's bit reader takes them.
class BitWriter {
  public:
    // Up to 32 bits of `value`, its lowest ones.
    void Put(std::uint32_t value, int bits) {
        if (bits == 0)
            return;
        cache_ = (cache_ << bits) | (value & (0xFFFFFFFFu >> (32 - bits)));
        cached_ += bits;
        while (cached_ >= 8) {
            cached_ -= 8;
            bytes_.push_back(static_cast<std::uint8_t>(cache_ >> cached_));
        }
    }
    void PutBit(unsigned bit) { Put(bit & 1, 1); }
    std::size_t BitCount() const { return bytes_.size() * 8 + static_cast<std::size_t>(cached_); }
    // The bytes so far, the last one filled up with zero bits.
    std::vector<std::uint8_t> Bytes() const;

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t cache_ = 0;
    int cached_ = 0;  // bits in the cache not yet in bytes_, fewer than 8
};

// One symbol's code; length 0 when the symbol has none.
struct Code {
    std::uint32_t bits = 0;
    std::uint8_t length = 0;
};

inline void Put(BitWriter& out, Code code) {
    out.Put(code.bits, code.length);
}

// Canonical codes from one length character per symbol (see Rv40Tables.h).
std::vector<Code> CanonicalCodes(const char* lengths);
// Codes handed out in list order from (symbol, length) pairs; indexed by symbol (`symbols` of them).
std::vector<Code> ListedCodes(const std::uint8_t* symbols, const std::uint8_t* lengths, std::size_t count,
                              std::size_t stride, std::size_t symbolCount);

// The codes of one intra VLC set, indexed by the symbol the decoder reads.
struct IntraVlcSet {
    std::array<std::vector<Code>, 2> cbpPattern;          // by is16
    std::array<std::array<std::vector<Code>, 4>, 2> cbp;  // by is16, coded 8x8 blocks - 1; by value
    std::array<std::vector<Code>, 4> firstPattern;        // chroma, 4x4 luma, 16x16 luma, 16x16 DC
    std::array<std::vector<Code>, 2> secondPattern;       // luma, chroma
    std::array<std::vector<Code>, 2> thirdPattern;        // luma, chroma
    std::vector<Code> coefficient;
};
const IntraVlcSet& IntraSet(int index);

// Codes of the intra 4x4 modes.
struct ModeCodes {
    std::vector<Code> top;                     // by pattern of four flags (mode 2 or 0)
    std::array<std::vector<Code>, 90> single;  // by context, then mode
    std::array<std::vector<Code>, 20> pair;    // by context, then first mode * 16 + second
};
const ModeCodes& IntraModeCodes();

}  // namespace encoder::rv40
