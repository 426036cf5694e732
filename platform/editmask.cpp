#include "platform/editmask.h"

#include <vector>

#include "platform/text.h"

namespace platform {
namespace {

enum class Case { None, Upper, Lower };

struct Position {
  char slot = 0;     // picture character of a slot, 0 for a literal
  char literal = 0;  // the literal shown, for a literal
  Case conversion = Case::None;
};

struct Mask {
  std::vector<Position> positions;
  bool saveLiterals = true;
  char blank = '_';
  bool leadingBlanks = false;
};

Mask parseMask(std::string_view m) {
  Mask r;
  Case conversion = Case::None;
  bool afterLess = false;
  size_t i = 0;
  for (; i < m.size() && m[i] != ';'; ++i) {
    const char c = m[i];
    const bool less = c == '<';
    switch (c) {
      case '!':
        r.leadingBlanks = true;
        break;
      case '>':
        conversion = afterLess ? Case::None : Case::Upper;
        break;
      case '<':
        conversion = Case::Lower;
        break;
      case '\\':
        if (i + 1 < m.size()) r.positions.push_back({0, m[++i], conversion});
        break;
      case '0':
      case '9':
      case '#':
      case 'L':
      case 'l':
      case 'A':
      case 'a':
      case 'C':
      case 'c':
        r.positions.push_back({c, 0, conversion});
        break;
      default:
        r.positions.push_back({0, c, conversion});
    }
    afterLess = less;
  }
  if (i < m.size()) {
    const std::string_view rest = m.substr(i + 1);
    r.saveLiterals = rest.empty() || rest[0] != '0';
    const size_t sep = rest.find(';');
    if (sep != std::string_view::npos && sep + 1 < rest.size()) r.blank = rest[sep + 1];
  }
  return r;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool fits(char slot, char c) {
  switch (slot) {
    case '0':
    case '9':
      return isDigit(c);
    case '#':
      return isDigit(c) || c == '+' || c == '-';
    case 'L':
    case 'l':
      return isLetter(c);
    case 'A':
    case 'a':
      return isLetter(c) || isDigit(c);
    default:
      return c >= 0x20 && c < 0x7F;  // 'C', 'c'
  }
}

char convert(Case conversion, char c) {
  if (conversion == Case::Upper && c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (conversion == Case::Lower && c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  return c;
}

// The aligned display text: one character per picture position.
std::string layout(const Mask& m, std::string_view text) {
  std::string out;
  size_t j = 0;
  const size_t n = m.positions.size();
  for (size_t p = 0; p < n;) {
    if (!m.positions[p].slot) {
      if (j < text.size() && text[j] == m.positions[p].literal) ++j;
      out += m.positions[p].literal;
      ++p;
      continue;
    }
    size_t end = p;
    while (end < n && m.positions[end].slot) ++end;
    const char next = end < n ? m.positions[end].literal : 0;
    std::string run;
    bool endedEarly = false;
    while (p + run.size() < end && j < text.size()) {
      const char c = text[j];
      const Position& pos = m.positions[p + run.size()];
      if (fits(pos.slot, c))
        run += convert(pos.conversion, c);
      else if (c == ' ' || c == m.blank)
        run += m.blank;
      else if (next && c == next) {
        endedEarly = true;
        break;
      }
      ++j;
    }
    const std::string fill(end - p - run.size(), m.blank);
    out += endedEarly && m.leadingBlanks ? fill + run : run + fill;
    p = end;
  }
  return out;
}

bool blank(const Mask& m, const std::string& shown) {
  for (size_t p = 0; p < m.positions.size(); ++p)
    if (m.positions[p].slot && shown[p] != m.blank && shown[p] != ' ') return false;
  return true;
}

}  // namespace

std::string ApplyMask(std::string_view mask, std::string_view text) {
  if (mask.empty()) return std::string(text);
  return layout(parseMask(mask), text);
}

std::string StripMask(std::string_view mask, std::string_view text) {
  if (mask.empty()) return std::string(text);
  const Mask m = parseMask(mask);
  const std::string shown = layout(m, text);
  if (blank(m, shown)) return {};
  std::string out;
  for (size_t p = 0; p < m.positions.size(); ++p) {
    if (!m.positions[p].slot && !m.saveLiterals) continue;
    out += m.positions[p].slot && shown[p] == m.blank ? ' ' : shown[p];
  }
  return m.saveLiterals ? trimRight(out) : trim(out);
}

bool MaskIsBlank(std::string_view mask, std::string_view text) {
  if (mask.empty()) return trim(text).empty();
  const Mask m = parseMask(mask);
  return blank(m, layout(m, text));
}

}  // namespace platform
