#include "server/demodata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "platform/datetime.h"
#include "server/password.h"
#include "server/salesquery.h"
#include "server/schema.h"
#include "server/storage.h"
#include "tests/testdb.h"

using namespace platform;
using namespace server;

namespace {

long long cents(const Value& v) { return std::llround(v.asNumber() * 100.0); }

// One demo database per backend, shared by the tests of this file (they
// only read it, except the busy day, which adds a day of its own). They are
// dropped when the tests end, before the process's exit handlers have shut
// down the libraries a PostgreSQL connection needs.
struct SharedDemo {
  std::unique_ptr<testdb::Database> db;
  std::unique_ptr<SqlConnection> conn;
};
std::map<std::string, SharedDemo> demos;

class DropDemos : public ::testing::Environment {
 public:
  void TearDown() override { demos.clear(); }
};
const auto* const kDropDemos = ::testing::AddGlobalTestEnvironment(new DropDemos);

SqlConnection& demo(const std::string& backend) {
  SharedDemo& d = demos[backend];
  if (!d.db) {
    d.db = std::make_unique<testdb::Database>(backend);
    createDemoDatabase(d.db->connectionString());
    d.conn = d.db->connect();
  }
  return *d.conn;
}

double number(soci::session& s, const std::string& sql, const SqlParams& params = {}) {
  const DataPacket p = sqlSelect(s, sql, params, {{"N", FieldType::Float}});
  return p.rows.empty() ? 0.0 : p.rows[0].values[0].asNumber();
}

class Demo : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { VND_SKIP_UNAVAILABLE(GetParam()); }
  soci::session& s() { return demo(GetParam()).session(); }
};

TEST_P(Demo, CoversWhatTheScreenAndServerNeed) {
  EXPECT_EQ(schemaVersion(s()), latestSchemaVersion());
  EXPECT_GE(number(s(), "SELECT COUNT(*) AS N FROM PRODUTO WHERE CDNVPRODUTO = 3"), 300);
  EXPECT_EQ(number(s(),
                   "SELECT COUNT(*) AS N FROM PRODUTO WHERE CDBARPRODUTO IS NULL "
                   "AND CDNVPRODUTO = 3"),
            0);
  for (const char* status : {"P", "O", "D", "C"})
    EXPECT_GT(number(s(), "SELECT COUNT(*) AS N FROM VENDA WHERE IDSITUVENDA = :S", {{"S", status}}), 0) << status;
  for (const char* type : {"S", "D"})
    EXPECT_GT(number(s(), "SELECT COUNT(*) AS N FROM VENDA WHERE IDTIPOVENDA = :T", {{"T", type}}), 0);
  EXPECT_EQ(number(s(), "SELECT COUNT(*) AS N FROM REDUCAOZ WHERE IDSTATUS = 'A'"), 1);
  for (const char* table : {"IMPOSTOREDZ", "TOTNFISCREDZ", "FORMPGTOREDZ", "OBSREDUCAOZ", "ITVENDAIMPOS", "ITVENDACANC",
                            "MOVCONS", "MOVINDICE"})
    EXPECT_GT(number(s(), std::string("SELECT COUNT(*) AS N FROM ") + table), 0) << table;
  EXPECT_GT(number(s(), "SELECT COUNT(*) AS N FROM TURCAIXA WHERE DTFECHCAIX IS NULL"), 0);
  EXPECT_GT(number(s(), "SELECT COUNT(*) AS N FROM CONSUMIDOR WHERE IDVERSALDCON = 'S'"), 0);
  EXPECT_EQ(number(s(),
                   "SELECT COUNT(*) AS N FROM ITEMPERSON WHERE NRITEMPERS = 3 "
                   "AND DSVALORPERS = 'S'"),
            2);
  // Closed openings hold no pending sale: the register could not have closed.
  EXPECT_EQ(number(s(),
                   "SELECT COUNT(*) AS N FROM VENDA V JOIN TURCAIXA T ON T.CDFILIAL = "
                   "V.CDFILIALTUR AND T.CDCAIXA = V.CDCAIXATUR AND T.DTABERCAIX = V.DTABERTUR "
                   "WHERE T.DTFECHCAIX IS NOT NULL AND V.IDSITUVENDA = 'P'"),
            0);
  const DataPacket op =
      sqlSelect(s(), "SELECT DSHASHSENHA FROM OPERADOR WHERE CDOPERADOR = :C", {{"C", demoOperators()[0].code}});
  EXPECT_TRUE(verifyPassword(demoOperators()[0].password, op.rows[0].values[0].text()));
  EXPECT_FALSE(verifyPassword("errada", op.rows[0].values[0].text()));
  if (dialectOf(s()) == SqlDialect::SQLite) {
    EXPECT_TRUE(sqlSelect(s(), "PRAGMA foreign_key_check", {}).rows.empty());
  }
}

TEST_P(Demo, ConcludedSalesArePaidExactly) {
  const DataPacket sales =
      sqlSelect(s(),
                "SELECT V.NRSEQVENDA, "
                "(SELECT SUM(I.QTPRODVEND * (I.VRUNITVEND + I.VRUNITVENDCL) - I.VRDESITVEND + I.VRACRITVEND) "
                " FROM ITVENDA I WHERE I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
                " AND I.NRSEQVENDA = V.NRSEQVENDA) AS TOTAL, "
                "(SELECT SUM(M.VRMOVIVEND) FROM MOVCAIXA M WHERE M.CDFILIAL = V.CDFILIAL "
                " AND M.CDCAIXA = V.CDCAIXA AND M.NRSEQVENDA = V.NRSEQVENDA AND M.IDTIPOMOVIVE = 'E') AS PAGO "
                "FROM VENDA V WHERE V.IDSITUVENDA IN ('O', 'D')",
                {}, {{"NRSEQVENDA", FieldType::String, 10}, {"TOTAL", FieldType::Float}, {"PAGO", FieldType::Float}});
  ASSERT_GT(sales.rows.size(), 100u);
  for (const PacketRow& r : sales.rows) ASSERT_EQ(cents(r.values[1]), cents(r.values[2])) << r.values[0].asText();
}

TEST_P(Demo, ZReductionsAgreeWithTheDaysSales) {
  const DataPacket zs =
      sqlSelect(s(),
                "SELECT Z.CDFILIAL, Z.CDCAIXA, Z.NRECFREDZ, Z.DTREDUCAOZ, Z.VRVENBRUREDZ, Z.VRTOTCANREDZ, "
                "Z.VRTOTDESREDZ, Z.VRVENLIQREDZ, Z.VRSTRIBREDZ, Z.VRISENCREDZ, Z.VRNINCIDREDZ, Z.VRGTREDZ "
                "FROM REDUCAOZ Z ORDER BY Z.CDFILIAL, Z.CDCAIXA, Z.DTREDUCAOZ",
                {});
  ASSERT_GE(zs.rows.size(), 20u);
  const std::string saleTotal =
      "SELECT SUM(I.QTPRODVEND * (I.VRUNITVEND + I.VRUNITVENDCL) - I.VRDESITVEND + "
      "I.VRACRITVEND) AS N FROM VENDA V JOIN ITVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA "
      "= V.CDCAIXA AND I.NRSEQVENDA = V.NRSEQVENDA WHERE V.CDFILIAL = :F AND V.CDCAIXA = :C AND "
      "V.DTENTRVENDA = :D AND V.IDSITUVENDA IN ";
  const std::string zWhere = " WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRECFREDZ = :E AND DTREDUCAOZ = :D";
  double previousGrandTotal = 0;
  std::string previousRegister;
  for (const PacketRow& z : zs.rows) {
    const auto& v = z.values;
    const SqlParams key = {{"F", v[0]}, {"C", v[1]}, {"E", v[2]}, {"D", v[3]}};
    const long long net = cents(v[7]);
    EXPECT_EQ(net, std::llround(number(s(), saleTotal + "('O', 'D')", key) * 100));
    EXPECT_EQ(cents(v[5]), std::llround(number(s(), saleTotal + "('C')", key) * 100));
    EXPECT_EQ(cents(v[4]), net + cents(v[5]) + cents(v[6]));  // gross − cancel − discount = net
    EXPECT_EQ(net, std::llround(number(s(), "SELECT SUM(VRFORMPGTORZ) AS N FROM FORMPGTOREDZ" + zWhere, key) * 100));
    const double icms = number(s(), "SELECT SUM(VRBCALCIMPRZ) AS N FROM IMPOSTOREDZ" + zWhere, key);
    EXPECT_EQ(net, cents(v[8]) + cents(v[9]) + cents(v[10]) + std::llround(icms * 100));
    const std::string reg = v[0].asText() + v[1].asText();
    if (reg == previousRegister) {
      EXPECT_EQ(cents(v[11]), std::llround(previousGrandTotal * 100) + cents(v[4]));
    }
    previousRegister = reg;
    previousGrandTotal = v[11].asNumber();
  }
}

TEST_P(Demo, BusyDayAddsOneOpeningWithItsSales) {
  const DateTime day = encodeDate(2026, 3, 10);
  const DateTime opened = generateBusyDay(s(), "0002", "002", day, 300);
  const DataPacket sales = selectPacket(
      s(), salesOfOpeningSql(), {{"CDFILIAL", "0002"}, {"CDCAIXA", "002"}, {"DTABERCAIX", opened}}, saleFields());
  ASSERT_EQ(sales.rows.size(), 300u);
  EXPECT_EQ(sales.fields, saleFields());
  EXPECT_EQ(sales.rows[0].values[19].dateTime(), opened);
  EXPECT_GT(number(s(),
                   "SELECT COUNT(*) AS N FROM ITVENDA I JOIN VENDA V ON V.CDFILIAL = "
                   "I.CDFILIAL AND V.CDCAIXA = I.CDCAIXA AND V.NRSEQVENDA = I.NRSEQVENDA "
                   "WHERE V.DTABERTUR = :A",
                   {{"A", opened}}),
            300);
  // A second busy day at the same moment would duplicate the opening.
  EXPECT_THROW(generateBusyDay(s(), "0002", "002", day, 5), SqlError);
}

INSTANTIATE_TEST_SUITE_P(Backends, Demo, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

// The same seed gives the same database, row for row; another seed does not.
TEST(DemoDeterminism, SameSeedSameContent) {
  auto dump = [](std::uint64_t seed) {
    testdb::Database db("SQLite");
    createDemoDatabase(db.connectionString(), seed);
    auto c = db.connect();
    std::vector<DataPacket> tables;
    for (const char* t : {"CLIENTE", "CONSUMIDOR", "OPERADOR", "PRODUTO", "ITTABEPREC", "VENDA", "ITVENDA",
                          "ITVENDAIMPOS", "MOVCAIXA", "REDUCAOZ", "FORMPGTOREDZ"})
      tables.push_back(sqlSelect(c->session(), std::string("SELECT * FROM ") + t + " ORDER BY 1, 2, 3", {}));
    return tables;
  };
  const auto a = dump(kDemoSeed);
  EXPECT_EQ(a, dump(kDemoSeed));
  EXPECT_NE(a, dump(kDemoSeed + 1));
}

}  // namespace
