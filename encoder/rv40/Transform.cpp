#include "encoder/rv40/Transform.h"

#include <algorithm>
#include <cstdlib>

namespace encoder::rv40 {

namespace {

std::uint8_t ClipPixel(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

// The decoder's first (row) pass, shared by every inverse transform.
void RowPass(int temp[16], const std::int16_t* block) {
    for (int i = 0; i < 4; ++i) {
        const int z0 = 13 * (block[i + 4 * 0] + block[i + 4 * 2]);
        const int z1 = 13 * (block[i + 4 * 0] - block[i + 4 * 2]);
        const int z2 = 7 * block[i + 4 * 1] - 17 * block[i + 4 * 3];
        const int z3 = 17 * block[i + 4 * 1] + 7 * block[i + 4 * 3];
        temp[4 * i + 0] = z0 + z3;
        temp[4 * i + 1] = z1 + z2;
        temp[4 * i + 2] = z1 - z2;
        temp[4 * i + 3] = z0 - z3;
    }
}

}  // namespace

void ForwardTransform(const int r[16], int c[16]) {
    int t[16];
    for (int y = 0; y < 4; ++y) {
        const int* s = r + 4 * y;
        t[4 * y + 0] = 13 * (s[0] + s[1] + s[2] + s[3]);
        t[4 * y + 1] = 17 * (s[0] - s[3]) + 7 * (s[1] - s[2]);
        t[4 * y + 2] = 13 * (s[0] - s[1] - s[2] + s[3]);
        t[4 * y + 3] = 7 * (s[0] - s[3]) - 17 * (s[1] - s[2]);
    }
    for (int x = 0; x < 4; ++x) {
        const int s0 = t[x], s1 = t[4 + x], s2 = t[8 + x], s3 = t[12 + x];
        c[x + 0] = 13 * (s0 + s1 + s2 + s3);
        c[x + 4] = 17 * (s0 - s3) + 7 * (s1 - s2);
        c[x + 8] = 13 * (s0 - s1 - s2 + s3);
        c[x + 12] = 7 * (s0 - s3) - 17 * (s1 - s2);
    }
}

int Quantize(std::int64_t coefficient, int scale, int bias) {
    // coefficient * 1024 / 676^2 is the value the decoder should see; a level stands for scale / 16.
    const std::int64_t magnitude = std::llabs(coefficient);
    const std::int64_t level =
        (magnitude * 16 * 1024 * (std::int64_t{1} << 24) / (std::int64_t{456976} * scale) + bias) >> 24;
    const int limit = std::min(kMaxLevel, (32767 * 16 - 8) / scale);
    const int clipped = static_cast<int>(std::min<std::int64_t>(level, limit));
    return coefficient < 0 ? -clipped : clipped;
}

void InverseTransformAdd(std::uint8_t* dst, std::ptrdiff_t stride, std::int16_t block[16]) {
    int temp[16];
    RowPass(temp, block);
    std::fill(block, block + 16, 0);
    for (int i = 0; i < 4; ++i) {
        const int z0 = 13 * (temp[4 * 0 + i] + temp[4 * 2 + i]) + 0x200;
        const int z1 = 13 * (temp[4 * 0 + i] - temp[4 * 2 + i]) + 0x200;
        const int z2 = 7 * temp[4 * 1 + i] - 17 * temp[4 * 3 + i];
        const int z3 = 17 * temp[4 * 1 + i] + 7 * temp[4 * 3 + i];
        dst[0] = ClipPixel(dst[0] + ((z0 + z3) >> 10));
        dst[1] = ClipPixel(dst[1] + ((z1 + z2) >> 10));
        dst[2] = ClipPixel(dst[2] + ((z1 - z2) >> 10));
        dst[3] = ClipPixel(dst[3] + ((z0 - z3) >> 10));
        dst += stride;
    }
}

void InverseDcAdd(std::uint8_t* dst, std::ptrdiff_t stride, int dc) {
    dc = (13 * 13 * dc + 0x200) >> 10;
    for (int y = 0; y < 4; ++y, dst += stride)
        for (int x = 0; x < 4; ++x)
            dst[x] = ClipPixel(dst[x] + dc);
}

void InverseDcBlock(std::int16_t block[16]) {
    int temp[16];
    RowPass(temp, block);
    for (int i = 0; i < 4; ++i) {
        const int z0 = 39 * (temp[4 * 0 + i] + temp[4 * 2 + i]);
        const int z1 = 39 * (temp[4 * 0 + i] - temp[4 * 2 + i]);
        const int z2 = 21 * temp[4 * 1 + i] - 51 * temp[4 * 3 + i];
        const int z3 = 51 * temp[4 * 1 + i] + 21 * temp[4 * 3 + i];
        block[i * 4 + 0] = static_cast<std::int16_t>((z0 + z3) >> 11);
        block[i * 4 + 1] = static_cast<std::int16_t>((z1 + z2) >> 11);
        block[i * 4 + 2] = static_cast<std::int16_t>((z1 - z2) >> 11);
        block[i * 4 + 3] = static_cast<std::int16_t>((z0 - z3) >> 11);
    }
}

void InverseDcBlockDcOnly(std::int16_t block[16]) {
    const std::int16_t dc = static_cast<std::int16_t>((13 * 13 * 3 * block[0]) >> 11);
    std::fill(block, block + 16, dc);
}

}  // namespace encoder::rv40
