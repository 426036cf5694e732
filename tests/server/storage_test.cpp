#include "server/storage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/datetime.h"
#include "server/schema.h"
#include "tests/testdb.h"

using namespace platform;
using namespace server;

namespace {

const std::vector<std::string> kAllTables = {
    "FILIAL",       "LOJA",        "CAIXA",      "ECFCAIXA",   "OPERADOR",  "VENDEDOR",    "CLIENTE",
    "CLIENFILIAL",  "CONSUMIDOR",  "SALDOCONS",  "SERVICO",    "NIVELPROD", "PRODUTO",     "PRODFILIAL",
    "TABEPREC",     "ITTABEPREC",  "IMPOSTO",    "ALIQIMPFIS", "INDICE",    "MOVINDICE",   "TIPORECE",
    "PARAMVENDA",   "PARAMPROC",   "ITEMPERSON", "PARAMGERAL", "TURCAIXA",  "VENDA",       "ITVENDA",
    "ITVENDAIMPOS", "ITVENDACANC", "MOVCAIXA",   "MOVCONS",    "REDUCAOZ",  "IMPOSTOREDZ", "TOTNFISCREDZ",
    "FORMPGTOREDZ", "OBSREDUCAOZ"};

// Quotations of the dollar index: key CDINDICE + DTREFIND (a date), values
// of every kind the storage converts.
const std::vector<FieldDef> kQuoteFields = {{"CDINDICE", FieldType::String, 4},
                                            {"DTREFIND", FieldType::DateTime},
                                            {"VRINDICE", FieldType::Float},
                                            {"CDTPINDICE", FieldType::String, 1},
                                            {"NMINDICE", FieldType::String, 40}};
const std::vector<std::string> kQuoteKey = {"CDINDICE", "DTREFIND"};

DateTime day(int d) { return encodeDate(2026, 3, d); }

PacketRow insertRow(DateTime date, double value) { return {RowKind::Insert, {"0001", date, value, "M", "Dólar"}, {}}; }

class Storage : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    db_ = std::make_unique<testdb::Database>(GetParam());
    conn_ = db_->connect();
    migrate(s());
    sqlExecute(s(), "INSERT INTO INDICE (CDINDICE, NMINDICE) VALUES ('0001', 'Dólar')");
  }
  soci::session& s() { return conn_->session(); }

  DataPacket quotes(soci::session& session) {
    return selectPacket(session,
                        "SELECT M.CDINDICE, M.DTREFIND, M.VRINDICE, M.CDTPINDICE, I.NMINDICE "
                        "FROM MOVINDICE M JOIN INDICE I ON I.CDINDICE = M.CDINDICE "
                        "ORDER BY M.DTREFIND",
                        {}, kQuoteFields);
  }
  DataPacket delta(std::vector<PacketRow> rows) {
    DataPacket d;
    d.fields = kQuoteFields;
    d.delta = true;
    d.rows = std::move(rows);
    return d;
  }
  void store(std::vector<PacketRow> rows) {
    Transaction tx(s());
    applyDelta(s(), "MOVINDICE", kQuoteKey, delta(std::move(rows)));
    tx.commit();
  }
  // A Modify row of a stored quotation with one new value.
  PacketRow modify(const PacketRow& read, size_t field, Value v) {
    PacketRow r{RowKind::Modify, read.values, read.values};
    r.values[field] = std::move(v);
    return r;
  }

  std::unique_ptr<testdb::Database> db_;
  std::unique_ptr<SqlConnection> conn_;
};

TEST_P(Storage, MigrationsCreateAndUpgrade) {
  EXPECT_EQ(schemaVersion(s()), latestSchemaVersion());
  for (const std::string& t : kAllTables) EXPECT_FALSE(tableColumns(s(), t).empty()) << t;
  EXPECT_EQ(migrate(s()), latestSchemaVersion());  // nothing left to apply

  testdb::Database older(GetParam());
  auto c = older.connect();
  EXPECT_EQ(schemaVersion(c->session()), 0);
  EXPECT_EQ(migrate(c->session(), 1), 1);
  EXPECT_THROW(tableColumns(c->session(), "VENDA"), SqlError);
  EXPECT_EQ(migrate(c->session()), latestSchemaVersion());
  EXPECT_FALSE(tableColumns(c->session(), "OBSREDUCAOZ").empty());
  EXPECT_EQ(sqlSelect(c->session(), "SELECT NRVERSAO FROM SCHEMA_VERSION", {}).rows.size(),
            static_cast<size_t>(latestSchemaVersion()));

  sqlExecute(c->session(), "INSERT INTO SCHEMA_VERSION VALUES (99, 'futura', :T)", {{"T", now()}});
  EXPECT_THROW(migrate(c->session()), SqlError);
}

TEST_P(Storage, ForeignKeysAreEnforced) {
  EXPECT_THROW(sqlExecute(s(),
                          "INSERT INTO CAIXA (CDFILIAL, CDCAIXA, NMCAIXA, CDLOJA) "
                          "VALUES ('9999', '001', 'x', '1')"),
               SqlError);
  EXPECT_THROW(store({{RowKind::Insert, {"0009", day(2), 5.0, "M", ""}, {}}}), SqlError);
}

TEST_P(Storage, SelectPacketTypesNullsAndDeclaredShape) {
  store({insertRow(encodeDateTime(2026, 3, 2, 10, 30, 15), 5.1234), insertRow(day(3), 0.3)});
  sqlExecute(s(), "UPDATE MOVINDICE SET CDTPINDICE = NULL WHERE VRINDICE = 0.3");
  const DataPacket p = quotes(s());
  EXPECT_EQ(p.fields, kQuoteFields);
  ASSERT_EQ(p.rows.size(), 2u);
  EXPECT_EQ(p.rows[0].values[1].dateTime(), encodeDateTime(2026, 3, 2, 10, 30, 15));
  EXPECT_EQ(p.rows[0].values[2].number(), 5.1234);
  EXPECT_EQ(p.rows[1].values[2].number(), 0.3);
  EXPECT_TRUE(p.rows[1].values[3].isNull());
  EXPECT_EQ(p.rows[1].values[4].text(), "Dólar");

  // Aggregates come back as the declared numbers; a parameter may repeat.
  const DataPacket sum =
      selectPacket(s(),
                   "SELECT SUM(VRINDICE) AS SOMA, COUNT(*) AS QTDE FROM MOVINDICE "
                   "WHERE CDINDICE = :I AND (DTREFIND >= :D OR :D IS NOT NULL)",
                   {{"I", "0001"}, {"D", day(1)}}, {{"SOMA", FieldType::Float}, {"QTDE", FieldType::Integer}});
  EXPECT_NEAR(sum.rows[0].values[0].number(), 5.4234, 1e-9);
  EXPECT_EQ(sum.rows[0].values[1].number(), 2.0);

  EXPECT_THROW(selectPacket(s(), "SELECT CDINDICE, VRINDICE FROM MOVINDICE", {}, {{"CDINDICE", FieldType::String, 4}}),
               SqlError);  // a column the client does not declare
  EXPECT_THROW(selectPacket(s(), "SELECT CDINDICE FROM MOVINDICE", {}, kQuoteFields),
               SqlError);  // a declared field the query lacks
  EXPECT_THROW(
      selectPacket(s(), "SELECT CDINDICE FROM MOVINDICE WHERE CDINDICE = :X", {}, {{"CDINDICE", FieldType::String, 4}}),
      SqlError);  // a parameter without value
}

TEST_P(Storage, DeltaInsertModifyDelete) {
  store({insertRow(day(2), 5.10), insertRow(day(3), 5.20), insertRow(day(4), 5.30)});
  DataPacket read = quotes(s());
  ASSERT_EQ(read.rows.size(), 3u);

  DeltaCounts counts;
  {
    Transaction tx(s());
    counts = applyDelta(s(), "MOVINDICE", kQuoteKey,
                        delta({modify(read.rows[0], 2, 5.15),
                               {RowKind::Delete, read.rows[1].values, read.rows[1].values},
                               modify(read.rows[2], 1, day(5)),  // the key itself changes
                               insertRow(day(6), 5.40)}));
    tx.commit();
  }
  EXPECT_EQ(counts, (DeltaCounts{1, 2, 1}));
  const DataPacket after = quotes(s());
  ASSERT_EQ(after.rows.size(), 3u);
  EXPECT_EQ(after.rows[0].values[2].number(), 5.15);
  EXPECT_EQ(after.rows[1].values[1].dateTime(), day(5));
  EXPECT_EQ(after.rows[1].values[2].number(), 5.30);
  EXPECT_EQ(after.rows[2].values[1].dateTime(), day(6));

  // Inserting a key that exists is refused with the record named.
  try {
    store({insertRow(day(6), 1.0)});
    FAIL() << "duplicate accepted";
  } catch (const ConflictError& e) {
    EXPECT_NE(std::string(e.what()).find("MOVINDICE (CDINDICE=0001, DTREFIND=06/03/2026)"), std::string::npos)
        << e.what();
  }
}

TEST_P(Storage, ChangedOrDeletedByAnotherUserIsRefused) {
  store({insertRow(day(2), 5.10), insertRow(day(3), 5.20)});
  const DataPacket read = quotes(s());  // what this user sees on screen
  auto other = db_->connect();          // another user's connection
  sqlExecute(other->session(), "UPDATE MOVINDICE SET VRINDICE = 6.0 WHERE DTREFIND = :D", {{"D", day(2)}});
  sqlExecute(other->session(), "DELETE FROM MOVINDICE WHERE DTREFIND = :D", {{"D", day(3)}});

  try {
    store({modify(read.rows[0], 2, 5.5)});
    FAIL() << "stale modify accepted";
  } catch (const ConflictError& e) {
    EXPECT_EQ(std::string(e.what()),
              "O registro MOVINDICE (CDINDICE=0001, DTREFIND=02/03/2026) foi alterado por outro "
              "usuário. Recarregue os dados e tente novamente.");
  }
  EXPECT_THROW(store({{RowKind::Delete, read.rows[0].values, read.rows[0].values}}), ConflictError);
  try {
    store({modify(read.rows[1], 2, 5.5)});
    FAIL() << "modify of a deleted row accepted";
  } catch (const ConflictError& e) {
    EXPECT_NE(std::string(e.what()).find("foi excluído por outro usuário"), std::string::npos);
  }
  const DataPacket now = quotes(s());
  ASSERT_EQ(now.rows.size(), 1u);
  EXPECT_EQ(now.rows[0].values[2].number(), 6.0);  // the other user's value stands

  // Only the fields the delta carries are compared: a change to a column the
  // client never read does not block it.
  sqlExecute(other->session(), "UPDATE MOVINDICE SET IDPERVALOR = 'X'");
  DataPacket narrow;
  narrow.delta = true;
  narrow.fields = {kQuoteFields[0], kQuoteFields[1], kQuoteFields[2]};
  narrow.rows = {{RowKind::Modify, {"0001", day(2), 6.5}, {"0001", day(2), 6.0}}};
  Transaction tx(s());
  EXPECT_EQ(applyDelta(s(), "MOVINDICE", kQuoteKey, narrow).modified, 1);
  tx.commit();
  EXPECT_EQ(quotes(s()).rows[0].values[2].number(), 6.5);
}

TEST_P(Storage, FailingRowLeavesNothingBehind) {
  store({insertRow(day(2), 5.10)});
  const DataPacket read = quotes(s());
  auto other = db_->connect();
  sqlExecute(other->session(), "UPDATE MOVINDICE SET CDTPINDICE = 'D'");

  // A conflict in the second row undoes the first.
  EXPECT_THROW(store({insertRow(day(9), 7.0), modify(read.rows[0], 2, 9.9)}), ConflictError);
  // So does a database refusal (unknown index: foreign key).
  EXPECT_THROW(store({insertRow(day(10), 7.0), {RowKind::Insert, {"0009", day(11), 1.0, "", ""}, {}}}), SqlError);
  const DataPacket after = quotes(s());
  ASSERT_EQ(after.rows.size(), 1u);
  EXPECT_EQ(after.rows[0].values[2].number(), 5.10);
  EXPECT_EQ(after.rows[0].values[3].text(), "D");
}

TEST_P(Storage, TextComparisonIgnoresPaddingAndEmptyEqualsNull) {
  store({{RowKind::Insert, {"0001", day(2), 1.0, "", "Dólar"}, {}}});
  // The client pads fixed-width fields and turns empty texts into nulls.
  PacketRow r{RowKind::Modify, {"0001", day(2), 2.0, Value(), "Dólar"}, {"0001", day(2), 1.0, Value(), "Dólar   "}};
  store({r});
  EXPECT_EQ(quotes(s()).rows[0].values[2].number(), 2.0);
}

TEST_P(Storage, ReadersSeeOnlyCommittedWritesAndAreNotBlocked) {
  store({insertRow(day(2), 5.10)});
  auto reader = db_->connect();
  {
    Transaction tx(s());
    applyDelta(s(), "MOVINDICE", kQuoteKey, delta({insertRow(day(3), 5.20)}));
    EXPECT_EQ(quotes(reader->session()).rows.size(), 1u);  // uncommitted, and no wait
  }                                                        // not committed: rolled back
  EXPECT_EQ(quotes(s()).rows.size(), 1u);
  {
    Transaction tx(s());
    applyDelta(s(), "MOVINDICE", kQuoteKey, delta({insertRow(day(3), 5.20)}));
    tx.commit();
  }
  EXPECT_EQ(quotes(reader->session()).rows.size(), 2u);
}

// Two writers insert the same key at once: the one that loses is told the
// record exists, in the user's words, never with the database's text.
TEST_P(Storage, TheLoserOfASameKeyRaceGetsTheConflictMessage) {
  auto winner = db_->connect();
  Transaction first(winner->session());
  sqlExecute(winner->session(),
             "INSERT INTO MOVINDICE (CDINDICE, DTREFIND, VRINDICE, CDTPINDICE) "
             "VALUES ('0001', :D, 5.3, 'M')",
             {{"D", day(4)}});
  std::string error;
  std::thread loser([&] {
    try {
      Transaction tx(s());
      applyDelta(s(), "MOVINDICE", kQuoteKey, delta({insertRow(day(4), 5.40)}));
      tx.commit();
    } catch (const ConflictError& e) {
      error = e.what();
    } catch (const std::exception& e) {
      error = std::string("não é conflito: ") + e.what();
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the loser waits on the key
  first.commit();
  loser.join();
  EXPECT_EQ(error,
            "O registro MOVINDICE (CDINDICE=0001, DTREFIND=04/03/2026) já existe. Recarregue os "
            "dados e tente novamente.");
}

INSTANTIATE_TEST_SUITE_P(Backends, Storage, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
