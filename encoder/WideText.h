#pragma once
#include <string>

namespace encoder {

// The program's texts are UTF-8; the control's string properties are UTF-16.
std::u16string ToWide(const std::string& text);
std::string FromWide(const std::u16string& text);

}  // namespace encoder
