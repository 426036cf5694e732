#pragma once
// Internals of the packet codec, shared by its sources: the rules every
// encoding enforces on both sides of the wire, and the words a document is
// refused with, kept in one place so that every reader refuses the same
// documents in the same words. Product code uses packetcodec.h instead.
//
// Thread-safety: pure functions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace platform::detail {

inline constexpr std::array<std::string_view, 6> kFieldTypeNames = {"string",   "fixedstring", "float",
                                                                    "datetime", "boolean",     "integer"};
inline constexpr std::array<std::string_view, 4> kRowKindNames = {"unchanged", "insert", "modify", "delete"};
// Members of a packet and of a change-log row, in the order their bits are
// kept in a `seen` mask; the first two of each are required.
using MemberNames = std::array<std::string_view, 3>;
inline constexpr MemberNames kPacketMembers = {"fields", "rows", "delta"};
inline constexpr MemberNames kChangeMembers = {"kind", "values", "original"};
inline constexpr unsigned kRequiredMembers = 3u;

[[noreturn]] void fail(const std::string& message);

// A name taken from a document, made safe to put in a message.
std::string shown(std::string_view s);

bool isValidUtf8(std::string_view s);
[[noreturn]] void failUtf8(const char* what);

// Most texts of a packet are plain ASCII; they are told apart eight bytes
// at a time, inline, before the full check.
inline bool isAscii(std::string_view s) {
  std::uint64_t any = 0;
  size_t i = 0;
  for (; s.size() - i >= 8; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    any |= word;
  }
  for (; i < s.size(); ++i) any |= static_cast<unsigned char>(s[i]);
  return (any & 0x8080808080808080u) == 0;
}

inline void checkUtf8(std::string_view s, const char* what) {
  if (!isAscii(s) && !isValidUtf8(s)) failUtf8(what);
}

// The depth inside a container opened at `depth`; refuses to go past
// kMaxWireDepth.
int nest(int depth);

// Refuses a row that breaks the packet rules (values per field, value
// types, original values only on Modify and Delete rows).
void checkRow(const DataPacket& p, const PacketRow& row, size_t index);
void checkRows(const DataPacket& p);

// The index of `key` among `names`, marked in `seen`; refuses an unknown
// or repeated member of `owner`.
size_t takeMember(std::string_view key, const MemberNames& names, unsigned& seen, const std::string& owner);

// "packet row N", as messages name a row.
std::string rowName(size_t index);

// Readers of the pieces of a packet; each refuses what it cannot read.
FieldDef fieldFrom(std::span<const Value> items, size_t index);
RowKind rowKindNamed(std::string_view name, size_t row);
double specialNamed(std::string_view name);

// The refusals of an item found where the model has no place for it.
[[noreturn]] void failPacketMember(std::string_view key);
[[noreturn]] void failChangeMember(size_t row, std::string_view key);
[[noreturn]] void failFieldDefinition(size_t index);
[[noreturn]] void failRowItem(size_t row);
[[noreturn]] void failDate();
[[noreturn]] void failSpecial();
[[noreturn]] void failTaggedKey();
[[noreturn]] void failSecondMember(bool date);
[[noreturn]] void failEmptyObject();
[[noreturn]] void failMissingMembers(const std::string& owner, const char* members);
[[noreturn]] void failBinaryData();

// The direct MessagePack writer and reader: the wire flavour's own code.
std::vector<std::uint8_t> writeMessagePack(const Value& v);
Value readMessagePack(const std::uint8_t* data, size_t size, size_t maxItems = static_cast<size_t>(-1));

// The decoders with an item budget (requestbody.h).
Value decodeValueJson(std::string_view text, size_t maxItems);
Value decodeValueBinary(const std::uint8_t* data, size_t size, BinaryFlavor flavor, size_t maxItems);

// The same flavour through nlohmann-json's model and SAX parser, as it was
// written before the direct code. Kept only so that tests can check that
// the two agree and the benchmark can show what the direct code gains.
std::vector<std::uint8_t> writeMessagePackViaJson(const Value& v);
Value readMessagePackViaJson(const std::uint8_t* data, size_t size);

}  // namespace platform::detail
