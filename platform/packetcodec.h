#pragma once
// Wire encodings of values and data packets. Two encodings of the same
// model: JSON (readable, for debugging and other clients) and a compact
// binary one used on the wire. Round trips are exact for every value type,
// including nulls, dates and doubles (a NaN may come back as another NaN).
// Decoding untrusted input never crashes: a malformed document throws
// PacketError with a clear message. The shapes are described in
// docs/packets.md.
//
// The wire flavour, MessagePack, is written and read directly between
// Values and bytes (a day's 10,000 sales in some 10 to 15 ms each way); its
// reader checks every length against the bytes left before allocating
// anything for it, so that what it allocates stays in proportion to the
// document's size whatever lengths a hostile document claims.
//
// Encoding checks what decoding checks, so whatever encodes also decodes:
// a packet row must hold one value per field, each null or of its field's
// type, and original values only on Modify and Delete rows; texts must be
// valid UTF-8; nesting is limited to kMaxWireDepth containers. Anything
// else throws PacketError on the sending side.
//
// Thread-safety: pure functions.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace platform {

class PacketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class WireFormat { Json, Binary };

// The binary flavours the encoder can write; both carry the same model.
enum class BinaryFlavor { Cbor, MessagePack };

// Deepest nesting of arrays and objects a document may have. A packet
// costs three levels (packet, rows, row) and a date one.
inline constexpr int kMaxWireDepth = 64;

std::string encodeValueJson(const Value& v);
Value decodeValueJson(std::string_view text);

// Without a flavour, the binary encoding is the wire flavour below.
std::vector<std::uint8_t> encodeValueBinary(const Value& v);
Value decodeValueBinary(const std::uint8_t* data, size_t size);
std::vector<std::uint8_t> encodeValueBinary(const Value& v, BinaryFlavor flavor);
Value decodeValueBinary(const std::uint8_t* data, size_t size, BinaryFlavor flavor);

// The encoding the client and server use on the wire, and the flavour
// "Binary" stands for.
WireFormat defaultWireFormat();
BinaryFlavor binaryWireFlavor();

}  // namespace platform
