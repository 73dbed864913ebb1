#pragma once
#include <string>
#include <string_view>

namespace platform {

// File names are bytes and need not be UTF-8 (a Latin-1 "Müller.wav" from an old archive). The program
// keeps them byte for byte and shows them as UTF-8 with U+FFFD for each byte that is no text.

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when the bytes there are not one
// (overlong forms, surrogates and values past U+10FFFF included).
int Utf8Sequence(std::string_view text, std::size_t at, char32_t& code);
void AppendUtf8(std::string& out, char32_t code);

// `text` cut to at most `limit` bytes without splitting a UTF-8 character: the cut steps back to the start
// of a character the limit would split. A character has at most three continuation bytes, so a longer run
// is no UTF-8 and is cut at the limit rather than back to nothing.
std::string CutUtf8(const std::string& text, std::size_t limit);

// A name as a person reads it: valid UTF-8 as it is, each byte that is not shown as U+FFFD.
std::string ReadableName(std::string_view bytes);

// The path on disk that `shown` stands for, when a file dialog or a desktop gave a name whose undecodable
// bytes it turned into U+FFFD: each such part is looked up in its folder among the names that read the
// same. `shown` itself when it names a file or when no single file matches.
std::string NativePath(const std::string& shown);

// Whether two names lead to one existing file, through symbolic and hard links alike.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace platform
