#include "platform/text.h"

#include <algorithm>

namespace platform {
namespace {

// Byte length of the UTF-8 sequence starting at s[i]; 1 for an invalid or
// truncated sequence so that it counts as one character.
size_t seqLen(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (i + n > s.size()) return 1;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  return n;
}

// Byte offset of the n-th character (or s.size()).
size_t byteOffset(std::string_view s, size_t n) {
  size_t i = 0;
  while (n > 0 && i < s.size()) {
    i += seqLen(s, i);
    --n;
  }
  return i;
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

size_t utf8Length(std::string_view s) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); i += seqLen(s, i)) ++n;
  return n;
}

std::string utf8Left(std::string_view s, size_t n) { return std::string(s.substr(0, byteOffset(s, n))); }

std::string utf8Mid(std::string_view s, size_t start, size_t count) {
  const size_t b = byteOffset(s, start);
  std::string_view rest = s.substr(b);
  if (count == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, byteOffset(rest, count)));
}

std::string utf8PadRight(std::string_view s, size_t n, char fill) {
  const size_t len = utf8Length(s);
  if (len >= n) return utf8Left(s, n);
  std::string out(s);
  out.append(n - len, fill);
  return out;
}

std::string utf8PadLeft(std::string_view s, size_t n, char fill) {
  const size_t len = utf8Length(s);
  if (len >= n) return utf8Left(s, n);
  return std::string(n - len, fill) + std::string(s);
}

std::string trimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && isBlank(s[b])) ++b;
  return std::string(s.substr(b));
}

std::string trimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && isBlank(s[e - 1])) --e;
  return std::string(s.substr(0, e));
}

std::string trim(std::string_view s) { return trimLeft(trimRight(s)); }

std::string upperAscii(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  return out;
}

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace platform
