#include "platform/sqlaccess.h"

#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "platform/format.h"
#include "tests/testdb.h"

using namespace platform;

namespace {

// Reading rows as packets, on each backend: cells are converted from what
// the database holds to the declared field types, whatever form the value
// was stored in.
class SelectRows : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    db_ = std::make_unique<testdb::Database>(GetParam());
    conn_ = db_->connect();
    const std::string ts = conn_->dialect() == SqlDialect::SQLite ? "DATETIME" : "TIMESTAMP";
    sqlExecute(s(),
               "CREATE TABLE MOVTO (NRMOV INTEGER NOT NULL PRIMARY KEY, DSMOV VARCHAR(2000), "
               "TXVALOR VARCHAR(20), VRMOV NUMERIC(15,2), QTMOV DOUBLE PRECISION, "
               "DTMOV " +
                   ts + ", IDATIVO VARCHAR(1))");
  }
  soci::session& s() { return conn_->session(); }

  std::unique_ptr<testdb::Database> db_;
  std::unique_ptr<SqlConnection> conn_;
};

TEST_P(SelectRows, EveryRowInOrderWithNullsAndStoredFormsConverted) {
  // Enough rows that each is read the same way, not just the first one.
  SqlCommand insert(s(), "INSERT INTO MOVTO VALUES (:N, :DS, :TX, :VR, :QT, :DT, :ID)",
                    {FieldType::Integer, FieldType::String, FieldType::String, FieldType::Float, FieldType::Float,
                     FieldType::DateTime, FieldType::String});
  const std::string longText = "Observação " + std::string(1900, 'x');
  for (int n = 1; n <= 250; ++n) {
    const bool empty = n % 50 == 0;
    insert.execute({n, n == 7 ? Value(longText) : (empty ? Value() : Value("Mov " + std::to_string(n))),
                    empty ? Value() : Value(" " + std::to_string(n) + ".25 "), empty ? Value() : Value(n + 0.5),
                    empty ? Value() : Value(n * 2.0),
                    empty ? Value() : Value(encodeDateTime(2026, 3, 1 + n % 28, n % 24, 15, 30)), n % 2 ? "S" : "N"});
  }
  const std::vector<FieldDef> fields = {{"NRMOV", FieldType::Integer},      {"DSMOV", FieldType::String, 2000},
                                        {"TXVALOR", FieldType::Float},      {"VRMOV", FieldType::String, 20},
                                        {"QTMOV", FieldType::Float},        {"DTMOV", FieldType::DateTime},
                                        {"DTTEXTO", FieldType::String, 20}, {"IDATIVO", FieldType::Boolean}};
  const DataPacket p = sqlSelect(s(),
                                 "SELECT NRMOV, DSMOV, TXVALOR, VRMOV, QTMOV, DTMOV, DTMOV AS DTTEXTO, IDATIVO "
                                 "FROM MOVTO WHERE NRMOV >= :DESDE ORDER BY NRMOV",
                                 {{"DESDE", 1}}, fields);
  EXPECT_EQ(p.fields, fields);
  ASSERT_EQ(p.rows.size(), 250u);
  for (int n = 1; n <= 250; ++n) {
    SCOPED_TRACE(n);
    const std::vector<Value>& v = p.rows[static_cast<size_t>(n - 1)].values;
    ASSERT_EQ(v.size(), fields.size());
    EXPECT_EQ(v[0], Value(n));
    EXPECT_EQ(v[7], Value(n % 2 == 1));
    if (n % 50 == 0) {
      for (size_t f = 1; f <= 6; ++f) EXPECT_TRUE(v[f].isNull()) << fields[f].name;
      continue;
    }
    EXPECT_EQ(v[1].text(), n == 7 ? longText : "Mov " + std::to_string(n));
    EXPECT_EQ(v[2], Value(n + 0.25));                  // a number kept as text, blanks around it
    EXPECT_EQ(v[3], Value(std::to_string(n) + ".5"));  // a number into a text field
    EXPECT_EQ(v[4], Value(n * 2.0));
    const DateTime when = encodeDateTime(2026, 3, 1 + n % 28, n % 24, 15, 30);
    EXPECT_EQ(v[5], Value(when));
    EXPECT_EQ(v[6], Value(formatDateTime(when)));  // a date read into a text field
  }
  // Read row by row, the same query gives the same values, columns out of
  // the declared order included.
  size_t seen = 0;
  sqlEachRow(s(),
             "SELECT IDATIVO, NRMOV, DSMOV, TXVALOR, VRMOV, QTMOV, DTMOV, DTMOV AS DTTEXTO "
             "FROM MOVTO WHERE NRMOV >= :DESDE ORDER BY NRMOV",
             {{"DESDE", 1}}, fields, [&](const std::vector<Value>& v) {
               ASSERT_LT(seen, p.rows.size());
               EXPECT_EQ(v, p.rows[seen++].values) << "row " << seen;
             });
  EXPECT_EQ(seen, p.rows.size());
}

TEST_P(SelectRows, EmptyTextsAndEmptyResults) {
  sqlExecute(s(), "INSERT INTO MOVTO (NRMOV, DSMOV, TXVALOR) VALUES (1, '', '  ')");
  const DataPacket p = sqlSelect(s(), "SELECT DSMOV, TXVALOR FROM MOVTO", {},
                                 {{"DSMOV", FieldType::String, 10}, {"TXVALOR", FieldType::Float}});
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(p.rows[0].values[0], Value(""));  // an empty text is no null
  EXPECT_TRUE(p.rows[0].values[1].isNull());  // a blank number is

  const DataPacket none = sqlSelect(s(), "SELECT NRMOV, DSMOV FROM MOVTO WHERE NRMOV < 0", {},
                                    {{"NRMOV", FieldType::Integer}, {"DSMOV", FieldType::String, 10}});
  EXPECT_EQ(none.fields.size(), 2u);
  EXPECT_TRUE(none.rows.empty());
}

TEST_P(SelectRows, UnreadableCellsAreRefusedNotGuessed) {
  sqlExecute(s(), "INSERT INTO MOVTO (NRMOV, TXVALOR) VALUES (1, '12,5x')");
  EXPECT_THROW(sqlSelect(s(), "SELECT TXVALOR FROM MOVTO", {}, {{"TXVALOR", FieldType::Float}}), SqlError);
  EXPECT_THROW(sqlSelect(s(), "SELECT TXVALOR FROM MOVTO", {}, {{"TXVALOR", FieldType::DateTime}}), SqlError);
  if (conn_->dialect() == SqlDialect::SQLite) {
    // SQLite keeps whatever text it is given in a date column.
    sqlExecute(s(), "INSERT INTO MOVTO (NRMOV, DTMOV) VALUES (2, 'amanhã')");
    EXPECT_THROW(sqlSelect(s(), "SELECT DTMOV FROM MOVTO WHERE NRMOV = 2", {}, {{"DTMOV", FieldType::DateTime}}),
                 SqlError);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, SelectRows, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
