#include "encoder/WideText.h"

#include <cstdint>

#include "platform/core/FileNames.h"

namespace encoder {
namespace {

constexpr char16_t kEscapedByte = 0xDC00;  // + the byte, 0x80..0xFF

}  // namespace

std::u16string ToWide(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0;
        const int length = platform::Utf8Sequence(text, at, code);
        if (length == 0) {
            out += static_cast<char16_t>(kEscapedByte + static_cast<std::uint8_t>(text[at]));
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        at += static_cast<std::size_t>(length);
    }
    return out;
}

std::string FromWide(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
            text[at + 1] <= 0xDFFF) {
            platform::AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[at + 1] - 0xDC00));
            ++at;
        } else if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
            out += static_cast<char>(unit - kEscapedByte);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            platform::AppendUtf8(out, 0xFFFD);  // a lone surrogate of some other origin
        } else {
            platform::AppendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace encoder
