// Saving and deleting sales as the screen sends them: the three change logs
// of GravaVenda, what a settled sale still accepts, the register guards,
// the item figures, concurrency and atomicity.

#include <gtest/gtest.h>

#include <limits>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "server/frame_queries.h"
#include "server/operations_all.h"
#include "server/salesquery.h"
#include "tests/server/frame_fixture.h"

using namespace platform;
using namespace server;
using frametest::Changes;

namespace {

const std::string kOp1 = "000000000001";

class SaleWrites : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    demo_ = frametest::freshDemo(GetParam());
    product_ = sqlSelect(s(), "SELECT MIN(CDPRODUTO) AS P FROM PRODUTO WHERE CDNVPRODUTO = 3", {},
                         {{"P", FieldType::String, 10}})
                   .rows.at(0)
                   .values[0]
                   .text();
  }
  soci::session& s() { return demo_.conn->session(); }

  // The sales of a register's opening that starts on the day.
  DataPacket sales(const std::string& filial, const std::string& caixa, DateTime day) {
    const DataPacket o = srv_.packet(s(), "GetAberCaixa", {filial, caixa, day});
    return srv_.value(s(), "GetPedidoVenda", {filial, caixa, o.rows.at(0).values[3]}).array()[0].packet();
  }
  PacketRow saleRow(const std::string& filial, const std::string& caixa, DateTime day, const std::string& nr) {
    const DataPacket p = sales(filial, caixa, day);
    for (const PacketRow& r : p.rows)
      if (r.values[0].text() == nr) return r;
    ADD_FAILURE() << "venda " << nr << " não encontrada";
    return {};
  }
  // A new sale of an opening, as the screen fills it before posting.
  Changes newSale(const std::string& filial, const std::string& caixa, const std::string& nr, DateTime opened,
                  DateTime day) {
    return {{"NRSEQVENDA", nr},
            {"CDFILIAL", filial},
            {"CDCAIXA", caixa},
            {"CDEMPRESA", "01"},
            {"CDCLIENTE", Ajusta("1", 21)},
            {"NRINSJURCLIE", "000"},
            {"NMRAZSOCCLIE", "Consumidor final"},
            {"DTENTRVENDA", day},
            {"DTVENDA", day},
            {"IDSITUVENDA", "P"},
            {"DTABERTUR", opened},
            {"CDFILIALTUR", filial},
            {"CDCAIXATUR", caixa},
            {"IDTIPOVENDA", "S"},
            {"IDORIGEMVENDA", "VND_MAN"},
            {"NRSERIEVND", "1"},
            {"ITENSCANC", "N"}};
  }
  Changes item(const std::string& nr, const std::string& no, double q, double u, double d = 0, double a = 0) {
    return {{"CDFILIAL", "0001"},    {"CDCAIXA", "001"},          {"NRSEQVENDA", nr}, {"NRSEQUITVEND", no},
            {"CDPRODUTO", product_}, {"NMPRODUTO", "(exibição)"}, {"QTPRODVEND", q},  {"VRUNITVEND", u},
            {"VRUNITVENDCL", 0.0},   {"VRDESITVEND", d},          {"VRACRITVEND", a}};
  }
  RemoteResult grava(const DataPacket* sale, const DataPacket* items, const DataPacket* taxes) {
    auto arg = [](const DataPacket* p) { return p ? Value(*p) : Value(); };
    return srv_.call(s(), "GravaVenda", {arg(sale), arg(items), arg(taxes), kOp1});
  }
  double total(const RemoteResult& r) {
    EXPECT_TRUE(r.ok) << r.error;
    return r.ok ? r.value.packet().rows.at(0).values[0].number() : -1;
  }
  double count(const std::string& sql, const SqlParams& p = {}) { return frametest::number(s(), sql, p); }

  frametest::FrameServer srv_;
  frametest::DemoDb demo_;
  std::string product_;
};

void expectRefused(const RemoteResult& r, const std::string& text) {
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, text);
}

TEST_P(SaleWrites, ANewSaleWithItemsAndTaxesThenCorrectedAndTrimmed) {
  const DateTime day = frametest::openDay(), opened = frametest::lastOpening(s(), "0001", "001");
  const std::string nr = srv_.value(s(), "PrxPedidoVenda", {"0001", "001"}).text();
  DataPacket sale = frametest::deltaOf(saleFields());
  frametest::addInsert(sale, newSale("0001", "001", nr, opened, day));
  DataPacket items = frametest::deltaOf(itensFields());
  frametest::addInsert(items, item(nr, "001", 2, 10, 0.5));  // 19.50
  frametest::addInsert(items, item(nr, "002", 3, 0.1));      // 0.30
  DataPacket taxes = frametest::deltaOf(impostoItemFields());
  frametest::addInsert(taxes, {{"CDFILIAL", "0001"},
                               {"CDCAIXA", "001"},
                               {"NRSEQVENDA", nr},
                               {"NRSEQUITVEND", "001"},
                               {"NRSEQITIMPOS", "001"},
                               {"CDIMPOSTO", "01"},
                               {"VRPEALPRODIT", 18.0},
                               {"VRIMPOPRODIT", 3.6},
                               {"CDIMPOSTOEX", 1.0},
                               {"SGIMPOSTO", "ICMS18"},
                               {"CDPRODUTO", product_}});
  EXPECT_DOUBLE_EQ(total(grava(&sale, &items, &taxes)), 19.80);

  const PacketRow stored = saleRow("0001", "001", day, nr);
  const DataPacket shape = sales("0001", "001", day);
  EXPECT_EQ(stored.values[shape.fieldIndex("NMRAZSOCCLIE")].text(), "Consumidor final");
  EXPECT_EQ(stored.values[shape.fieldIndex("CDOPERADOR")].text(), kOp1);  // who saved it
  const Value read = srv_.value(s(), "GetItens", {"0001", "001", nr});
  const DataPacket storedItems = read.array()[0].packet();
  ASSERT_EQ(storedItems.rows.size(), 2u);
  ASSERT_EQ(read.array()[1].packet().rows.size(), 1u);

  // The screen posts one changed item at a time, with Null for the others.
  DataPacket more = frametest::deltaOf(itensFields());
  frametest::addModify(more, storedItems.rows[1], {{"QTPRODVEND", 4.0}});
  EXPECT_DOUBLE_EQ(total(grava(nullptr, &more, nullptr)), 19.90);

  // Deleting an item goes with its tax rows, taxes first.
  DataPacket goneItem = frametest::deltaOf(itensFields());
  frametest::addDelete(goneItem, storedItems.rows[0]);
  DataPacket goneTax = frametest::deltaOf(impostoItemFields());
  frametest::addDelete(goneTax, read.array()[1].packet().rows[0]);
  EXPECT_DOUBLE_EQ(total(grava(nullptr, &goneItem, &goneTax)), 0.40);

  // Another screen given the same number saves second: the key refuses it.
  const RemoteResult twice = grava(&sale, nullptr, nullptr);
  EXPECT_FALSE(twice.ok);
  EXPECT_NE(twice.error.find("já existe"), std::string::npos) << twice.error;
  EXPECT_EQ(srv_.value(s(), "PrxPedidoVenda", {"0001", "001"}).text(), Ajusta(std::to_string(std::stoll(nr) + 1), 10));
}

TEST_P(SaleWrites, ASettledSaleOnlyTakesASellerChange) {
  const DateTime closedDay = encodeDate(2026, 3, 5);
  const DataPacket settled = sales("0001", "001", closedDay);
  const int status = settled.fieldIndex("IDSITUVENDA");
  const PacketRow* concluded = nullptr;
  for (const PacketRow& r : settled.rows)
    if (r.values[status].text() == "O") concluded = &r;
  ASSERT_NE(concluded, nullptr);
  const std::string nr = concluded->values[0].text();

  // Allowed although the register is closed: no money changes.
  DataPacket seller = frametest::deltaOf(saleFields());
  frametest::addModify(seller, *concluded,
                       {{"CDVENDEDOR", "0003"},
                        {"NMRAZSOCVEN", "(exibição)"},
                        {"TXOBSVENDA", " - Operador 000000000001-Ana - Novo vendedor: 0003"}});
  ASSERT_TRUE(grava(&seller, nullptr, nullptr).ok);
  const PacketRow after = saleRow("0001", "001", closedDay, nr);
  EXPECT_EQ(after.values[settled.fieldIndex("CDVENDEDOR")].text(), "0003");

  DataPacket coupon = frametest::deltaOf(saleFields());
  frametest::addModify(coupon, after, {{"NRCUPOMFIS", "999999"}});
  expectRefused(grava(&coupon, nullptr, nullptr),
                "Operação não permitida. A venda " + nr +
                    " não está pendente: só o vendedor e a observação podem ser alterados.");
  const Value read = srv_.value(s(), "GetItens", {"0001", "001", nr});
  DataPacket items = frametest::deltaOf(itensFields());
  frametest::addModify(items, read.array()[0].packet().rows.at(0), {{"QTPRODVEND", 9.0}});
  expectRefused(grava(nullptr, &items, nullptr),
                "Operação não permitida. A venda " + nr + " não está pendente: seus itens não podem ser alterados.");
  DataPacket gone = frametest::deltaOf(saleFields());
  frametest::addDelete(gone, after);
  expectRefused(srv_.call(s(), "DelPedidoVenda", {gone}),
                "Operação não permitida. A venda " + nr + " não está pendente e não pode ser excluída.");

  // A pending sale is concluded or cancelled by their own operations only.
  const DataPacket open = sales("0001", "001", frametest::openDay());
  for (const PacketRow& r : open.rows) {
    if (r.values[status].text() != "P") continue;
    DataPacket conclude = frametest::deltaOf(saleFields());
    frametest::addModify(conclude, r, {{"IDSITUVENDA", "O"}});
    expectRefused(grava(&conclude, nullptr, nullptr), "A situação da venda só muda ao concluí-la ou cancelá-la.");
    break;
  }
}

TEST_P(SaleWrites, RegisterGuardsOnNewSales) {
  auto tryInsert = [&](const std::string& filial, const std::string& caixa, DateTime day, const Changes& extra = {}) {
    const DataPacket o = srv_.packet(s(), "GetAberCaixa", {filial, caixa, day});
    Changes c = newSale(filial, caixa, "0000900001", o.rows.at(0).values[3].dateTime(), day);
    c.insert(c.end(), extra.begin(), extra.end());
    DataPacket d = frametest::deltaOf(saleFields());
    frametest::addInsert(d, c);
    return grava(&d, nullptr, nullptr);
  };
  sqlExecute(s(), "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE DTMOVTURCAIX = :D", {{"D", encodeDate(2026, 3, 2)}});
  const DateTime open = frametest::openDay();
  expectRefused(tryInsert("0001", "001", encodeDate(2026, 3, 5)), "Operação Bloqueada! Caixa fechado.");
  expectRefused(tryInsert("0001", "001", encodeDate(2026, 3, 2)),
                "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer "
                "alterações, pois a Redução Z deste dia está com status de Aprovada.");
  expectRefused(tryInsert("0002", "001", encodeDate(2026, 3, 2)),
                "Operação não permitida. A data de movimento não se enquadra nos parâmetros "
                "definidos para a data de processamento.");
  expectRefused(tryInsert("0001", "001", open, {{"IDSITUVENDA", "O"}}), "Uma venda incluída deve estar pendente.");
  expectRefused(tryInsert("0001", "001", open, {{"CDCAIXATUR", "002"}}),
                "A venda 0000900001 deve pertencer a uma abertura do seu próprio caixa.");
  expectRefused(tryInsert("0001", "001", open, {{"DTENTRVENDA", Value()}}), "Data da venda deve ser informada.");
  sqlExecute(s(), "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0001'");
  expectRefused(tryInsert("0001", "001", open), "Filial não permite realizar manutenção das vendas.");
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM VENDA WHERE NRSEQVENDA = '0000900001'"), 0);
  EXPECT_TRUE(tryInsert("0002", "001", open).ok);
}

// Item figures are checked as the items grid checks them; a refused item
// leaves the sale change sent with it unsaved too.
TEST_P(SaleWrites, ItemFiguresAndAtomicity) {
  const DateTime day = frametest::openDay();
  const DataPacket open = sales("0001", "001", day);
  const PacketRow* pending = nullptr;
  for (const PacketRow& r : open.rows)
    if (r.values[open.fieldIndex("IDSITUVENDA")].text() == "P") pending = &r;
  ASSERT_NE(pending, nullptr);
  const std::string nr = pending->values[0].text();
  const int coupon = open.fieldIndex("NRCUPOMFIS");
  const std::vector<std::pair<Changes, std::string>> cases = {
      {item(nr, "901", 0, 10), "Quantidade de produtos deve ser maior que zero."},
      {item(nr, "901", -1, 10), "Quantidade de produtos deve ser maior que zero."},
      {item(nr, "901", 1, -1), "Vr. Unit. deve ser maior ou igual a zero."},
      {item(nr, "901", 1, 0), "Vr.Unit ou Vr.Cliente deve ser maior que zero."},
      {item(nr, "901", 2, 10, -1), "Desconto deve ser maior ou igual a zero."},
      {item(nr, "901", 2, 10, 20.01), "Valor do desconto deve ser menor que o valor total do produto."},
      {item(nr, "901", 2, 10, 25, 5),  // the surcharge leaves nothing to pay
       "Valor do desconto deve ser menor que o valor total do produto."},
      {item(nr, "901", 2, 10, 0, -1), "Acréscimo deve ser maior ou igual a zero."},
  };
  for (const auto& [bad, text] : cases) {
    DataPacket sale = frametest::deltaOf(saleFields());
    frametest::addModify(sale, *pending, {{"NRCUPOMFIS", "777777"}});
    DataPacket items = frametest::deltaOf(itensFields());
    frametest::addInsert(items, bad);
    expectRefused(grava(&sale, &items, nullptr), text);
  }
  EXPECT_NE(saleRow("0001", "001", day, nr).values[coupon], Value("777777"));
  DataPacket limit = frametest::deltaOf(itensFields());
  frametest::addInsert(limit, item(nr, "901", 2, 10, 20));     // the whole line as discount
  frametest::addInsert(limit, item(nr, "902", 2, 10, 22, 5));  // covered by the surcharge
  EXPECT_TRUE(grava(nullptr, &limit, nullptr).ok);

  // The stored sale changed after this screen read it.
  sqlExecute(s(),
             "UPDATE VENDA SET HRVENDA = '23:59:59' WHERE CDFILIAL = '0001' AND "
             "CDCAIXA = '001' AND NRSEQVENDA = :N",
             {{"N", nr}});
  DataPacket stale = frametest::deltaOf(saleFields());
  frametest::addModify(stale, *pending, {{"NRCUPOMFIS", "777777"}});
  const RemoteResult r = grava(&stale, nullptr, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("foi alterado por outro usuário"), std::string::npos) << r.error;
}

// A pending sale goes with its items, receipts and consumer-account debits;
// the debited amounts return to the consumers' balances.
TEST_P(SaleWrites, DeletingAPendingSaleReturnsItsAccountDebits) {
  const DataPacket debit =
      sqlSelect(s(),
                "SELECT V.CDFILIAL, V.CDCAIXA, V.NRSEQVENDA, M.CDCLIENTE, M.CDCONSUMIDOR, M.VRMOVCONS "
                "FROM VENDA V JOIN MOVCONS M ON M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA AND "
                "M.NRSEQVENDA = V.NRSEQVENDA WHERE V.IDSITUVENDA = 'P' AND M.IDTIPOMOVCONS = 'D'",
                {},
                {{"CDFILIAL", FieldType::String, 4},
                 {"CDCAIXA", FieldType::String, 3},
                 {"NRSEQVENDA", FieldType::String, 10},
                 {"CDCLIENTE", FieldType::String, 21},
                 {"CDCONSUMIDOR", FieldType::String, 21},
                 {"VRMOVCONS", FieldType::Float}});
  ASSERT_EQ(debit.rows.size(), 1u);
  const auto& k = debit.rows[0].values;
  const SqlParams consumer = {{"C", k[3]}, {"K", k[4]}};
  const std::string balance = "SELECT VRSALDOCONS AS N FROM SALDOCONS WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K";
  const double before = count(balance, consumer);
  DataPacket gone = frametest::deltaOf(saleFields());
  frametest::addDelete(gone, saleRow(k[0].text(), k[1].text(), frametest::openDay(), k[2].text()));
  ASSERT_TRUE(srv_.call(s(), "DelPedidoVenda", {gone}).ok);
  EXPECT_NEAR(count(balance, consumer), before + k[5].number(), 0.001);
  const SqlParams sale = {{"F", k[0]}, {"C", k[1]}, {"N", k[2]}};
  for (const char* table : {"VENDA", "ITVENDA", "MOVCAIXA", "MOVCONS"})
    EXPECT_EQ(count(std::string("SELECT COUNT(*) AS N FROM ") + table +
                        " WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N",
                    sale),
              0)
        << table;
}

// Values no column can hold, hostile or mistyped, are refused the same way
// on both databases, naming the field; the database's own texts (with the
// statement and its values) never reach the user; nothing is stored.
TEST_P(SaleWrites, ValuesNoColumnCanHoldAreRefusedNamingTheField) {
  const DateTime day = frametest::openDay(), opened = frametest::lastOpening(s(), "0001", "001");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string nr = srv_.value(s(), "PrxPedidoVenda", {"0001", "001"}).text();
  struct Case {
    Changes sale, item;
    std::string field;
  };
  const std::vector<Case> cases = {
      {{{"DTVENDA", DateTime(encodeDate(9999, 12, 31).days + 1)}}, {}, "DTVENDA"},
      {{{"DTVENDA", DateTime(encodeDate(1, 1, 1).days - 1)}}, {}, "DTVENDA"},
      {{{"DTVENDA", DateTime(nan)}}, {}, "DTVENDA"},
      {{{"TXOBSVENDA", std::string(1 << 20, 'x')}}, {}, "TXOBSVENDA"},
      {{{"NMRAZSOCCLIE", std::string("a\0b", 3)}}, {}, "NMRAZSOCCLIE"},
      {{}, {{"QTPRODVEND", inf}}, "QTPRODVEND"},
      {{}, {{"QTPRODVEND", nan}}, "QTPRODVEND"},
      {{}, {{"VRUNITVEND", 1e300}}, "VRUNITVEND"},
      {{}, {{"VRUNITVEND", 1e13}}, "VRUNITVEND"},
  };
  const double before = count("SELECT COUNT(*) AS N FROM VENDA");
  for (const Case& c : cases) {
    Changes fields = newSale("0001", "001", nr, opened, day);
    fields.insert(fields.end(), c.sale.begin(), c.sale.end());
    DataPacket sale = frametest::deltaOf(saleFields());
    frametest::addInsert(sale, fields);
    Changes line = item(nr, "001", 1, 10);
    line.insert(line.end(), c.item.begin(), c.item.end());
    DataPacket items = frametest::deltaOf(itensFields());
    frametest::addInsert(items, line);
    const RemoteResult r = grava(&sale, &items, nullptr);
    EXPECT_FALSE(r.ok) << c.field;
    EXPECT_NE(r.error.find(c.field), std::string::npos) << r.error;
  }
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM VENDA"), before);

  // A code the database does not know: its refusal is worded for the user.
  DataPacket unknownClient = frametest::deltaOf(saleFields());
  Changes fields = newSale("0001", "001", nr, opened, day);
  fields.push_back({"CDCLIENTE", Ajusta("999999", 21)});
  frametest::addInsert(unknownClient, fields);
  expectRefused(grava(&unknownClient, nullptr, nullptr),
                "Operação GravaVenda: um código informado não está cadastrado ou o registro "
                "ainda é usado por outros. Recarregue os dados e tente novamente.");

  // A note ending in NUL would lose what follows it (the canceller's stamp).
  const PacketRow pending = [&] {
    for (const PacketRow& r : sales("0001", "001", day).rows)
      if (r.values[sales("0001", "001", day).fieldIndex("IDSITUVENDA")].text() == "P") return r;
    return PacketRow{};
  }();
  ASSERT_FALSE(pending.values.empty());
  OperationRegistry all;
  registerAllOperations(all);
  OperationContext ctx{s(), kOp1, "Ana Paula Ferraz"};
  std::vector<Value> cancel = {"0001", "001", pending.values[0], kOp1, std::string("nota\0", 5)};
  expectRefused(all.call("CancelaVenda", cancel, ctx),
                "Operação CancelaVenda: o argumento 5 contém um caractere nulo, que não pode "
                "ser gravado.");
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleWrites, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
