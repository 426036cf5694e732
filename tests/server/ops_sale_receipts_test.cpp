// Sale receipts: movement numbering, the receipts' change log with the
// consumer-account debits it books, quotations, balances and the origin
// receipt types of a register day.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/server/ops_sale_fixture.h"

using namespace platform;
using namespace saletest;

namespace {

const std::string kClient = "000000000000000000002";
// Its first consumer has a checked balance of 20.00; the third one 1477.00.
const std::string kConsumer = "000000000000000000001";
const std::string kOtherConsumer = "000000000000000000003";

class SaleReceipts : public SaleOps {
 protected:
  double balance(const std::string& consumer) {
    return number("SELECT VRSALDOCONS AS N FROM SALDOCONS WHERE CDCLIENTE = :C "
                  "AND CDCONSUMIDOR = :K",
                  {{"C", kClient}, {"K", consumer}});
  }
  // The consumer-account movements of a sale, in order: kind, amount, consumer.
  std::vector<std::vector<Value>> moves(const Sale& sale) {
    std::vector<std::vector<Value>> out;
    for (const PacketRow& r :
         sqlSelect(s(),
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
  double movements() { return number("SELECT COUNT(*) AS N FROM MOVCAIXA"); }
};

TEST_P(SaleReceipts, MovementNumbersAndThePaidAmount) {
  const Sale sale = newSale("0000900101");
  const std::vector<Value> opening = {"0001", "001", sale.opened};
  const Value first = ok("PrxMovCaixa", opening);
  const double stored = number(
      "SELECT COUNT(*) AS N FROM MOVCAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
      "AND DTABERCAIX = :A",
      {{"A", sale.opened}});
  EXPECT_EQ(first, Value(Ajusta(std::to_string(static_cast<int>(stored) + 1), 10)));
  ASSERT_TRUE(saveReceipts(receipt(sale, first.text(), "001", 10.1)).ok);
  ASSERT_TRUE(saveReceipts(receipt(sale, ok("PrxMovCaixa", opening).text(), "003", 20.2)).ok);
  EXPECT_EQ(ok("PrxMovCaixa", opening).text().size(), 10u);
  EXPECT_EQ(ok("PrxMovCaixa", {"0001", "001", DateTime(sale.opened.days + 0.5)}),
            Value("0000000001"));

  // Cents of both databases alike, whatever binary noise a sum carries.
  const DataPacket paid = ok("GetVerifValorPag", keyArgs(sale)).packet();
  EXPECT_EQ(paid.fields, (std::vector<FieldDef>{{"VALOR", FieldType::Float, 0}}));
  EXPECT_EQ(paid.rows.at(0).values, (std::vector<Value>{30.3}));
  EXPECT_EQ(ok("GetVerifValorPag", {"0001", "001", "0000999999"}).packet().rows.at(0).values,
            (std::vector<Value>{0.0}));

  // A number someone else took meanwhile is refused, not overwritten.
  EXPECT_NE(saveReceipts(receipt(sale, first.text(), "001", 1)).error.find("já existe"),
            std::string::npos);
}

// Posting, raising, retyping and deleting an account receipt: each change
// books what it means to the consumer's account, and the balance follows.
TEST_P(SaleReceipts, AccountReceiptsDebitAndCreditTheConsumer) {
  const Sale sale = newSale("0000900102", {}, kClient, kConsumer);
  ASSERT_TRUE(saveReceipts(receipt(sale, "0000000901", "005", 25.0)).ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), -5.0);
  const DataPacket saldo = ok("GetSaldoCons", {kClient, kConsumer}).packet();
  EXPECT_EQ(saldo.rows.at(0).values, (std::vector<Value>{-5.0, 0.0}));

  ASSERT_TRUE(saveReceipts(changeDelta(receiptsOf(sale), 0, RowKind::Modify,
                                       {{"VRMOVIVEND", 40.0}})).ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), -20.0);
  ASSERT_TRUE(saveReceipts(changeDelta(receiptsOf(sale), 0, RowKind::Modify,
                                       {{"CDTIPORECE", "001"}, {"VRMOVIVEND", 30.0}})).ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), 20.0);
  ASSERT_TRUE(saveReceipts(changeDelta(receiptsOf(sale), 0, RowKind::Modify,
                                       {{"CDTIPORECE", "005"}})).ok);
  EXPECT_DOUBLE_EQ(balance(kConsumer), -10.0);

  // The sale's consumer changes; the refund still goes to the account that
  // was debited.
  sqlExecute(s(), "UPDATE VENDA SET CDCONSUMIDOR = :K WHERE NRSEQVENDA = :N",
             {{"K", kOtherConsumer}, {"N", sale.nr}});
  const double other = balance(kOtherConsumer);
  ASSERT_TRUE(ok("DelTipoRece", {changeDelta(receiptsOf(sale), 0, RowKind::Delete),
                                 "000000000002"})
                  .isNull());
  EXPECT_DOUBLE_EQ(balance(kConsumer), 20.0);
  EXPECT_DOUBLE_EQ(balance(kOtherConsumer), other);
  EXPECT_TRUE(receiptsOf(sale).rows.empty());

  const std::string debit = "Inclusão de débito realizada pelo operador.";
  const std::string reversal = "Estorno de débito realizado pelo operador.";
  EXPECT_EQ(moves(sale), (std::vector<std::vector<Value>>{
                             {"D", 25.0, kConsumer, debit, kOperator},
                             {"D", 15.0, kConsumer, debit, kOperator},
                             {"C", 40.0, kConsumer, reversal, kOperator},
                             {"D", 30.0, kConsumer, debit, kOperator},
                             {"C", 30.0, kConsumer,
                              "Estorno de débito: recebimento excluído pelo operador.",
                              "000000000002"}}));
}

// Every refusal leaves the receipts and accounts exactly as they were, even
// for the rows of the same change log that were acceptable.
TEST_P(SaleReceipts, RefusedChangeLogsWriteNothing) {
  const Sale sale = newSale("0000900103");
  const Sale other = newSale("0000900104", {}, kClient, kConsumer);
  auto withCash = [&](DataPacket d) {
    d.rows.insert(d.rows.begin(), receipt(sale, "0000000950", "001", 5).rows[0]);
    return d;
  };
  DataPacket wrongOpening = receipt(sale, "0000000951", "001", 5);
  wrongOpening.rows[0].values[wrongOpening.fieldIndex("DTABERCAIX")] =
      DateTime(sale.opened.days - 1);
  DataPacket noAmount = receipt(sale, "0000000952", "001", 5);
  noAmount.rows[0].values[noAmount.fieldIndex("VRMOVIVEND")] = Value();

  const std::vector<std::pair<DataPacket, std::string>> cases = {
      {receipt(sale, "0000000953", "005", 5), "Consumidor da venda deve ser informado"},
      {receipt(sale, "0000000954", "099", 5), "Tipo de recebimento não cadastrado."},
      {receipt(sale, "0000000955", "001", -5), "não pode ser negativo"},
      {noAmount, "Valor deve ser informado."},
      {wrongOpening, "abertura de caixa da venda"},
  };
  const double before = movements(), account = balance(kConsumer);
  for (const auto& [delta, error] : cases) {
    const RemoteResult r = saveReceipts(withCash(delta));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(error), std::string::npos) << r.error;
  }
  EXPECT_EQ(movements(), before);

  // A stored receipt changed by someone else since it was read.
  ASSERT_TRUE(saveReceipts(receipt(other, "0000000956", "005", 8)).ok);
  const DataPacket read = receiptsOf(other);
  sqlExecute(s(), "UPDATE MOVCAIXA SET QTPARCRECEB = 3 WHERE NRSEQUMOVI = '0000000956'");
  EXPECT_NE(saveReceipts(changeDelta(read, 0, RowKind::Modify, {{"VRMOVIVEND", 80.0}}))
                .error.find("alterado por outro usuário"),
            std::string::npos);
  EXPECT_NE(refused("DelTipoRece", {changeDelta(read, 0, RowKind::Delete), kOperator})
                .find("alterado por outro usuário"),
            std::string::npos);
  EXPECT_DOUBLE_EQ(balance(kConsumer), account - 8);
  EXPECT_EQ(moves(other).size(), 1u);
}

TEST_P(SaleReceipts, ReceiptsOfSettledSalesAndLockedDaysStay) {
  const Sale sale = newSale("0000900105");
  ASSERT_TRUE(saveReceipts(receipt(sale, "0000000960", "001", 5)).ok);
  const DataPacket read = receiptsOf(sale);
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'O' WHERE NRSEQVENDA = :N", {{"N", sale.nr}});
  EXPECT_EQ(refused("DelTipoRece", {changeDelta(read, 0, RowKind::Delete), kOperator}),
            "Operação bloqueada. A venda não está pendente.");
  EXPECT_EQ(saveReceipts(receipt(sale, "0000000961", "001", 5)).error,
            "Operação bloqueada. A venda não está pendente.");
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'P' WHERE NRSEQVENDA = :N", {{"N", sale.nr}});
  sqlExecute(s(), "UPDATE TURCAIXA SET DTFECHCAIX = :D WHERE CDFILIAL = '0001' "
                  "AND CDCAIXA = '001' AND DTABERCAIX = :A",
             {{"D", now()}, {"A", sale.opened}});
  EXPECT_EQ(refused("DelTipoRece", {changeDelta(read, 0, RowKind::Delete), kOperator}),
            "Operação Bloqueada! Caixa fechado.");
  EXPECT_EQ(receiptsOf(sale).rows.size(), 1u);
  EXPECT_NE(refused("DelTipoRece", {Value(), "999999999999"}).find("Operador"),
            std::string::npos);
}

TEST_P(SaleReceipts, QuotationsOfTheDayAndOriginReceiptTypes) {
  const DataPacket dollar =
      ok("GetIndice", {"0001", DateTime(encodeDate(2026, 3, 5).days + 0.6)}).packet();
  EXPECT_EQ(dollar.fields, (std::vector<FieldDef>{{"CDTPINDICE", FieldType::String, 1},
                                                  {"IDPERVALOR", FieldType::String, 1},
                                                  {"CDINDICE", FieldType::String, 4},
                                                  {"DTREFIND", FieldType::DateTime, 0},
                                                  {"VRINDICE", FieldType::Float, 0}}));
  ASSERT_EQ(dollar.rows.size(), 1u);
  EXPECT_EQ(dollar.rows[0].values,
            (std::vector<Value>{"M", "D", "0001", encodeDate(2026, 3, 5), 5.1823}));
  // The euro has no quotation on the open day.
  EXPECT_TRUE(ok("GetIndice", {"0002", frametest::openDay()}).packet().rows.empty());

  // The receipt types of the day's pending and concluded sales: a cheque
  // received for a new sale shows up, and leaves again when the sale is
  // cancelled.
  const Sale sale = newSale("0000900106");
  auto origins = [&] {
    std::vector<std::string> codes;
    const DataPacket p = ok("GetTipReceOrig", {"0001", "001", sale.day}).packet();
    EXPECT_EQ(p.fields, (std::vector<FieldDef>{{"CDTIPORECE", FieldType::String, 3},
                                               {"NMTIPORECE", FieldType::String, 40},
                                               {"CDFPIMPFIS", FieldType::String, 10}}));
    for (const PacketRow& r : p.rows) codes.push_back(r.values[0].text());
    return codes;
  };
  const std::vector<std::string> before = origins();
  EXPECT_TRUE(std::is_sorted(before.begin(), before.end()));
  EXPECT_EQ(std::count(before.begin(), before.end(), "002"), 0);
  ASSERT_TRUE(saveReceipts(receipt(sale, "0000000970", "002", 12)).ok);
  const std::vector<std::string> with = origins();
  EXPECT_EQ(std::count(with.begin(), with.end(), "002"), 1);
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'C' WHERE NRSEQVENDA = :N", {{"N", sale.nr}});
  EXPECT_EQ(origins(), before);
  EXPECT_TRUE(ok("GetTipReceOrig", {"0001", "001", encodeDate(2026, 4, 1)}).packet().rows.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, SaleReceipts, ::testing::ValuesIn(testdb::backends()),
                         testdb::backendName);

}  // namespace
