// The frame's reading operations, called by name as the screen calls them:
// signatures, result shapes and the values the demo data makes known.

#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "server/frame_queries.h"
#include "server/salesquery.h"
#include "tests/server/frame_fixture.h"

using namespace platform;
using namespace server;

namespace {

const frametest::FrameServer& srv() {
  static const frametest::FrameServer s;
  return s;
}

std::vector<std::string> names(const DataPacket& p) {
  std::vector<std::string> out;
  for (const FieldDef& f : p.fields) out.push_back(f.name);
  return out;
}

TEST(FrameRegistry, OperationsAndArgumentKindsAsTheScreenCallsThem) {
  const std::vector<std::pair<std::string, std::string>> table = {
      {"GetAberCaixa", "SSD"},   {"GetPedidoVenda", "SSD"}, {"getAbertura", "SSD"},   {"getCaixaAberto", "SSD"},
      {"SetFechaCaixa", "SSD"},  {"GetItens", "SSS"},       {"GetTipoRece", "SSS"},   {"GetItensCancelados", "SSS"},
      {"GetSumVenda", "SSS"},    {"getConsumidor", "SSS"},  {"PrxPedidoVenda", "SS"}, {"getPerManut", "S"},
      {"getVdDataAber", "S"},    {"GetOperador", ""},       {"DelPedidoVenda", "P"},  {"SetAberCaixa", "P"},
      {"GravaVenda", "P&P&P&S"}, {"GetBuscaManut", "SSDS"},
  };
  for (const auto& [name, signature] : table) {
    const OperationSpec* spec = srv().registry().find(name);
    ASSERT_NE(spec, nullptr) << name;
    std::string kinds;
    for (const ParamSpec& p : spec->params) kinds += std::string(1, p.kind) + (p.byRef ? "&" : "");
    EXPECT_EQ(kinds, signature) << name;
  }
}

class FrameReads : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { VND_SKIP_UNAVAILABLE(GetParam()); }
  soci::session& s() { return frametest::sharedDemo(GetParam()).session(); }
};

TEST_P(FrameReads, BadArgumentsAreRefusedWithAText) {
  const RemoteResult wrongKind = srv().call(s(), "GetSumVenda", {"0001", 1.0, "0000000001"});
  EXPECT_FALSE(wrongKind.ok);
  EXPECT_NE(wrongKind.error.find("argumento 2"), std::string::npos) << wrongKind.error;
  EXPECT_FALSE(srv().call(s(), "GetItens", {"0001", "001"}).ok);
  // Null stands for an empty text: nothing is found, nothing fails.
  const DataPacket none = srv().packet(s(), "GetTipoRece", {Value(), Value(), Value()});
  EXPECT_EQ(none.fields, tipoReceFields());
  EXPECT_TRUE(none.rows.empty());
}

// Leaving the filter panel loads seven packets in one call.
TEST_P(FrameReads, FilterPanelLoadInOneCall) {
  const DateTime day = encodeDate(2026, 3, 4);
  const Value v = srv().value(s(), "GetBuscaManut", {"0002", "001", day, "T"});
  ASSERT_TRUE(v.isArray());
  ASSERT_EQ(v.array().size(), 7u);
  auto at = [&](size_t i) -> const DataPacket& { return v.array()[i].packet(); };
  EXPECT_EQ(at(0), srv().packet(s(), "GetAberCaixa", {"0002", "001", day}));
  EXPECT_EQ(at(1).fields, (std::vector<FieldDef>{{"IDORIGVENDA", FieldType::String, 1},
                                                 {"CDTABEPREC", FieldType::String, 3},
                                                 {"IDALTPRECO", FieldType::String, 1},
                                                 {"CDGRPRODPDV", FieldType::String, 10},
                                                 {"IDUTSUBTCONS", FieldType::String, 1}}));
  ASSERT_EQ(at(1).rows.size(), 1u);
  EXPECT_EQ(at(1).rows[0].values[2].text(), "2");  // prices may not be typed in this branch
  ASSERT_EQ(at(2).rows.size(), 1u);                // the day's Z reduction
  EXPECT_EQ(at(2).rows[0].values[at(2).fieldIndex("DTREDUCAOZ")].dateTime(), day);
  EXPECT_EQ(at(4).fields, (std::vector<FieldDef>{{"CDCLIENTE", FieldType::String, 21},
                                                 {"NMRAZSOCCLIE", FieldType::String, 50},
                                                 {"NRINSJURCLIE", FieldType::String, 20}}));
  ASSERT_EQ(at(4).rows.size(), 1u);
  EXPECT_EQ(at(4).rows[0].values[0].text(), Ajusta("1", 21));
  EXPECT_EQ(at(4).rows[0].values[1].text(), "Consumidor final");
  ASSERT_EQ(at(5).rows.size(), 1u);
  EXPECT_EQ(at(5).rows[0].values[at(5).fieldIndex("NRECF")].text(), "001");
  EXPECT_EQ(at(6).fields.at(0).name, "NRREDREDZ");

  // "T": the cancelled items of every sale of the day; a sale number: its own.
  const DataPacket& dayItems = at(3);
  EXPECT_EQ(dayItems.fields, itensCanceladosFields());
  const double expected =
      frametest::number(s(),
                        "SELECT COUNT(*) AS N FROM ITVENDACANC C JOIN VENDA V ON V.CDFILIAL = C.CDFILIAL AND "
                        "V.CDCAIXA = C.CDCAIXA AND V.NRSEQVENDA = C.NRSEQVENDA WHERE V.CDFILIAL = '0002' AND "
                        "V.CDCAIXA = '001' AND V.DTENTRVENDA = :D",
                        {{"D", day}});
  ASSERT_GT(expected, 0);
  ASSERT_EQ(static_cast<double>(dayItems.rows.size()), expected);
  const std::string nr = dayItems.rows[0].values[dayItems.fieldIndex("NRSEQVENDA")].text();
  const Value one = srv().value(s(), "GetBuscaManut", {"0002", "001", day, nr});
  EXPECT_EQ(one.array()[3].packet(), srv().packet(s(), "GetItensCancelados", {"0002", "001", nr}));
}

TEST_P(FrameReads, SalesOfAnOpeningWithTheFirstSalesTotal) {
  const DateTime opened = frametest::lastOpening(s(), "0001", "003");
  const Value v = srv().value(s(), "GetPedidoVenda", {"0001", "003", opened});
  ASSERT_TRUE(v.isArray());
  ASSERT_EQ(v.array().size(), 2u);
  const DataPacket& sales = v.array()[0].packet();
  EXPECT_EQ(sales.fields, saleFields());
  ASSERT_FALSE(sales.rows.empty());
  const std::string first = sales.rows[0].values[sales.fieldIndex("NRSEQVENDA")].text();
  EXPECT_EQ(v.array()[1].packet(), srv().packet(s(), "GetSumVenda", {"0001", "003", first}));
  // The screen loads an empty list with empty keys and the zero date.
  const Value empty = srv().value(s(), "GetPedidoVenda", {"", "", DateTime()});
  EXPECT_TRUE(empty.array()[0].packet().rows.empty());
  EXPECT_EQ(empty.array()[1].packet().rows.at(0).values[0].number(), 0.0);
}

TEST_P(FrameReads, ItemsTaxesAndCancelledItemsOfASale) {
  const DataPacket sale =
      sqlSelect(s(),
                "SELECT V.NRSEQVENDA FROM VENDA V WHERE V.CDFILIAL = '0001' AND V.CDCAIXA = '001' AND "
                "EXISTS (SELECT 1 FROM ITVENDACANC C WHERE C.CDFILIAL = V.CDFILIAL AND C.CDCAIXA = "
                "V.CDCAIXA AND C.NRSEQVENDA = V.NRSEQVENDA) ORDER BY 1",
                {});
  ASSERT_FALSE(sale.rows.empty());
  const std::string nr = sale.rows[0].values[0].text();
  const Value v = srv().value(s(), "GetItens", {"0001", "001", nr});
  ASSERT_EQ(v.array().size(), 3u);
  const DataPacket &items = v.array()[0].packet(), &taxes = v.array()[1].packet();
  EXPECT_EQ(names(items),
            (std::vector<std::string>{"CDFILIAL", "NRSEQVENDA", "NRSEQUITVEND", "NMPRODUTO", "CDARVPROD", "CDPRODUTO",
                                      "SGUNIDADE", "QTPRODVEND", "VRUNITVEND", "VRPERCVEND", "VRDESITVEND", "CDCAIXA",
                                      "VRUNITVENDCL", "CDGRUPPROD", "CDSUBGRPROD", "CDFISUBGRVND", "VRACRITVEND"}));
  EXPECT_EQ(names(taxes),
            (std::vector<std::string>{"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND", "NRSEQITIMPOS", "CDIMPOSTO",
                                      "VRPEALPRODIT", "VRIMPOPRODIT", "CDIMPOSTOEX", "SGIMPOSTO", "CDPRODUTO"}));
  EXPECT_EQ(taxes.fields[taxes.fieldIndex("CDPRODUTO")].type, FieldType::FixedString);
  EXPECT_EQ(taxes.fields[taxes.fieldIndex("CDIMPOSTOEX")].type, FieldType::Float);
  ASSERT_FALSE(items.rows.empty());
  ASSERT_FALSE(taxes.rows.empty());
  EXPECT_FALSE(items.rows[0].values[items.fieldIndex("NMPRODUTO")].asText().empty());
  EXPECT_FALSE(taxes.rows[0].values[taxes.fieldIndex("SGIMPOSTO")].asText().empty());
  EXPECT_EQ(v.array()[2].packet(), srv().packet(s(), "GetItensCancelados", {"0001", "001", nr}));
  EXPECT_FALSE(v.array()[2].packet().rows.empty());
}

// The receipts' amounts agreeing with the sale totals is checked with the
// shared SELECTs; here the shape and the joined type names.
TEST_P(FrameReads, ReceiptsOfASale) {
  const DataPacket receipts = srv().packet(s(), "GetTipoRece", {"0002", "001", "0000000001"});
  EXPECT_EQ(names(receipts),
            (std::vector<std::string>{"NMTIPORECE", "CDTIPORECE", "VRMOVIVEND", "CDFILIAL", "CDCAIXA", "DTABERCAIX",
                                      "NRSEQUMOVI", "IDTIPOMOVIVE", "DTHRINCMOV", "NRSEQVENDA", "DTMOVIMCAIXA",
                                      "VRMOVIVEOUT", "IDTIPORECE", "CDINDICE", "VRCOTINDOUT", "QTPARCRECEB"}));
  ASSERT_FALSE(receipts.rows.empty());
  for (const PacketRow& r : receipts.rows) EXPECT_FALSE(r.values[0].asText().empty());
}

TEST_P(FrameReads, BranchParametersForTheGuards) {
  const DataPacket perm = srv().packet(s(), "getPerManut", {"0001"});
  EXPECT_EQ(perm.fields, perManutFields());
  ASSERT_EQ(perm.rows.size(), 1u);
  EXPECT_EQ(perm.rows[0].values[0].text(), "S");
  EXPECT_TRUE(srv().packet(s(), "getPerManut", {"0009"}).rows.empty());  // permits

  const DataPacket window = srv().packet(s(), "getVdDataAber", {"0002"});
  EXPECT_EQ(names(window), (std::vector<std::string>{"DTPROCVND", "IDPERLANCANTDP", "IDPERLANCPOSDP", "NRDIAANTLANC",
                                                     "NRDIAPOSLANC"}));
  ASSERT_EQ(window.rows.size(), 1u);
  const auto& w = window.rows[0].values;
  EXPECT_EQ(w[0].dateTime(), frametest::openDay());
  EXPECT_EQ(w[1].text(), "S");
  EXPECT_EQ(w[2].text(), "N");
  EXPECT_EQ(w[3].number(), 2.0);
  EXPECT_EQ(w[4].number(), 0.0);
}

TEST_P(FrameReads, OperatorsOfferedForAnOpeningAreTheActiveOnes) {
  const DataPacket ops = srv().packet(s(), "GetOperador", {});
  EXPECT_EQ(ops.fields,
            (std::vector<FieldDef>{{"CDOPERADOR", FieldType::String, 30}, {"NMOPERADOR", FieldType::String, 100}}));
  std::vector<std::string> codes;
  for (const PacketRow& r : ops.rows) codes.push_back(r.values[0].text());
  EXPECT_EQ(codes, (std::vector<std::string>{"000000000001", "000000000002", "000000000003", "000000000004",
                                             "000000000005", "000000000099"}));
}

TEST_P(FrameReads, OpenRegisterAndDuplicateOpeningLookUps) {
  auto registro = [&](const char* op, DateTime d) {
    const DataPacket p = srv().packet(s(), op, {"0001", "001", d});
    EXPECT_EQ(p.fields, registroFields());
    return p.rows.at(0).values[0].number();
  };
  const DateTime open = frametest::openDay(), closed = encodeDate(2026, 3, 3);
  EXPECT_EQ(registro("getCaixaAberto", open), 1);
  EXPECT_EQ(registro("getCaixaAberto", DateTime(open.days + 0.75)), 1);  // time of day ignored
  EXPECT_EQ(registro("getCaixaAberto", closed), 0);
  EXPECT_EQ(registro("getAbertura", encodeDateTime(2026, 3, 3, 6, 0, 0)), 1);
  EXPECT_EQ(registro("getAbertura", encodeDateTime(2026, 3, 3, 6, 0, 1)), 0);
}

TEST_P(FrameReads, ConsumersOfAClientOneOrAll) {
  const std::string client = Ajusta("2", 21);
  const DataPacket all = srv().packet(s(), "getConsumidor", {client, "", "T"});
  EXPECT_EQ(names(all),
            (std::vector<std::string>{"CDCONSUMIDOR", "NMCONSUMIDOR", "CDCCUSCLIE", "CDTIPOCONS", "IDVERSALDCON"}));
  ASSERT_EQ(all.rows.size(), 3u);
  EXPECT_EQ(all.rows[0].values[0].text(), Ajusta("1", 21));
  EXPECT_EQ(all.rows[0].values[4].text(), "S");  // the first consumer's balance is checked
  const DataPacket one = srv().packet(s(), "getConsumidor", {client, Ajusta("2", 21), ""});
  ASSERT_EQ(one.rows.size(), 1u);
  EXPECT_EQ(one.rows[0].values[1].text(), all.rows[1].values[1].text());
  EXPECT_TRUE(srv().packet(s(), "getConsumidor", {client, "", ""}).rows.empty());
  EXPECT_TRUE(srv().packet(s(), "getConsumidor", {client, Ajusta("9", 21), ""}).rows.empty());
}

TEST_P(FrameReads, NextSaleNumberIsTheHighestPlusOneAtWidthTen) {
  EXPECT_EQ(srv().value(s(), "PrxPedidoVenda", {"0001", "002"}), Value("0000000068"));
  EXPECT_EQ(srv().value(s(), "PrxPedidoVenda", {"0002", "003"}), Value("0000000046"));
  EXPECT_EQ(srv().value(s(), "PrxPedidoVenda", {"0001", "999"}), Value("0000000001"));
}

INSTANTIATE_TEST_SUITE_P(Backends, FrameReads, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
