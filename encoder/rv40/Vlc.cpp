#include "encoder/rv40/Vlc.h"

#include <cstring>
#include <stdexcept>

#include "encoder/rv40/Rv40Tables.h"

namespace encoder::rv40 {

std::vector<std::uint8_t> BitWriter::Bytes() const {
    std::vector<std::uint8_t> bytes = bytes_;
    if (cached_)
        bytes.push_back(static_cast<std::uint8_t>(cache_ << (8 - cached_)));
    return bytes;
}

std::vector<Code> CanonicalCodes(const char* lengths) {
    const std::size_t n = std::strlen(lengths);
    int counts[17] = {};
    for (std::size_t i = 0; i < n; ++i)
        ++counts[lengths[i] - 'a'];
    counts[0] = 0;
    std::uint32_t next[17] = {};
    for (int len = 0; len < 16; ++len)
        next[len + 1] = (next[len] + static_cast<std::uint32_t>(counts[len])) << 1;
    std::vector<Code> codes(n);
    for (std::size_t i = 0; i < n; ++i) {
        const int len = lengths[i] - 'a';
        if (len == 0)
            continue;
        codes[i] = {next[len]++, static_cast<std::uint8_t>(len)};
    }
    return codes;
}

std::vector<Code> ListedCodes(const std::uint8_t* symbols, const std::uint8_t* lengths, std::size_t count,
                              std::size_t stride, std::size_t symbolCount) {
    std::vector<Code> codes(symbolCount);
    std::uint64_t code = 0;  // left-aligned in 32 bits
    for (std::size_t i = 0; i < count; ++i) {
        const int len = lengths[i * stride];
        const std::size_t symbol = symbols[i * stride];
        if (len == 0)
            continue;
        if (symbol >= symbolCount)
            throw std::logic_error("rv40: mode code symbol out of range");
        codes[symbol] = {static_cast<std::uint32_t>(code >> (32 - len)), static_cast<std::uint8_t>(len)};
        code += std::uint64_t{1} << (32 - len);
    }
    return codes;
}

namespace {

std::array<IntraVlcSet, 5> BuildIntraSets() {
    std::array<IntraVlcSet, 5> sets;
    for (int s = 0; s < 5; ++s) {
        IntraVlcSet& set = sets[s];
        for (int t = 0; t < 2; ++t) {
            set.cbpPattern[t] = CanonicalCodes(data::kIntraCbpPattern[s][t]);
            set.secondPattern[t] = CanonicalCodes(data::kIntraSecondPattern[s][t]);
            set.thirdPattern[t] = CanonicalCodes(data::kIntraThirdPattern[s][t]);
            for (int k = 0; k < 4; ++k) {
                // The decoder reads a symbol's index and takes the value kCbpValues gives for it.
                const std::vector<Code> byIndex = CanonicalCodes(data::kIntraCbp[s][t + k * 2]);
                std::vector<Code>& byValue = set.cbp[t][k];
                byValue.assign(64, Code{});
                for (int i = 0; i < 16; ++i)
                    byValue[data::kCbpValues[i]] = byIndex[i];
            }
        }
        for (int f = 0; f < 4; ++f)
            set.firstPattern[f] = CanonicalCodes(data::kIntraFirstPattern[s][f]);
        set.coefficient = CanonicalCodes(data::kIntraCoefficient[s]);
    }
    return sets;
}

ModeCodes BuildModeCodes() {
    ModeCodes codes;
    codes.top = ListedCodes(&data::kAicTop[0][0], &data::kAicTop[0][1], 16, 2, 16);
    for (int i = 0; i < 90; ++i)
        codes.single[i] = ListedCodes(&data::kAicMode1[i][0][0], &data::kAicMode1[i][0][1], 9, 2, 9);
    for (int i = 0; i < 20; ++i)
        codes.pair[i] = ListedCodes(data::kAicMode2Symbols[i], data::kAicMode2Lengths[i], 81, 1, 0x89);
    return codes;
}

}  // namespace

const IntraVlcSet& IntraSet(int index) {
    static const std::array<IntraVlcSet, 5> sets = BuildIntraSets();
    return sets.at(static_cast<std::size_t>(index));
}

const ModeCodes& IntraModeCodes() {
    static const ModeCodes codes = BuildModeCodes();
    return codes;
}

}  // namespace encoder::rv40
