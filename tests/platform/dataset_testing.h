#pragma once
// Shared fixtures of the record-set tests: a small packet of items, an event
// recorder and a snapshot of everything an aborted operation must leave
// untouched.

#include <string>
#include <vector>

#include "platform/dataset.h"
#include "platform/datasource.h"

namespace platform::testing {

// CODIGO string 5, NOME string 10, QT float, DT date-time.
inline DataPacket itemsPacket(int rows = 3) {
  DataPacket p;
  p.fields = {{"CODIGO", FieldType::String, 5, false},
              {"NOME", FieldType::String, 10, false},
              {"QT", FieldType::Float, 0, false},
              {"DT", FieldType::DateTime, 0, false}};
  for (int i = 1; i <= rows; ++i) {
    const std::string code = "00" + std::to_string(i);
    p.rows.push_back({RowKind::Unchanged,
                      {Value(code), Value("Item " + std::to_string(i)), Value(i * 1.5), Value(DateTime(46000.0 + i))},
                      {}});
  }
  return p;
}

inline std::vector<std::string> codes(const ClientDataSet& ds) {
  std::vector<std::string> out;
  const DataPacket p = ds.data();
  for (const PacketRow& r : p.rows) out.push_back(r.values[0].asText());
  return out;
}

// Records every record-set event, and the state changes seen by a data
// source, in the order they happen.
class EventLog {
 public:
  explicit EventLog(ClientDataSet& ds) {
    for (const auto& [name, member] : events()) {
      ds.*member = [this, n = std::string(name)](ClientDataSet&) { names_.push_back(n); };
    }
    source_.setDataSet(&ds);
    source_.OnStateChange = [this](DataSource& s) {
      static const char* const kStates[] = {"Inactive", "Browse", "Edit", "Insert", "CalcFields"};
      names_.push_back(std::string("state:") + kStates[static_cast<int>(s.state())]);
    };
  }

  std::string take() {
    std::string out;
    for (const std::string& n : names_) out += (out.empty() ? "" : ",") + n;
    names_.clear();
    return out;
  }

  static const std::vector<std::pair<const char*, ClientDataSet::Event ClientDataSet::*>>& events() {
    using DS = ClientDataSet;
    static const std::vector<std::pair<const char*, DS::Event DS::*>> kEvents = {
        {"BeforeOpen", &DS::BeforeOpen},     {"AfterOpen", &DS::AfterOpen},       {"BeforeClose", &DS::BeforeClose},
        {"AfterClose", &DS::AfterClose},     {"BeforeInsert", &DS::BeforeInsert}, {"AfterInsert", &DS::AfterInsert},
        {"OnNewRecord", &DS::OnNewRecord},   {"BeforeEdit", &DS::BeforeEdit},     {"AfterEdit", &DS::AfterEdit},
        {"BeforePost", &DS::BeforePost},     {"AfterPost", &DS::AfterPost},       {"BeforeCancel", &DS::BeforeCancel},
        {"AfterCancel", &DS::AfterCancel},   {"BeforeDelete", &DS::BeforeDelete}, {"AfterDelete", &DS::AfterDelete},
        {"BeforeScroll", &DS::BeforeScroll}, {"AfterScroll", &DS::AfterScroll},
    };
    return kEvents;
  }

 private:
  std::vector<std::string> names_;
  DataSource source_;
};

// Everything a caller can observe about a record set.
struct Snapshot {
  DataSetState state;
  int recNo, recordCount, changeCount;
  bool bof, eof, modified;
  std::vector<Value> current;
  DataPacket content;

  explicit Snapshot(ClientDataSet& ds)
      : state(ds.state()),
        recNo(ds.recNo()),
        recordCount(ds.recordCount()),
        changeCount(ds.changeCount()),
        bof(ds.bof()),
        eof(ds.eof()),
        modified(ds.modified()),
        content(ds.data()) {
    for (int i = 0; i < ds.fieldCount(); ++i) current.push_back(ds.field(i).value());
  }
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

}  // namespace platform::testing
