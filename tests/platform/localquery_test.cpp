#include "platform/localquery.h"

#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "tests/testdb.h"

using namespace platform;

TEST(NamedParameters, RewrittenPerOccurrenceOutsideLiteralsAndComments) {
  const std::string sql =
      "SELECT ':P_X', \"a:b\", x::text FROM T -- :P_COMMENT\n"
      "WHERE (A = :P_A) OR (:P_T = 'T') /* :P_BLOCK */ AND B = :P_A";
  const PositionalSql pg = toPositional(sql, SqlDialect::PostgreSQL);
  EXPECT_EQ(pg.names, (std::vector<std::string>{"P_A", "P_T", "P_A"}));
  EXPECT_NE(pg.text.find("(A = :p1) OR (:p2 = 'T')"), std::string::npos);
  EXPECT_NE(pg.text.find("B = :p3"), std::string::npos);
  EXPECT_EQ(pg.text.find("COMMENT"), std::string::npos);
  EXPECT_EQ(pg.text.find("BLOCK"), std::string::npos);
  EXPECT_NE(pg.text.find("x::text"), std::string::npos);
  EXPECT_NE(pg.text.find("':P_X'"), std::string::npos);
  EXPECT_EQ(toPositional(sql, SqlDialect::SQLite).text.find(":p"), std::string::npos);
  EXPECT_EQ(parameterNames(sql), (std::vector<std::string>{"P_A", "P_T"}));
  EXPECT_EQ(parameterNames("SELECT 'it''s :NOT' FROM T WHERE A = :p_a OR B = :P_A"), (std::vector<std::string>{"p_a"}));
}

TEST(ConnectionStrings, DialectFromForm) {
  EXPECT_EQ(parseConnectionString("/tmp/a b.db").dialect, SqlDialect::SQLite);
  EXPECT_EQ(parseConnectionString("sqlite:/tmp/x.db").target, "db=\"/tmp/x.db\"");
  EXPECT_EQ(parseConnectionString("postgresql://u:p%40s@h:5433/d").dialect, SqlDialect::PostgreSQL);
  EXPECT_NE(parseConnectionString("postgresql://u:p%40s@h:5433/d").target.find("password='p@s'"), std::string::npos);
  EXPECT_EQ(parseConnectionString("dbname=d host=h").dialect, SqlDialect::PostgreSQL);
  EXPECT_THROW(parseConnectionString("oracle://x"), SqlError);
  EXPECT_THROW(parseConnectionString("  "), SqlError);
  EXPECT_THROW(SqlConnection("/nonexistent/dir/x.db"), SqlError);
}

TEST(TADOIBQueryText, DialectOwnTextOrGeneric) {
  TADOIBQuery q;
  q.SQL = "generic";
  q.SQL_ORACLE = "oracle";
  q.SQL_SQLITE = "sqlite";
  EXPECT_EQ(q.textFor(SqlDialect::Oracle), "oracle");
  EXPECT_EQ(q.textFor(SqlDialect::SQLite), "sqlite");
  EXPECT_EQ(q.textFor(SqlDialect::MSSQL), "generic");
  EXPECT_EQ(q.textFor(SqlDialect::PostgreSQL), "generic");
}

class LocalQuery : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    db_ = std::make_unique<testdb::Database>(GetParam());
    conn_ = db_->connect();
    auto& s = conn_->session();
    sqlExecute(s,
               "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(30), "
               "CDEMPRESA VARCHAR(2))");
    sqlExecute(s,
               "CREATE TABLE CAIXA (CDFILIAL VARCHAR(4), CDCAIXA VARCHAR(3), NMCAIXA VARCHAR(30), "
               "VRLIMITE NUMERIC(15,2), DTCADASTRO " +
                   std::string(conn_->dialect() == SqlDialect::SQLite ? "DATETIME" : "TIMESTAMP") +
                   ", PRIMARY KEY (CDFILIAL, CDCAIXA))");
    sqlExecute(s, "INSERT INTO FILIAL VALUES ('0001', 'Matriz', '01'), ('0002', 'Shopping', '01')");
    for (const char* reg : {"001", "002", "003"})
      sqlExecute(
          s, "INSERT INTO CAIXA VALUES ('0001', :C, :N, :V, :D)",
          {{"C", reg}, {"N", std::string("Caixa ") + reg}, {"V", 150.5}, {"D", encodeDateTime(2026, 3, 2, 6, 30, 0)}});
    sqlExecute(s, "INSERT INTO CAIXA (CDFILIAL, CDCAIXA, NMCAIXA) VALUES ('0002', '001', NULL)");

    // The register look-up: null register lists every register of the branch.
    caixa_.setConnection(conn_.get());
    caixa_.SQL_ORACLE =
        "SELECT CDCAIXA, NMCAIXA FROM CAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND "
        "(CDCAIXA = NVL(:P_CDCAIXA, CDCAIXA)) ORDER BY CDCAIXA";
    caixa_.SQL_MSSQL =
        "SELECT CDCAIXA, NMCAIXA FROM CAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND "
        "(CDCAIXA = ISNULL(:P_CDCAIXA, CDCAIXA)) ORDER BY CDCAIXA";
    caixa_.SQL =
        "SELECT CDCAIXA, NMCAIXA FROM CAIXA WHERE (CDFILIAL = :P_CDFILIAL) AND "
        "(CDCAIXA = COALESCE(:P_CDCAIXA, CDCAIXA)) ORDER BY CDCAIXA";
    caixa_.declareField({"CDCAIXA", FieldType::String, 3}, "Código");
    caixa_.declareField({"NMCAIXA", FieldType::String, 30}, "Nome");
  }

  std::unique_ptr<testdb::Database> db_;
  std::unique_ptr<SqlConnection> conn_;
  TADOIBQuery caixa_;
};

TEST_P(LocalQuery, NullParameterListsAllRowsAndCodeFindsOne) {
  caixa_.setParam("P_CDFILIAL", "0001");
  caixa_.open();
  ASSERT_EQ(caixa_.recordCount(), 3);
  std::vector<std::string> codes;
  for (caixa_.first(); !caixa_.eof(); caixa_.next()) codes.push_back(caixa_.fieldByName("cdcaixa").asText());
  EXPECT_EQ(codes, (std::vector<std::string>{"001", "002", "003"}));
  EXPECT_TRUE(caixa_.fieldByName("NMCAIXA").isNull());  // past the last row

  caixa_.setParam("P_CDCAIXA", "002");
  caixa_.open();
  ASSERT_EQ(caixa_.recordCount(), 1);
  EXPECT_EQ(caixa_.fieldByName("NMCAIXA").asText(), "Caixa 002");

  caixa_.setParam("P_CDCAIXA", "009");
  caixa_.open();
  EXPECT_TRUE(caixa_.isEmpty());
  EXPECT_TRUE(caixa_.eof());
}

TEST_P(LocalQuery, RepeatedAndAllRowsSwitchParameters) {
  TADOIBQuery filial(conn_.get());
  filial.SQL =
      "SELECT CDFILIAL, NMFILIAL, CDEMPRESA FROM FILIAL WHERE ((CDFILIAL = :P_CDFILIAL) OR "
      "(:P_TCDFILIAL = 'T')) ORDER BY CDFILIAL";
  filial.setParam("P_TCDFILIAL", "T");
  filial.open();
  EXPECT_EQ(filial.recordCount(), 2);
  filial.setParam("P_TCDFILIAL", Value());
  filial.setParam("P_CDFILIAL", "0002");
  filial.open();
  ASSERT_EQ(filial.recordCount(), 1);
  EXPECT_EQ(filial.fieldByName("NMFILIAL").asText(), "Shopping");

  // The same name three times, as the product validation query uses it.
  TADOIBQuery union3(conn_.get());
  union3.SQL =
      "SELECT CDCAIXA FROM CAIXA WHERE CDCAIXA = :P_COD UNION "
      "SELECT CDCAIXA FROM CAIXA WHERE NMCAIXA = :P_COD UNION "
      "SELECT CDFILIAL FROM FILIAL WHERE CDFILIAL = :P_COD";
  union3.setParam("P_COD", "Caixa 003");
  union3.open();
  ASSERT_EQ(union3.recordCount(), 1);
  EXPECT_EQ(union3.fieldByName("CDCAIXA").asText(), "003");
}

TEST_P(LocalQuery, DeclaredFieldsWinUndeclaredAreInferred) {
  TADOIBQuery q(conn_.get());
  q.SQL =
      "SELECT CDCAIXA, NMCAIXA, VRLIMITE, DTCADASTRO FROM CAIXA WHERE CDFILIAL = :F "
      "ORDER BY CDCAIXA";
  q.declareField({"NMCAIXA", FieldType::String, 30}, "Nome");
  q.declareField({"VRLIMITE", FieldType::Float}, "Limite");
  q.setParam("F", "0001");
  q.open();
  const DataPacket& p = q.packet();
  ASSERT_EQ(p.fields.size(), 4u);
  EXPECT_EQ(p.fields[0], (FieldDef{"NMCAIXA", FieldType::String, 30, false}));
  EXPECT_EQ(p.fields[1].type, FieldType::Float);
  EXPECT_EQ(p.fields[2], (FieldDef{"CDCAIXA", FieldType::String, 3, false}));  // longest value
  EXPECT_EQ(p.fields[3].type, FieldType::DateTime);
  EXPECT_EQ(q.fieldByName("VRLIMITE").asNumber(), 150.5);
  EXPECT_EQ(q.fieldByName("DTCADASTRO").dateTime(), encodeDateTime(2026, 3, 2, 6, 30, 0));

  q.setParam("F", "0002");
  q.open();
  EXPECT_TRUE(q.fieldByName("NMCAIXA").isNull());
  EXPECT_TRUE(q.fieldByName("VRLIMITE").isNull());
  EXPECT_THROW(q.fieldByName("NAOEXISTE"), SqlError);
}

TEST_P(LocalQuery, RefusesWhatItCannotRun) {
  TADOIBQuery onlyOracle(conn_.get());
  onlyOracle.SQL_ORACLE = "SELECT 1 FROM DUAL";
  EXPECT_THROW(onlyOracle.open(), SqlError);
  EXPECT_FALSE(onlyOracle.active());

  TADOIBQuery writes(conn_.get());
  writes.SQL = "DELETE FROM FILIAL";
  EXPECT_THROW(writes.open(), SqlError);
  EXPECT_EQ(sqlSelect(conn_->session(), "SELECT CDFILIAL FROM FILIAL", {}).rows.size(), 2u);

  // A value that looks like SQL stays a value.
  caixa_.setParam("P_CDFILIAL", "0001') OR ('1' = '1");
  caixa_.open();
  EXPECT_TRUE(caixa_.isEmpty());

  // A statement the database refuses, with a date parameter bound, fails
  // cleanly (SOCI's SQLite backend once wrote out of bounds here).
  for (int i = 0; i < 3; ++i)
    EXPECT_THROW(sqlExecute(conn_->session(), "INSERT INTO NAOEXISTE VALUES (:D, :N)", {{"D", now()}, {"N", 1.5}}),
                 SqlError);

  TADOIBQuery missing(conn_.get());
  missing.SQL = "SELECT CDFILIAL FROM FILIAL";
  missing.declareField({"NMFILIAL", FieldType::String, 30});
  EXPECT_THROW(missing.open(), SqlError);
  EXPECT_THROW(TADOIBQuery().open(), SqlError);
}

INSTANTIATE_TEST_SUITE_P(Backends, LocalQuery, ::testing::ValuesIn(testdb::backends()), testdb::backendName);
