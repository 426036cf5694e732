#include "platform/field.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "platform/abort.h"
#include "platform/dataset.h"
#include "platform/datetime.h"
#include "platform/format.h"
#include "platform/rowstore.h"
#include "platform/text.h"

namespace platform {
namespace {

[[noreturn]] void invalidText(std::string_view text, const char* what) {
  throw UserError("'" + std::string(text) + "' " + what);
}

constexpr const char* kNotNumber = "não é um valor numérico válido.";
constexpr const char* kNotInteger = "não é um valor inteiro válido.";
constexpr const char* kNotDate = "não é uma data válida.";
constexpr const char* kNotBoolean = "não é um valor lógico válido.";

// A number as typed on a Brazilian screen. Thousands separators are accepted
// only in their places (1.234.567,89): "12.5" typed out of habit would
// otherwise read silently as 125.
std::optional<double> parseTypedNumber(std::string_view text) {
  const std::string t = trim(text);
  std::string_view digits = t;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  digits = digits.substr(0, digits.find(kBrazil.decimal));
  if (digits.find(kBrazil.thousands) != std::string_view::npos) {
    size_t group = digits.find(kBrazil.thousands);
    if (group == 0 || group > 3) return std::nullopt;
    while (group != std::string_view::npos) {
      const size_t next = digits.find(kBrazil.thousands, group + 1);
      const size_t end = next == std::string_view::npos ? digits.size() : next;
      if (end - group - 1 != 3) return std::nullopt;
      group = next;
    }
  }
  return parseNumber(t, kBrazil);
}

std::optional<bool> parseBoolean(std::string_view text) {
  std::string t = lowerAscii(trim(text));
  if (t == "nÃo") t = "não";  // lowerAscii leaves accented capitals alone
  for (const char* yes : {"true", "t", "s", "sim", "verdadeiro", "1"})
    if (t == yes) return true;
  for (const char* no : {"false", "f", "n", "não", "nao", "falso", "0"})
    if (t == no) return false;
  return std::nullopt;
}

double textToNumber(std::string_view text) {
  const auto d = parseTypedNumber(text);
  if (!d) invalidText(text, kNotNumber);
  return *d;
}

DateTime textToDate(std::string_view text) {
  const auto d = parseDateTime(text);
  if (!d) invalidText(text, kNotDate);
  return *d;
}

bool textToBoolean(std::string_view text) {
  const auto b = parseBoolean(text);
  if (!b) invalidText(text, kNotBoolean);
  return *b;
}

bool isBlank(std::string_view s) { return trim(s).empty(); }

[[noreturn]] void incompatible(FieldType type) {
  static const char* const kNames[] = {"texto", "texto fixo", "número", "data", "lógico", "inteiro"};
  throw std::invalid_argument(std::string("valor incompatível com campo do tipo ") + kNames[static_cast<int>(type)]);
}

std::string scalarText(const Value& v) { return v.isNumber() ? formatGeneral(v.number(), kBrazil) : v.asText(); }

}  // namespace

Value convertToFieldType(const Value& v, FieldType type, int size) {
  if (v.isNull()) return v;
  if (v.isArray() || v.isPacket()) incompatible(type);
  switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
      return Value(fitText(v.isText() ? v.text() : scalarText(v), {type, size}));
    case FieldType::Float:
    case FieldType::Integer: {
      double d;
      if (v.isText()) {
        if (isBlank(v.text())) return Value();
        d = textToNumber(v.text());
        if (type == FieldType::Integer && d != std::trunc(d)) invalidText(v.text(), kNotInteger);
      } else {
        d = v.asNumber();
      }
      return Value(type == FieldType::Integer ? std::round(d) : d);
    }
    case FieldType::DateTime:
      if (v.isBoolean()) incompatible(type);
      if (v.isText()) return isBlank(v.text()) ? Value() : Value(textToDate(v.text()));
      return Value(v.asDateTime());
    case FieldType::Boolean:
      if (v.isDateTime()) incompatible(type);
      if (v.isText()) return isBlank(v.text()) ? Value() : Value(textToBoolean(v.text()));
      return Value(v.asBoolean());
  }
  incompatible(type);
}

std::string formatDatePattern(DateTime dt, std::string_view pattern) {
  const CivilDate d = decodeDate(dt);
  const ClockTime t = decodeTime(dt);
  std::string out;
  char buf[8];
  for (size_t i = 0; i < pattern.size();) {
    const char c = static_cast<char>(pattern[i] | 0x20);
    if (pattern[i] == '"' || pattern[i] == '\'') {
      const size_t close = pattern.find(pattern[i], i + 1);
      const size_t end = close == std::string_view::npos ? pattern.size() : close;
      out.append(pattern.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (c != 'd' && c != 'm' && c != 'y' && c != 'h' && c != 'n' && c != 's') {
      out += pattern[i++];
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && (pattern[i + run] | 0x20) == c) ++run;
    i += run;
    int value = 0;
    switch (c) {
      case 'd':
        value = d.day;
        break;
      case 'm':
        value = d.month;
        break;
      case 'h':
        value = t.hour;
        break;
      case 'n':
        value = t.minute;
        break;
      case 's':
        value = t.second;
        break;
      case 'y':
        value = run <= 2 ? d.year % 100 : d.year;
        break;
    }
    const int width = c == 'y' ? (run <= 2 ? 2 : 4) : (run >= 2 ? 2 : 1);
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    out += buf;
  }
  return out;
}

Field::Field(ClientDataSet& ds, std::string name, FieldType type, int size, FieldKind kind, int index)
    : ds_(&ds),
      name_(std::move(name)),
      type_(type),
      size_(size),
      kind_(kind),
      index_(index),
      alignment_(type == FieldType::Float || type == FieldType::Integer ? Alignment::Right : Alignment::Left),
      displayWidth_(type == FieldType::String || type == FieldType::FixedString ? size
                    : type == FieldType::DateTime                               ? 18
                                                                                : 10) {}

Value Field::value() const { return ds_->fieldValue(*this); }
void Field::setValue(const Value& v) { ds_->setFieldValue(*this, v); }
Value Field::oldValue() const { return ds_->oldFieldValue(*this); }
Value Field::convert(const Value& v) const { return convertToFieldType(v, type_, size_); }
void Field::focusControl() { ds_->focusField(*this); }

std::string Field::asString() const {
  const Value v = value();
  if (v.isText()) return v.text();
  return v.isNull() ? std::string() : scalarText(v);
}

double Field::asFloat() const {
  const Value v = value();
  if (!v.isText()) return v.asNumber();
  return isBlank(v.text()) ? 0.0 : textToNumber(v.text());
}

long long Field::asInteger() const { return std::llround(asFloat()); }

DateTime Field::asDateTime() const {
  const Value v = value();
  if (!v.isText()) return v.asDateTime();
  return isBlank(v.text()) ? DateTime() : textToDate(v.text());
}

bool Field::asBoolean() const {
  const Value v = value();
  if (!v.isText()) return v.asBoolean();
  return isBlank(v.text()) ? false : textToBoolean(v.text());
}

std::string Field::defaultText(bool display) const {
  const Value v = value();
  if (v.isNull()) return {};
  const std::string& format = display || editFormat_.empty() ? displayFormat_ : editFormat_;
  switch (type_) {
    case FieldType::String:
    case FieldType::FixedString:
      return v.asText();
    case FieldType::Float:
    case FieldType::Integer:
      return format.empty() ? formatGeneral(v.asNumber(), kBrazil) : formatNumber(v.asNumber(), format);
    case FieldType::DateTime:
      return format.empty() ? formatDateTime(v.asDateTime()) : formatDatePattern(v.asDateTime(), format);
    case FieldType::Boolean: {
      const size_t semi = displayFormat_.find(';');
      if (semi == std::string::npos) return v.asBoolean() ? "Sim" : "Não";
      return v.asBoolean() ? displayFormat_.substr(0, semi) : displayFormat_.substr(semi + 1);
    }
  }
  return v.asText();
}

std::string Field::text() const {
  std::string t = defaultText(false);
  if (OnGetText) OnGetText(const_cast<Field&>(*this), t, false);
  return t;
}

std::string Field::displayText() const {
  std::string t = defaultText(true);
  if (OnGetText) OnGetText(const_cast<Field&>(*this), t, true);
  return t;
}

void Field::setText(const std::string& text) {
  if (OnSetText)
    OnSetText(*this, text);
  else if (text.empty())
    clear();
  else
    setValue(Value(text));
}

}  // namespace platform
