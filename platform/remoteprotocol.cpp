#include "platform/remoteprotocol.h"

#include "platform/packetcodec_detail.h"
#include "platform/requestbody.h"

#include <cmath>

#include "platform/text.h"

namespace platform::protocol {

std::optional<WireFormat> formatOfMediaType(std::string_view contentType) {
  const std::string type = lowerAscii(trim(contentType.substr(0, contentType.find(';'))));
  if (type == kJsonMediaType) return WireFormat::Json;
  if (type == kBinaryMediaType || type == "application/x-msgpack" || type == "application/vnd.msgpack")
    return WireFormat::Binary;
  return std::nullopt;
}

std::string_view mediaTypeOf(WireFormat format) {
  return format == WireFormat::Json ? kJsonMediaType : kBinaryMediaType;
}

std::string encodeBody(const Value& v, WireFormat format) {
  if (format == WireFormat::Json) return encodeValueJson(v);
  const std::vector<std::uint8_t> bytes = encodeValueBinary(v);
  return std::string(bytes.begin(), bytes.end());
}

Value decodeBody(std::string_view body, WireFormat format) {
  if (format == WireFormat::Json) return decodeValueJson(body);
  return decodeValueBinary(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
}

Value decodeBodyWithin(std::string_view body, WireFormat format, std::size_t maxItems) {
  if (format == WireFormat::Json) return detail::decodeValueJson(body, maxItems);
  return detail::decodeValueBinary(reinterpret_cast<const std::uint8_t*>(body.data()), body.size(), binaryWireFlavor(),
                                   maxItems);
}

Value replyToValue(const Reply& reply) {
  if (!reply.ok) return ValueArray{false, reply.error, reply.code};
  ValueArray refs;
  refs.reserve(reply.refs.size());
  for (const auto& [index, value] : reply.refs) refs.push_back(ValueArray{index, value});
  return ValueArray{true, reply.result, std::move(refs)};
}

std::string encodeReply(const Reply& reply, WireFormat format) { return encodeBody(replyToValue(reply), format); }

namespace {

[[noreturn]] void notAReply(const std::string& why) { throw PacketError("not a reply envelope: " + why); }

}  // namespace

Reply decodeReply(std::string_view body, WireFormat format) { return replyFromValue(decodeBody(body, format)); }

Reply replyFromValue(const Value& doc) {
  if (!doc.isArray() || doc.array().size() != 3 || !doc.array()[0].isBoolean())
    notAReply("expected [ok, result, refs] or [false, text, code]");
  const ValueArray& a = doc.array();
  if (!a[0].boolean()) {
    if (!a[1].isText() || !a[2].isText()) notAReply("a failure carries a text and a code");
    return Reply::failure(a[1].text(), a[2].text());
  }
  if (!a[2].isArray()) notAReply("the by-reference arguments must be a list");
  Reply reply = Reply::success(a[1]);
  for (const Value& pair : a[2].array()) {
    if (!pair.isArray() || pair.array().size() != 2 || !pair.array()[0].isNumber())
      notAReply("each by-reference argument is [index, value]");
    const double index = pair.array()[0].number();
    if (!(index >= 0 && index < 65536 && index == std::trunc(index)))
      notAReply("an argument index must be a small whole number");
    reply.refs.emplace_back(static_cast<std::size_t>(index), pair.array()[1]);
  }
  return reply;
}

}  // namespace platform::protocol
