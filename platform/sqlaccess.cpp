#include "platform/sqlaccess.h"
#include "platform/sqlconstraint.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <deque>
#include <functional>
#include <optional>

#include "platform/datetime.h"
#include "platform/format.h"
#include "platform/text.h"

namespace platform {
namespace {

bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Walks a statement text and calls onParam(name) for each ":NAME" outside
// literals, quoted identifiers and comments; comments are handed to onText as
// one blank, every other piece of text unchanged.
template <class OnText, class OnParam>
void scanParameters(std::string_view sql, OnText onText, OnParam onParam) {
  size_t i = 0, plain = 0;
  auto skipTo = [&](std::string_view end, size_t from) {
    const size_t p = sql.find(end, from);
    return p == std::string_view::npos ? sql.size() : p + end.size();
  };
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      // A doubled quote inside a literal is an escaped quote: scanning on
      // from the closing quote re-enters the literal, which is equivalent.
      i = skipTo(std::string_view(&c, 1), i + 1);
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      onText(sql.substr(plain, i - plain));
      i = plain = skipTo("\n", i + 2);
      onText(" ");
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      onText(sql.substr(plain, i - plain));
      i = plain = skipTo("*/", i + 2);
      onText(" ");
    } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      i += 2;
    } else if (c == ':' && i + 1 < sql.size() && isNameStart(sql[i + 1])) {
      size_t e = i + 1;
      while (e < sql.size() && isNameChar(sql[e])) ++e;
      onText(sql.substr(plain, i - plain));
      onParam(std::string(sql.substr(i + 1, e - i - 1)));
      i = plain = e;
    } else {
      ++i;
    }
  }
  onText(sql.substr(plain));
}

std::string dbMessage(const std::exception& e) { return trim(e.what()); }

// A failed write, telling constraint refusals (a taken key, a missing
// referenced row) apart so that the server can word them for the user.
SqlError writeError(const soci::soci_error& e) {
  std::string text = "Erro no banco de dados: " + dbMessage(e);
  using Kind = SqlConstraintError::Kind;
  if (const auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&e)) {
    const std::string state = pg->sqlstate();
    if (state == "23505") throw SqlConstraintError(text, Kind::Unique);
    if (state == "23503") throw SqlConstraintError(text, Kind::ForeignKey);
    if (state.rfind("23", 0) == 0) throw SqlConstraintError(text, Kind::Other);
  } else if (e.get_error_category() == soci::soci_error::constraint_violation ||
             text.find("constraint failed") != std::string::npos) {
    if (text.find("UNIQUE constraint") != std::string::npos || text.find("PRIMARY KEY constraint") != std::string::npos)
      throw SqlConstraintError(text, Kind::Unique);
    if (text.find("FOREIGN KEY constraint") != std::string::npos) throw SqlConstraintError(text, Kind::ForeignKey);
    throw SqlConstraintError(text, Kind::Other);
  }
  return SqlError(text);
}

// --- values <-> database types ---

std::tm toTm(DateTime dt) {
  DateTime day = dateOf(dt);
  long long secs = std::llround(timeOf(dt) * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    day = DateTime(day.days + 1);
  }
  const CivilDate c = decodeDate(day);
  std::tm t{};
  t.tm_year = c.year - 1900;
  t.tm_mon = c.month - 1;
  t.tm_mday = c.day;
  t.tm_hour = static_cast<int>(secs / 3600);
  t.tm_min = static_cast<int>(secs / 60 % 60);
  t.tm_sec = static_cast<int>(secs % 60);
  return t;
}

DateTime fromTm(const std::tm& t) {
  const int y = t.tm_year + 1900, m = t.tm_mon + 1;
  if (!isValidDate(y, m, t.tm_mday) || !isValidTime(t.tm_hour, t.tm_min, t.tm_sec))
    throw SqlError("Data inválida lida do banco de dados.");
  return encodeDateTime(y, m, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The text without leading and trailing blanks, without copying it: cells
// are parsed by the hundred thousand when a busy day is read.
std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool parseDouble(std::string_view s, double& out) {
  const std::string_view t = trimmed(s);
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (*b == '+') ++b;
  auto [p, ec] = std::from_chars(b, e, out);
  return ec == std::errc() && p == e;
}

int digits(std::string_view s, size_t pos, size_t n, bool& ok) {
  int v = 0;
  if (pos + n > s.size()) {
    ok = false;
    return 0;
  }
  for (size_t i = pos; i < pos + n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) ok = false;
    v = v * 10 + (s[i] - '0');
  }
  return v;
}

// "YYYY-MM-DD", optionally followed by " HH:MM[:SS[.fff]]" (or a "T"), as
// the databases write dates in text; anything else is tried as a date typed
// in the Brazilian form.
std::optional<DateTime> parseDbDate(std::string_view text, bool keepMillis = true) {
  const std::string_view s = trimmed(text);
  bool ok = s.size() >= 10 && s[4] == '-' && s[7] == '-';
  const int y = digits(s, 0, 4, ok), m = digits(s, 5, 2, ok), d = digits(s, 8, 2, ok);
  if (!ok) return parseDateTime(s);
  int hh = 0, mm = 0, ss = 0, ms = 0;
  if (s.size() > 10) {
    ok = (s[10] == ' ' || s[10] == 'T') && s.size() >= 16 && s[13] == ':';
    hh = digits(s, 11, 2, ok);
    mm = digits(s, 14, 2, ok);
    if (ok && s.size() >= 19 && s[16] == ':') ss = digits(s, 17, 2, ok);
    if (ok && s.size() > 20 && s[19] == '.') {
      size_t e = 20;
      double frac = 0, scale = 0.1;
      while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) {
        frac += (s[e++] - '0') * scale;
        scale /= 10;
      }
      ms = keepMillis ? static_cast<int>(std::lround(frac * 1000)) : 0;
      if (ms > 999) ms = 999;
    }
  }
  if (!ok || !isValidDate(y, m, d) || !isValidTime(hh, mm, ss, ms)) return std::nullopt;
  return encodeDateTime(y, m, d, hh, mm, ss, ms);
}

// Shortest text that reads back as the same double: 0.3 is "0.3", so that
// a NUMERIC column compares equal to it.
std::string numberText(double d) {
  char buf[32];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, d);
  return ec == std::errc() ? std::string(buf, p) : std::to_string(d);
}

std::string dbDateText(DateTime dt) {
  const std::tm t = toTm(dt);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                t.tm_min, t.tm_sec);
  return buf;
}

[[noreturn]] void badValue(std::string_view name, const Value& v, std::string_view expected) {
  throw SqlError("Valor '" + v.asText() + "' de " + std::string(name) + " não é " + std::string(expected) + ".");
}

// --- parameter binding ---

enum class SlotKind { Text, Number, Integer, Date };

struct Slot {
  SlotKind kind = SlotKind::Text;
  std::string name;
  std::string text;
  double number = 0;
  long long integer = 0;
  soci::indicator ind = soci::i_ok;
};

SlotKind kindOf(FieldType t) {
  switch (t) {
    case FieldType::Float:
      return SlotKind::Number;
    case FieldType::Integer:
    case FieldType::Boolean:
      return SlotKind::Integer;
    case FieldType::DateTime:
      return SlotKind::Date;
    default:
      return SlotKind::Text;
  }
}

SlotKind kindOf(const Value& v) {
  switch (v.type()) {
    case ValueType::Number:
      return std::trunc(v.number()) == v.number() && std::fabs(v.number()) < 9e15 ? SlotKind::Integer
                                                                                  : SlotKind::Number;
    case ValueType::Boolean:
      return SlotKind::Integer;
    case ValueType::DateTime:
      return SlotKind::Date;
    default:
      return SlotKind::Text;
  }
}

void assign(Slot& s, const Value& v) {
  if (v.isArray() || v.isPacket()) badValue(s.name, v, "um valor simples");
  if (v.isNull()) {
    s.ind = soci::i_null;
    return;
  }
  s.ind = soci::i_ok;
  switch (s.kind) {
    case SlotKind::Text:
      if (v.isText())
        s.text = v.text();
      else if (v.isNumber())
        s.text = numberText(v.number());
      else if (v.isDateTime())
        s.text = dbDateText(v.dateTime());
      else
        s.text = v.boolean() ? "1" : "0";
      return;
    case SlotKind::Number:
    case SlotKind::Integer: {
      double d = 0;
      if (v.isNumber())
        d = v.number();
      else if (v.isBoolean())
        d = v.boolean() ? 1 : 0;
      else if (!v.isText() || !parseDouble(v.text(), d))
        badValue(s.name, v, "um número");
      if (s.kind == SlotKind::Number) {
        s.number = d;
        s.text = numberText(d);
      } else {
        s.integer = std::llround(d);
      }
      return;
    }
    case SlotKind::Date: {
      if (v.isDateTime())
        s.text = dbDateText(v.dateTime());
      else if (v.isNumber())
        s.text = dbDateText(DateTime(v.number()));
      else if (auto d = v.isText() ? parseDbDate(v.text()) : std::nullopt)
        s.text = dbDateText(*d);
      else
        badValue(s.name, v, "uma data");
      return;
    }
  }
}

// Slots live in a deque so that the references handed to SOCI stay valid.
// Date-times go as text in the databases' own form: SOCI's SQLite backend
// frees the buffer of a bound std::tm from its per-execution data even when
// the statement never ran (a failed prepare), writing out of bounds.
// PostgreSQL receives every parameter as text; SOCI would print a double
// with 20 digits (0.3 as 0.29999999999999998890), which no NUMERIC column
// equals, so numbers go as their shortest text instead.
void bindSlots(soci::statement& st, std::deque<Slot>& slots, SqlDialect dialect) {
  for (Slot& s : slots) {
    switch (s.kind) {
      case SlotKind::Text:
        st.exchange(soci::use(s.text, s.ind));
        break;
      case SlotKind::Number:
        if (dialect == SqlDialect::PostgreSQL)
          st.exchange(soci::use(s.text, s.ind));
        else
          st.exchange(soci::use(s.number, s.ind));
        break;
      case SlotKind::Integer:
        st.exchange(soci::use(s.integer, s.ind));
        break;
      case SlotKind::Date:
        st.exchange(soci::use(s.text, s.ind));
        break;
    }
  }
}

const Value& paramValue(const SqlParams& params, const std::string& name) {
  for (const SqlParam& p : params)
    if (equalsIgnoreCase(p.name, name)) return p.value;
  throw SqlError("Parâmetro :" + name + " sem valor.");
}

// One slot per occurrence, typed by the value given for its name.
std::deque<Slot> slotsFor(const PositionalSql& p, const SqlParams& params) {
  std::deque<Slot> slots;
  for (const std::string& name : p.names) {
    const Value& v = paramValue(params, name);
    Slot& s = slots.emplace_back();
    s.name = name;
    s.kind = kindOf(v);
    assign(s, v);
  }
  return slots;
}

// PostgreSQL infers each parameter's type from where it stands, and cannot
// for a test like ":D IS NULL"; date-time values are given their type in
// the text, which also keeps them from being compared as texts.
void typeDates(PositionalSql& p, const std::deque<Slot>& slots, SqlDialect dialect) {
  if (dialect != SqlDialect::PostgreSQL ||
      std::none_of(slots.begin(), slots.end(), [](const Slot& s) { return s.kind == SlotKind::Date; }))
    return;
  std::string out;
  size_t k = 0;
  scanParameters(
      p.text, [&](std::string_view t) { out += t; },
      [&](const std::string& name) {
        out += slots[k++].kind == SlotKind::Date ? "CAST(:" + name + " AS TIMESTAMP)" : ":" + name;
      });
  p.text = std::move(out);
}

// A statement run once is sent with its values in one message (PostgreSQL's
// PQexecParams): preparing it by name would cost a round trip to prepare
// and another to deallocate, for every query of every call. Only a command
// executed many times (SqlCommand) is worth preparing.
enum class Runs { Once, Repeatedly };

void prepare(soci::statement& st, const std::string& text, Runs runs = Runs::Once) {
  st.alloc();
  st.prepare(text, runs == Runs::Once ? soci::details::st_one_time_query : soci::details::st_repeatable_query);
  st.define_and_bind();
}

// --- reading rows ---

FieldType inferredType(soci::data_type t, const std::string& name) {
  switch (t) {
    case soci::dt_string:
      return FieldType::String;
    case soci::dt_date:
      return FieldType::DateTime;
    case soci::dt_double:
      return FieldType::Float;
    case soci::dt_integer:
    case soci::dt_long_long:
    case soci::dt_unsigned_long_long:
      return FieldType::Integer;
    default:
      throw SqlError("Coluna " + name + " de tipo não suportado.");
  }
}

struct Column {
  size_t field = 0;  // index in the packet's fields
  soci::data_type source = soci::dt_string;
  FieldType type = FieldType::String;
  bool inferred = false;
  size_t longest = 0;
};

// A text cell converted to the field's type; `owned`, when given, is the
// same text already in a string of its own, moved into the value instead of
// copied.
Value fromText(std::string_view s, const Column& c, const std::string& name, std::string* owned = nullptr) {
  switch (c.type) {
    case FieldType::String:
    case FieldType::FixedString:
      return owned ? Value(std::move(*owned)) : Value(s);
    case FieldType::Float:
    case FieldType::Integer: {
      double d = 0;
      if (trimmed(s).empty()) return Value();
      if (!parseDouble(s, d)) badValue(name, Value(s), "um número");
      return Value(d);
    }
    case FieldType::DateTime: {
      if (trimmed(s).empty()) return Value();
      auto d = parseDbDate(s);
      if (!d) badValue(name, Value(s), "uma data");
      return Value(*d);
    }
    case FieldType::Boolean:
      return Value(s == "S" || s == "T" || s == "1" || s == "true");
  }
  return Value();
}

Value fromNumber(double d, const Column& c, const std::string& name) {
  switch (c.type) {
    case FieldType::String:
    case FieldType::FixedString:
      return Value(numberText(d));
    case FieldType::Float:
    case FieldType::Integer:
      return Value(d);
    case FieldType::Boolean:
      return Value(d != 0);
    case FieldType::DateTime:
      badValue(name, Value(d), "uma data");
  }
  return Value();
}

// A cell the database describes as a date.
Value fromDate(DateTime d, const Column& c, const std::string& name) {
  if (c.type == FieldType::DateTime) return Value(d);
  if (c.type == FieldType::String || c.type == FieldType::FixedString) return Value(formatDateTime(d));
  badValue(name, Value(d), "compatível com o campo declarado");
}

Value readCell(const soci::row& r, size_t i, const Column& c, const std::string& name) {
  if (r.get_indicator(i) == soci::i_null) return Value();
  switch (c.source) {
    case soci::dt_string: {
      std::string s = r.get<std::string>(i);
      return fromText(s, c, name, &s);
    }
    case soci::dt_double:
      return fromNumber(r.get<double>(i), c, name);
    case soci::dt_integer:
      return fromNumber(r.get<int>(i), c, name);
    case soci::dt_long_long:
      return fromNumber(static_cast<double>(r.get<long long>(i)), c, name);
    case soci::dt_unsigned_long_long:
      return fromNumber(static_cast<double>(r.get<unsigned long long>(i)), c, name);
    case soci::dt_date:
      return fromDate(fromTm(r.get<std::tm>(i)), c, name);
    default:
      throw SqlError("Coluna " + name + " de tipo não suportado.");
  }
}

// SQLite: the cell of the row the statement stands on, read straight from
// the engine but as SOCI describes its column, so that every value comes out
// as SOCI's own row would give it. SOCI's row costs a type-erased holder, a
// string copy and a date parse through std::tm for every cell, which is
// most of the time spent reading a busy day.
//
// The cell is taken once as an engine value: every sqlite3_column_* call
// locks the connection's mutex, and a busy day has half a million cells.
// Reading the value without the lock is safe because a session is used by
// one thread at a time.
std::string_view sqliteText(sqlite_api::sqlite3_value* v) {
  const auto* p = reinterpret_cast<const char*>(sqlite_api::sqlite3_value_text(v));
  if (!p) throw SqlError("Erro no banco de dados: memória insuficiente.");
  return {p, static_cast<size_t>(sqlite_api::sqlite3_value_bytes(v))};
}

Value readSqliteCell(sqlite_api::sqlite3_stmt* stmt, int i, const Column& c, const std::string& name) {
  using namespace sqlite_api;
  sqlite3_value* v = sqlite3_column_value(stmt, i);
  if (sqlite3_value_type(v) == SQLITE_NULL) return Value();
  switch (c.source) {
    case soci::dt_string:
      return fromText(sqliteText(v), c, name);
    case soci::dt_double:
      return fromNumber(sqlite3_value_double(v), c, name);
    case soci::dt_integer:
      return fromNumber(sqlite3_value_int(v), c, name);
    case soci::dt_long_long:
      return fromNumber(static_cast<double>(sqlite3_value_int64(v)), c, name);
    case soci::dt_unsigned_long_long:
      return fromNumber(static_cast<double>(static_cast<unsigned long long>(sqlite3_value_int64(v))), c, name);
    case soci::dt_date: {
      // To the second, as a date read through std::tm.
      const std::optional<DateTime> d = parseDbDate(sqliteText(v), false);
      if (!d) throw SqlError("Data inválida lida do banco de dados.");
      return fromDate(*d, c, name);
    }
    default:
      throw SqlError("Coluna " + name + " de tipo não suportado.");
  }
}

// PostgreSQL: the cell of a row of the result SOCI received, parsed from
// libpq's text straight into the value, again as SOCI describes the column.
Value readPgCell(const PGresult* res, int row, int i, const Column& c, const std::string& name) {
  if (PQgetisnull(res, row, i)) return Value();
  const std::string_view text(PQgetvalue(res, row, i), static_cast<size_t>(PQgetlength(res, row, i)));
  switch (c.source) {
    case soci::dt_string:
      return fromText(text, c, name);
    case soci::dt_double: {
      double d = 0;
      if (!parseDouble(text, d)) badValue(name, Value(text), "um número");
      return fromNumber(d, c, name);
    }
    case soci::dt_integer:
    case soci::dt_long_long: {
      long long n = 0;
      const std::string_view t = trimmed(text);
      auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
      if (ec != std::errc() || p != t.data() + t.size() || t.empty()) badValue(name, Value(text), "um número");
      return fromNumber(static_cast<double>(n), c, name);
    }
    case soci::dt_date: {
      const std::optional<DateTime> d = parseDbDate(text, false);
      if (!d) throw SqlError("Data inválida lida do banco de dados.");
      return fromDate(*d, c, name);
    }
    default:
      throw SqlError("Coluna " + name + " de tipo não suportado.");
  }
}

// The result behind a SOCI PostgreSQL statement when it holds every row
// (SOCI's default; not in its single-row mode), else null.
soci::postgresql_statement_backend* pgStatement(soci::statement& st, SqlDialect dialect) {
  if (dialect != SqlDialect::PostgreSQL) return nullptr;
  auto* be = static_cast<soci::postgresql_statement_backend*>(st.get_backend());
  return be && !be->single_row_mode_ && !be->hasVectorIntoElements_ && be->result_.get_result() != nullptr ? be
                                                                                                           : nullptr;
}

// Columns whose cells the direct readers convert; anything else (blobs,
// XML...) goes through SOCI's row.
bool directlyReadable(const std::vector<Column>& cols) {
  return std::all_of(cols.begin(), cols.end(), [](const Column& c) {
    return c.source == soci::dt_string || c.source == soci::dt_double || c.source == soci::dt_integer ||
           c.source == soci::dt_long_long || c.source == soci::dt_date;
  });
}

// The SQLite statement behind a SOCI statement whose row is read one at a
// time, or null when the rows are not SQLite's or SOCI buffers them itself.
sqlite_api::sqlite3_stmt* sqliteStatement(soci::statement& st, SqlDialect dialect) {
  // SOCI's backend library does not export its classes' type information,
  // so the backend is known from the dialect (SQLite sessions are only ever
  // opened with SOCI's sqlite3 backend) rather than by a checked cast.
  if (dialect != SqlDialect::SQLite) return nullptr;
  auto* be = static_cast<soci::sqlite3_statement_backend*>(st.get_backend());
  return be && !be->hasVectorIntoElements_ ? be->stmt_ : nullptr;
}

std::vector<Column> mapColumns(const soci::row& r, DataPacket& packet, std::vector<std::string>& names) {
  std::vector<Column> cols(r.size());
  std::vector<bool> filled(packet.fields.size(), false);
  for (size_t i = 0; i < r.size(); ++i) {
    const soci::column_properties& p = r.get_properties(i);
    names.push_back(upperAscii(p.get_name()));
    Column& c = cols[i];
    c.source = p.get_data_type();
    const int declared = packet.fieldIndex(names.back());
    if (declared >= 0 && !filled[static_cast<size_t>(declared)]) {
      c.field = static_cast<size_t>(declared);
      c.type = packet.fields[c.field].type;
      filled[c.field] = true;
    } else {
      c.field = packet.fields.size();
      c.type = inferredType(c.source, names.back());
      c.inferred = true;
      packet.fields.push_back({names.back(), c.type, 0, false});
    }
  }
  for (size_t f = 0; f < filled.size(); ++f)
    if (!filled[f]) throw SqlError("Campo " + packet.fields[f].name + " não consta do resultado da consulta.");
  return cols;
}

}  // namespace

PositionalSql toPositional(std::string_view sql, SqlDialect dialect) {
  PositionalSql out;
  out.text.reserve(sql.size() + 16);
  scanParameters(
      sql, [&](std::string_view t) { out.text += t; },
      [&](std::string name) {
        out.names.push_back(std::move(name));
        out.text += dialect == SqlDialect::PostgreSQL ? ":p" + std::to_string(out.names.size()) : std::string("?");
      });
  return out;
}

std::vector<std::string> parameterNames(std::string_view sql) {
  std::vector<std::string> names;
  scanParameters(
      sql, [](std::string_view) {},
      [&](std::string name) {
        for (const std::string& n : names)
          if (equalsIgnoreCase(n, name)) return;
        names.push_back(std::move(name));
      });
  return names;
}

namespace {

// Runs a SELECT and hands each row to rows: rows.next() answers the vector
// to fill (empty), rows.done() is told when it is filled. The packet's
// fields are completed as sqlSelect describes.
template <class Rows>
void selectInto(soci::session& session, std::string_view sql, const SqlParams& params, DataPacket& packet, Rows& rows) {
  const SqlDialect dialect = dialectOf(session);
  PositionalSql p = toPositional(sql, dialect);
  std::deque<Slot> slots = slotsFor(p, params);
  typeDates(p, slots, dialect);
  try {
    soci::row r;
    soci::statement st(session);
    bindSlots(st, slots, dialect);
    st.exchange(soci::into(r));
    prepare(st, p.text);
    bool more = st.execute(true);
    std::vector<Column> cols;
    std::vector<std::string> names;
    if (more || r.size() > 0) cols = mapColumns(r, packet, names);
    const size_t width = packet.fields.size();
    // Result columns usually come in the fields' order; then each value is
    // built in its place rather than assigned over a null.
    bool inOrder = cols.size() == width;
    for (size_t i = 0; inOrder && i < cols.size(); ++i) inOrder = cols[i].field == i;
    auto addRow = [&](auto&& read) {
      std::vector<Value>& values = rows.next();
      if (inOrder)
        values.reserve(width);
      else
        values.resize(width);
      for (size_t i = 0; i < cols.size(); ++i) {
        Value v = read(i);
        if (cols[i].inferred && v.isText()) cols[i].longest = std::max(cols[i].longest, utf8Length(v.text()));
        if (inOrder)
          values.push_back(std::move(v));
        else
          values[cols[i].field] = std::move(v);
      }
      rows.done(values);
    };
    const bool direct = more && directlyReadable(cols);
    if (sqlite_api::sqlite3_stmt* stmt = direct ? sqliteStatement(st, dialect) : nullptr) {
      // SOCI has run the statement and described its columns; the statement
      // stands on the first row, and the rest are stepped through here.
      auto read = [&](size_t i) { return readSqliteCell(stmt, static_cast<int>(i), cols[i], names[i]); };
      for (;;) {
        addRow(read);
        const int rc = sqlite_api::sqlite3_step(stmt);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW)
          throw SqlError("Erro no banco de dados: " +
                         trim(sqlite_api::sqlite3_errmsg(sqlite_api::sqlite3_db_handle(stmt))));
      }
    } else if (soci::postgresql_statement_backend* be = direct ? pgStatement(st, dialect) : nullptr) {
      // SOCI has received the whole result and converted its first row;
      // every row from there is read here.
      const PGresult* res = be->result_.get_result();
      const int count = PQntuples(res);
      rows.expect(static_cast<size_t>(std::max(count - be->currentRow_, 0)));
      for (int k = be->currentRow_; k < count; ++k)
        addRow([&](size_t i) { return readPgCell(res, k, static_cast<int>(i), cols[i], names[i]); });
    } else {
      for (; more; more = st.fetch()) addRow([&](size_t i) { return readCell(r, i, cols[i], names[i]); });
    }
    for (const Column& c : cols)
      if (c.inferred && c.type == FieldType::String)
        packet.fields[c.field].size = static_cast<int>(std::max<size_t>(c.longest, 1));
  } catch (const soci::soci_error& e) {
    throw SqlError("Erro no banco de dados: " + dbMessage(e));
  }
}

}  // namespace

DataPacket sqlSelect(soci::session& session, std::string_view sql, const SqlParams& params,
                     const std::vector<FieldDef>& declared) {
  struct IntoPacket {
    DataPacket& packet;
    std::vector<Value>& next() { return packet.rows.emplace_back().values; }
    void done(std::vector<Value>&) {}
    void expect(size_t n) { packet.rows.reserve(n); }
  };
  DataPacket packet;
  packet.fields = declared;
  IntoPacket rows{packet};
  selectInto(session, sql, params, packet, rows);
  return packet;
}

void sqlEachRow(soci::session& session, std::string_view sql, const SqlParams& params,
                const std::vector<FieldDef>& declared, const std::function<void(const std::vector<Value>&)>& row) {
  // One vector serves every row, so a long result costs no allocation per
  // row once its texts fit.
  struct OneAtATime {
    const std::function<void(const std::vector<Value>&)>& row;
    std::vector<Value> values;
    std::vector<Value>& next() {
      values.clear();
      return values;
    }
    void done(std::vector<Value>& v) { row(v); }
    void expect(size_t) {}
  };
  DataPacket shape;
  shape.fields = declared;
  OneAtATime rows{row, {}};
  selectInto(session, sql, params, shape, rows);
}

long long sqlExecute(soci::session& session, std::string_view sql, const SqlParams& params) {
  const SqlDialect dialect = dialectOf(session);
  PositionalSql p = toPositional(sql, dialect);
  std::deque<Slot> slots = slotsFor(p, params);
  typeDates(p, slots, dialect);
  try {
    soci::statement st(session);
    bindSlots(st, slots, dialect);
    prepare(st, p.text);
    st.execute(true);
    return st.get_affected_rows();
  } catch (const soci::soci_error& e) {
    throw writeError(e);
  }
}

struct SqlCommand::Impl {
  explicit Impl(soci::session& s) : dialect(dialectOf(s)), st(s) {}
  // The slots outlive the statement that holds references to them.
  std::deque<Slot> slots;
  SqlDialect dialect;
  soci::statement st;
  std::vector<size_t> valueOf;  // slot -> index of its value
  size_t distinct = 0;
};

SqlCommand::SqlCommand(soci::session& session, std::string_view sql, const std::vector<FieldType>& types)
    : impl_(std::make_unique<Impl>(session)) {
  PositionalSql p = toPositional(sql, impl_->dialect);
  const std::vector<std::string> distinct = parameterNames(sql);
  if (distinct.size() != types.size())
    throw SqlError("Comando com " + std::to_string(distinct.size()) + " parâmetros e " + std::to_string(types.size()) +
                   " tipos.");
  impl_->distinct = distinct.size();
  for (const std::string& name : p.names) {
    size_t k = 0;
    while (!equalsIgnoreCase(distinct[k], name)) ++k;
    Slot& s = impl_->slots.emplace_back();
    s.name = name;
    s.kind = kindOf(types[k]);
    impl_->valueOf.push_back(k);
  }
  typeDates(p, impl_->slots, impl_->dialect);
  try {
    bindSlots(impl_->st, impl_->slots, impl_->dialect);
    prepare(impl_->st, p.text, Runs::Repeatedly);
  } catch (const soci::soci_error& e) {
    throw SqlError("Erro no banco de dados: " + dbMessage(e));
  }
}

SqlCommand::~SqlCommand() = default;

long long SqlCommand::execute(const std::vector<Value>& values) {
  if (values.size() != impl_->distinct) throw SqlError("Comando executado com número errado de valores.");
  for (size_t i = 0; i < impl_->slots.size(); ++i) assign(impl_->slots[i], values[impl_->valueOf[i]]);
  try {
    impl_->st.execute(true);
    return impl_->st.get_affected_rows();
  } catch (const soci::soci_error& e) {
    throw writeError(e);
  }
}

}  // namespace platform
