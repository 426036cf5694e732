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

// Element `i` of an array answer; an answer of another shape is reported
// with the catalogue's "Resp_Invalida" and aborts.
const platform::Value& element(const TfrmManutVenda& f, const platform::Value& answer, std::size_t i);

}  // namespace screen
