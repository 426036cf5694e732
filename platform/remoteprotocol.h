#pragma once
// The application server's HTTP protocol as both ends see it: paths, media
// types, headers and the reply envelope. Bodies are values in the encodings
// of packetcodec.h; the envelope is itself a value, so one decoder pass reads
// a whole reply. docs/protocol.md describes the protocol for other clients.
//
// Thread-safety: pure functions and constants.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/packetcodec.h"
#include "platform/value.h"

namespace platform::protocol {

inline constexpr std::string_view kCallPath = "/api/v1/call/";  // + operation name
inline constexpr std::string_view kLogonPath = "/api/v1/logon";
inline constexpr std::string_view kLogoffPath = "/api/v1/logoff";
inline constexpr std::string_view kHealthPath = "/api/v1/health";
// Several calls in one request (remotebatch.h); the reply's result lists
// one reply envelope per call run.
inline constexpr std::string_view kBatchPath = "/api/v1/batch";

// Names the server object a request is meant for; a server serving another
// object answers 404.
inline constexpr std::string_view kObjectHeader = "X-Vnd-Object";

inline constexpr std::string_view kBinaryMediaType = "application/msgpack";
inline constexpr std::string_view kJsonMediaType = "application/json";

// Machine-readable reasons of a failed reply (its third element).
namespace code {
inline constexpr std::string_view kRefused = "refused";  // the operation itself failed
inline constexpr std::string_view kBadRequest = "bad_request";
inline constexpr std::string_view kUnknownOperation = "unknown_operation";
inline constexpr std::string_view kUnknownObject = "unknown_object";
inline constexpr std::string_view kNotFound = "not_found";
inline constexpr std::string_view kUnauthorized = "unauthorized";
inline constexpr std::string_view kLogonRefused = "logon_refused";
inline constexpr std::string_view kForbidden = "forbidden";
inline constexpr std::string_view kTooLarge = "too_large";
inline constexpr std::string_view kUnsupportedMediaType = "unsupported_media_type";
inline constexpr std::string_view kUnavailable = "unavailable";
inline constexpr std::string_view kServerError = "server_error";
}  // namespace code

// A reply: [true, result, [[index, value], ...]] on success, the pairs being
// the by-reference arguments as the operation left them; [false, text, code]
// on failure, the text Portuguese and meant for the user.
struct Reply {
  bool ok = true;
  Value result;
  std::vector<std::pair<std::size_t, Value>> refs;
  std::string error;
  std::string code;

  static Reply success(Value result, std::vector<std::pair<std::size_t, Value>> refs = {}) {
    return {true, std::move(result), std::move(refs), {}, {}};
  }
  static Reply failure(std::string text, std::string_view code) {
    return {false, Value(), {}, std::move(text), std::string(code)};
  }
};

// The format a Content-Type names ("application/json; charset=utf-8" is
// JSON; application/msgpack, application/x-msgpack and
// application/vnd.msgpack are binary); nothing for any other type.
std::optional<WireFormat> formatOfMediaType(std::string_view contentType);
std::string_view mediaTypeOf(WireFormat format);

std::string encodeBody(const Value& v, WireFormat format);
// Throws PacketError for a malformed body.
Value decodeBody(std::string_view body, WireFormat format);

std::string encodeReply(const Reply& reply, WireFormat format);
// Throws PacketError for a body that is not a reply envelope.
Reply decodeReply(std::string_view body, WireFormat format);
// The envelope as a value, and back (throws PacketError), for the replies
// a batch's reply carries.
Value replyToValue(const Reply& reply);
Reply replyFromValue(const Value& doc);

}  // namespace platform::protocol
