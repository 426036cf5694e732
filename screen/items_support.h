#pragma once
// What the item and item-tax handlers share: reading the current sale and
// item, calling the server with the result check, loading answers.
//
// Thread-safety: the user-interface thread only.

#include <string>
#include <string_view>
#include <vector>

#include "platform/consiste.h"
#include "platform/dataset.h"
#include "platform/value.h"
#include "screen/frmmanutvenda.h"

namespace screen::items {

inline std::string text(const platform::ClientDataSet& ds, std::string_view field) {
  return ds.fieldByName(field).asString();
}

inline double number(const platform::ClientDataSet& ds, std::string_view field) {
  return ds.fieldByName(field).asFloat();
}

// Empty as the framework tests a field: its text is blank.
inline bool empty(const platform::ClientDataSet& ds, std::string_view field) {
  return platform::EmptyString(ds.fieldByName(field).asString());
}

// Calls an operation and passes the answer through the result check.
inline platform::Value call(screen::TfrmManutVenda& f, const std::string& operation,
                            std::vector<platform::Value> args) {
  return platform::CheckResultServ(f.netManutVenda.call(operation, args));
}

}  // namespace screen::items
