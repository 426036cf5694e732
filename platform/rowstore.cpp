#include "platform/rowstore.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/text.h"

namespace platform {
namespace {

bool isText(FieldType t) { return t == FieldType::String || t == FieldType::FixedString; }

// A text of at most `size` bytes has at most `size` characters, so the
// common case needs no character count.
bool fits(std::string_view s, const RowLayout::Column& c) {
  if (c.size <= 0) return true;
  const size_t n = static_cast<size_t>(c.size);
  if (c.type == FieldType::String) return s.size() <= n || utf8Length(s) <= n;
  return utf8Length(s) == n;
}

}  // namespace

std::string fitText(std::string_view s, const RowLayout::Column& c) {
  if (fits(s, c)) return std::string(s);
  const size_t n = static_cast<size_t>(c.size);
  return c.type == FieldType::FixedString ? utf8PadRight(s, n) : utf8Left(s, n);
}

RowLayout::RowLayout(std::vector<Column> columns) : cols_(std::move(columns)) {
  const std::uint32_t nullBytes = static_cast<std::uint32_t>((cols_.size() + 7) / 8);
  std::uint32_t at = nullBytes;
  places_.reserve(cols_.size());
  for (const Column& c : cols_) {
    if (isText(c.type)) {
      places_.push_back({Slot::Text, at, lastText_});
      lastText_ = static_cast<std::int32_t>(at);
      at += 4;
    } else if (c.type == FieldType::Boolean) {
      places_.push_back({Slot::Boolean, at, -1});
      at += 1;
    } else {
      places_.push_back({Slot::Number, at, -1});
      at += 8;
    }
  }
  varStart_ = at;
}

bool RowLayout::storable(size_t i, const Value& v) const {
  switch (places_[i].slot) {
    case Slot::Text:
      return v.isNull() || v.isText();
    case Slot::Boolean:
      return v.isNull() || v.isBoolean();
    case Slot::Number:
      return v.isNull() || v.isNumber() || v.isDateTime();
  }
  return false;
}

std::uint32_t RowLayout::textEnd(const std::uint8_t* row, std::int32_t slotOffset) const {
  if (slotOffset < 0) return 0;
  std::uint32_t end;
  std::memcpy(&end, row + slotOffset, 4);
  return end;
}

RowBuf RowLayout::encode(const std::vector<Value>& values) const {
  std::vector<const Value*> ptrs(values.size());
  for (size_t i = 0; i < values.size(); ++i) ptrs[i] = &values[i];
  return encode(ptrs.data());
}

RowBuf RowLayout::encode(const Value* const* values) const {
  const size_t n = cols_.size();
  // Texts that need cutting or padding (rare) are fitted once, here.
  std::vector<std::pair<size_t, std::string>> fitted;
  auto textOf = [&](size_t i) -> std::string_view {
    for (const auto& [k, s] : fitted)
      if (k == i) return s;
    return values[i]->text();
  };
  size_t varBytes = 0;
  for (size_t i = 0; i < n; ++i) {
    if (places_[i].slot != Slot::Text || values[i]->isNull()) continue;
    const std::string& s = values[i]->text();
    if (fits(s, cols_[i])) {
      varBytes += s.size();
    } else {
      fitted.emplace_back(i, fitText(s, cols_[i]));
      varBytes += fitted.back().second.size();
    }
  }
  if (varBytes > UINT32_MAX) throw std::length_error("row too large");

  RowBuf row(new std::uint8_t[varStart_ + varBytes]);
  std::memset(row.get(), 0, varStart_);
  std::uint32_t end = 0;
  for (size_t i = 0; i < n; ++i) {
    const Place& p = places_[i];
    const Value& v = *values[i];
    if (v.isNull()) row[i >> 3] |= static_cast<std::uint8_t>(1u << (i & 7));
    switch (p.slot) {
      case Slot::Text: {
        const std::string_view s = v.isNull() ? std::string_view() : textOf(i);
        if (!s.empty()) std::memcpy(row.get() + varStart_ + end, s.data(), s.size());
        end += static_cast<std::uint32_t>(s.size());
        std::memcpy(row.get() + p.offset, &end, 4);
        break;
      }
      case Slot::Boolean:
        row[p.offset] = v.isBoolean() && v.boolean() ? 1 : 0;
        break;
      case Slot::Number: {
        const double d = v.isNumber() ? v.number() : v.isDateTime() ? v.dateTime().days : 0.0;
        std::memcpy(row.get() + p.offset, &d, 8);
        break;
      }
    }
  }
  return row;
}

std::string_view RowLayout::text(const std::uint8_t* row, size_t i) const {
  const Place& p = places_[i];
  const std::uint32_t b = textEnd(row, p.prevText);
  const std::uint32_t e = textEnd(row, static_cast<std::int32_t>(p.offset));
  return {reinterpret_cast<const char*>(row) + varStart_ + b, e - b};
}

double RowLayout::number(const std::uint8_t* row, size_t i) const {
  double d;
  std::memcpy(&d, row + places_[i].offset, 8);
  return d;
}

Value RowLayout::decode(const std::uint8_t* row, size_t i) const {
  if (isNull(row, i)) return Value();
  switch (places_[i].slot) {
    case Slot::Text:
      return Value(text(row, i));
    case Slot::Boolean:
      return Value(row[places_[i].offset] != 0);
    case Slot::Number:
      if (cols_[i].type == FieldType::DateTime) return Value(DateTime(number(row, i)));
      return Value(number(row, i));
  }
  return Value();
}

size_t RowLayout::byteSize(const std::uint8_t* row) const { return varStart_ + textEnd(row, lastText_); }

}  // namespace platform
