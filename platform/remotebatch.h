#pragma once
// Calls that travel together: the calls one user action makes in a row,
// with no step of the user between them, go to the server in one request
// and run there in order, stopping at the first failure. Each answer is then
// handed to the screen as if its call had gone alone.
//
// A later call of a batch may take an argument from an earlier call's
// answer (AnswerRef): moving to a register opening loads its sales, and
// their loading fetches the first sale's items, so the items' key is only
// known once the sales are. The reference names the row a record set
// loading that answer makes current, its first, so both ends resolve it the
// same way from the same answers.
//
// Thread-safety: pure functions and plain values.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/value.h"

namespace platform {

// Argument `argument` of a call taken from the answer of an earlier call of
// the batch: field `field` of the first row of the packet that answer holds
// (element `element` of an array answer; -1 for the answer itself). The
// argument's own value stays when there is no such row (no rows, an answer
// of another shape), and tells the value's kind: a text gets the field as
// text, a date-time as a date.
struct AnswerRef {
  std::size_t argument = 0;
  std::size_t call = 0;
  int element = -1;
  std::string field;
};

struct RemoteCall {
  std::string operation;
  std::vector<Value> args;
  std::vector<AnswerRef> refs;
};

// The most calls one batch may hold; more are refused as a malformed
// request, before anything runs.
inline constexpr std::size_t kMaxBatchCalls = 32;

// Fills the referenced arguments of `call` from the answers of the calls
// before it (`answers[i]` is call i's). References to calls not answered
// leave their argument as it is.
void resolveAnswerRefs(RemoteCall& call, const std::vector<Value>& answers);

// Why a batch cannot run as sent (too many calls, a reference to the call
// itself or a later one, an argument position outside the call's list), in
// Portuguese; empty when it can.
std::string batchRefusal(const std::vector<RemoteCall>& calls);

// The batch as one value, the body of a batch request:
// [[operation, [args...], [[argument, call, element, field], ...]], ...].
Value batchToValue(const std::vector<RemoteCall>& calls);
// The reverse; throws PacketError for a value of another shape.
std::vector<RemoteCall> batchFromValue(const Value& v);

}  // namespace platform
