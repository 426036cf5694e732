#include "platform/value.h"

#include "platform/datapacket.h"
#include "platform/datetime.h"
#include "platform/format.h"

namespace platform {

Value::Value(std::shared_ptr<const DataPacket> p) : v_(std::move(p)) {}
Value::Value(DataPacket p) : v_(std::make_shared<const DataPacket>(std::move(p))) {}

std::string Value::asText() const {
  switch (type()) {
    case ValueType::Null:
      return {};
    case ValueType::Text:
      return text();
    case ValueType::Number:
      return formatGeneral(number());
    case ValueType::DateTime:
      return formatDateTime(dateTime());
    case ValueType::Boolean:
      return boolean() ? "True" : "False";
    case ValueType::Array:
      return "(array)";
    case ValueType::Packet:
      return "(packet)";
  }
  return {};
}

double Value::asNumber() const {
  switch (type()) {
    case ValueType::Number:
      return number();
    case ValueType::DateTime:
      return dateTime().days;
    case ValueType::Boolean:
      return boolean() ? 1.0 : 0.0;
    case ValueType::Text:
      return parseGeneral(text()).value_or(0.0);
    default:
      return 0.0;
  }
}

DateTime Value::asDateTime() const {
  switch (type()) {
    case ValueType::DateTime:
      return dateTime();
    case ValueType::Number:
      return DateTime(number());
    case ValueType::Text: {
      auto d = parseDateTime(text());
      return d ? *d : DateTime();
    }
    default:
      return DateTime();
  }
}

bool Value::asBoolean() const {
  switch (type()) {
    case ValueType::Boolean:
      return boolean();
    case ValueType::Number:
      return number() != 0.0;
    case ValueType::Text:
      return text() == "S" || text() == "T" || text() == "True" || text() == "1";
    default:
      return false;
  }
}

bool operator==(const Value& a, const Value& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case ValueType::Null:
      return true;
    case ValueType::Text:
      return a.text() == b.text();
    case ValueType::Number:
      return a.number() == b.number();
    case ValueType::DateTime:
      return a.dateTime() == b.dateTime();
    case ValueType::Boolean:
      return a.boolean() == b.boolean();
    case ValueType::Array:
      return a.array() == b.array();
    case ValueType::Packet:
      return a.packet() == b.packet();
  }
  return false;
}

}  // namespace platform
