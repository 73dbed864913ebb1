#include "encoder/rv40/LoopFilter.h"

#include <algorithm>
#include <cstdlib>

#include "encoder/rv40/Rv40Tables.h"

namespace encoder::rv40 {

namespace {

std::uint8_t Clip(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

int ClipSymmetric(int v, int limit) {
    return std::clamp(v, -limit, limit);
}

// `step` crosses the edge, `stride` runs along it; four samples along the edge.
void WeakFilter(std::uint8_t* src, std::ptrdiff_t step, std::ptrdiff_t stride, bool filterP1, bool filterQ1,
                int alpha, int beta, int limP0Q0, int limQ1, int limP1) {
    for (int i = 0; i < 4; ++i, src += stride) {
        const int diffP1P0 = src[-2 * step] - src[-1 * step];
        const int diffQ1Q0 = src[1 * step] - src[0 * step];
        const int diffP1P2 = src[-2 * step] - src[-3 * step];
        const int diffQ1Q2 = src[1 * step] - src[2 * step];
        int t = src[0] - src[-1 * step];
        if (!t)
            continue;
        const int u = (alpha * std::abs(t)) >> 7;
        if (u > 3 - (filterP1 && filterQ1))
            continue;
        t *= 4;
        if (filterP1 && filterQ1)
            t += src[-2 * step] - src[1 * step];
        const int diff = ClipSymmetric((t + 4) >> 3, limP0Q0);
        src[-1 * step] = Clip(src[-1 * step] + diff);
        src[0] = Clip(src[0] - diff);
        if (filterP1 && std::abs(diffP1P2) <= beta) {
            t = (diffP1P0 + diffP1P2 - diff) >> 1;
            src[-2 * step] = Clip(src[-2 * step] - ClipSymmetric(t, limP1));
        }
        if (filterQ1 && std::abs(diffQ1Q2) <= beta) {
            t = (diffQ1Q0 + diffQ1Q2 + diff) >> 1;
            src[1 * step] = Clip(src[1 * step] - ClipSymmetric(t, limQ1));
        }
    }
}

void StrongFilter(std::uint8_t* src, std::ptrdiff_t step, std::ptrdiff_t stride, int alpha, int lims,
                  int dmode, bool chroma) {
    const std::uint8_t* dl = data::kDitherLeft;
    const std::uint8_t* dr = data::kDitherRight;
    for (int i = 0; i < 4; ++i, src += stride) {
        const int t = src[0] - src[-1 * step];
        if (!t)
            continue;
        const int sflag = (alpha * std::abs(t)) >> 7;
        if (sflag > 1)
            continue;
        int p0 = (25 * src[-3 * step] + 26 * src[-2 * step] + 26 * src[-1 * step] + 26 * src[0] +
                  25 * src[1 * step] + dl[dmode + i]) >>
                 7;
        int q0 = (25 * src[-2 * step] + 26 * src[-1 * step] + 26 * src[0] + 26 * src[1 * step] +
                  25 * src[2 * step] + dr[dmode + i]) >>
                 7;
        if (sflag) {
            p0 = std::clamp(p0, src[-1 * step] - lims, src[-1 * step] + lims);
            q0 = std::clamp(q0, src[0] - lims, src[0] + lims);
        }
        int p1 = (25 * src[-4 * step] + 26 * src[-3 * step] + 26 * src[-2 * step] + 26 * p0 + 25 * src[0] +
                  dl[dmode + i]) >>
                 7;
        int q1 = (25 * src[-1 * step] + 26 * q0 + 26 * src[1 * step] + 26 * src[2 * step] +
                  25 * src[3 * step] + dr[dmode + i]) >>
                 7;
        if (sflag) {
            p1 = std::clamp(p1, src[-2 * step] - lims, src[-2 * step] + lims);
            q1 = std::clamp(q1, src[1 * step] - lims, src[1 * step] + lims);
        }
        src[-2 * step] = static_cast<std::uint8_t>(p1);
        src[-1 * step] = static_cast<std::uint8_t>(p0);
        src[0] = static_cast<std::uint8_t>(q0);
        src[1 * step] = static_cast<std::uint8_t>(q1);
        if (!chroma) {
            src[-3 * step] = static_cast<std::uint8_t>((25 * src[-1 * step] + 26 * src[-2 * step] +
                                                        51 * src[-3 * step] + 26 * src[-4 * step] + 64) >>
                                                       7);
            src[2 * step] = static_cast<std::uint8_t>(
                (25 * src[0] + 26 * src[1 * step] + 51 * src[2 * step] + 26 * src[3 * step] + 64) >> 7);
        }
    }
}

// Returns whether the edge takes the strong filter; tells which sides may change their second sample.
bool Strength(const std::uint8_t* src, std::ptrdiff_t step, std::ptrdiff_t stride, int beta, int beta2,
              bool edge, bool& p1, bool& q1) {
    int sumP1P0 = 0, sumQ1Q0 = 0, sumP1P2 = 0, sumQ1Q2 = 0;
    const std::uint8_t* ptr = src;
    for (int i = 0; i < 4; ++i, ptr += stride) {
        sumP1P0 += ptr[-2 * step] - ptr[-1 * step];
        sumQ1Q0 += ptr[1 * step] - ptr[0];
    }
    p1 = std::abs(sumP1P0) < (beta << 2);
    q1 = std::abs(sumQ1Q0) < (beta << 2);
    if (!p1 && !q1)
        return false;
    if (!edge)
        return false;
    ptr = src;
    for (int i = 0; i < 4; ++i, ptr += stride) {
        sumP1P2 += ptr[-2 * step] - ptr[-3 * step];
        sumQ1Q2 += ptr[1 * step] - ptr[2 * step];
    }
    return p1 && std::abs(sumP1P2) < beta2 && q1 && std::abs(sumQ1Q2) < beta2;
}

// dir 0 filters a horizontal edge (across rows), 1 a vertical one.
void AdaptiveFilter(std::uint8_t* src, std::ptrdiff_t stride, int dmode, int limQ1, int limP1, int alpha,
                    int beta, int beta2, bool chroma, bool edge, int dir) {
    const std::ptrdiff_t step = dir ? 1 : stride;
    const std::ptrdiff_t along = dir ? stride : 1;
    bool filterP1 = false, filterQ1 = false;
    const bool strong = Strength(src, step, along, beta, beta2, edge, filterP1, filterQ1);
    const int lims = filterP1 + filterQ1 + ((limQ1 + limP1) >> 1) + 1;
    if (strong) {
        StrongFilter(src, step, along, alpha, lims, dmode, chroma);
    } else if (filterP1 && filterQ1) {
        WeakFilter(src, step, along, true, true, alpha, beta, lims, limQ1, limP1);
    } else if (filterP1 || filterQ1) {
        WeakFilter(src, step, along, filterP1, filterQ1, alpha, beta, lims >> 1, limQ1 >> 1, limP1 >> 1);
    }
}

enum { kCur, kTop, kLeft, kBottom };
constexpr unsigned kMaskCur = 0x0001, kMaskRight = 0x0008, kMaskBottom = 0x0010, kMaskTop = 0x1000;
constexpr unsigned kYTopRow = 0x000F, kYLastRow = 0xF000, kYLeftCol = 0x1111, kYRightCol = 0x8888;
constexpr unsigned kCTopRow = 0x0003, kCLastRow = 0x000C, kCLeftCol = 0x0005, kCRightCol = 0x000A;

}  // namespace

void FilterRow(const FilterPlanes& pic, const std::vector<FilterMacroblock>& mbs, int row) {
    static constexpr int kOffX[4] = {0, 0, -1, 0};
    static constexpr int kOffY[4] = {0, -1, 0, 1};
    for (int mbX = 0; mbX < pic.mbWidth; ++mbX) {
        const int pos = mbX + row * pic.mbWidth;
        const int q = mbs[static_cast<std::size_t>(pos)].quantizer;
        const int alpha = data::kFilterAlpha[q];
        const int beta = data::kFilterBeta[q];
        int betaY = beta * 3;
        const int betaC = beta * 3;
        if (pic.width * pic.height <= 176 * 144)
            betaY += beta;
        const bool avail[4] = {true, row > 0, mbX > 0, row < pic.mbHeight - 1};
        unsigned mvmasks[4], cbp[4], uvcbp[4][2];
        bool strong[4];
        int clip[4];
        for (int i = 0; i < 4; ++i) {
            if (avail[i]) {
                const FilterMacroblock& n =
                    mbs[static_cast<std::size_t>(pos + kOffX[i] + kOffY[i] * pic.mbWidth)];
                mvmasks[i] = n.edgeMask;
                strong[i] = n.strong;
                cbp[i] = n.lumaCoded;
                uvcbp[i][0] = n.chromaCoded & 0xF;
                uvcbp[i][1] = n.chromaCoded >> 4;
            } else {
                mvmasks[i] = 0;
                strong[i] = mbs[static_cast<std::size_t>(pos)].strong;
                cbp[i] = 0;
                uvcbp[i][0] = uvcbp[i][1] = 0;
            }
            clip[i] = data::kFilterClip[strong[i] + 1][q];
        }
        const unsigned yToDeblock = mvmasks[kCur] | (mvmasks[kBottom] << 16);
        unsigned yH = yToDeblock | ((cbp[kCur] << 4) & ~kYTopRow) | ((cbp[kTop] & kYLastRow) >> 12);
        unsigned yV = yToDeblock | ((cbp[kCur] << 1) & ~kYLeftCol) | ((cbp[kLeft] & kYRightCol) >> 3);
        if (!mbX)
            yV &= ~kYLeftCol;
        if (!row)
            yH &= ~kYTopRow;
        if (row == pic.mbHeight - 1 || strong[kCur] || strong[kBottom])
            yH &= ~(kYTopRow << 16);
        unsigned cToDeblock[2], cV[2], cH[2];
        for (int i = 0; i < 2; ++i) {
            cToDeblock[i] = (uvcbp[kBottom][i] << 4) | uvcbp[kCur][i];
            cV[i] =
                cToDeblock[i] | ((uvcbp[kCur][i] << 1) & ~kCLeftCol) | ((uvcbp[kLeft][i] & kCRightCol) >> 1);
            cH[i] = cToDeblock[i] | ((uvcbp[kTop][i] & kCLastRow) >> 2) | (uvcbp[kCur][i] << 2);
            if (!mbX)
                cV[i] &= ~kCLeftCol;
            if (!row)
                cH[i] &= ~kCTopRow;
            if (row == pic.mbHeight - 1 || strong[kCur] || strong[kBottom])
                cH[i] &= ~(kCTopRow << 4);
        }
        const bool edgeStrongLeft = strong[kCur] || strong[kLeft];
        const bool edgeStrongTop = strong[kCur] || strong[kTop];
        const std::ptrdiff_t ys = pic.stride[0];
        for (int j = 0; j < 16; j += 4) {
            std::uint8_t* y = pic.plane[0] + mbX * 16 + (row * 16 + j) * ys;
            for (int i = 0; i < 4; ++i, y += 4) {
                const int ij = i + j;
                const int clipCur = yToDeblock & (kMaskCur << ij) ? clip[kCur] : 0;
                const int dither = j ? ij : i * 4;
                if (yH & (kMaskBottom << ij))
                    AdaptiveFilter(y + 4 * ys, ys, dither, yToDeblock & (kMaskBottom << ij) ? clip[kCur] : 0,
                                   clipCur, alpha, beta, betaY, false, false, 0);
                if (yV & (kMaskCur << ij) && (i || !edgeStrongLeft)) {
                    const int clipLeft = !i ? (mvmasks[kLeft] & (kMaskRight << j) ? clip[kLeft] : 0)
                                            : (yToDeblock & (kMaskCur << (ij - 1)) ? clip[kCur] : 0);
                    AdaptiveFilter(y, ys, dither, clipCur, clipLeft, alpha, beta, betaY, false, false, 1);
                }
                if (!j && yH & (kMaskCur << i) && edgeStrongTop)
                    AdaptiveFilter(y, ys, dither, clipCur, mvmasks[kTop] & (kMaskTop << i) ? clip[kTop] : 0,
                                   alpha, beta, betaY, false, true, 0);
                if (yV & (kMaskCur << ij) && !i && edgeStrongLeft)
                    AdaptiveFilter(y, ys, dither, clipCur,
                                   mvmasks[kLeft] & (kMaskRight << j) ? clip[kLeft] : 0, alpha, beta, betaY,
                                   false, true, 1);
            }
        }
        for (int k = 0; k < 2; ++k) {
            const std::ptrdiff_t cs = pic.stride[k + 1];
            for (int j = 0; j < 2; ++j) {
                std::uint8_t* c = pic.plane[k + 1] + mbX * 8 + (row * 8 + j * 4) * cs;
                for (int i = 0; i < 2; ++i, c += 4) {
                    const int ij = i + j * 2;
                    const int clipCur = cToDeblock[k] & (kMaskCur << ij) ? clip[kCur] : 0;
                    if (cH[k] & (kMaskCur << (ij + 2))) {
                        const int clipBottom = cToDeblock[k] & (kMaskCur << (ij + 2)) ? clip[kCur] : 0;
                        AdaptiveFilter(c + 4 * cs, cs, i * 8, clipBottom, clipCur, alpha, beta, betaC, true,
                                       false, 0);
                    }
                    if ((cV[k] & (kMaskCur << ij)) && (i || !edgeStrongLeft)) {
                        const int clipLeft =
                            !i ? (uvcbp[kLeft][k] & (kMaskCur << (2 * j + 1)) ? clip[kLeft] : 0)
                               : (cToDeblock[k] & (kMaskCur << (ij - 1)) ? clip[kCur] : 0);
                        AdaptiveFilter(c, cs, j * 8, clipCur, clipLeft, alpha, beta, betaC, true, false, 1);
                    }
                    if (!j && cH[k] & (kMaskCur << ij) && edgeStrongTop) {
                        const int clipTop = uvcbp[kTop][k] & (kMaskCur << (ij + 2)) ? clip[kTop] : 0;
                        AdaptiveFilter(c, cs, i * 8, clipCur, clipTop, alpha, beta, betaC, true, true, 0);
                    }
                    if (cV[k] & (kMaskCur << ij) && !i && edgeStrongLeft) {
                        const int clipLeft = uvcbp[kLeft][k] & (kMaskCur << (2 * j + 1)) ? clip[kLeft] : 0;
                        AdaptiveFilter(c, cs, j * 8, clipCur, clipLeft, alpha, beta, betaC, true, true, 1);
                    }
                }
            }
        }
    }
}

void FilterPicture(const FilterPlanes& picture, const std::vector<FilterMacroblock>& macroblocks) {
    for (int row = 0; row < picture.mbHeight; ++row)
        FilterRow(picture, macroblocks, row);
}

}  // namespace encoder::rv40
