#pragma once
#include <cstdint>

namespace encoder::cook {

constexpr int kBandSize = 20;   // coefficients of a band
constexpr int kCategories = 8;  // 0 is the finest quantizer, 7 sends no coefficients

// A Huffman code, its bits right-aligned; length 0 when the symbol has none.
struct Code {
    std::uint8_t length;
    std::uint16_t bits;
};

// The band powers are sent as differences from band to band (difference + 12 indexes the table); the band's
// table is picked by its position.
extern const Code kEnvelopeCodes[13][24];
// The coefficients of a category go in vectors of kVectorLength[c] indexes, each from 0 to kMaxIndex[c]; a
// vector's symbol reads its indexes as digits, the first the most significant.
extern const Code* const kVectorCodes[7];
constexpr int kMaxIndex[7] = {13, 9, 6, 4, 3, 2, 1};
constexpr int kVectorLength[7] = {2, 2, 2, 4, 4, 5, 5};
constexpr int kVectorsPerBand[7] = {10, 10, 10, 5, 5, 4, 4};
// What the decoder plays for each index of a category, in steps of the band's scale.
extern const float kCentroids[7][14];
// The level of the random signs a decoder plays for a zero index (and a whole band of category 7).
extern const float kNoiseLevel[8];
// The bits the decoder's rate estimate reckons a band of each category costs.
extern const int kCategoryBits[8];

// Joint stereo: the coupling band of each band, the codes of a band's coupling index for 2 to 6 index bits
// (by bits - 2), and the two channels' scales (one more entry at each end, as a decoder indexes them).
extern const int kCouplingBand[51];
extern const Code* const kCouplingCodes[5];
extern const float* const kCouplingScales[5];

}  // namespace encoder::cook
