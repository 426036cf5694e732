// The audit trail: what each kind of accepted write records, that a refused
// write records nothing, a sale's history, and the chain's verification
// finding an altered or removed row.

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <tuple>

#include "platform/sqlaccess.h"
#include "server/audit.h"
#include "server/operations_all.h"
#include "server/ops_frame.h"
#include "server/ops_zreduction.h"
#include "server/storage.h"
#include "tests/server/ops_sale_fixture.h"

namespace {

using namespace saletest;
using platform::FieldType;
using platform::sqlExecute;
using platform::sqlSelect;

class AuditTrailTest : public SaleOps {
 protected:
  void SetUp() override {
    SaleOps::SetUp();
    if (IsSkipped()) return;
    server::registerFrameOperations(registry_);
    server::registerZOperations(registry_);
    server::registerAuditOperations(registry_);
  }

  // "OPERATION KIND TABLE" of the audit rows written since the last look.
  std::vector<std::string> newRows() {
    const DataPacket p = sqlSelect(s(),
                                   "SELECT NRSEQAUDIT, NMOPERACAO, IDALTERACAO, NMTABELA FROM AUDITORIA "
                                   "WHERE NRSEQAUDIT > :L ORDER BY NRSEQAUDIT",
                                   {{"L", seen_}},
                                   {{"NRSEQAUDIT", FieldType::Float},
                                    {"NMOPERACAO", FieldType::String, 40},
                                    {"IDALTERACAO", FieldType::String, 1},
                                    {"NMTABELA", FieldType::String, 30}});
    std::vector<std::string> out;
    for (const PacketRow& r : p.rows) {
      seen_ = r.values[0].asNumber();
      out.push_back(r.values[1].asText() + " " + r.values[2].asText() + " " + r.values[3].asText());
    }
    return out;
  }

  DataPacket itemDelta(const Sale& sale, const std::string& nr, double quantity) {
    const std::string product =
        sqlSelect(s(), "SELECT MIN(CDPRODUTO) AS P FROM PRODUTO WHERE CDNVPRODUTO = 3", {}).rows[0].values[0].asText();
    return insertDelta(server::itensFields(), {{"CDFILIAL", sale.filial},
                                               {"CDCAIXA", sale.caixa},
                                               {"NRSEQVENDA", sale.nr},
                                               {"NRSEQUITVEND", nr},
                                               {"CDPRODUTO", product},
                                               {"QTPRODVEND", quantity},
                                               {"VRUNITVEND", 10.0}});
  }
  DataPacket itemsOf(const Sale& sale) { return ok("GetItens", keyArgs(sale)).array().at(0).packet(); }
  DataPacket salesOf(const Sale& sale) {
    return ok("GetPedidoVenda", {sale.filial, sale.caixa, sale.opened}).array().at(0).packet();
  }
  size_t rowOf(const DataPacket& p, const std::string& sale) {
    for (size_t i = 0; i < p.rows.size(); ++i)
      if (p.rows[i].values[static_cast<size_t>(p.fieldIndex("NRSEQVENDA"))].asText() == sale) return i;
    ADD_FAILURE() << "venda " << sale << " não lida";
    return 0;
  }

  // Item taxes of a sale as the item-taxes record set posts them: one row
  // per (item, tax code, rate).
  DataPacket taxDelta(const Sale& sale, const std::vector<std::tuple<const char*, const char*, double>>& rows) {
    DataPacket d;
    for (const auto& [item, tax, rate] : rows) {
      const DataPacket one = insertDelta(server::impostoItemFields(), {{"CDFILIAL", sale.filial},
                                                                       {"CDCAIXA", sale.caixa},
                                                                       {"NRSEQVENDA", sale.nr},
                                                                       {"NRSEQUITVEND", item},
                                                                       {"NRSEQITIMPOS", "001"},
                                                                       {"CDIMPOSTO", tax},
                                                                       {"VRPEALPRODIT", rate},
                                                                       {"VRIMPOPRODIT", rate / 10}});
      if (d.rows.empty())
        d = one;
      else
        d.rows.push_back(one.rows[0]);
    }
    return d;
  }

  // The reduction typed for register 003 on the day before the demo's first.
  DataPacket zDay() { return ok("GetReducaoZ", {"0001", "003", platform::encodeDate(2026, 3, 1)}).packet(); }

  double seen_ = 0;
};

// Each kind of write, as the screen sends it, and the rows it leaves in the
// trail; the sale's history then tells the story old → new.
TEST_P(AuditTrailTest, EachAcceptedWriteIsRecordedInItsTransaction) {
  const Sale sale = newSale("0000900701");
  const Sale other = newSale("0000900702", {frametest::Item{1, 5, 0, 0, 0}, frametest::Item{2, 5, 0, 0, 0}});
  // The demo's consumer whose account has a balance; receipt type 005 is a
  // consumer-account one.
  const Sale onAccount = newSale("0000900703", {}, "000000000000000000002", "000000000000000000001");
  const std::string op = kOperator;
  const DateTime nextDay(frametest::openDay().days + 1);
  // A closed demo day of register 003, reopened outside the server so that
  // the closing can be made again.
  const DateTime closedDay = platform::encodeDate(2026, 3, 5);
  sqlExecute(s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = NULL, CDOPEFECHA = NULL WHERE CDFILIAL = '0001' "
             "AND CDCAIXA = '003' AND DTMOVTURCAIX = :D",
             {{"D", closedDay}});
  const Value reopened = sqlSelect(s(),
                                   "SELECT DTABERCAIX FROM TURCAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = '003' "
                                   "AND DTMOVTURCAIX = :D",
                                   {{"D", closedDay}}, {{"DTABERCAIX", FieldType::DateTime}})
                             .rows.at(0)
                             .values[0];
  auto zRow = [&](const DataPacket& read, Fields values) {
    for (const auto& [k, v] :
         Fields{{"CDFILIAL", "0001"}, {"CDCAIXA", "001"}, {"NRECFREDZ", "001"}, {"DTREDUCAOZ", frametest::openDay()}})
      values[k] = v;
    return insertDelta(read.fields, values);
  };

  struct Step {
    const char* what;
    std::function<void()> write;
    std::vector<std::string> rows;
  };
  const std::vector<Step> steps = {
      {"item incluído", [&] { ok("GravaVenda", {Value(), itemDelta(sale, "001", 2), Value(), op}); },
       {"GravaVenda I ITVENDA"}},
      {"item alterado",
       [&] {
         ok("GravaVenda", {Value(), changeDelta(itemsOf(sale), 0, RowKind::Modify, {{"QTPRODVEND", 3.0}}), Value(), op});
       },
       {"GravaVenda A ITVENDA"}},
      {"impostos dos itens incluídos",
       [&] {
         ok("GravaVenda", {Value(), Value(), taxDelta(other, {{"001", "01", 18}, {"002", "07", 5}}), op});
       },
       {"GravaVenda I ITVENDAIMPOS", "GravaVenda I ITVENDAIMPOS"}},
      {"alíquota do imposto corrigida",
       [&] {
         const DataPacket taxes = server::selectImpostoItem(s(), other.filial, other.caixa, other.nr);
         ok("GravaVenda", {Value(), Value(), changeDelta(taxes, 1, RowKind::Modify, {{"VRPEALPRODIT", 12.0}}), op});
       },
       {"GravaVenda A ITVENDAIMPOS"}},
      {"item excluído com seus impostos",
       [&] {
         ok("DeletaItens", {other.filial, other.caixa, changeDelta(itemsOf(other), 0, RowKind::Delete)});
       },
       {"DeletaItens E ITVENDAIMPOS", "DeletaItens E ITVENDA"}},
      {"item cancelado",
       [&] {
         ok("SetItensCancelados", {insertDelta(server::itensCanceladosFields(),
                                               {{"CDFILIAL", sale.filial},
                                                {"CDCAIXA", sale.caixa},
                                                {"NRSEQVENDA", sale.nr},
                                                {"NRSEQITVENDC", "001"},
                                                {"CDPRODUTO", "0000000003"},
                                                {"QTPRODVENDC", 1.0},
                                                {"VRUNITVENDC", 4.0}})});
       },
       {"SetItensCancelados I ITVENDACANC"}},
      {"recebimento", [&] { EXPECT_TRUE(saveReceipts(receipt(sale, "0000000971", "001", 30)).ok); },
       {"GravaTipoRece I MOVCAIXA"}},
      {"recebimento em conta do consumidor",
       [&] { EXPECT_TRUE(saveReceipts(receipt(onAccount, "0000000972", "005", 25)).ok); },
       {"GravaTipoRece I MOVCAIXA", "GravaTipoRece A SALDOCONS", "GravaTipoRece I MOVCONS"}},
      {"conclusão", [&] { ok("ConcluiVenda", {sale.filial, sale.caixa, sale.nr, sale.day, 30.0, "@"}); },
       {"ConcluiVenda A VENDA"}},
      {"troca de vendedor",
       [&] {
         const DataPacket sales = salesOf(sale);
         ok("GravaVenda",
            {changeDelta(sales, rowOf(sales, sale.nr), RowKind::Modify, {{"CDVENDEDOR", "0002"}}), Value(), Value(), op});
       },
       {"GravaVenda A VENDA"}},
      {"cancelamento", [&] { ok("CancelaVenda", {sale.filial, sale.caixa, sale.nr, op, "Cancelada \r\n"}); },
       {"CancelaVenda A VENDA"}},
      {"venda excluída com seus itens",
       [&] {
         const DataPacket sales = salesOf(other);
         ok("DelPedidoVenda", {changeDelta(sales, rowOf(sales, other.nr), RowKind::Delete)});
       },
       {"DelPedidoVenda E ITVENDAIMPOS", "DelPedidoVenda E ITVENDA", "DelPedidoVenda E VENDA"}},
      {"abertura de caixa",
       [&] {
         ok("SetAberCaixa", {insertDelta(server::aberCaixaFields(), {{"CDFILIAL", "0001"},
                                                                     {"CDCAIXA", "001"},
                                                                     {"DTABERCAIX", DateTime(nextDay.days + 0.25)},
                                                                     {"DTMOVTURCAIX", nextDay},
                                                                     {"CDOPERABER", op}})});
       },
       {"SetAberCaixa I TURCAIXA"}},
      {"redução Z incluída com impostos, totalizador e forma de pagamento",
       [&] {
         const DataPacket rec = ok("GetReducaoZ", {"0001", "001", frametest::openDay()}).packet();
         auto sub = [&](const char* get) { return ok(get, {"0001", "001", frametest::openDay(), "001"}).packet(); };
         ok("GravaVendaReducao",
            {zRow(rec, {{"NRREINIREDZ", "0000000001"},
                        {"NRREDREDZ", "0000000999"},
                        {"NRPRIMCFREDZ", "0000001000"},
                        {"NRULTCFREDZ", "0000001010"},
                        {"VRGTREDZ", 5000.0},
                        {"VRVENBRUREDZ", 100.0},
                        {"VRTOTCANREDZ", 0.0},
                        {"VRTOTDESREDZ", 0.0},
                        {"VRVENLIQREDZ", 100.0},
                        {"VRSTRIBREDZ", 0.0},
                        {"VRISENCREDZ", 0.0},
                        {"VRNINCIDREDZ", 0.0},
                        {"NRSERIEREDZ", "SERIE-AUDITORIA"},
                        {"DSMODMARCAECF", "Fiscalis FX-4000"}}),
             zRow(sub("GetImposto"), {{"CDIMPOSTO", "01"}, {"VRALIQIMPRZ", 18.0}, {"VRBCALCIMPRZ", 50.0}}),
             zRow(sub("GetTotaliz"), {{"NRTOTNFISCRZ", "01"},
                                      {"DSTOTNFISCRZ", "Sangria"},
                                      {"NRCONTOTNFIS", "0001"},
                                      {"VRACUTOTNFIS", 5.0}}),
             zRow(sub("GetFormaPag"), {{"CDTIPORECE", "001"}, {"VRFORMPGTORZ", 100.0}}), Value(), op, kOperatorName});
       },
       {"GravaVendaReducao I REDUCAOZ", "GravaVendaReducao I IMPOSTOREDZ", "GravaVendaReducao I TOTNFISCREDZ",
        "GravaVendaReducao I FORMPGTOREDZ"}},
      {"fechamento que não confere não grava nada",
       [&] {
         EXPECT_NE(ok("SetFechaCaixa", {sale.filial, sale.caixa, sale.opened}), Value("OK"));
       },
       {}},
      {"fechamento do caixa",
       [&] {
         EXPECT_EQ(ok("SetFechaCaixa", {"0001", "003", reopened}), Value("OK"));
       },
       {"SetFechaCaixa A TURCAIXA"}},
      {"observação da redução Z, carimbada com o operador",
       [&] {
         const Value e = zDay().rows[0].values[static_cast<size_t>(zDay().fieldIndex("NRECFREDZ"))];
         const Value d = zDay().rows[0].values[static_cast<size_t>(zDay().fieldIndex("DTREDUCAOZ"))];
         const DataPacket obs = ok("GetObservacao", {"0001", "003", d, e}).packet();
         ok("GravaVendaReducao", {Value(), Value(), Value(), Value(),
                                  insertDelta(obs.fields, {{"CDFILIAL", "0001"},
                                                           {"CDCAIXA", "003"},
                                                           {"NRECFREDZ", e},
                                                           {"DTREDUCAOZ", d},
                                                           {"NRSEQOBSREDZ", "0099"},
                                                           {"DTOBSERVREDZ", d},
                                                           {"DSOBSERVREDZ", "Conferida."}}),
                                  op, kOperatorName});
       },
       {"GravaVendaReducao I OBSREDUCAOZ", "GravaVendaReducao A OBSREDUCAOZ"}},
      {"redução Z excluída com suas observações",
       [&] {
         ok("GravaVendaReducao",
            {changeDelta(zDay(), 0, RowKind::Delete), Value(), Value(), Value(), Value(), op, kOperatorName});
       },
       {"GravaVendaReducao E OBSREDUCAOZ", "GravaVendaReducao E OBSREDUCAOZ", "GravaVendaReducao E REDUCAOZ"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.write();
    EXPECT_EQ(newRows(), step.rows);
  }

  const DataPacket history = ok("GetHistoricoVenda", keyArgs(sale)).packet();
  EXPECT_EQ(history.fields, server::saleHistoryFields());
  std::vector<std::string> lines;
  for (const PacketRow& r : history.rows)
    lines.push_back(r.values[4].asText() + "|" + r.values[6].asText() + "|" + r.values[7].asText() + "|" +
                    r.values[3].asText());
  EXPECT_EQ(lines, (std::vector<std::string>{"GravaVenda|ITVENDA|001|Ana Paula Ferraz",
                                             "GravaVenda|ITVENDA|001|Ana Paula Ferraz",
                                             "SetItensCancelados|ITVENDACANC|001|Ana Paula Ferraz",
                                             "GravaTipoRece|MOVCAIXA|0000000971|Ana Paula Ferraz",
                                             "ConcluiVenda|VENDA||Ana Paula Ferraz",
                                             "GravaVenda|VENDA||Ana Paula Ferraz",
                                             "CancelaVenda|VENDA||Ana Paula Ferraz"}));
  const auto changes = [&](size_t i) { return history.rows.at(i).values[8].asText(); };
  EXPECT_EQ(changes(1), "QTPRODVEND: 2 → 3");
  EXPECT_NE(changes(0).find("QTPRODVEND: 2; VRUNITVEND: 10"), std::string::npos) << changes(0);
  EXPECT_NE(changes(4).find("IDSITUVENDA: P → O"), std::string::npos) << changes(4);
  EXPECT_EQ(changes(5), "CDVENDEDOR: — → 0002");
  EXPECT_NE(changes(6).find("IDSITUVENDA: O → C"), std::string::npos) << changes(6);

  EXPECT_TRUE(server::verifyAuditTrail(s()).ok) << server::verifyAuditTrail(s()).message;
}

// A write refused half-way (its first item was already applied) leaves no
// audit row, as it leaves no item.
TEST_P(AuditTrailTest, RefusedWriteLeavesNoAuditRow) {
  const Sale sale = newSale("0000900711");
  DataPacket items = itemDelta(sale, "001", 1);
  items.rows.push_back(itemDelta(sale, "002", 0).rows[0]);
  EXPECT_EQ(refused("GravaVenda", {Value(), items, Value(), kOperator}), "Quantidade de produtos deve ser maior que zero.");
  EXPECT_TRUE(newRows().empty());
  EXPECT_EQ(number("SELECT COUNT(*) AS N FROM ITVENDA WHERE NRSEQVENDA = '0000900711'"), 0);
}

// The verifier names the first broken link: an altered row, a removed one,
// and rows cut from the trail's end.
TEST_P(AuditTrailTest, TamperedTrailIsDetectedAtTheRightRow) {
  const Sale sale = newSale("0000900721");
  for (const char* nr : {"001", "002", "003", "004"})
    ok("GravaVenda", {Value(), itemDelta(sale, nr, 1), Value(), kOperator});
  ASSERT_EQ(newRows().size(), 4u);
  const server::AuditCheck intact = server::verifyAuditTrail(s());
  EXPECT_TRUE(intact.ok);
  EXPECT_EQ(intact.rows, 4);
  EXPECT_EQ(intact.message.rfind("Trilha de auditoria ok: 4 registros", 0), 0u) << intact.message;

  struct Tamper {
    const char* sql;
    long long brokenAt;
    const char* says;
  };
  for (const Tamper& t :
       {Tamper{"UPDATE AUDITORIA SET TXDEPOIS = REPLACE(TXDEPOIS, '1', '9') WHERE NRSEQAUDIT = 2", 2, "alterado"},
        Tamper{"DELETE FROM AUDITORIA WHERE NRSEQAUDIT = 3", 3, "falta o registro 3"},
        Tamper{"DELETE FROM AUDITORIA WHERE NRSEQAUDIT = 4", 4, "registros finais excluídos"}}) {
    SCOPED_TRACE(t.sql);
    server::Transaction tx(s());
    sqlExecute(s(), t.sql);
    const server::AuditCheck check = server::verifyAuditTrail(s());
    tx.rollback();
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.brokenAt, t.brokenAt);
    EXPECT_NE(check.message.find(t.says), std::string::npos) << check.message;
  }
  EXPECT_TRUE(server::verifyAuditTrail(s()).ok);
}

// Writers on two connections at once append to one chain: every row
// numbered once, every link intact.
TEST_P(AuditTrailTest, ConcurrentWritersDoNotForkTheChain) {
  const Sale a = newSale("0000900731"), b = newSale("0000900732");
  std::map<std::string, std::vector<DataPacket>> items;
  for (const Sale* sale : {&a, &b})
    for (int i = 1; i <= 5; ++i) items[sale->nr].push_back(itemDelta(*sale, "00" + std::to_string(i), 1));
  auto write = [&](const Sale& sale) {
    auto conn = demo_.db->connect();
    for (const DataPacket& item : items.at(sale.nr)) {
      server::OperationContext ctx{conn->session(), kOperator, kOperatorName};
      std::vector<Value> args{Value(), item, Value(), kOperator};
      const platform::RemoteResult r = registry_.call("GravaVenda", args, ctx);
      EXPECT_TRUE(r.ok) << r.error;
    }
  };
  std::thread one(write, std::cref(a)), two(write, std::cref(b));
  one.join();
  two.join();
  const server::AuditCheck check = server::verifyAuditTrail(s());
  EXPECT_TRUE(check.ok) << check.message;
  EXPECT_EQ(check.rows, 10);
}

INSTANTIATE_TEST_SUITE_P(Backends, AuditTrailTest, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
