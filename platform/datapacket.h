#pragma once
// DataPacket: a record set in transit. It carries the field definitions and
// the rows of a record set, or, as a delta, the changed rows of a record
// set's change log, each with its kind, its original values and its new
// values. The server answers with packets; the client sends deltas back.
//
// A packet is a plain value: copying it copies its rows. Encoding to and
// decoding from the wire lives in packetcodec.h.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/value.h"

namespace platform {

enum class FieldType : std::uint8_t {
  String,       // variable-length text of at most `size` characters
  FixedString,  // text of exactly `size` characters (blank-padded on assignment)
  Float,        // double precision
  DateTime,     // day count from 30/12/1899
  Boolean,
  Integer,  // whole number, held as double on the screen side
};

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;  // characters, for String/FixedString; 0 otherwise
  bool required = false;

  friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

enum class RowKind : std::uint8_t {
  Unchanged = 0,  // a data row of a plain packet
  Insert = 1,
  Modify = 2,
  Delete = 3,
};

struct PacketRow {
  RowKind kind = RowKind::Unchanged;
  std::vector<Value> values;    // current values (new values for Insert/Modify; the
                                // stored values for Delete and Unchanged)
  std::vector<Value> original;  // original values for Modify and Delete; empty otherwise

  friend bool operator==(const PacketRow&, const PacketRow&) = default;
};

class DataPacket {
 public:
  std::vector<FieldDef> fields;
  std::vector<PacketRow> rows;
  bool delta = false;  // rows are change-log entries rather than plain rows

  // Index of the field with this name (case-insensitive, ASCII), or -1.
  int fieldIndex(std::string_view name) const;

  friend bool operator==(const DataPacket&, const DataPacket&) = default;
};

}  // namespace platform
