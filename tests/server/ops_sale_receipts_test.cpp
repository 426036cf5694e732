// Sale receipts: movement numbering, the receipts' change log with the
// consumer-account debits it books, quotations and origin receipt types.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/server/ops_sale_fixture.h"

using namespace platform;
using namespace saletest;

namespace {

// The first consumer of this client has a balance of 20.00.
const std::string kClient = "000000000000000000002";
const std::string kConsumer = "000000000000000000001";
const std::string kOtherConsumer = "000000000000000000003";

class SaleReceipts : public SaleOps {
 protected:
  double balance(const std::string& consumer) {
    return ok("GetSaldoCons", {kClient, consumer}).packet().rows.at(0).values.at(0).asNumber();
  }
  // The consumer-account movements of a sale: kind, amount, consumer,
  // description, operator.
  std::vector<std::vector<Value>> moves(const Sale& sale) {
    std::vector<std::vector<Value>> out;
    for (const PacketRow& r : sqlSelect(s(),
                                        "SELECT IDTIPOMOVCONS, VRMOVCONS, CDCONSUMIDOR, DSMOVCONS, CDOPERADOR "
                                        "FROM MOVCONS WHERE NRSEQVENDA = :N ORDER BY DTMOVCONS, NRSEQMOVCONS",
                                        {{"N", sale.nr}},
                                        {{"IDTIPOMOVCONS", FieldType::String, 1},
                                         {"VRMOVCONS", FieldType::Float},
                                         {"CDCONSUMIDOR", FieldType::String, 21},
                                         {"DSMOVCONS", FieldType::String, 100},
                                         {"CDOPERADOR", FieldType::String, 12}})
                                  .rows)
      out.push_back(r.values);
    return out;
  }
};

TEST_P(SaleReceipts, MovementNumbersAndThePaidAmount) {
  const Sale sale = newSale("0000900101");
  const std::vector<Value> opening = {"0001", "001", sale.opened};
  const std::string first = ok("PrxMovCaixa", opening).text();
  EXPECT_EQ(first, "0000000006");  // the demo's open day has five movements there
  ASSERT_TRUE(saveReceipts(receipt(sale, first, "001", 10.1)).ok);
  ASSERT_TRUE(saveReceipts(receipt(sale, ok("PrxMovCaixa", opening).text(), "003", 20.2)).ok);
  EXPECT_EQ(ok("PrxMovCaixa", opening), Value("0000000008"));
  EXPECT_EQ(ok("PrxMovCaixa", {"0001", "001", DateTime(sale.opened.days + 0.5)}), Value("0000000001"));
  // Cents, whatever binary noise the sum carries on either database.
  const DataPacket paid = ok("GetVerifValorPag", keyArgs(sale)).packet();
  EXPECT_EQ(paid.fields, (std::vector<FieldDef>{{"VALOR", FieldType::Float, 0}}));
  EXPECT_EQ(paid.rows.at(0).values, (std::vector<Value>{30.3}));
  // A number someone else took meanwhile is refused, not overwritten.
  EXPECT_NE(saveReceipts(receipt(sale, first, "001", 1)).error.find("já existe"), std::string::npos);
}

// Posting, raising, retyping and deleting an account receipt: each change
// books what it means to the consumer's account, and the balance follows.
TEST_P(SaleReceipts, AccountReceiptsDebitAndCreditTheConsumer) {
  const Sale sale = newSale("0000900102", {}, kClient, kConsumer);
  ASSERT_TRUE(saveReceipts(receipt(sale, "0000000901", "005", 25.0)).ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), -5.0);
  ASSERT_TRUE(saveReceipts(changeDelta(receiptsOf(sale), 0, RowKind::Modify, {{"VRMOVIVEND", 40.0}})).ok);
  ASSERT_TRUE(
      saveReceipts(changeDelta(receiptsOf(sale), 0, RowKind::Modify, {{"CDTIPORECE", "001"}, {"VRMOVIVEND", 30.0}}))
          .ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), 20.0);
  ASSERT_TRUE(saveReceipts(changeDelta(receiptsOf(sale), 0, RowKind::Modify, {{"CDTIPORECE", "005"}})).ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), -10.0);

  // The sale's consumer changes; the refund still goes to the account that
  // was debited.
  sqlExecute(s(), "UPDATE VENDA SET CDCONSUMIDOR = :K WHERE NRSEQVENDA = :N", {{"K", kOtherConsumer}, {"N", sale.nr}});
  const double other = balance(kOtherConsumer);
  ok("DelTipoRece", {changeDelta(receiptsOf(sale), 0, RowKind::Delete), "000000000002"});
  EXPECT_DOUBLE_EQ(balance(kConsumer), 20.0);
  EXPECT_DOUBLE_EQ(balance(kOtherConsumer), other);

  const std::string debit = "Inclusão de débito realizada pelo operador.";
  const std::string reversal = "Estorno de débito realizado pelo operador.";
  EXPECT_EQ(moves(sale),
            (std::vector<std::vector<Value>>{
                {"D", 25.0, kConsumer, debit, kOperator},
                {"D", 15.0, kConsumer, debit, kOperator},
                {"C", 40.0, kConsumer, reversal, kOperator},
                {"D", 30.0, kConsumer, debit, kOperator},
                {"C", 30.0, kConsumer, "Estorno de débito: recebimento excluído pelo operador.", "000000000002"}}));
}

// Every refusal leaves the receipts and accounts as they were, including
// the acceptable rows of the same change log.
TEST_P(SaleReceipts, RefusedChangeLogsWriteNothing) {
  const Sale sale = newSale("0000900103");
  const Sale other = newSale("0000900104", {}, kClient, kConsumer);
  auto withCash = [&](DataPacket d, const char* field = nullptr, Value value = {}) {
    if (field) d.rows[0].values[d.fieldIndex(field)] = value;
    d.rows.insert(d.rows.begin(), receipt(sale, "0000000950", "001", 5).rows[0]);
    return d;
  };
  const std::vector<std::pair<DataPacket, std::string>> cases = {
      {withCash(receipt(sale, "0000000953", "005", 5)), "Consumidor da venda deve ser informado"},
      {withCash(receipt(sale, "0000000954", "099", 5)), "Tipo de recebimento não cadastrado."},
      {withCash(receipt(sale, "0000000955", "001", -5)), "não pode ser negativo"},
      {withCash(receipt(sale, "0000000952", "001", 5), "VRMOVIVEND"), "Valor deve ser informado."},
      {withCash(receipt(sale, "0000000951", "001", 5), "DTABERCAIX", DateTime(sale.opened.days - 1)),
       "abertura de caixa da venda"},
  };
  const double before = number("SELECT COUNT(*) AS N FROM MOVCAIXA");
  for (const auto& [delta, error] : cases) EXPECT_NE(saveReceipts(delta).error.find(error), std::string::npos) << error;
  EXPECT_EQ(number("SELECT COUNT(*) AS N FROM MOVCAIXA"), before);

  // Stored receipts changed by someone else since they were read, or of a
  // sale no longer pending.
  ASSERT_TRUE(saveReceipts(receipt(other, "0000000956", "005", 8)).ok);
  const DataPacket read = receiptsOf(other);
  sqlExecute(s(), "UPDATE MOVCAIXA SET QTPARCRECEB = 3 WHERE NRSEQUMOVI = '0000000956'");
  EXPECT_NE(saveReceipts(changeDelta(read, 0, RowKind::Modify, {{"VRMOVIVEND", 80.0}}))
                .error.find("alterado por outro usuário"),
            std::string::npos);
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'O' WHERE NRSEQVENDA = :N", {{"N", other.nr}});
  EXPECT_EQ(refused("DelTipoRece", {changeDelta(receiptsOf(other), 0, RowKind::Delete), kOperator}),
            "Operação bloqueada. A venda não está pendente.");
  EXPECT_DOUBLE_EQ(balance(kConsumer), 12.0);
  EXPECT_EQ(moves(other).size(), 1u);
  EXPECT_NE(refused("DelTipoRece", {Value(), "999999999999"}).find("não cadastrado"), std::string::npos);
}

TEST_P(SaleReceipts, QuotationsOfTheDayAndOriginReceiptTypes) {
  const DataPacket dollar = ok("GetIndice", {"0001", DateTime(encodeDate(2026, 3, 5).days + 0.6)}).packet();
  EXPECT_EQ(dollar.fields[3], (FieldDef{"DTREFIND", FieldType::DateTime, 0}));
  ASSERT_EQ(dollar.rows.size(), 1u);
  EXPECT_EQ(dollar.rows[0].values, (std::vector<Value>{"M", "D", "0001", encodeDate(2026, 3, 5), 5.1823}));
  // The euro has no quotation on the open day.
  EXPECT_TRUE(ok("GetIndice", {"0002", frametest::openDay()}).packet().rows.empty());

  // A cheque (a type the demo never receives) paid for a new sale shows up
  // among the day's origins, and leaves again when the sale is cancelled.
  const Sale sale = newSale("0000900106");
  auto origins = [&] {
    std::vector<std::string> codes;
    const Value answer = ok("GetTipReceOrig", {"0001", "001", sale.day});
    for (const PacketRow& r : answer.packet().rows) codes.push_back(r.values[0].text());
    return codes;
  };
  const std::vector<std::string> before = origins();
  EXPECT_FALSE(before.empty());
  EXPECT_TRUE(std::is_sorted(before.begin(), before.end()));
  ASSERT_TRUE(saveReceipts(receipt(sale, "0000000970", "002", 12)).ok);
  const std::vector<std::string> with = origins();
  EXPECT_EQ(std::count(with.begin(), with.end(), "002"), 1);
  EXPECT_EQ(with.size(), before.size() + 1);
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'C' WHERE NRSEQVENDA = :N", {{"N", sale.nr}});
  EXPECT_EQ(origins(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleReceipts, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
