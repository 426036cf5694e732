// Receipts on the demo server, typed into the receipts grid of a pending
// typed sale whose items total 44.93: the paid amount compared in cents,
// the consumer's balance question and the pending account charge, and the
// server refusals that must not leave a receipt half done.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sale/items_fixture.h"

namespace {

using platform::DataSetState;
using platform::MsgResult;
using platform::runGesture;
using platform::Value;

class Receipts : public itemstest::ItemsScreen {
 protected:
  void onReceiptsPage() {
    openOnTypedPendingSale();
    f->pgcPadrao.setActivePage(f->tshRecebimento);
    f->state.pgcPadraoChange();
    f->setFocus(f->dbgTipoRece);
    calls.clear();
  }
  platform::Field& field(const char* name) { return f->cdsTipoRece.fieldByName(name); }
  void typeCell(const char* name, const std::string& text) {
    platform::DBGrid& g = f->dbgTipoRece;
    g.setSelectedIndex(g.columnIndex(name));
    g.typeText(text);
    ASSERT_TRUE(runGesture([&] { g.selectColumn("QTPARCRECEB"); })) << ui.lastText();
  }
  // A new receipt typed and posted, which saves it at once.
  bool postNew(const std::string& type, const std::string& amount) {
    if (!runGesture([&] { f->cdsTipoRece.append(); })) return false;
    typeCell("CDTIPORECE", type);
    typeCell("VRMOVIVEND", amount);
    return runGesture([&] { f->cdsTipoRece.post(); });
  }
  // A stored receipt of the sale, as if saved earlier.
  void storeReceipt(const char* number, const char* type, const char* kind, double amount, const char* movement = "E") {
    sql("INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, DTABERCAIX, NRSEQUMOVI, CDTIPORECE, VRMOVIVEND, IDTIPOMOVIVE, "
        "NRSEQVENDA, IDTIPORECE) SELECT CDFILIALTUR, CDCAIXATUR, DTABERTUR, :M, :T, :V, :E, NRSEQVENDA, :K "
        "FROM VENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N",
        {{"M", std::string(number)},
         {"T", std::string(type)},
         {"V", amount},
         {"E", std::string(movement)},
         {"K", std::string(kind)},
         {"N", sale("NRSEQVENDA")}});
  }
  void reloadReceipts() {
    ASSERT_TRUE(runGesture([&] { f->sbtVerificarClick(); })) << ui.lastText();
  }
  int stored() {
    return std::stoi(
        scalar("SELECT COUNT(*) FROM MOVCAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
               "NRSEQVENDA = :N",
               {{"N", sale("NRSEQVENDA")}}));
  }
  int callsOf(const std::string& op) const {
    int n = 0;
    for (const std::string& c : calls) n += c.rfind(op + "(", 0) == 0;
    return n;
  }
};

// Only entries pay, and the amounts meet the total to the cent: a hair over
// passes, a cent over is refused and kept for correction, a cent short is
// saved with a notice.
TEST_F(Receipts, PaidAmountMeetsTheTotalInCents) {
  onReceiptsPage();
  ASSERT_DOUBLE_EQ(f->nedTotal2.value(), 44.93);
  storeReceipt("0000000901", "001", "1", 500, "S");  // a withdrawal, not a payment
  reloadReceipts();

  struct Case {
    double amount;
    const char* message;  // nullptr: saved without a word
    bool saved;
  } cases[] = {
      {44.934, nullptr, true},
      {44.94, "Valor dos recebimentos deve igual ao valor total da venda.", false},
      {44.92, "Atenção. Valor dos recebimentos difere do valor total da venda.", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    ui.shown.clear();
    calls.clear();
    ASSERT_TRUE(runGesture([&] { f->cdsTipoRece.append(); }));
    typeCell("CDTIPORECE", "1");
    field("VRMOVIVEND").setAsFloat(c.amount);
    runGesture([&] { f->cdsTipoRece.post(); });
    if (c.message)
      EXPECT_EQ(ui.texts().at(0), c.message);
    else
      EXPECT_TRUE(ui.shown.empty()) << ui.lastText();
    EXPECT_EQ(callsOf("GravaTipoRece"), c.saved ? 1 : 0);
    EXPECT_EQ(stored(), c.saved ? 2 : 1);
    if (!c.saved) {
      // Refused: still there, as typed, open for correction, on its page.
      EXPECT_EQ(f->cdsTipoRece.state(), DataSetState::Edit);
      EXPECT_DOUBLE_EQ(field("VRMOVIVEND").asFloat(), c.amount);
      EXPECT_EQ(f->pgcPadrao.activePage(), &f->tshRecebimento);
      ASSERT_TRUE(runGesture([&] { f->sbtCancelarClick(); }));
      EXPECT_EQ(f->cdsTipoRece.changeCount(), 0);
    } else {
      sql("DELETE FROM MOVCAIXA WHERE IDTIPOMOVIVE = 'E' AND NRSEQVENDA = :N", {{"N", sale("NRSEQVENDA")}});
    }
    reloadReceipts();
  }
}

// The consumer (checked, 20.00 available) is asked about before an account
// receipt beyond the balance is saved; No sends nothing and keeps what was
// typed. The charge weighed is the change the post makes to the account.
TEST_F(Receipts, AccountReceiptsWeighTheirChargeAgainstTheBalance) {
  sql("UPDATE PARAMVENDA SET IDUTSUBTCONS = 'N' WHERE CDFILIAL = '0001'");
  const std::string client = std::string(20, '0') + "2", consumer = std::string(20, '0') + "1";
  // The demo's first pending typed sale of the day, made the sale of that
  // consumer.
  sql("UPDATE VENDA SET CDCLIENTE = :C, CDCONSUMIDOR = :K WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND "
      "NRSEQVENDA = '0000000054'",
      {{"C", client}, {"K", consumer}});
  onReceiptsPage();
  ASSERT_EQ(sale("CDCONSUMIDOR"), consumer);

  ui.answers.push_back(MsgResult::No);
  EXPECT_FALSE(postNew("5", "25"));
  const std::string question =
      "Saldo do consumidor não é suficiente para realizar a venda. (20,00)\r\nDeseja continuar?";
  EXPECT_EQ(ui.lastText(), question);
  EXPECT_EQ(callsOf("GravaTipoRece"), 0);
  EXPECT_EQ(f->cdsTipoRece.changeCount(), 1);
  EXPECT_DOUBLE_EQ(f->pendingAccountCharge, 25);
  ASSERT_TRUE(runGesture([&] { f->sbtCancelarClick(); }));
  EXPECT_TRUE(f->cdsTipoRece.isEmpty());

  storeReceipt("0000000901", "005", "A", 5);
  storeReceipt("0000000902", "001", "1", 5);
  reloadReceipts();
  struct Case {
    int row;
    const char* type;  // typed over the row's type, or nullptr
    double charge;
  } cases[] = {{1, nullptr, 25}, {2, "5", 55}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    ui.shown.clear();
    f->cdsTipoRece.setRecNo(c.row);
    ASSERT_TRUE(runGesture([&] { f->cdsTipoRece.edit(); })) << ui.lastText();
    if (c.type) typeCell("CDTIPORECE", c.type);
    typeCell("VRMOVIVEND", "30");
    ui.answers.push_back(MsgResult::No);
    EXPECT_FALSE(runGesture([&] { f->cdsTipoRece.post(); }));
    EXPECT_EQ(ui.lastText(), question);
    EXPECT_DOUBLE_EQ(f->pendingAccountCharge, c.charge);
    ASSERT_TRUE(runGesture([&] { f->sbtCancelarClick(); }));
  }

  // Yes saves it, and the check done, nothing stays pending.
  ui.answers.push_back(MsgResult::Yes);
  f->cdsTipoRece.setRecNo(1);
  ASSERT_TRUE(runGesture([&] { f->cdsTipoRece.edit(); }));
  typeCell("VRMOVIVEND", "30");
  EXPECT_TRUE(runGesture([&] { f->cdsTipoRece.post(); })) << ui.lastText();
  EXPECT_EQ(f->cdsTipoRece.changeCount(), 0);
  EXPECT_DOUBLE_EQ(f->pendingAccountCharge, 0);
  EXPECT_EQ(scalar("SELECT DSMOVCONS FROM MOVCONS WHERE NRSEQVENDA = '0000000054' AND VRMOVCONS = 25"),
            "Inclusão de débito realizada pelo operador.");
}

// A failed number request is reported instead of becoming the number; a
// refused deletion brings the receipt back.
TEST_F(Receipts, ServerRefusalsLeaveNothingHalfDone) {
  onReceiptsPage();
  steering.failing.insert("PrxMovCaixa");
  runGesture([&] { f->cdsTipoRece.append(); });
  EXPECT_EQ(ui.lastText(), "Falha simulada em PrxMovCaixa.");
  EXPECT_TRUE(f->cdsTipoRece.fieldByName("NRSEQUMOVI").asString().empty());
  runGesture([&] { f->cdsTipoRece.cancel(); });
  steering.failing.clear();

  ASSERT_TRUE(postNew("1", "10")) << ui.lastText();
  ASSERT_EQ(stored(), 1);
  steering.failing.insert("DelTipoRece");
  ui.answers.push_back(MsgResult::Yes);
  EXPECT_FALSE(runGesture([&] { f->cdsTipoRece.remove(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em DelTipoRece.");
  EXPECT_EQ(f->cdsTipoRece.recordCount(), 1);
  EXPECT_EQ(f->cdsTipoRece.changeCount(), 0);
  steering.failing.clear();
  EXPECT_TRUE(runGesture([&] { f->cdsTipoRece.remove(); })) << ui.lastText();
  EXPECT_EQ(stored(), 0);
}

}  // namespace
