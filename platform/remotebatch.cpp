#include "platform/remotebatch.h"

#include <cmath>

#include "platform/datapacket.h"
#include "platform/packetcodec.h"

namespace platform {

void resolveAnswerRefs(RemoteCall& call, const std::vector<Value>& answers) {
  for (const AnswerRef& ref : call.refs) {
    if (ref.call >= answers.size() || ref.argument >= call.args.size()) continue;
    const Value* source = &answers[ref.call];
    if (ref.element >= 0) {
      if (!source->isArray() || source->array().size() <= static_cast<std::size_t>(ref.element)) continue;
      source = &source->array()[static_cast<std::size_t>(ref.element)];
    }
    if (!source->isPacket() || source->packet().rows.empty()) continue;
    const DataPacket& packet = source->packet();
    const int field = packet.fieldIndex(ref.field);
    if (field < 0 || static_cast<std::size_t>(field) >= packet.rows.front().values.size()) continue;
    const Value& found = packet.rows.front().values[static_cast<std::size_t>(field)];
    Value& arg = call.args[ref.argument];
    // What the screen reads from the record set's field: a null text field
    // reads as an empty text, a null date field as the zero date.
    if (arg.isText())
      arg = Value(found.asText());
    else if (arg.isDateTime())
      arg = Value(found.isNull() ? DateTime(0) : found.asDateTime());
    else
      arg = found;
  }
}

std::string batchRefusal(const std::vector<RemoteCall>& calls) {
  if (calls.empty()) return "O lote de chamadas está vazio.";
  if (calls.size() > kMaxBatchCalls)
    return "O lote tem " + std::to_string(calls.size()) + " chamadas; o limite é " + std::to_string(kMaxBatchCalls) +
           ".";
  for (std::size_t i = 0; i < calls.size(); ++i)
    for (const AnswerRef& ref : calls[i].refs)
      if (ref.call >= i || ref.argument >= calls[i].args.size())
        return "A chamada " + std::to_string(i + 1) + " do lote (" + calls[i].operation +
               ") se refere a um argumento ou a uma resposta que não existe antes dela.";
  return {};
}

Value batchToValue(const std::vector<RemoteCall>& calls) {
  ValueArray out;
  out.reserve(calls.size());
  for (const RemoteCall& c : calls) {
    ValueArray refs;
    for (const AnswerRef& r : c.refs) refs.push_back(ValueArray{r.argument, r.call, r.element, r.field});
    out.push_back(ValueArray{c.operation, ValueArray(c.args), std::move(refs)});
  }
  return out;
}

namespace {

[[noreturn]] void notABatch(const std::string& why) { throw PacketError("not a batch: " + why); }

std::size_t smallIndex(const Value& v) {
  if (!v.isNumber()) notABatch("an index must be a number");
  const double d = v.number();
  if (!(d >= 0 && d < 65536 && d == std::trunc(d))) notABatch("an index must be a small whole number");
  return static_cast<std::size_t>(d);
}

}  // namespace

std::vector<RemoteCall> batchFromValue(const Value& v) {
  if (!v.isArray()) notABatch("expected a list of calls");
  std::vector<RemoteCall> calls;
  calls.reserve(v.array().size());
  for (const Value& c : v.array()) {
    if (!c.isArray() || c.array().size() != 3 || !c.array()[0].isText() || !c.array()[1].isArray() ||
        !c.array()[2].isArray())
      notABatch("each call is [operation, arguments, references]");
    RemoteCall call{c.array()[0].text(), c.array()[1].array(), {}};
    for (const Value& r : c.array()[2].array()) {
      if (!r.isArray() || r.array().size() != 4 || !r.array()[0].isNumber() || !r.array()[1].isNumber() ||
          !r.array()[2].isNumber() || !r.array()[3].isText())
        notABatch("each reference is [argument, call, element, field]");
      const ValueArray& a = r.array();
      const double element = a[2].number();
      AnswerRef ref{smallIndex(a[0]), smallIndex(a[1]), -1, a[3].text()};
      if (element != -1) ref.element = static_cast<int>(smallIndex(a[2]));
      call.refs.push_back(std::move(ref));
    }
    calls.push_back(std::move(call));
  }
  return calls;
}

}  // namespace platform
