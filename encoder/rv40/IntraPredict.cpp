#include "encoder/rv40/IntraPredict.h"

#include <algorithm>
#include <cstring>

namespace encoder::rv40 {

namespace {

void Fill(std::uint8_t* out, std::ptrdiff_t outStride, int size, unsigned value) {
    for (int y = 0; y < size; ++y)
        std::memset(out + y * outStride, static_cast<int>(value), static_cast<std::size_t>(size));
}

std::uint8_t Clip(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

Pred4 Adjust4x4(int mode, bool up, bool left, bool down) {
    Pred4 type = kPred4OfMode[mode];
    if (!up && !left) {
        type = Pred4::Dc128;
    } else if (!up) {
        if (type == Pred4::Vertical)
            type = Pred4::Horizontal;
        if (type == Pred4::Dc)
            type = Pred4::LeftDc;
    } else if (!left) {
        if (type == Pred4::Horizontal)
            type = Pred4::Vertical;
        if (type == Pred4::Dc)
            type = Pred4::TopDc;
        if (type == Pred4::DownLeft)
            type = Pred4::DownLeftNoDown;
    }
    if (!down) {
        if (type == Pred4::DownLeft)
            type = Pred4::DownLeftNoDown;
        if (type == Pred4::HorizontalUp)
            type = Pred4::HorizontalUpNoDown;
        if (type == Pred4::VerticalLeft)
            type = Pred4::VerticalLeftNoDown;
    }
    return type;
}

void Predict4x4(std::uint8_t* out, std::ptrdiff_t os, const std::uint8_t* src, std::ptrdiff_t stride,
                Pred4 type, bool right, bool up) {
    const std::uint8_t* top = src - stride;
    std::uint8_t repeated[4];
    const std::uint8_t* tr = top + 4;
    if (!right && up) {
        std::memset(repeated, top[3], 4);
        tr = repeated;
    }
    auto L = [&](int i) -> unsigned { return src[-1 + i * stride]; };
    auto T = [&](int i) -> unsigned { return i < 4 ? top[i] : tr[i - 4]; };
    auto set = [&](int x, int y, unsigned v) { out[x + y * os] = static_cast<std::uint8_t>(v); };
    switch (type) {
        case Pred4::Vertical:
            for (int y = 0; y < 4; ++y)
                std::memcpy(out + y * os, top, 4);
            return;
        case Pred4::Horizontal:
            for (int y = 0; y < 4; ++y)
                std::memset(out + y * os, static_cast<int>(L(y)), 4);
            return;
        case Pred4::Dc:
            Fill(out, os, 4, (T(0) + T(1) + T(2) + T(3) + L(0) + L(1) + L(2) + L(3) + 4) >> 3);
            return;
        case Pred4::LeftDc:
            Fill(out, os, 4, (L(0) + L(1) + L(2) + L(3) + 2) >> 2);
            return;
        case Pred4::TopDc:
            Fill(out, os, 4, (T(0) + T(1) + T(2) + T(3) + 2) >> 2);
            return;
        case Pred4::Dc128:
            Fill(out, os, 4, 128);
            return;
        case Pred4::DownRight: {
            const unsigned lt = src[-1 - stride];
            const unsigned t0 = T(0), t1 = T(1), t2 = T(2), t3 = T(3);
            const unsigned l0 = L(0), l1 = L(1), l2 = L(2), l3 = L(3);
            set(0, 3, (l3 + 2 * l2 + l1 + 2) >> 2);
            set(0, 2, (l2 + 2 * l1 + l0 + 2) >> 2);
            set(1, 3, (l2 + 2 * l1 + l0 + 2) >> 2);
            for (int i = 0; i < 3; ++i)
                set(i, i + 1, (l1 + 2 * l0 + lt + 2) >> 2);
            for (int i = 0; i < 4; ++i)
                set(i, i, (l0 + 2 * lt + t0 + 2) >> 2);
            for (int i = 0; i < 3; ++i)
                set(i + 1, i, (lt + 2 * t0 + t1 + 2) >> 2);
            set(2, 0, (t0 + 2 * t1 + t2 + 2) >> 2);
            set(3, 1, (t0 + 2 * t1 + t2 + 2) >> 2);
            set(3, 0, (t1 + 2 * t2 + t3 + 2) >> 2);
            return;
        }
        case Pred4::VerticalRight: {
            const unsigned lt = src[-1 - stride];
            const unsigned t0 = T(0), t1 = T(1), t2 = T(2), t3 = T(3);
            const unsigned l0 = L(0), l1 = L(1), l2 = L(2);
            set(0, 0, (lt + t0 + 1) >> 1);
            set(1, 2, (lt + t0 + 1) >> 1);
            set(1, 0, (t0 + t1 + 1) >> 1);
            set(2, 2, (t0 + t1 + 1) >> 1);
            set(2, 0, (t1 + t2 + 1) >> 1);
            set(3, 2, (t1 + t2 + 1) >> 1);
            set(3, 0, (t2 + t3 + 1) >> 1);
            set(0, 1, (l0 + 2 * lt + t0 + 2) >> 2);
            set(1, 3, (l0 + 2 * lt + t0 + 2) >> 2);
            set(1, 1, (lt + 2 * t0 + t1 + 2) >> 2);
            set(2, 3, (lt + 2 * t0 + t1 + 2) >> 2);
            set(2, 1, (t0 + 2 * t1 + t2 + 2) >> 2);
            set(3, 3, (t0 + 2 * t1 + t2 + 2) >> 2);
            set(3, 1, (t1 + 2 * t2 + t3 + 2) >> 2);
            set(0, 2, (lt + 2 * l0 + l1 + 2) >> 2);
            set(0, 3, (l0 + 2 * l1 + l2 + 2) >> 2);
            return;
        }
        case Pred4::HorizontalDown: {
            const unsigned lt = src[-1 - stride];
            const unsigned t0 = T(0), t1 = T(1), t2 = T(2);
            const unsigned l0 = L(0), l1 = L(1), l2 = L(2), l3 = L(3);
            set(0, 0, (lt + l0 + 1) >> 1);
            set(2, 1, (lt + l0 + 1) >> 1);
            set(1, 0, (l0 + 2 * lt + t0 + 2) >> 2);
            set(3, 1, (l0 + 2 * lt + t0 + 2) >> 2);
            set(2, 0, (lt + 2 * t0 + t1 + 2) >> 2);
            set(3, 0, (t0 + 2 * t1 + t2 + 2) >> 2);
            set(0, 1, (l0 + l1 + 1) >> 1);
            set(2, 2, (l0 + l1 + 1) >> 1);
            set(1, 1, (lt + 2 * l0 + l1 + 2) >> 2);
            set(3, 2, (lt + 2 * l0 + l1 + 2) >> 2);
            set(0, 2, (l1 + l2 + 1) >> 1);
            set(2, 3, (l1 + l2 + 1) >> 1);
            set(1, 2, (l0 + 2 * l1 + l2 + 2) >> 2);
            set(3, 3, (l0 + 2 * l1 + l2 + 2) >> 2);
            set(0, 3, (l2 + l3 + 1) >> 1);
            set(1, 3, (l1 + 2 * l2 + l3 + 2) >> 2);
            return;
        }
        case Pred4::DownLeft:
        case Pred4::DownLeftNoDown: {
            unsigned t[8], l[8];
            for (int i = 0; i < 8; ++i)
                t[i] = T(i);
            for (int i = 0; i < 4; ++i)
                l[i] = L(i);
            unsigned v[7];
            if (type == Pred4::DownLeft) {
                for (int i = 4; i < 8; ++i)
                    l[i] = L(i);
                for (int k = 0; k < 6; ++k)
                    v[k] = (t[k] + t[k + 2] + 2 * t[k + 1] + 2 + l[k] + l[k + 2] + 2 * l[k + 1] + 2) >> 3;
                v[6] = (t[6] + t[7] + 1 + l[6] + l[7] + 1) >> 2;
            } else {
                v[0] = (t[0] + t[2] + 2 * t[1] + 2 + l[0] + l[2] + 2 * l[1] + 2) >> 3;
                v[1] = (t[1] + t[3] + 2 * t[2] + 2 + l[1] + l[3] + 2 * l[2] + 2) >> 3;
                v[2] = (t[2] + t[4] + 2 * t[3] + 2 + l[2] + 3 * l[3] + 2) >> 3;
                for (int k = 3; k < 6; ++k)
                    v[k] = (t[k] + t[k + 2] + 2 * t[k + 1] + 2 + l[3] * 4 + 2) >> 3;
                v[6] = (t[6] + t[7] + 1 + 2 * l[3] + 1) >> 2;
            }
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    set(x, y, v[x + y]);
            return;
        }
        case Pred4::VerticalLeft:
        case Pred4::VerticalLeftNoDown: {
            const unsigned t0 = T(0), t1 = T(1), t2 = T(2), t3 = T(3), t4 = T(4), t5 = T(5), t6 = T(6);
            const unsigned l1 = L(1), l2 = L(2), l3 = L(3);
            const unsigned l4 = type == Pred4::VerticalLeft ? L(4) : l3;
            set(0, 0, (2 * t0 + 2 * t1 + l1 + 2 * l2 + l3 + 4) >> 3);
            set(1, 0, (t1 + t2 + 1) >> 1);
            set(0, 2, (t1 + t2 + 1) >> 1);
            set(2, 0, (t2 + t3 + 1) >> 1);
            set(1, 2, (t2 + t3 + 1) >> 1);
            set(3, 0, (t3 + t4 + 1) >> 1);
            set(2, 2, (t3 + t4 + 1) >> 1);
            set(3, 2, (t4 + t5 + 1) >> 1);
            set(0, 1, (t0 + 2 * t1 + t2 + l2 + 2 * l3 + l4 + 4) >> 3);
            set(1, 1, (t1 + 2 * t2 + t3 + 2) >> 2);
            set(0, 3, (t1 + 2 * t2 + t3 + 2) >> 2);
            set(2, 1, (t2 + 2 * t3 + t4 + 2) >> 2);
            set(1, 3, (t2 + 2 * t3 + t4 + 2) >> 2);
            set(3, 1, (t3 + 2 * t4 + t5 + 2) >> 2);
            set(2, 3, (t3 + 2 * t4 + t5 + 2) >> 2);
            set(3, 3, (t4 + 2 * t5 + t6 + 2) >> 2);
            return;
        }
        case Pred4::HorizontalUp:
        case Pred4::HorizontalUpNoDown: {
            const unsigned t1 = T(1), t2 = T(2), t3 = T(3), t4 = T(4), t5 = T(5), t6 = T(6), t7 = T(7);
            const unsigned l0 = L(0), l1 = L(1), l2 = L(2), l3 = L(3);
            set(0, 0, (t1 + 2 * t2 + t3 + 2 * l0 + 2 * l1 + 4) >> 3);
            set(1, 0, (t2 + 2 * t3 + t4 + l0 + 2 * l1 + l2 + 4) >> 3);
            set(2, 0, (t3 + 2 * t4 + t5 + 2 * l1 + 2 * l2 + 4) >> 3);
            set(0, 1, (t3 + 2 * t4 + t5 + 2 * l1 + 2 * l2 + 4) >> 3);
            set(3, 0, (t4 + 2 * t5 + t6 + l1 + 2 * l2 + l3 + 4) >> 3);
            set(1, 1, (t4 + 2 * t5 + t6 + l1 + 2 * l2 + l3 + 4) >> 3);
            set(2, 1, (t5 + 2 * t6 + t7 + 2 * l2 + 2 * l3 + 4) >> 3);
            set(0, 2, (t5 + 2 * t6 + t7 + 2 * l2 + 2 * l3 + 4) >> 3);
            set(3, 1, (t6 + 3 * t7 + l2 + 3 * l3 + 4) >> 3);
            set(1, 2, (t6 + 3 * t7 + l2 + 3 * l3 + 4) >> 3);
            if (type == Pred4::HorizontalUp) {
                const unsigned l4 = L(4), l5 = L(5), l6 = L(6);
                set(3, 2, (l3 + 2 * l4 + l5 + 2) >> 2);
                set(1, 3, (l3 + 2 * l4 + l5 + 2) >> 2);
                set(0, 3, (t6 + t7 + l3 + l4 + 2) >> 2);
                set(2, 2, (t6 + t7 + l3 + l4 + 2) >> 2);
                set(2, 3, (l4 + l5 + 1) >> 1);
                set(3, 3, (l4 + 2 * l5 + l6 + 2) >> 2);
            } else {
                set(3, 2, l3);
                set(1, 3, l3);
                set(0, 3, (t6 + t7 + 2 * l3 + 2) >> 2);
                set(2, 2, (t6 + t7 + 2 * l3 + 2) >> 2);
                set(2, 3, l3);
                set(3, 3, l3);
            }
            return;
        }
    }
}

Pred16 Adjust16(Pred16 type, bool up, bool left) {
    if (!up && !left)
        return Pred16::Dc128;
    if (!up) {
        if (type == Pred16::Plane || type == Pred16::Vertical)
            return Pred16::Horizontal;
        if (type == Pred16::Dc)
            return Pred16::LeftDc;
    } else if (!left) {
        if (type == Pred16::Plane || type == Pred16::Horizontal)
            return Pred16::Vertical;
        if (type == Pred16::Dc)
            return Pred16::TopDc;
    }
    return type;
}

namespace {

// The square predictors the 16x16 luma and 8x8 chroma blocks share; plane only comes at 16x16.
void PredictSquare(std::uint8_t* out, std::ptrdiff_t os, const std::uint8_t* src, std::ptrdiff_t stride,
                   Pred16 type, int size) {
    const std::uint8_t* top = src - stride;
    auto L = [&](int i) -> int { return src[-1 + i * stride]; };
    const int shift = size == 16 ? 4 : 3;
    int dc = 0;
    switch (type) {
        case Pred16::Vertical:
            for (int y = 0; y < size; ++y)
                std::memcpy(out + y * os, top, static_cast<std::size_t>(size));
            return;
        case Pred16::Horizontal:
            for (int y = 0; y < size; ++y)
                std::memset(out + y * os, L(y), static_cast<std::size_t>(size));
            return;
        case Pred16::Dc:
            for (int i = 0; i < size; ++i)
                dc += L(i) + top[i];
            Fill(out, os, size, static_cast<unsigned>((dc + size) >> (shift + 1)));
            return;
        case Pred16::LeftDc:
            for (int i = 0; i < size; ++i)
                dc += L(i);
            Fill(out, os, size, static_cast<unsigned>((dc + size / 2) >> shift));
            return;
        case Pred16::TopDc:
            for (int i = 0; i < size; ++i)
                dc += top[i];
            Fill(out, os, size, static_cast<unsigned>((dc + size / 2) >> shift));
            return;
        case Pred16::Dc128:
            Fill(out, os, size, 128);
            return;
        case Pred16::Plane: {
            // Top row from x = -1 and left column from y = -1; the format scales H and V by 5/64 with its
            // own rounding.
            int h = top[8] - top[6];
            int v = L(8) - L(6);
            for (int k = 2; k <= 8; ++k) {
                h += k * (top[7 + k] - top[7 - k]);
                v += k * (L(7 + k) - L(7 - k));
            }
            h = (h + (h >> 2)) >> 4;
            v = (v + (v >> 2)) >> 4;
            int a = 16 * (L(15) + top[15] + 1) - 7 * (v + h);
            for (int y = 0; y < 16; ++y) {
                int b = a;
                a += v;
                for (int x = 0; x < 16; ++x) {
                    out[x + y * os] = Clip(b >> 5);
                    b += h;
                }
            }
            return;
        }
    }
}

}  // namespace

void Predict16x16(std::uint8_t* out, std::ptrdiff_t os, const std::uint8_t* src, std::ptrdiff_t stride,
                  Pred16 type) {
    PredictSquare(out, os, src, stride, type, 16);
}

void Predict8x8(std::uint8_t* out, std::ptrdiff_t os, const std::uint8_t* src, std::ptrdiff_t stride,
                Pred16 type) {
    // One DC over all sixteen neighbours of the whole 8x8 block; plane stands for DC.
    PredictSquare(out, os, src, stride, type == Pred16::Plane ? Pred16::Dc : type, 8);
}

}  // namespace encoder::rv40
