#pragma once
// Compact storage of a record set's rows. A stored row is one heap block:
//
//   [null bitmap][fixed slots][string bytes]
//
// Numbers and dates take an 8-byte slot (the day count for dates), booleans a
// 1-byte slot, and each text field a 4-byte slot holding the end offset of
// its bytes in the string area (the start is the previous text field's end).
// A sale row of 44 fields thus costs its text bytes plus about 250 bytes,
// against about 1,800 bytes plus one allocation per text for a row of Values.
//
// Rows are immutable once encoded: an edit encodes a new block. The layout
// does not own rows; the record set does.
//
// Thread-safety: a layout is immutable after construction; distinct threads
// may decode distinct rows.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace platform {

using RowBuf = std::unique_ptr<std::uint8_t[]>;

class RowLayout {
 public:
  struct Column {
    FieldType type = FieldType::String;
    int size = 0;  // characters for text columns; 0 means unlimited
  };

  RowLayout() = default;
  explicit RowLayout(std::vector<Column> columns);

  size_t columnCount() const { return cols_.size(); }
  const Column& column(size_t i) const { return cols_[i]; }

  // True when `v` can be encoded in column i as it is: null, text for text
  // columns, number or date for numeric and date columns, boolean for
  // booleans. Other values must be converted by the caller first.
  bool storable(size_t i, const Value& v) const;

  // Encodes one row from *values[0..columnCount()), each storable. Texts
  // are cut to the column size in characters; fixed-length texts are padded.
  RowBuf encode(const Value* const* values) const;
  RowBuf encode(const std::vector<Value>& values) const;

  bool isNull(const std::uint8_t* row, size_t i) const { return (row[i >> 3] >> (i & 7)) & 1u; }
  Value decode(const std::uint8_t* row, size_t i) const;
  // The bytes of a text column (empty when null).
  std::string_view text(const std::uint8_t* row, size_t i) const;
  double number(const std::uint8_t* row, size_t i) const;
  // Bytes held by an encoded row.
  size_t byteSize(const std::uint8_t* row) const;

 private:
  enum class Slot : std::uint8_t { Number, Boolean, Text };
  struct Place {
    Slot slot;
    std::uint32_t offset;   // of the fixed slot within the row
    std::int32_t prevText;  // fixed-slot offset of the previous text column, -1 if none
  };

  std::uint32_t textEnd(const std::uint8_t* row, std::int32_t slotOffset) const;

  std::vector<Column> cols_;
  std::vector<Place> places_;
  std::uint32_t varStart_ = 0;  // first byte of the string area
  std::int32_t lastText_ = -1;  // fixed-slot offset of the last text column
};

// A text brought to a column's size: cut to `size` characters (0: no cut),
// and for fixed-length columns blank-padded to it.
std::string fitText(std::string_view s, const RowLayout::Column& c);

}  // namespace platform
