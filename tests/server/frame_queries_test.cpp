// The shared SELECTs of the frame: packets shaped as the client record sets
// declare them, and the sale total's cut-to-cents rule.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/datetime.h"
#include "server/frame_queries.h"
#include "server/queries.h"
#include "server/salesquery.h"
#include "tests/server/frame_fixture.h"

using namespace platform;
using namespace server;
using frametest::Item;

namespace {

class FrameQueries : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { VND_SKIP_UNAVAILABLE(GetParam()); }
  soci::session& s() { return frametest::sharedDemo(GetParam()).session(); }
};

std::vector<std::string> names(const DataPacket& p) {
  std::vector<std::string> out;
  for (const FieldDef& f : p.fields) out.push_back(f.name);
  return out;
}

TEST_P(FrameQueries, OpeningsOfADayWithNamesInOpeningOrder) {
  // Register 002 of the main branch works two shifts on 04/03; the time of
  // day of the argument does not narrow the day.
  const DateTime day = encodeDate(2026, 3, 4);
  const DataPacket p = selectAberCaixa(s(), "0001", "002", DateTime(day.days + 0.6));
  EXPECT_EQ(p.fields, aberCaixaFields());
  EXPECT_EQ(names(p),
            (std::vector<std::string>{"IDSITUACAO", "CDFILIAL", "CAIXA", "DTABERCAIX", "NMOPERADOR", "DTFECHCAIX",
                                      "NMOPEFECHA", "VRMOVIVEND", "CDTIPORECE", "NMTIPORECE", "CDCAIXA", "NMCAIXA",
                                      "DTMOVTURCAIX", "NRECFTURCAIX", "CDOPERADOR", "CDOPERABER"}));
  ASSERT_EQ(p.rows.size(), 2u);
  const int opened = p.fieldIndex("DTABERCAIX");
  EXPECT_LT(p.rows[0].values[opened].dateTime(), p.rows[1].values[opened].dateTime());
  for (const PacketRow& r : p.rows) {
    const auto& v = r.values;
    EXPECT_EQ(v[0], v[p.fieldIndex("DTFECHCAIX")]);  // situation = closing date-time
    EXPECT_FALSE(v[0].isNull());
    EXPECT_EQ(v[p.fieldIndex("DTMOVTURCAIX")].dateTime(), day);
    EXPECT_EQ(v[p.fieldIndex("CAIXA")].text(), "002 - " + v[p.fieldIndex("NMCAIXA")].text());
    EXPECT_FALSE(v[p.fieldIndex("NMOPERADOR")].asText().empty());
    EXPECT_EQ(v[p.fieldIndex("NMOPEFECHA")], v[p.fieldIndex("NMOPERADOR")]);
  }
  const DataPacket open = selectAberCaixa(s(), "0001", "002", frametest::openDay());
  ASSERT_EQ(open.rows.size(), 1u);
  EXPECT_TRUE(open.rows[0].values[0].isNull());
  EXPECT_TRUE(open.rows[0].values[open.fieldIndex("NMOPEFECHA")].isNull());
  EXPECT_TRUE(selectAberCaixa(s(), "0001", "999", day).rows.empty());
}

TEST_P(FrameQueries, SalesOfAnOpeningAsTheSalesRecordSetDeclaresThem) {
  const DateTime opened = frametest::lastOpening(s(), "0002", "003");
  const DataPacket p = selectPedidoVenda(s(), "0002", "003", opened);
  EXPECT_EQ(p.fields, saleFields());
  EXPECT_EQ(static_cast<double>(p.rows.size()),
            frametest::number(s(),
                              "SELECT COUNT(*) AS N FROM VENDA WHERE CDFILIALTUR = '0002' "
                              "AND CDCAIXATUR = '003' AND DTABERTUR = :A",
                              {{"A", opened}}));
  EXPECT_FALSE(p.rows.empty());
}

// Every concluded demo sale is paid exactly; its server total must be what
// its receipts add up to.
TEST_P(FrameQueries, ConcludedSaleTotalsMatchTheirReceipts) {
  const DataPacket sales =
      sqlSelect(s(),
                "SELECT V.CDFILIAL, V.CDCAIXA, V.NRSEQVENDA, (SELECT SUM(M.VRMOVIVEND) FROM MOVCAIXA M "
                "WHERE M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA AND M.NRSEQVENDA = V.NRSEQVENDA "
                "AND M.IDTIPOMOVIVE = 'E') AS PAGO FROM VENDA V WHERE V.IDSITUVENDA = 'O' "
                "AND V.CDCAIXA = '001' ORDER BY 1, 3",
                {},
                {{"CDFILIAL", FieldType::String, 4},
                 {"CDCAIXA", FieldType::String, 3},
                 {"NRSEQVENDA", FieldType::String, 10},
                 {"PAGO", FieldType::Float}});
  ASSERT_GT(sales.rows.size(), 20u);
  for (const PacketRow& r : sales.rows) {
    const auto& v = r.values;
    const DataPacket sum = selectSumVenda(s(), v[0].text(), v[1].text(), v[2].text());
    ASSERT_EQ(sum.fields, sumVendaFields());
    ASSERT_EQ(sum.rows.size(), 1u);
    EXPECT_EQ(std::llround(sum.rows[0].values[0].number() * 100), std::llround(v[3].asNumber() * 100)) << v[2].text();
  }
}

TEST_P(FrameQueries, CancelledItemsCarryProductNamesInNumberOrder) {
  const DataPacket sale = sqlSelect(s(),
                                    "SELECT CDFILIAL, CDCAIXA, NRSEQVENDA FROM VENDA V WHERE EXISTS (SELECT 1 FROM "
                                    "ITVENDACANC C WHERE C.CDFILIAL = V.CDFILIAL AND C.CDCAIXA = V.CDCAIXA AND "
                                    "C.NRSEQVENDA = V.NRSEQVENDA) ORDER BY 1, 2, 3",
                                    {});
  ASSERT_FALSE(sale.rows.empty());
  const auto& k = sale.rows[0].values;
  const DataPacket p = selectItensCancelados(s(), k[0].text(), k[1].text(), k[2].text());
  EXPECT_EQ(p.fields, itensCanceladosFields());
  ASSERT_FALSE(p.rows.empty());
  EXPECT_FALSE(p.rows[0].values[p.fieldIndex("NMPRODUTO")].asText().empty());
  EXPECT_FALSE(p.rows[0].values[p.fieldIndex("CDARVPROD")].asText().empty());
  EXPECT_EQ(p.rows[0].values[p.fieldIndex("NRSEQVENDA")].text(), k[2].text());
  EXPECT_TRUE(selectItensCancelados(s(), k[0].text(), k[1].text(), "9999999999").rows.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, FrameQueries, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

// Each item total is cut to cents the way the items grid shows it; the sale
// total is their sum.
TEST(SaleTotal, SumOfItemTotalsCutToCents) {
  frametest::DemoDb d = frametest::freshDemo("SQLite");
  soci::session& s = d.conn->session();
  const DateTime opened = frametest::lastOpening(s, "0001", "001");
  frametest::insertSale(s, "0001", "001", "0000900001", opened, "P", frametest::openDay());
  EXPECT_EQ(selectSumVenda(s, "0001", "001", "0000900001").rows.at(0).values[0].number(), 0.0);
  frametest::insertItems(s, "0001", "001", "0000900001",
                         {
                             Item{3, 0.1, 0, 0, 0},        // 0.30, not 0.29
                             Item{1.5, 12.99, 0, 0, 0},    // 19.485 cut to 19.48
                             Item{2, 10, 1.5, 0.5, 0.25},  // client share counts: 22.75
                             Item{0.333, 3, 0, 0, 0},      // 0.999 cut to 0.99
                         });
  EXPECT_DOUBLE_EQ(selectSumVenda(s, "0001", "001", "0000900001").rows.at(0).values[0].number(),
                   0.30 + 19.48 + 22.75 + 0.99);
}

}  // namespace
