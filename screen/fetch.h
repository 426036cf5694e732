#pragma once
// Fetching from the application server into the screen's record sets: the
// steps every load shares (progress animation, result check, the answer
// replacing a record set's content), and the key values the loads send.
//
// Thread-safety: none; the user-interface thread only.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset.h"
#include "platform/remotebatch.h"
#include "platform/value.h"

namespace screen {

class TfrmManutVenda;

// The field of the record set's current row (also a row being inserted);
// empty text when there is none, so a load asks the server for nothing
// rather than the screen failing.
std::string currentText(const platform::ClientDataSet& set, std::string_view field);
// The same for a date-time: the zero date (30/12/1899) when there is none.
platform::Value currentDate(const platform::ClientDataSet& set, std::string_view field);
// The filter's movement date, for the operations that take it. While none
// is typed, most take the zero date (30/12/1899); the openings' operations
// take null.
platform::Value filterDay(const TfrmManutVenda& f);
platform::Value filterDayOrNull(const TfrmManutVenda& f);

// A packet replaces the record set's content; any other answer leaves it
// open and empty, so the pages never show the previous rows as current.
void loadPacket(platform::ClientDataSet& set, const platform::Value& answer);

// Calls `operation` under the receiving animation captioned with the
// catalogue text of `captionKey` and hands the checked answer to `load`
// before the animation closes (loading a record set may fetch more, under
// animations of its own). A failure is shown and aborts; the animation is
// closed on every path.
void fetch(TfrmManutVenda& f, std::string_view captionKey, const char* operation, std::vector<platform::Value> args,
           const std::function<void(const platform::Value& answer)>& load);
// The same for an answer that replaces one record set.
void fetchInto(TfrmManutVenda& f, std::string_view captionKey, const char* operation, std::vector<platform::Value> args,
               platform::ClientDataSet& target);

// The calls one user action is about to make in a row, with no step of the
// user between them: while the scope lives they are announced to the
// connection, which sends them to the server together at the first of them
// and hands each answer to its call, so the code that makes the calls runs
// as it would with a round trip each (the same checks, loads and captions).
// A call that differs from the announcement just goes alone. Scopes nest:
// an outer action's announcement covers the loads it sets off (the sales an
// opening's loading fetches), so an inner scope announces nothing.
class BatchScope {
 public:
  BatchScope(TfrmManutVenda& f, std::vector<platform::RemoteCall> calls);
  ~BatchScope();
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;

 private:
  TfrmManutVenda& f_;
  bool outermost_;
};

// The same calls with their first arguments taken, in a batch, from the
// answer of the batch's call `call` (element `element` of it): argument i
// is field `fields[i]` of the row a record set loading that answer makes
// current (an empty name leaves the argument as it is). Where there is no
// row, the arguments stay as given: what currentText and currentDate read
// then.
std::vector<platform::RemoteCall> keyedByAnswer(std::vector<platform::RemoteCall> calls, std::size_t call, int element,
                                                const std::vector<std::string>& fields);

// Element `i` of an array answer; an answer of another shape is reported
// with the catalogue's "Resp_Invalida" and aborts.
const platform::Value& element(const TfrmManutVenda& f, const platform::Value& answer, std::size_t i);

}  // namespace screen
