#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "encoder/rv40/LoopFilter.h"
#include "encoder/rv40/Vlc.h"

struct AVFrame;

namespace encoder::rv40 {

// Three 4:2:0 planes of a picture.
struct PictureView {
    const std::uint8_t* plane[3] = {};
    std::ptrdiff_t stride[3] = {};
};

// Encodes pictures of one size as RealVideo 4 intra pictures (one slice each) at a quantizer the caller
// gives, and keeps the picture the decoder makes of them.
class IntraEncoder {
  public:
    // Width and height must be multiples of 4 (the picture header carries them in steps of 4) and at
    // most 4096; throws std::invalid_argument otherwise.
    IntraEncoder(int width, int height);

    // The bytes of one picture as the decoder reads them (what a RealMedia packet carries);
    // `quantizer` 0 (finest) to 31, `timestampMs` travels in the header (13 bits of it).
    std::vector<std::uint8_t> Encode(const PictureView& picture, int quantizer, std::int64_t timestampMs = 0);
    // The same from a YUV 4:2:0 frame of the encoder's size; throws std::invalid_argument otherwise.
    std::vector<std::uint8_t> Encode(const AVFrame* frame, int quantizer, std::int64_t timestampMs = 0);

    // The picture the decoder outputs for the last Encode, deblocked as the decoder does it.
    PictureView Reconstruction() const;
    // How often the last Encode chose each coded mode: 16x16 macroblocks, and 4x4 blocks.
    struct ModeCounts {
        int intra16[4] = {};
        int intra4[9] = {};
    };
    const ModeCounts& LastModes() const { return modeCounts_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    // What the encoder chose for one macroblock.
    struct Macroblock {
        bool is16 = false;
        int mode16 = 0;
        std::int8_t modes[16] = {};
        std::uint32_t cbp = 0;  // luma 4x4 blocks in raster order, then U and V
        int dc[16] = {};        // levels of the 16x16 macroblock's DC block
        int levels[24][16] = {};
    };
    void LoadSource(const PictureView& picture);
    void WriteHeader(BitWriter& out, int vlcShift, std::int64_t timestampMs) const;
    void EncodeMacroblock(int mbX, int mbY, Macroblock& chosen);
    void TryIntra16(int mbX, int mbY, Macroblock& mb);
    void TryIntra4(int mbX, int mbY, Macroblock& mb);
    void CodeChroma4x4(int mbX, int mbY, Macroblock& mb);
    void CodeChromaBlock(int plane, int mbX, int mbY, int block, Macroblock& mb);
    std::int64_t Distortion(int mbX, int mbY) const;
    void WriteMacroblock(const Macroblock& mb, int mbX, int mbY, BitWriter& out) const;
    void WriteModes(const Macroblock& mb, int mbX, int mbY, BitWriter& out) const;
    int ModeContext(int bx, int by, int& top, int& left) const;

    int width_;
    int height_;
    int mbWidth_;
    int mbHeight_;
    int quantizer_ = 0;
    double lambda_ = 0;     // for sum of squared errors against bits
    double lambdaSad_ = 0;  // for transformed differences against bits
    const IntraVlcSet* vlc_ = nullptr;
    // Source and reconstruction planes, sized to whole macroblocks, with a border of kBorder samples.
    std::vector<std::uint8_t> source_[3];
    std::vector<std::uint8_t> recon_[3];
    std::ptrdiff_t stride_[3] = {};
    std::vector<std::int8_t> modes_;  // 4x4 mode of every luma block, -1 not yet coded
    std::vector<Macroblock> chosen_;
    std::vector<FilterMacroblock> filter_;
    ModeCounts modeCounts_;
};

// A picture of one slice as the RealMedia demuxer hands it to the decoder: the slice count less one,
// then (1, offset) as two little-endian 32-bit words per slice, then the slice data.
std::vector<std::uint8_t> DemuxedPacket(std::span<const std::uint8_t> picture);

}  // namespace encoder::rv40
