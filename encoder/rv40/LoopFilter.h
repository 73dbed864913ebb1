#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The decoder's deblocking filter, run over a decoded picture the way the decoder runs it: one
// macroblock row at a time, top to bottom, each row once the row below it is decoded. Intra prediction
// reads the picture before any filtering (the rows it reads are still unfiltered when the decoder
// predicts), so the encoder filters its reconstruction only once the whole picture is made.
namespace encoder::rv40 {

struct FilterMacroblock {
    bool strong = true;                // intra, or its DCs coded apart: edges filtered in strong mode
    std::uint16_t edgeMask = 0xFFFF;   // 4x4 blocks whose edges are filtered beyond the coded ones
    std::uint16_t lumaCoded = 0xFFFF;  // coded 4x4 luma blocks
    std::uint8_t chromaCoded = 0xFF;   // coded 4x4 chroma blocks, U in the low four bits
    int quantizer = 0;
};

struct FilterPlanes {
    std::uint8_t* plane[3];
    std::ptrdiff_t stride[3];
    int mbWidth = 0;
    int mbHeight = 0;
    int width = 0;  // the picture's own size (the decoder filters small pictures harder)
    int height = 0;
};

void FilterRow(const FilterPlanes& picture, const std::vector<FilterMacroblock>& macroblocks, int row);
void FilterPicture(const FilterPlanes& picture, const std::vector<FilterMacroblock>& macroblocks);

}  // namespace encoder::rv40
