#pragma once
// Decoding a request body from someone untrusted. A few bytes on the wire
// each, every item (a scalar or a list) takes tens of bytes in memory, so a
// body within its size limit could still decode to gigabytes: past
// `maxItems` items the body is refused with PacketError, as a malformed one
// is.

#include <cstddef>
#include <string_view>

#include "platform/packetcodec.h"

namespace platform::protocol {

Value decodeBodyWithin(std::string_view body, WireFormat format, std::size_t maxItems);

}  // namespace platform::protocol
