#include "screen/fetch.h"

#include <optional>
#include <utility>

#include "platform/consiste.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

bool hasCurrentRow(const ClientDataSet& s) { return s.active() && (!s.isEmpty() || s.state() == DataSetState::Insert); }

}  // namespace

std::string currentText(const ClientDataSet& set, std::string_view field) {
  return hasCurrentRow(set) ? set.fieldByName(field).asString() : std::string();
}

Value currentDate(const ClientDataSet& set, std::string_view field) {
  if (!hasCurrentRow(set) || set.fieldByName(field).isNull()) return Value(DateTime(0));
  return Value(set.fieldByName(field).asDateTime());
}

Value filterDayOrNull(const TfrmManutVenda& f) {
  const std::optional<DateTime> day = f.depDeEntrega.date();
  return day ? Value(*day) : Value();
}

Value filterDay(const TfrmManutVenda& f) {
  const std::optional<DateTime> day = f.depDeEntrega.date();
  return Value(day ? *day : DateTime(0));
}

void loadPacket(ClientDataSet& set, const Value& answer) {
  if (answer.isPacket()) {
    set.setData(answer.packet());
  } else {
    set.close();
    set.createDataSet();
  }
}

void fetch(TfrmManutVenda& f, std::string_view captionKey, const char* operation, std::vector<Value> args,
           const std::function<void(const Value& answer)>& load) {
  ProgressScope receiving(kProgressReceiving, f.Msg(captionKey));
  load(CheckResultServ(f.netManutVenda.call(operation, args)));
}

void fetchInto(TfrmManutVenda& f, std::string_view captionKey, const char* operation, std::vector<Value> args,
               ClientDataSet& target) {
  fetch(f, captionKey, operation, std::move(args), [&target](const Value& answer) { loadPacket(target, answer); });
}

namespace {

// One user action at a time on the user-interface thread: the depth of the
// batch scopes it has open.
int batchDepth = 0;

}  // namespace

BatchScope::BatchScope(TfrmManutVenda& f, std::vector<RemoteCall> calls) : f_(f), outermost_(batchDepth++ == 0) {
  if (outermost_) f_.netManutVenda.expect(std::move(calls));
}

BatchScope::~BatchScope() {
  --batchDepth;
  // What an aborted action did not ask for is not kept for the next one.
  if (outermost_) f_.netManutVenda.expect({});
}

std::vector<RemoteCall> keyedByAnswer(std::vector<RemoteCall> calls, std::size_t call, int element,
                                      const std::vector<std::string>& fields) {
  for (RemoteCall& c : calls)
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (!fields[i].empty()) c.refs.push_back({i, call, element, fields[i]});
  return calls;
}

const Value& element(const TfrmManutVenda& f, const Value& answer, std::size_t i) {
  if (!answer.isArray() || answer.array().size() <= i) MensErro(f.Msg("Resp_Invalida"));
  return answer.array()[i];
}

}  // namespace screen
