#pragma once
// Wire encodings of values and data packets. Two encodings of the same
// model: JSON (readable, for debugging and other clients) and a compact
// binary one used on the wire. Round trips are exact for every value type,
// including nulls, dates and doubles. Decoding untrusted input never
// crashes: a malformed document throws PacketError with a clear message.
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

std::string encodeValueJson(const Value& v);
Value decodeValueJson(std::string_view text);

std::vector<std::uint8_t> encodeValueBinary(const Value& v);
Value decodeValueBinary(const std::uint8_t* data, size_t size);

// The encoding the client and server use on the wire.
WireFormat defaultWireFormat();

}  // namespace platform
