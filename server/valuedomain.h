#pragma once
// What a value may be before the server stores it. The two databases differ
// in what they silently accept (SQLite keeps a 1 MB text in a VARCHAR(60) and
// a date in year 20000; PostgreSQL cuts a text at a NUL byte and stores a
// NaN quantity), so the server refuses such values itself, the same way on
// both, with a message that names the field, instead of letting the
// database decide (or fail with a text the user cannot act on).
//
// Thread-safety: pure functions.

#include <string>
#include <string_view>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace server {

// Why a value that no column can hold is refused, or empty. Refused: NUL
// characters in texts, numbers that are not finite, dates outside the years
// 1 to 9999 (and not finite), also inside data packets (current and
// original values). `what` names the value in the message ("argumento 5").
std::string valueRefusal(const platform::Value& v, std::string_view what);

// The limits of one stored column, as the schema declares it.
struct ColumnDomain {
  enum class Kind { Text, Decimal, Integer, Float, Date, Other } kind = Kind::Other;
  int length = 0;     // characters, texts
  int precision = 0;  // digits, decimals
  int scale = 0;      // digits after the point, decimals
};

// Parses a declared column type ("VARCHAR(60)", "NUMERIC(15,2)", "INTEGER",
// "DOUBLE PRECISION", "TIMESTAMP", "DATETIME"...).
ColumnDomain columnDomain(std::string_view declaredType);

// Why `v` does not fit the column `field`, or empty. A null always fits (the
// database checks NOT NULL itself).
std::string columnRefusal(const platform::Value& v, const ColumnDomain& column, std::string_view field);

}  // namespace server
