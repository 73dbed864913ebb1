#include "encoder/rv40/IntraEncoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "encoder/rv40/IntraPredict.h"
#include "encoder/rv40/Rv40Tables.h"
#include "encoder/rv40/Transform.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace encoder::rv40 {

namespace {

constexpr int kBorder = 16;
constexpr int kMaxSize = 4096;
// Levels round towards zero by two thirds of a step: small coefficients cost more bits than they win.
constexpr int kBias = (1 << 24) / 3;
// 4x4 modes tried in full, best predicting first.
constexpr int kFullModes = 3;
// Within a macroblock a 4x4 block's bits weigh half of what they weigh between the two macroblock
// types: measured best on camera and on cartoon pictures (about 0.15 dB at equal size).
constexpr double kBlockLambdaShare = 0.5;

// The order the decoder reads the coefficients of each 2x2 subblock of a 4x4 block.
constexpr int kSubblockOrder[4][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}, {8, 12, 9, 13}, {10, 11, 14, 15}};

Code Checked(const std::vector<Code>& codes, std::size_t symbol) {
    if (symbol >= codes.size() || codes[symbol].length == 0)
        throw std::logic_error("rv40: symbol without a code");
    return codes[symbol];
}

int Digits(const int levels[16], int subblock) {
    int code = 0;
    for (int n = 0; n < 4; ++n) {
        const int magnitude = std::abs(levels[kSubblockOrder[subblock][n]]);
        code = code * 3 + std::min(magnitude, n == 0 ? 3 : 2);
    }
    return code;
}

void WriteLevel(BitWriter& out, const IntraVlcSet& set, int level, int escape) {
    const int magnitude = std::abs(level);
    if (magnitude == 0)
        return;
    if (magnitude >= escape) {
        const int extra = magnitude - escape;
        if (extra <= 23) {
            Put(out, Checked(set.coefficient, static_cast<std::size_t>(extra)));
        } else {
            const unsigned rest = static_cast<unsigned>(extra - 22);
            const int n = std::bit_width(rest) - 1;
            Put(out, Checked(set.coefficient, static_cast<std::size_t>(23 + n)));
            out.Put(rest - (1u << n), n);
        }
    }
    out.PutBit(level < 0);
}

void WriteSubblockLevels(BitWriter& out, const IntraVlcSet& set, const int levels[16], int subblock) {
    for (int n = 0; n < 4; ++n)
        WriteLevel(out, set, levels[kSubblockOrder[subblock][n]], n == 0 ? 3 : 2);
}

bool SubblockCoded(const int levels[16], int subblock) {
    for (int n = 0; n < 4; ++n)
        if (levels[kSubblockOrder[subblock][n]])
            return true;
    return false;
}

// One 4x4 block's levels. `first` picks the first-subblock table (chroma, 4x4 luma, 16x16 luma, 16x16
// DC), `other` the tables of the other subblocks (luma, chroma).
void WriteBlock(BitWriter& out, const IntraVlcSet& set, int first, int other, const int levels[16]) {
    const int pattern = (SubblockCoded(levels, 1) ? 4 : 0) | (SubblockCoded(levels, 2) ? 2 : 0) |
                        (SubblockCoded(levels, 3) ? 1 : 0);
    Put(out, Checked(set.firstPattern[first], static_cast<std::size_t>(Digits(levels, 0) * 8 + pattern)));
    WriteSubblockLevels(out, set, levels, 0);
    if (pattern & 4) {
        Put(out, Checked(set.secondPattern[other], static_cast<std::size_t>(Digits(levels, 1))));
        WriteSubblockLevels(out, set, levels, 1);
    }
    if (pattern & 2) {
        Put(out, Checked(set.secondPattern[other], static_cast<std::size_t>(Digits(levels, 2))));
        WriteSubblockLevels(out, set, levels, 2);
    }
    if (pattern & 1) {
        Put(out, Checked(set.thirdPattern[other], static_cast<std::size_t>(Digits(levels, 3))));
        WriteSubblockLevels(out, set, levels, 3);
    }
}

// Luma bits 0-15 by 4x4 block in raster order, U bits 16-19, V bits 20-23.
void WriteCodedPattern(BitWriter& out, const IntraVlcSet& set, int table, std::uint32_t cbp) {
    static constexpr int kShifts[4] = {0, 2, 8, 10};
    int pattern = 0;
    int chroma = 0;
    for (int k = 0; k < 4; ++k)
        if ((cbp >> kShifts[k]) & 0x33)
            pattern |= 8 >> k;
    for (int i = 0; i < 4; ++i)
        chroma = chroma * 3 + static_cast<int>(((cbp >> (16 + i)) & 1) + ((cbp >> (20 + i)) & 1));
    Put(out, Checked(set.cbpPattern[table], static_cast<std::size_t>(chroma * 16 + pattern)));
    const int ones = std::max(std::popcount(static_cast<unsigned>(pattern)) - 1, 0);
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t sub = (cbp >> kShifts[k]) & 0x33;
        if (sub)
            Put(out, Checked(set.cbp[table][ones], sub));
    }
    for (int i = 0; i < 4; ++i) {
        const unsigned u = (cbp >> (16 + i)) & 1, v = (cbp >> (20 + i)) & 1;
        if (u + v == 1)
            out.PutBit(u);
    }
}

int Satd4x4(const std::uint8_t* a, std::ptrdiff_t as, const std::uint8_t* b, std::ptrdiff_t bs) {
    int d[16];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            d[y * 4 + x] = a[y * as + x] - b[y * bs + x];
    int t[16];
    for (int y = 0; y < 4; ++y) {
        const int* r = d + y * 4;
        const int s01 = r[0] + r[1], d01 = r[0] - r[1], s23 = r[2] + r[3], d23 = r[2] - r[3];
        t[y * 4 + 0] = s01 + s23;
        t[y * 4 + 1] = s01 - s23;
        t[y * 4 + 2] = d01 - d23;
        t[y * 4 + 3] = d01 + d23;
    }
    int sum = 0;
    for (int x = 0; x < 4; ++x) {
        const int s01 = t[x] + t[4 + x], d01 = t[x] - t[4 + x], s23 = t[8 + x] + t[12 + x],
                  d23 = t[8 + x] - t[12 + x];
        sum += std::abs(s01 + s23) + std::abs(s01 - s23) + std::abs(d01 - d23) + std::abs(d01 + d23);
    }
    return sum / 2;
}

std::int64_t Ssd(const std::uint8_t* a, std::ptrdiff_t as, const std::uint8_t* b, std::ptrdiff_t bs, int w,
                 int h) {
    std::int64_t sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int d = a[y * as + x] - b[y * bs + x];
            sum += d * d;
        }
    return sum;
}

// Residual of a 4x4 block, transformed and quantized with `scales` (the decoder's factor per position).
void QuantizeBlock(const std::uint8_t* src, std::ptrdiff_t ss, const std::uint8_t* pred, std::ptrdiff_t ps,
                   const int scales[16], int levels[16]) {
    int residual[16], coefficients[16];
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            residual[y * 4 + x] = src[y * ss + x] - pred[y * ps + x];
    ForwardTransform(residual, coefficients);
    for (int i = 0; i < 16; ++i)
        levels[i] = Quantize(coefficients[i], scales[i], kBias);
}

bool AnyLevel(const int levels[16]) {
    return std::any_of(levels, levels + 16, [](int l) { return l != 0; });
}

// What the decoder adds for one coded block: the full inverse transform, or its DC shortcut when only
// the first coefficient is there.
void AddBlock(std::uint8_t* dst, std::ptrdiff_t stride, const int levels[16], const int scales[16]) {
    std::int16_t block[16];
    bool ac = false;
    for (int i = 0; i < 16; ++i) {
        block[i] = levels[i] ? Dequantize(levels[i], scales[i]) : std::int16_t{0};
        ac = ac || (i && levels[i]);
    }
    if (ac)
        InverseTransformAdd(dst, stride, block);
    else
        InverseDcAdd(dst, stride, block[0]);
}

void CopyBlock(std::uint8_t* dst, std::ptrdiff_t ds, const std::uint8_t* src, std::ptrdiff_t ss, int w,
               int h) {
    for (int y = 0; y < h; ++y)
        std::memcpy(dst + y * ds, src + y * ss, static_cast<std::size_t>(w));
}

// A block's squared error once its levels are added to the prediction, and the bits of the levels.
struct Trial {
    std::int64_t ssd = 0;
    int bits = 0;
};
Trial TryLevels(const std::uint8_t* src, std::ptrdiff_t ss, const std::uint8_t* pred, std::ptrdiff_t ps,
                const int levels[16], const int scales[16], const IntraVlcSet& set, int first, int other) {
    std::uint8_t made[16];
    CopyBlock(made, 4, pred, ps, 4, 4);
    AddBlock(made, 4, levels, scales);
    BitWriter bits;
    WriteBlock(bits, set, first, other, levels);
    return {Ssd(src, ss, made, 4, 4, 4), static_cast<int>(bits.BitCount())};
}

struct Scales {
    int luma[16];     // 4x4 luma blocks and the AC of 16x16 ones
    int dcBlock[16];  // the 16x16 macroblock's DC block
    int chroma[16];
};

Scales MakeScales(int q) {
    Scales s{};
    const int qY = data::kQuantScale[q];
    const int qDcY = data::kQuantScale[data::kLumaDcQuant[0][q]];
    const int qCDc = data::kQuantScale[data::kChromaQuant[1][q]];
    const int qCAc = data::kQuantScale[data::kChromaQuant[0][q]];
    for (int i = 0; i < 16; ++i) {
        s.luma[i] = qY;
        s.dcBlock[i] = (i == 0 || i == 1 || i == 4) ? qDcY : qY;
        s.chroma[i] = i == 0 ? qCDc : qCAc;
    }
    return s;
}

}  // namespace

IntraEncoder::IntraEncoder(int width, int height) : width_(width), height_(height) {
    if (width < 4 || height < 4 || width > kMaxSize || height > kMaxSize || width % 4 || height % 4)
        throw std::invalid_argument(
            "RealVideo 4 pictures need a width and height of 4 to 4096 in steps of 4");
    mbWidth_ = (width + 15) / 16;
    mbHeight_ = (height + 15) / 16;
    for (int p = 0; p < 3; ++p) {
        const int shift = p ? 1 : 0;
        stride_[p] = (mbWidth_ * 16 >> shift) + 2 * kBorder;
        const std::size_t rows = static_cast<std::size_t>((mbHeight_ * 16 >> shift) + 2 * kBorder);
        source_[p].assign(rows * static_cast<std::size_t>(stride_[p]), 128);
        recon_[p].assign(rows * static_cast<std::size_t>(stride_[p]), 128);
    }
    modes_.assign(static_cast<std::size_t>(mbWidth_ * 4 * mbHeight_ * 4), -1);
    filter_.assign(static_cast<std::size_t>(mbWidth_ * mbHeight_), FilterMacroblock{});
}

void IntraEncoder::LoadSource(const PictureView& picture) {
    for (int p = 0; p < 3; ++p) {
        const int shift = p ? 1 : 0;
        const int w = width_ >> shift, h = height_ >> shift;
        const int pw = mbWidth_ * 16 >> shift, ph = mbHeight_ * 16 >> shift;
        std::uint8_t* base = source_[p].data() + kBorder * stride_[p] + kBorder;
        for (int y = 0; y < ph; ++y) {
            std::uint8_t* row = base + y * stride_[p];
            const std::uint8_t* in = picture.plane[p] + std::min(y, h - 1) * picture.stride[p];
            std::memcpy(row, in, static_cast<std::size_t>(w));
            std::memset(row + w, in[w - 1], static_cast<std::size_t>(pw - w));
        }
    }
}

std::vector<std::uint8_t> IntraEncoder::Encode(const AVFrame* frame, int quantizer,
                                               std::int64_t timestampMs) {
    if (!frame || frame->format != AV_PIX_FMT_YUV420P || frame->width != width_ || frame->height != height_)
        throw std::invalid_argument("RealVideo 4 encoder: the frame is not YUV 4:2:0 of the encoder's size");
    PictureView view;
    for (int p = 0; p < 3; ++p) {
        view.plane[p] = frame->data[p];
        view.stride[p] = frame->linesize[p];
    }
    return Encode(view, quantizer, timestampMs);
}

std::vector<std::uint8_t> IntraEncoder::Encode(const PictureView& picture, int quantizer,
                                               std::int64_t timestampMs) {
    if (quantizer < 0 || quantizer > 31)
        throw std::invalid_argument("RealVideo 4 quantizer must be 0 to 31");
    quantizer_ = quantizer;
    // The equivalent H.264 quantizer is about this one plus 12.
    lambda_ = 0.85 * std::pow(2.0, quantizer / 3.0);
    lambdaSad_ = std::sqrt(lambda_);
    vlc_ = &IntraSet(data::kQuantToVlcSet[0][quantizer]);
    LoadSource(picture);
    std::fill(modes_.begin(), modes_.end(), std::int8_t{-1});
    modeCounts_ = ModeCounts{};

    chosen_.resize(static_cast<std::size_t>(mbWidth_ * mbHeight_));
    for (int mbY = 0; mbY < mbHeight_; ++mbY)
        for (int mbX = 0; mbX < mbWidth_; ++mbX)
            EncodeMacroblock(mbX, mbY, chosen_[static_cast<std::size_t>(mbY * mbWidth_ + mbX)]);

    // The header may shift which VLC sets the quantizer picks; the choices above stand with any set, so
    // the picture is written with each set a shift reaches and the shortest kept.
    BitWriter best;
    std::vector<int> tried;
    for (int shift = 0; shift < 3; ++shift) {
        int q = quantizer;
        if (shift == 2 && q < 19)
            q += 10;
        else if (shift && q < 26)
            q += 5;
        const int set = data::kQuantToVlcSet[0][q];
        if (std::find(tried.begin(), tried.end(), set) != tried.end())
            continue;
        tried.push_back(set);
        vlc_ = &IntraSet(set);
        BitWriter out;
        WriteHeader(out, shift, timestampMs);
        for (int mbY = 0; mbY < mbHeight_; ++mbY)
            for (int mbX = 0; mbX < mbWidth_; ++mbX)
                WriteMacroblock(chosen_[static_cast<std::size_t>(mbY * mbWidth_ + mbX)], mbX, mbY, out);
        if (tried.size() == 1 || out.BitCount() < best.BitCount())
            best = std::move(out);
    }

    for (FilterMacroblock& mb : filter_)
        mb = FilterMacroblock{true, 0xFFFF, 0xFFFF, 0xFF, quantizer};
    FilterPlanes planes;
    for (int p = 0; p < 3; ++p) {
        planes.plane[p] = recon_[p].data() + kBorder * stride_[p] + kBorder;
        planes.stride[p] = stride_[p];
    }
    planes.mbWidth = mbWidth_;
    planes.mbHeight = mbHeight_;
    planes.width = width_;
    planes.height = height_;
    FilterPicture(planes, filter_);
    return best.Bytes();
}

void IntraEncoder::WriteHeader(BitWriter& out, int vlcShift, std::int64_t timestampMs) const {
    out.PutBit(0);  // marker
    out.Put(0, 2);  // picture type: intra
    out.Put(static_cast<std::uint32_t>(quantizer_), 5);
    out.Put(0, 2);  // reserved
    out.Put(static_cast<std::uint32_t>(vlcShift), 2);
    out.PutBit(0);
    out.Put(static_cast<std::uint32_t>(timestampMs) & 0x1FFF, 13);
    auto putEscaped = [&out](int value) {
        for (int v = value / 4;; v -= 255) {
            out.Put(static_cast<std::uint32_t>(std::min(v, 255)), 8);
            if (v < 255)
                break;
        }
    };
    const int* widths = data::kStandardWidths;
    const int widthIndex = static_cast<int>(std::find(widths, widths + 7, width_) - widths);
    out.Put(static_cast<std::uint32_t>(widthIndex), 3);
    if (widthIndex == 7)
        putEscaped(width_);
    const int* heights = data::kStandardHeights;
    const int heightIndex = static_cast<int>(std::find(heights, heights + 6, height_) - heights);
    if (heightIndex < 6) {
        out.Put(static_cast<std::uint32_t>(heightIndex), 3);
    } else if (height_ == 180 || height_ == 360) {
        out.Put(6, 3);
        out.PutBit(height_ == 360);
    } else {
        out.Put(7, 3);
        out.PutBit(height_ != 576);
        if (height_ != 576)
            putEscaped(height_);
    }
    const int mbCount = mbWidth_ * mbHeight_;
    int sizeIndex = 0;
    while (sizeIndex < 5 && data::kMbCountLimits[sizeIndex] < mbCount - 1)
        ++sizeIndex;
    out.Put(0, data::kMbAddressBits[sizeIndex]);  // the slice starts at the first macroblock
}

PictureView IntraEncoder::Reconstruction() const {
    PictureView view;
    for (int p = 0; p < 3; ++p) {
        view.plane[p] = recon_[p].data() + kBorder * stride_[p] + kBorder;
        view.stride[p] = stride_[p];
    }
    return view;
}

std::int64_t IntraEncoder::Distortion(int mbX, int mbY) const {
    std::int64_t sum = 0;
    for (int p = 0; p < 3; ++p) {
        const int size = p ? 8 : 16;
        const std::ptrdiff_t offset = (kBorder + mbY * size) * stride_[p] + kBorder + mbX * size;
        sum += Ssd(source_[p].data() + offset, stride_[p], recon_[p].data() + offset, stride_[p], size, size);
    }
    return sum;
}

void IntraEncoder::EncodeMacroblock(int mbX, int mbY, Macroblock& chosen) {
    Macroblock m16, m4;
    BitWriter bits16, bits4;
    TryIntra16(mbX, mbY, m16);
    WriteMacroblock(m16, mbX, mbY, bits16);
    const double cost16 =
        static_cast<double>(Distortion(mbX, mbY)) + lambda_ * static_cast<double>(bits16.BitCount());
    // Keep the 16x16 pixels aside while the 4x4 choice is tried.
    std::uint8_t saved[16 * 16 + 2 * 8 * 8];
    std::uint8_t* savedPlane[3] = {saved, saved + 256, saved + 256 + 64};
    for (int p = 0; p < 3; ++p) {
        const int size = p ? 8 : 16;
        CopyBlock(savedPlane[p], size,
                  recon_[p].data() + (kBorder + mbY * size) * stride_[p] + kBorder + mbX * size, stride_[p],
                  size, size);
    }
    TryIntra4(mbX, mbY, m4);
    WriteMacroblock(m4, mbX, mbY, bits4);
    const double cost4 =
        static_cast<double>(Distortion(mbX, mbY)) + lambda_ * static_cast<double>(bits4.BitCount());
    if (cost16 <= cost4) {
        for (int p = 0; p < 3; ++p) {
            const int size = p ? 8 : 16;
            CopyBlock(recon_[p].data() + (kBorder + mbY * size) * stride_[p] + kBorder + mbX * size,
                      stride_[p], savedPlane[p], size, size, size);
        }
        for (int i = 0; i < 16; ++i)
            modes_[static_cast<std::size_t>((mbY * 4 + i / 4) * mbWidth_ * 4 + mbX * 4 + i % 4)] =
                static_cast<std::int8_t>(m16.mode16);
        ++modeCounts_.intra16[m16.mode16];
        chosen = m16;
    } else {
        for (std::int8_t mode : m4.modes)
            ++modeCounts_.intra4[mode];
        chosen = m4;
    }
}

void IntraEncoder::TryIntra16(int mbX, int mbY, Macroblock& mb) {
    const bool up = mbY > 0, left = mbX > 0;
    const Scales scales = MakeScales(quantizer_);
    const std::ptrdiff_t ys = stride_[0];
    const std::ptrdiff_t yOffset = (kBorder + mbY * 16) * ys + kBorder + mbX * 16;
    const std::uint8_t* src = source_[0].data() + yOffset;
    std::uint8_t* rec = recon_[0].data() + yOffset;
    std::uint8_t pred[256];
    int bestCost = -1;
    Pred16 bestType = Pred16::Dc;
    for (int mode = 0; mode < 4; ++mode) {
        const Pred16 type = Adjust16(kPred16OfMode[mode], up, left);
        bool seen = false;
        for (int earlier = 0; earlier < mode; ++earlier)
            seen = seen || Adjust16(kPred16OfMode[earlier], up, left) == type;
        if (seen)
            continue;
        Predict16x16(pred, 16, rec, ys, type);
        int cost = 0;
        for (int b = 0; b < 16; ++b)
            cost += Satd4x4(src + (b / 4) * 4 * ys + (b % 4) * 4, ys, pred + (b / 4) * 64 + (b % 4) * 4, 16);
        if (bestCost < 0 || cost < bestCost) {
            bestCost = cost;
            bestType = type;
            mb.mode16 = mode;
        }
    }
    mb.is16 = true;
    const double blockLambda = lambda_ * kBlockLambdaShare;
    Predict16x16(pred, 16, rec, ys, bestType);

    // Each block's DC goes into one 4x4 block of its own, transformed again.
    int coefficients[16][16];
    double dcs[16];
    for (int b = 0; b < 16; ++b) {
        int residual[16];
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                residual[y * 4 + x] = src[((b / 4) * 4 + y) * ys + (b % 4) * 4 + x] -
                                      pred[((b / 4) * 4 + y) * 16 + (b % 4) * 4 + x];
        ForwardTransform(residual, coefficients[b]);
        // The DC the decoder should end up with for this block.
        dcs[b] = coefficients[b][0] * 1024.0 / 456976.0;
    }
    // The decoder turns the DC block's coefficients D into 1.5 * T' D T / 1024; T T' = 676.
    static constexpr int kBasis[4][4] = {
        {13, 13, 13, 13}, {17, 7, -7, -17}, {13, -13, -13, 13}, {7, -17, 17, -7}};
    std::int16_t dcBlock[16];
    bool dcAc = false;
    for (int u = 0; u < 4; ++u)
        for (int v = 0; v < 4; ++v) {
            double sum = 0;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    sum += kBasis[u][y] * kBasis[v][x] * dcs[y * 4 + x];
            const double target = sum / 456976.0 * 1024.0 / 1.5;
            const int i = u * 4 + v;
            const double scaled = target * 16.0 / scales.dcBlock[i];
            const double magnitude = std::min(std::floor(std::abs(scaled) + 0.5), double(kMaxLevel));
            const int limit = (32767 * 16 - 8) / scales.dcBlock[i];
            const int level = static_cast<int>(std::min(magnitude, double(limit)));
            mb.dc[i] = scaled < 0 ? -level : level;
            dcBlock[i] = mb.dc[i] ? Dequantize(mb.dc[i], scales.dcBlock[i]) : std::int16_t{0};
            dcAc = dcAc || (i && mb.dc[i]);
        }
    if (dcAc)
        InverseDcBlock(dcBlock);
    else
        InverseDcBlockDcOnly(dcBlock);

    mb.cbp = 0;
    CopyBlock(rec, ys, pred, 16, 16, 16);
    for (int b = 0; b < 16; ++b) {
        int* levels = mb.levels[b];
        for (int i = 1; i < 16; ++i)
            levels[i] = Quantize(coefficients[b][i], scales.luma[i], kBias);
        levels[0] = 0;
        std::uint8_t* dst = rec + (b / 4) * 4 * ys + (b % 4) * 4;
        InverseDcAdd(dst, ys, dcBlock[b]);  // what the block is without its levels
        if (!AnyLevel(levels))
            continue;
        const std::uint8_t* blockSource = src + (b / 4) * 4 * ys + (b % 4) * 4;
        std::uint8_t made[16];
        CopyBlock(made, 4, pred + (b / 4) * 64 + (b % 4) * 4, 16, 4, 4);
        std::int16_t block[16];
        for (int i = 0; i < 16; ++i)
            block[i] = levels[i] ? Dequantize(levels[i], scales.luma[i]) : std::int16_t{0};
        block[0] = dcBlock[b];
        InverseTransformAdd(made, 4, block);
        BitWriter bits;
        WriteBlock(bits, *vlc_, 2, 0, levels);
        if (static_cast<double>(Ssd(blockSource, ys, made, 4, 4, 4)) +
                blockLambda * static_cast<double>(bits.BitCount() + 1) <
            static_cast<double>(Ssd(blockSource, ys, dst, ys, 4, 4))) {
            mb.cbp |= 1u << b;
            CopyBlock(dst, ys, made, 4, 4, 4);
        } else {
            std::fill(levels, levels + 16, 0);
        }
    }

    // Chroma: the 16x16 mode over 8x8, DC instead of plane.
    Pred16 chromaType = kPred16OfMode[mb.mode16];
    if (chromaType == Pred16::Plane)
        chromaType = Pred16::Dc;
    chromaType = Adjust16(chromaType, up, left);
    for (int p = 1; p < 3; ++p) {
        const std::ptrdiff_t cs = stride_[p];
        const std::ptrdiff_t offset = (kBorder + mbY * 8) * cs + kBorder + mbX * 8;
        std::uint8_t* crec = recon_[p].data() + offset;
        Predict8x8(pred, 8, crec, cs, chromaType);
        CopyBlock(crec, cs, pred, 8, 8, 8);
        for (int b = 0; b < 4; ++b)
            CodeChromaBlock(p, mbX, mbY, b, mb);
    }
}

void IntraEncoder::CodeChromaBlock(int plane, int mbX, int mbY, int block, Macroblock& mb) {
    // The prediction is already in the reconstruction.
    const Scales scales = MakeScales(quantizer_);
    const std::ptrdiff_t cs = stride_[plane];
    const std::ptrdiff_t offset =
        (kBorder + mbY * 8 + (block / 2) * 4) * cs + kBorder + mbX * 8 + (block % 2) * 4;
    const int index = 16 + (plane - 1) * 4 + block;
    int* levels = mb.levels[index];
    std::uint8_t* rec = recon_[plane].data() + offset;
    const std::uint8_t* src = source_[plane].data() + offset;
    QuantizeBlock(src, cs, rec, cs, scales.chroma, levels);
    if (!AnyLevel(levels))
        return;
    const Trial trial = TryLevels(src, cs, rec, cs, levels, scales.chroma, *vlc_, 0, 1);
    if (static_cast<double>(trial.ssd) + lambda_ * kBlockLambdaShare * (trial.bits + 1) <
        static_cast<double>(Ssd(src, cs, rec, cs, 4, 4))) {
        mb.cbp |= 1u << index;
        AddBlock(rec, cs, levels, scales.chroma);
    } else {
        std::fill(levels, levels + 16, 0);
    }
}

int IntraEncoder::ModeContext(int bx, int by, int& top, int& left) const {
    auto at = [this](int x, int y) -> int {
        if (x < 0 || y < 0 || x >= mbWidth_ * 4)
            return -1;
        return modes_[static_cast<std::size_t>(y * mbWidth_ * 4 + x)];
    };
    top = at(bx, by - 1);
    left = at(bx - 1, by);
    const int pattern = at(bx + 1, by - 1) + top * 16 + left * 256;
    for (int k = 0; k < 20; ++k)
        if (pattern == data::kAicContexts[k])
            return k;
    return -1;
}

void IntraEncoder::TryIntra4(int mbX, int mbY, Macroblock& mb) {
    const ModeCodes& codes = IntraModeCodes();
    const Scales scales = MakeScales(quantizer_);
    const bool mbUp = mbY > 0, mbLeft = mbX > 0, mbUpRight = mbY > 0 && mbX + 1 < mbWidth_;
    const std::ptrdiff_t ys = stride_[0];
    const std::ptrdiff_t yOffset = (kBorder + mbY * 16) * ys + kBorder + mbX * 16;
    const double blockLambda = lambda_ * kBlockLambdaShare;
    mb.is16 = false;
    mb.cbp = 0;
    for (int r = 0; r < 4; ++r) {
        int pairFirst = -1;  // the mode opening a pair, when this block closes it
        int pairContext = -1;
        for (int j = 0; j < 4; ++j) {
            const int bx = mbX * 4 + j, by = mbY * 4 + r;
            const bool up = r > 0 || mbUp, left = j > 0 || mbLeft;
            const bool down = j == 0 && r < 3 && mbLeft;
            const bool right = r == 0 ? (j < 3 ? mbUp : mbUpRight) : j < 3;
            // Bits of each mode here; -1 where the mode cannot be coded or would read missing samples.
            int bits[9];
            std::fill(bits, bits + 9, -1);
            const bool closesPair = pairFirst >= 0;
            int opensPair = -1;  // the context of the pair this block opens
            if (r == 0 && mbY == 0) {
                bits[0] = bits[2] = 0;  // the row's four flags share one code
            } else if (closesPair) {
                const std::vector<Code>& pair = codes.pair[pairContext];
                int least = 99;
                for (int m = 0; m < 9; ++m)
                    least = std::min<int>(least, pair[pairFirst * 16 + m].length);
                for (int m = 0; m < 9; ++m)
                    bits[m] = pair[pairFirst * 16 + m].length - least;
            } else {
                int top = -1, leftMode = -1;
                const int context = ModeContext(bx, by, top, leftMode);
                if (j < 3 && context >= 0) {
                    for (int m = 0; m < 9; ++m) {
                        int least = 99;
                        for (int n = 0; n < 9; ++n)
                            least = std::min<int>(least, codes.pair[context][m * 16 + n].length);
                        bits[m] = least;
                    }
                    opensPair = context;
                } else if (top != -1 && leftMode != -1) {
                    for (int m = 0; m < 9; ++m)
                        bits[m] = codes.single[top + leftMode * 10][m].length;
                } else if (leftMode == -1) {
                    bits[0] = top < 2 ? 1 : 0;
                    if (top < 2)
                        bits[1] = 1;
                } else if (leftMode == 0 || leftMode == 2) {
                    bits[0] = bits[2] = 1;
                } else {
                    bits[0] = 0;
                }
            }
            if (!up || !left)
                for (int m = 3; m < 9; ++m)
                    bits[m] = -1;

            std::uint8_t* rec = recon_[0].data() + yOffset + r * 4 * ys + j * 4;
            const std::uint8_t* src = source_[0].data() + yOffset + r * 4 * ys + j * 4;
            // The few modes that predict best are coded in full; the one with the least distortion and
            // bits wins, coded or, when its levels do not pay for themselves, left uncoded.
            std::uint8_t pred[16];
            std::array<std::pair<double, int>, 9> ranked;
            int candidates = 0;
            for (int m = 0; m < 9; ++m) {
                if (bits[m] < 0)
                    continue;
                Predict4x4(pred, 4, rec, ys, Adjust4x4(m, up, left, down), right, up);
                ranked[static_cast<std::size_t>(candidates++)] = {
                    Satd4x4(src, ys, pred, 4) + lambdaSad_ * bits[m], m};
            }
            if (candidates == 0)
                throw std::logic_error("rv40: no 4x4 mode can be coded");
            std::sort(ranked.begin(), ranked.begin() + candidates);
            int best = -1;
            bool bestCoded = false;
            double bestCost = 0;
            int* levels = mb.levels[r * 4 + j];
            for (int c = 0; c < std::min(candidates, kFullModes); ++c) {
                const int m = ranked[static_cast<std::size_t>(c)].second;
                Predict4x4(pred, 4, rec, ys, Adjust4x4(m, up, left, down), right, up);
                QuantizeBlock(src, ys, pred, 4, scales.luma, levels);
                const double uncoded =
                    static_cast<double>(Ssd(src, ys, pred, 4, 4, 4)) + blockLambda * bits[m];
                double coded = uncoded + 1;
                if (AnyLevel(levels)) {
                    const Trial trial = TryLevels(src, ys, pred, 4, levels, scales.luma, *vlc_, 1, 0);
                    coded = static_cast<double>(trial.ssd) + blockLambda * (bits[m] + trial.bits + 1);
                }
                if (best < 0 || std::min(coded, uncoded) < bestCost) {
                    best = m;
                    bestCoded = coded < uncoded;
                    bestCost = std::min(coded, uncoded);
                }
            }
            pairFirst = opensPair >= 0 ? best : -1;
            pairContext = opensPair;
            mb.modes[r * 4 + j] = static_cast<std::int8_t>(best);
            modes_[static_cast<std::size_t>(by * mbWidth_ * 4 + bx)] = static_cast<std::int8_t>(best);

            Predict4x4(rec, ys, rec, ys, Adjust4x4(best, up, left, down), right, up);
            QuantizeBlock(src, ys, rec, ys, scales.luma, levels);
            if (bestCoded) {
                mb.cbp |= 1u << (r * 4 + j);
                AddBlock(rec, ys, levels, scales.luma);
            } else {
                std::fill(levels, levels + 16, 0);
            }
        }
    }
    CodeChroma4x4(mbX, mbY, mb);
}

void IntraEncoder::CodeChroma4x4(int mbX, int mbY, Macroblock& mb) {
    const bool mbUp = mbY > 0, mbLeft = mbX > 0, mbUpRight = mbY > 0 && mbX + 1 < mbWidth_;
    for (int p = 1; p < 3; ++p) {
        const std::ptrdiff_t cs = stride_[p];
        for (int b = 0; b < 4; ++b) {
            const int i = b % 2, j = b / 2;
            const bool up = j ? true : mbUp;
            const bool left = i ? true : mbLeft;
            const bool down = !i && !j;
            const bool right = j ? !i : (i ? mbUpRight : mbUp);
            const std::ptrdiff_t offset = (kBorder + mbY * 8 + j * 4) * cs + kBorder + mbX * 8 + i * 4;
            std::uint8_t* rec = recon_[p].data() + offset;
            Predict4x4(rec, cs, rec, cs, Adjust4x4(mb.modes[j * 8 + i * 2], up, left, down), right, up);
            CodeChromaBlock(p, mbX, mbY, b, mb);
        }
    }
}

void IntraEncoder::WriteModes(const Macroblock& mb, int mbX, int mbY, BitWriter& out) const {
    const ModeCodes& codes = IntraModeCodes();
    for (int r = 0; r < 4; ++r) {
        const std::int8_t* row = mb.modes + r * 4;
        if (r == 0 && mbY == 0) {
            int pattern = 0;
            for (int j = 0; j < 4; ++j) {
                if (row[j] != 0 && row[j] != 2)
                    throw std::logic_error("rv40: top row mode cannot be coded");
                pattern |= (row[j] == 2) << (3 - j);
            }
            Put(out, Checked(codes.top, static_cast<std::size_t>(pattern)));
            continue;
        }
        for (int j = 0; j < 4; ++j) {
            int top = -1, left = -1;
            const int context = ModeContext(mbX * 4 + j, mbY * 4 + r, top, left);
            const int m = row[j];
            if (j < 3 && context >= 0) {
                Put(out, Checked(codes.pair[context], static_cast<std::size_t>(m * 16 + row[j + 1])));
                ++j;
            } else if (top != -1 && left != -1) {
                Put(out, Checked(codes.single[top + left * 10], static_cast<std::size_t>(m)));
            } else if (left == -1 && top < 2) {
                if (m > 1)
                    throw std::logic_error("rv40: mode cannot be coded at the left edge");
                out.PutBit(m == 0);
            } else if (left == 0 || left == 2) {
                if (m != 0 && m != 2)
                    throw std::logic_error("rv40: mode cannot be coded without a top neighbour");
                out.PutBit(m == 0);
            } else if (m != 0) {
                throw std::logic_error("rv40: only DC can be coded here");
            }
        }
    }
}

void IntraEncoder::WriteMacroblock(const Macroblock& mb, int mbX, int mbY, BitWriter& out) const {
    const IntraVlcSet& set = *vlc_;
    if (mb.is16) {
        out.PutBit(1);
        out.Put(static_cast<std::uint32_t>(mb.mode16), 2);
    } else {
        out.PutBit(0);
        out.PutBit(1);  // no quantizer change
        WriteModes(mb, mbX, mbY, out);
    }
    WriteCodedPattern(out, set, mb.is16 ? 1 : 0, mb.cbp);
    if (mb.is16)
        WriteBlock(out, set, 3, 0, mb.dc);
    for (int b = 0; b < 16; ++b)
        if (mb.cbp & (1u << b))
            WriteBlock(out, set, mb.is16 ? 2 : 1, 0, mb.levels[b]);
    for (int b = 16; b < 24; ++b)
        if (mb.cbp & (1u << b))
            WriteBlock(out, set, 0, 1, mb.levels[b]);
}

std::vector<std::uint8_t> DemuxedPacket(std::span<const std::uint8_t> picture) {
    std::vector<std::uint8_t> packet(9 + picture.size());
    packet[1] = 1;  // one slice, at offset 0
    std::copy(picture.begin(), picture.end(), packet.begin() + 9);
    return packet;
}

}  // namespace encoder::rv40
