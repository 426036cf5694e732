#include <gtest/gtest.h>

#include "platform/datapacket.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "platform/value.h"

using namespace platform;

TEST(DateScale, ZeroDateAndDayOne) {
  EXPECT_EQ(encodeDate(1899, 12, 30).days, 0.0);
  EXPECT_EQ(encodeDate(1899, 12, 31).days, 1.0);
  EXPECT_EQ(encodeDate(1900, 1, 1).days, 2.0);
  EXPECT_EQ(formatDate(DateTime(0)), "30/12/1899");
  EXPECT_EQ(decodeDate(encodeDate(2026, 12, 8)), (CivilDate{2026, 12, 8}));
}

TEST(DateScale, TimeOfDayRoundTripsAsTyped) {
  const DateTime dt = encodeDateTime(2026, 12, 8, 10, 30, 0);
  EXPECT_EQ(formatDateTime(dt), "08/12/2026 10:30:00");
  EXPECT_EQ(formatDateTime(encodeDate(2026, 12, 8)), "08/12/2026");
  EXPECT_EQ(parseDateTime("08/12/2026 10:30:00")->days, dt.days);
  EXPECT_EQ(formatTime(*parseTime("06:00:00")), "06:00:00");
}

TEST(DateScale, ParsingRefusesImpossibleInput) {
  EXPECT_FALSE(parseDate("31/02/2026"));
  EXPECT_FALSE(parseDate("29/02/2025"));
  EXPECT_TRUE(parseDate("29/02/2024"));
  EXPECT_FALSE(parseTime("25:00:00"));
  EXPECT_FALSE(parseTime("99:99:99"));
  EXPECT_FALSE(parseDate(""));
  EXPECT_FALSE(parseDate("  /  /    "));
  EXPECT_EQ(*parseDate("1/1/26"), encodeDate(2026, 1, 1));
}

TEST(Value, TypesAndDeepEquality) {
  Value a = ValueArray{Value("x"), Value(1.5), Value(), Value(DateTime(2))};
  Value b = ValueArray{Value("x"), Value(1.5), Value(), Value(DateTime(2))};
  EXPECT_EQ(a, b);
  EXPECT_NE(Value(1.0), Value("1"));
  EXPECT_TRUE(Value().isNull());
  EXPECT_EQ(Value(0.3).asText(), "0.3");
  DataPacket p;
  p.fields.push_back({"SOMA", FieldType::Float, 0, false});
  p.rows.push_back({RowKind::Unchanged, {Value(12.5)}, {}});
  EXPECT_EQ(Value(p).packet().fieldIndex("soma"), 0);
}

TEST(Text, CountsCharactersNotBytes) {
  EXPECT_EQ(utf8Length("Manutenção"), 10u);
  EXPECT_EQ(utf8Left("Manutenção", 9), "Manutençã");
  EXPECT_EQ(utf8PadRight("ção", 5), "ção  ");
  EXPECT_EQ(trim("  a b \t"), "a b");
}
