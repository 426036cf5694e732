#include <cmath>
#include <limits>

#include "platform/packetcodec.h"
#include "platform/packetcodec_detail.h"

namespace platform::detail {
namespace {

constexpr std::array<const char*, 7> kValueTypeNames = {"null",      "a text",   "a number", "a date",
                                                        "a boolean", "an array", "a packet"};

const char* typeName(const Value& v) { return kValueTypeNames[static_cast<size_t>(v.type())]; }

std::string_view fieldTypeName(FieldType t) { return kFieldTypeNames[static_cast<size_t>(t)]; }

// Which value types a field of each type holds: null always, texts in
// string fields, numbers in float and integer fields, and so on. A table
// because every value of every row crossing the wire is looked up here.
constexpr bool kFits[6][7] = {
    // null  text   number date   bool   array  packet
    {true, true, false, false, false, false, false},  // string
    {true, true, false, false, false, false, false},  // fixedstring
    {true, false, true, false, false, false, false},  // float
    {true, false, false, true, false, false, false},  // datetime
    {true, false, false, false, true, false, false},  // boolean
    {true, false, true, false, false, false, false},  // integer
};

bool fitsField(FieldType t, const Value& v) { return kFits[static_cast<size_t>(t)][static_cast<size_t>(v.type())]; }

}  // namespace

void fail(const std::string& message) { throw PacketError(message); }

// Quoted, cut short, control and non-ASCII bytes escaped.
std::string shown(std::string_view s) {
  constexpr size_t kMax = 40;
  std::string out = "\"";
  for (size_t i = 0; i < s.size() && i < kMax; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      constexpr char hex[] = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 0xF];
    }
  }
  out += s.size() > kMax ? "\"..." : "\"";
  return out;
}

// Same rules as the JSON grammar: no overlong forms, no surrogates, nothing
// above U+10FFFF. Texts cross into databases and other clients, so a binary
// document may not smuggle in what a JSON one could not carry.
bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07u;
    } else {
      return false;
    }
    if (n - i < len) return false;
    for (size_t k = 1; k < len; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3Fu);
    }
    if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
    if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
    i += len;
  }
  return true;
}

void failUtf8(const char* what) { fail(std::string(what) + " is not valid UTF-8"); }

int nest(int depth) {
  if (depth >= kMaxWireDepth) fail("document nests deeper than " + std::to_string(kMaxWireDepth) + " levels");
  return depth + 1;
}

std::string rowName(size_t index) { return "packet row " + std::to_string(index); }

void checkRow(const DataPacket& p, const PacketRow& row, size_t index) {
  const size_t n = p.fields.size();
  if (row.values.size() != n)
    fail(rowName(index) + " has " + std::to_string(row.values.size()) + " values for " + std::to_string(n) + " fields");
  const bool keepsOriginal = row.kind == RowKind::Modify || row.kind == RowKind::Delete;
  if (!keepsOriginal && !row.original.empty())
    fail(rowName(index) + " is of kind " + std::string(kRowKindNames[static_cast<size_t>(row.kind)]) +
         ", which carries no original values");
  if (!row.original.empty() && row.original.size() != n)
    fail(rowName(index) + " has " + std::to_string(row.original.size()) + " original values for " + std::to_string(n) +
         " fields");
  for (const auto* list : {&row.values, &row.original}) {
    for (size_t i = 0; i < list->size(); ++i) {
      const Value& v = (*list)[i];
      const FieldDef& f = p.fields[i];
      if (!fitsField(f.type, v))
        fail(rowName(index) + ", field " + shown(f.name) + ": " + typeName(v) + " does not fit the field type " +
             std::string(fieldTypeName(f.type)));
    }
  }
}

void checkRows(const DataPacket& p) {
  for (size_t i = 0; i < p.rows.size(); ++i) checkRow(p, p.rows[i], i);
}

size_t takeMember(std::string_view key, const MemberNames& names, unsigned& seen, const std::string& owner) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (key != names[i]) continue;
    const unsigned bit = 1u << i;
    if (seen & bit) fail(owner + " has the member " + shown(key) + " twice");
    seen |= bit;
    return i;
  }
  fail(owner + " has an unknown member " + shown(key));
}

FieldDef fieldFrom(std::span<const Value> items, size_t index) {
  if (items.size() != 4 || !items[0].isText()) failFieldDefinition(index);
  FieldDef f;
  f.name = items[0].text();
  size_t t = 0;
  while (t < kFieldTypeNames.size() && !(items[1].isText() && items[1].text() == kFieldTypeNames[t])) ++t;
  if (t == kFieldTypeNames.size()) fail("field " + shown(f.name) + " has an unknown type");
  f.type = static_cast<FieldType>(t);
  const double size = items[2].isNumber() ? items[2].number() : -1;
  if (!(size >= 0 && size <= std::numeric_limits<int>::max() && size == std::trunc(size)))
    fail("field " + shown(f.name) + " must have a size that is a whole number from 0");
  f.size = static_cast<int>(size);
  if (!items[3].isBoolean()) fail("field " + shown(f.name) + " must have a boolean required flag");
  f.required = items[3].boolean();
  return f;
}

RowKind rowKindNamed(std::string_view name, size_t row) {
  for (size_t k = 0; k < kRowKindNames.size(); ++k)
    if (name == kRowKindNames[k]) return static_cast<RowKind>(k);
  fail(rowName(row) + " has an unknown kind " + shown(name));
}

double specialNamed(std::string_view name) {
  if (name == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (name == "Infinity") return std::numeric_limits<double>::infinity();
  if (name == "-Infinity") return -std::numeric_limits<double>::infinity();
  failSpecial();
}

void failPacketMember(std::string_view key) {
  fail(key == "delta" ? std::string("a packet's delta flag must be a boolean")
                      : "a packet's " + std::string(key) + " must be an array");
}

void failChangeMember(size_t row, std::string_view key) {
  fail(rowName(row) +
       (key == "kind" ? std::string(": its kind must be a text") : ": its " + std::string(key) + " must be an array"));
}

void failFieldDefinition(size_t index) {
  fail("field definition " + std::to_string(index) + " must be an array [name, type, size, required]");
}

void failRowItem(size_t row) { fail(rowName(row) + " must be an array of values or a change object"); }

void failDate() { fail("a date {\"d\": days} must hold one number"); }

void failSpecial() { fail("a special number {\"n\": name} must be \"NaN\", \"Infinity\" or \"-Infinity\""); }

void failTaggedKey() {
  fail(
      "an object must be a date {\"d\": days}, a special number {\"n\": name} or a "
      "packet {\"fields\": [...], \"rows\": [...], \"delta\": flag}");
}

void failSecondMember(bool date) {
  fail(std::string("a ") + (date ? "date" : "special number") + " object must have exactly one member");
}

void failEmptyObject() { fail("an empty object is not a value"); }

void failMissingMembers(const std::string& owner, const char* members) {
  fail(owner + " must have the members " + members);
}

void failBinaryData() { fail("binary data is not a value"); }

}  // namespace platform::detail
