// Concluding and cancelling a sale: the verdicts the screen shows, the Z
// reduction's net sale, the cancellation note and the refund of account
// debits.

#include <gtest/gtest.h>

#include "platform/text.h"
#include "server/queries.h"
#include "tests/server/ops_sale_fixture.h"

using namespace platform;
using namespace saletest;
using frametest::Item;

namespace {

const std::string kWarning = "Atenção. Os valores da venda bruta e venda líquida da redução Z devem ser atualizados.";
const std::string kCancelNote = "A venda foi cancelada pelo operador \r\n";

class Conclusion : public SaleOps {
 protected:
  Value conclude(const Sale& sale, double total) {
    return ok("ConcluiVenda", {sale.filial, sale.caixa, sale.nr, sale.day, total, kWarning});
  }
  std::string column(const Sale& sale, const std::string& name) {
    return sqlSelect(s(), "SELECT " + name + " FROM VENDA WHERE NRSEQVENDA = :N", {{"N", sale.nr}})
        .rows.at(0)
        .values[0]
        .asText();
  }
  std::string status(const Sale& sale) { return column(sale, "IDSITUVENDA"); }
  void pay(const Sale& sale, const std::string& nrMov, double amount, const std::string& type = "001") {
    ASSERT_TRUE(saveReceipts(receipt(sale, nrMov, type, amount)).ok);
  }
};

// The verdicts come back as answers, in the order the checks run; only the
// last one concludes the sale.
TEST_P(Conclusion, VerdictsInOrderThenConcluded) {
  const Sale sale = newSale("0000900201");
  EXPECT_EQ(conclude(sale, 0), Value("Operação bloqueada. Não há itens na venda."));
  // Cancelled items alone pass the item check.
  sqlExecute(s(),
             "INSERT INTO ITVENDACANC (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQITVENDC, CDPRODUTO, "
             "QTPRODVENDC, VRUNITVENDC) SELECT '0001', '001', :N, '001', MIN(CDPRODUTO), 1, 3 "
             "FROM PRODUTO WHERE CDNVPRODUTO = 3",
             {{"N", sale.nr}});
  EXPECT_EQ(conclude(sale, 0), Value("Operação bloqueada. Não há recebimento na venda."));
  frametest::insertItems(s(), "0001", "001", sale.nr, {Item{2, 10, 0, 0, 0}});
  pay(sale, "0000000901", 19.99);
  EXPECT_EQ(conclude(sale, 20), Value("Operação bloqueada. A venda não foi totalmente paga."));
  EXPECT_NE(conclude(sale, 19.99).text().find("alterado por outro usuário"), std::string::npos);
  pay(sale, "0000000902", 0.02);
  EXPECT_EQ(conclude(sale, 20), Value("Valor dos recebimentos deve igual ao valor total da venda."));
  EXPECT_EQ(status(sale), "P");

  ASSERT_TRUE(ok("DelTipoRece", {changeDelta(receiptsOf(sale), 1, RowKind::Delete), kOperator}).isNull());
  pay(sale, "0000000903", 0.01);
  EXPECT_EQ(conclude(sale, 20), Value("@" + kWarning));
  EXPECT_EQ(status(sale), "O");
  EXPECT_FALSE(column(sale, "DTFECHAVENDA").empty());
  EXPECT_EQ(conclude(sale, 20), Value("Operação bloqueada. A venda não está pendente."));
  EXPECT_EQ(ok("ConcluiVenda", {"0001", "001", "0000999999", sale.day, 0.0, kWarning}),
            Value("Venda 0000999999 do caixa 001 da filial 0001 não encontrada."));
}

// With the day's Z reduction typed, the concluded and returned sales of the
// register day may add up to its net sale, not beyond.
TEST_P(Conclusion, ZReductionNetSaleBoundsTheDaysSales) {
  const Sale first = newSale("0000900202", {Item{2, 10, 0, 0, 0}});
  const Sale second = newSale("0000900203", {Item{1, 0.01, 0, 0, 0}});
  pay(first, "0000000911", 20);
  pay(second, "0000000912", 0.01);
  double concluded = 0;
  for (const PacketRow& r : server::selectPedidoVenda(s(), "0001", "001", first.opened).rows) {
    const std::string st = r.values[8].asText(), nr = r.values[0].asText();
    if (st == "O" || st == "D") concluded += server::saleTotal(s(), "0001", "001", nr);
  }
  sqlExecute(s(),
             "INSERT INTO REDUCAOZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, VRVENLIQREDZ) "
             "VALUES ('0001', '001', '001', :D, :V)",
             {{"D", first.day}, {"V", concluded + 20}});
  EXPECT_EQ(conclude(first, 20), Value("@" + kWarning));
  EXPECT_EQ(conclude(second, 0.01), Value("Dif_Vr_Reduz"));
  EXPECT_EQ(status(second), "P");

  sqlExecute(s(),
             "UPDATE REDUCAOZ SET VRVENLIQREDZ = VRVENLIQREDZ + 1, IDSTATUS = 'A' "
             "WHERE DTREDUCAOZ = :D",
             {{"D", first.day}});
  EXPECT_NE(conclude(second, 0.01).text().find("status de Aprovada"), std::string::npos);
  sqlExecute(s(), "UPDATE REDUCAOZ SET IDSTATUS = NULL WHERE DTREDUCAOZ = :D", {{"D", first.day}});
  sqlExecute(s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = :D WHERE CDFILIAL = '0001' "
             "AND CDCAIXA = '001' AND DTABERCAIX = :A",
             {{"D", now()}, {"A", first.opened}});
  EXPECT_EQ(conclude(second, 0.01), Value("Operação Bloqueada! Caixa fechado."));
  sqlExecute(s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE CDFILIAL = '0001' "
             "AND CDCAIXA = '001' AND DTABERCAIX = :A",
             {{"A", first.opened}});
  EXPECT_EQ(conclude(second, 0.01), Value("@" + kWarning));
}

// A typed sale, even concluded, is cancelled with the operator's note, and
// what its account receipts debited goes back to the consumer.
TEST_P(Conclusion, Cancelling) {
  const std::vector<std::tuple<std::string, std::string, std::string>> unfit = {
      {"IDORIGEMVENDA", "BAL_TLR", "Operação bloqueada! Venda lançada no Tillora."},
      {"IDESTOQUE", "S", "Operação bloqueada. O estoque da venda já foi atualizado."},
      {"IDSITUVENDA", "C", "Operação bloqueada. A venda já está cancelada."}};
  int n = 0;
  for (const auto& [column, value, error] : unfit) {
    const Sale sale = newSale("000090021" + std::to_string(++n));
    sqlExecute(s(), "UPDATE VENDA SET " + column + " = :V WHERE NRSEQVENDA = :N", {{"V", value}, {"N", sale.nr}});
    EXPECT_EQ(refused("CancelaVenda", {"0001", "001", sale.nr, kOperator, kCancelNote}), error);
  }

  const std::string client = "000000000000000000002", consumer = "000000000000000000001";
  const Sale sale = newSale("0000900204", {Item{1, 25, 0, 0, 0}}, client, consumer);
  const std::string inserted = "A venda foi inserida pelo operador \r\n000000000001-Ana-01/03/2026";
  sqlExecute(s(), "UPDATE VENDA SET TXOBSVENDA = :T WHERE NRSEQVENDA = :N", {{"T", inserted}, {"N", sale.nr}});
  pay(sale, "0000000921", 25, "005");
  const std::string balance = "SELECT VRSALDOCONS AS N FROM SALDOCONS WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K";
  const SqlParams who = {{"C", client}, {"K", consumer}};
  EXPECT_DOUBLE_EQ(number(balance, who), -5);
  ASSERT_EQ(conclude(sale, 25), Value("@" + kWarning));
  EXPECT_NE(refused("CancelaVenda", {"0001", "001", sale.nr, "999999999999", kCancelNote}).find("não cadastrado"),
            std::string::npos);
  EXPECT_TRUE(ok("CancelaVenda", {"0001", "001", sale.nr, "000000000002", kCancelNote}).isNull());
  EXPECT_EQ(status(sale), "C");
  EXPECT_EQ(column(sale, "TXOBSVENDA"),
            inserted + "\r\n" + kCancelNote + "000000000002-Bruno Cardoso-" + formatDate(today()));
  EXPECT_DOUBLE_EQ(number(balance, who), 20);

  // The note of who cancelled is kept whole; the older text gives way.
  const Sale full = newSale("0000900205");
  sqlExecute(s(), "UPDATE VENDA SET TXOBSVENDA = :T WHERE NRSEQVENDA = :N",
             {{"T", std::string(1990, 'x')}, {"N", full.nr}});
  ok("CancelaVenda", {"0001", "001", full.nr, kOperator, kCancelNote});
  const std::string text = column(full, "TXOBSVENDA");
  const std::string note = "\r\n" + kCancelNote + kOperator + "-" + kOperatorName + "-" + formatDate(today());
  EXPECT_EQ(utf8Length(text), 2000u);
  EXPECT_EQ(text.substr(text.size() - note.size()), note);
}

INSTANTIATE_TEST_SUITE_P(Backends, Conclusion, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
