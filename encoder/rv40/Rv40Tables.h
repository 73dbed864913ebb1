#pragma once
#include <cstdint>

// The fixed tables of the format, as its decoders hold them (Rv40Tables.cpp).
namespace encoder::rv40::data {

// VLC code lengths of the five intra VLC sets, one character per symbol: 'a' + length, so 'a' marks a
// symbol that has no code. Codes are canonical: shorter codes first, symbols of one length in order.
extern const char* const kIntraCbpPattern[5][2];     // 1296 symbols: chroma pattern * 16 + luma 8x8 mask
extern const char* const kIntraCbp[5][8];            // 16 symbols: [is16 + 2 * (coded 8x8 blocks - 1)]
extern const char* const kIntraFirstPattern[5][4];   // 864 symbols: first 2x2 digits * 8 + other 2x2 mask
extern const char* const kIntraSecondPattern[5][2];  // 108 symbols: digits of the second and third 2x2
extern const char* const kIntraThirdPattern[5][2];   // 108 symbols: digits of the last 2x2
extern const char* const kIntraCoefficient[5];       // 32 symbols: escaped levels
// The 4x4 coded pattern of an 8x8 block that each symbol of kIntraCbp stands for.
extern const std::uint8_t kCbpValues[16];

// Intra 4x4 mode codes: (symbol, length) pairs in code order, codes counting up from zero.
extern const std::uint8_t kAicTop[16][2];       // the top row of the first macroblock row
extern const std::uint8_t kAicMode1[90][9][2];  // one mode, by top mode + 10 * left mode
// Two modes at once (symbol = first mode * 16 + second), for the 20 contexts of kAicContexts.
extern const std::uint8_t kAicMode2Symbols[20][81];
extern const std::uint8_t kAicMode2Lengths[20][81];
// Contexts (top-right + 16 * top + 256 * left) in which two modes are coded together.
extern const std::uint16_t kAicContexts[20];

extern const std::uint16_t kQuantScale[32];       // dequantization factor by quantizer
extern const std::uint8_t kChromaQuant[2][32];    // [0] chroma AC, [1] chroma DC quantizer by quantizer
extern const std::uint8_t kLumaDcQuant[2][32];    // [0] intra, [1] inter quantizer of the 16x16 DC block
extern const std::uint8_t kQuantToVlcSet[2][32];  // [0] intra, [1] inter VLC set by quantizer

extern const std::uint8_t kFilterAlpha[32];
extern const std::uint8_t kFilterBeta[32];
extern const std::uint8_t kFilterClip[3][32];
extern const std::uint8_t kDitherLeft[16];
extern const std::uint8_t kDitherRight[16];

extern const int kStandardWidths[8];
extern const int kStandardHeights[12];
extern const std::uint16_t kMbCountLimits[6];
extern const std::uint8_t kMbAddressBits[6];

}  // namespace encoder::rv40::data
