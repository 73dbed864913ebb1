#pragma once
#include <string>

namespace encoder {

// The program's texts are UTF-8; the control's string properties are UTF-16. File names are bytes and
// need not be UTF-8 (a Latin-1 name from an old archive): each byte that is not part of valid UTF-8
// travels as a lone low surrogate U+DC80..U+DCFF, which no valid text holds, so that FromWide gives back
// the very bytes ToWide was given.
std::u16string ToWide(const std::string& text);
std::string FromWide(const std::u16string& text);

}  // namespace encoder
