#pragma once
// UTF-8-aware text helpers. Field sizes and limits such as "the first 2000
// characters" count characters (code points), not bytes: "Manutenção" is
// 10 characters. Invalid UTF-8 bytes count as one character each, so a cut
// never splits a valid sequence. All functions are pure and thread-safe.

#include <string>
#include <string_view>

namespace platform {

size_t utf8Length(std::string_view s);
// The first n characters of s.
std::string utf8Left(std::string_view s, size_t n);
// Characters [start, start+count) of s (0-based).
std::string utf8Mid(std::string_view s, size_t start, size_t count = std::string_view::npos);
// Blank-pads (right) to n characters, or cuts to n characters.
std::string utf8PadRight(std::string_view s, size_t n, char fill = ' ');
std::string utf8PadLeft(std::string_view s, size_t n, char fill = ' ');

// Trimming of blanks and control characters (<= 0x20), as the framework's
// AllTrim, TrimLeft and TrimRight do.
std::string trim(std::string_view s);
std::string trimLeft(std::string_view s);
std::string trimRight(std::string_view s);

// ASCII case folding; accented letters are left as they are.
std::string upperAscii(std::string_view s);
std::string lowerAscii(std::string_view s);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace platform
