#pragma once
// Value: the one dynamically typed value that the screen, the record sets and
// the wire share. A value is null, text (UTF-8), number (double), date-time,
// boolean, an array of values or a data packet. Arrays and packets are held
// by shared pointer to immutable content, so copying a Value is cheap and a
// copy never aliases mutable state.
//
// Thread-safety: a Value is immutable once built; distinct threads may read
// the same Value.

#include <compare>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// A point in time as a day count from 30/12/1899 00:00; the fraction is the
// time of day. Day 0 is the "zero date", day 1 is 31/12/1899.
struct DateTime {
  double days = 0.0;

  constexpr DateTime() = default;
  constexpr explicit DateTime(double d) : days(d) {}

  friend constexpr bool operator==(DateTime a, DateTime b) { return a.days == b.days; }
  friend constexpr auto operator<=>(DateTime a, DateTime b) { return a.days <=> b.days; }
};

class DataPacket;
class Value;
using ValueArray = std::vector<Value>;

enum class ValueType : std::uint8_t { Null, Text, Number, DateTime, Boolean, Array, Packet };

class Value {
 public:
  Value() = default;
  Value(std::nullptr_t) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::in_place_type<std::string>, s) {}
  Value(const char* s) : v_(std::in_place_type<std::string>, s) {}
  Value(double d) : v_(d) {}
  Value(int i) : v_(static_cast<double>(i)) {}
  Value(long i) : v_(static_cast<double>(i)) {}
  Value(long long i) : v_(static_cast<double>(i)) {}
  Value(unsigned i) : v_(static_cast<double>(i)) {}
  Value(unsigned long i) : v_(static_cast<double>(i)) {}
  Value(DateTime d) : v_(d) {}
  Value(bool b) : v_(b) {}
  Value(ValueArray a) : v_(std::make_shared<const ValueArray>(std::move(a))) {}
  Value(std::shared_ptr<const DataPacket> p);
  Value(DataPacket p);

  ValueType type() const { return static_cast<ValueType>(v_.index()); }
  bool isNull() const { return v_.index() == 0; }
  bool isText() const { return type() == ValueType::Text; }
  bool isNumber() const { return type() == ValueType::Number; }
  bool isDateTime() const { return type() == ValueType::DateTime; }
  bool isBoolean() const { return type() == ValueType::Boolean; }
  bool isArray() const { return type() == ValueType::Array; }
  bool isPacket() const { return type() == ValueType::Packet; }

  // Strict accessors: throw std::bad_variant_access on a type mismatch.
  const std::string& text() const { return std::get<std::string>(v_); }
  double number() const { return std::get<double>(v_); }
  DateTime dateTime() const { return std::get<DateTime>(v_); }
  bool boolean() const { return std::get<bool>(v_); }
  const ValueArray& array() const { return *std::get<std::shared_ptr<const ValueArray>>(v_); }
  const DataPacket& packet() const { return *std::get<std::shared_ptr<const DataPacket>>(v_); }
  const std::shared_ptr<const DataPacket>& packetPtr() const { return std::get<std::shared_ptr<const DataPacket>>(v_); }

  // Lenient conversions, as the screen reads a field whatever its type.
  // Null converts to "" / 0 / day 0 / false. A text that is not a number
  // converts to 0 in asNumber (use the formatting helpers to parse strictly).
  std::string asText() const;
  double asNumber() const;
  DateTime asDateTime() const;
  bool asBoolean() const;

  // Deep equality: same type and same content (arrays and packets compared
  // element by element). Numbers compare with ==, so NaN != NaN.
  friend bool operator==(const Value& a, const Value& b);

 private:
  std::variant<std::monostate, std::string, double, DateTime, bool, std::shared_ptr<const ValueArray>,
               std::shared_ptr<const DataPacket>>
      v_;
};

}  // namespace platform
