#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace encoder::rv40 {

// Bits written most significant first, as the decoder's bit reader takes them.
class BitWriter {
  public:
    void Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i)
            PutBit((value >> i) & 1);
    }
    void PutBit(unsigned bit) {
        if ((count_ & 7) == 0)
            bytes_.push_back(0);
        bytes_.back() |= static_cast<std::uint8_t>((bit & 1) << (7 - (count_ & 7)));
        ++count_;
    }
    // Appends everything another writer holds.
    void Append(const BitWriter& other);
    std::size_t BitCount() const { return count_; }
    void Clear() {
        bytes_.clear();
        count_ = 0;
    }
    // The bytes so far; the last one is filled up with zero bits.
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t count_ = 0;
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
