#include "server/valuedomain.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/datetime.h"
#include "platform/text.h"

namespace server {

using platform::Value;

namespace {

bool dateInRange(double days) {
  static const double first = platform::encodeDate(1, 1, 1).days;
  static const double afterLast = platform::encodeDate(9999, 12, 31).days + 1;
  return std::isfinite(days) && days >= first && days < afterLast;
}

std::string scalarRefusal(const Value& v, std::string_view what) {
  const std::string name(what);
  if (v.isText()) {
    if (std::memchr(v.text().data(), '\0', v.text().size()))
      return "o " + name + " contém um caractere nulo, que não pode ser gravado.";
  } else if (v.isNumber()) {
    if (!std::isfinite(v.number())) return "o " + name + " não é um número válido.";
  } else if (v.isDateTime()) {
    if (!dateInRange(v.dateTime().days)) return "a data do " + name + " está fora do intervalo aceito (anos 1 a 9999).";
  }
  return {};
}

std::size_t characters(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

int intAfter(std::string_view s, std::size_t& pos) {
  while (pos < s.size() && !std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
  int v = 0;
  auto [p, ec] = std::from_chars(s.data() + pos, s.data() + s.size(), v);
  pos = static_cast<std::size_t>(p - s.data());
  return ec == std::errc() ? v : 0;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

std::string valueRefusal(const Value& v, std::string_view what) {
  if (!v.isPacket()) return scalarRefusal(v, what);
  const platform::DataPacket& p = v.packet();
  for (const platform::PacketRow& row : p.rows)
    for (const auto* values : {&row.values, &row.original})
      for (std::size_t i = 0; i < values->size() && i < p.fields.size(); ++i)
        if (std::string why = scalarRefusal((*values)[i], "campo " + p.fields[i].name); !why.empty()) return why;
  return {};
}

ColumnDomain columnDomain(std::string_view declaredType) {
  const std::string t = platform::upperAscii(platform::trim(declaredType));
  ColumnDomain d;
  std::size_t pos = t.find('(');
  if (startsWith(t, "VARCHAR") || startsWith(t, "CHAR") || startsWith(t, "CHARACTER")) {
    d.kind = ColumnDomain::Kind::Text;
    if (pos != std::string::npos) d.length = intAfter(t, pos);
  } else if (startsWith(t, "NUMERIC") || startsWith(t, "DECIMAL")) {
    d.kind = ColumnDomain::Kind::Decimal;
    if (pos != std::string::npos) {
      d.precision = intAfter(t, pos);
      if (pos < t.size() && t[pos] == ',') d.scale = intAfter(t, pos);
    }
  } else if (t == "INTEGER" || t == "INT" || t == "SMALLINT" || t == "INT4") {
    d.kind = ColumnDomain::Kind::Integer;
  } else if (startsWith(t, "DOUBLE") || t == "REAL" || t == "FLOAT") {
    d.kind = ColumnDomain::Kind::Float;
  } else if (startsWith(t, "TIMESTAMP") || t == "DATETIME" || t == "DATE") {
    d.kind = ColumnDomain::Kind::Date;
  }
  return d;
}

std::string columnRefusal(const Value& v, const ColumnDomain& column, std::string_view field) {
  if (v.isNull()) return {};
  const std::string name(field);
  if (std::string why = scalarRefusal(v, "campo " + name); !why.empty()) {
    why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
    return why;
  }
  using Kind = ColumnDomain::Kind;
  switch (column.kind) {
    case Kind::Text: {
      if (!v.isText() || column.length <= 0) break;
      // Trailing blanks beyond the width are dropped by PostgreSQL; they do
      // not count on either database.
      std::string_view s = v.text();
      while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
      if (const std::size_t n = characters(s); n > static_cast<std::size_t>(column.length))
        return "O campo " + name + " aceita no máximo " + std::to_string(column.length) + " caracteres (informados " +
               std::to_string(n) + ").";
      break;
    }
    case Kind::Decimal: {
      if (!v.isNumber() || column.precision <= 0) break;
      const double scaled = std::round(std::fabs(v.number()) * std::pow(10.0, column.scale));
      if (scaled >= std::pow(10.0, column.precision))
        return "O valor do campo " + name + " excede o limite de " + std::to_string(column.precision - column.scale) +
               " dígitos antes da vírgula.";
      break;
    }
    case Kind::Integer:
      if (v.isNumber() && std::fabs(v.number()) > 2147483647.0)
        return "O valor do campo " + name + " excede o maior número inteiro aceito.";
      break;
    case Kind::Date:
      if (v.isNumber() && !dateInRange(v.number()))
        return "A data do campo " + name + " está fora do intervalo aceito (anos 1 a 9999).";
      break;
    case Kind::Float:
    case Kind::Other:
      break;
  }
  return {};
}

}  // namespace server
