#pragma once
// Code-point access to UTF-8 text, for controls that take typed characters
// one at a time. A byte that starts no valid sequence decodes as the code
// point of the same value (as Latin-1 would read it), so it stays one
// character and is never dropped. Pure and thread-safe.

#include <string>
#include <string_view>

namespace platform {

std::u32string utf8Decode(std::string_view s);
std::string utf8Encode(char32_t ch);
std::string utf8Encode(std::u32string_view s);
// s without its last character (nothing when empty).
std::string utf8DropLast(std::string_view s);

}  // namespace platform
