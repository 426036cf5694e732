// Concluding and cancelling a pending sale against the demo server: the
// checks before the question, the question's text, the server's answers
// and the reload that follows (also after No).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "platform/sqlaccess.h"
#include "tests/sale/salescreen.h"

namespace {

using platform::MsgKind;
using platform::MsgResult;
using platform::Value;

const char* const kPendingTyped = "0000000054";      // typed here, no receipts
const char* const kPendingTypedPaid = "0000000059";  // typed here, a card receipt of part of it
const char* const kPendingImported = "0000000053";   // launched at the point of sale

// Answers ConcluiVenda with a fixed text instead of asking the server.
class ConclusionAnswer : public platform::ForwardingTransport {
 public:
  ConclusionAnswer(std::unique_ptr<platform::RemoteTransport> inner, const std::string& answer)
      : ForwardingTransport(std::move(inner)), answer_(answer) {}
  platform::RemoteResult call(const std::string& token, const std::string& operation,
                              std::vector<Value>& args) override {
    if (operation == "ConcluiVenda" && !answer_.empty()) return platform::RemoteResult::success(Value(answer_));
    return inner().call(token, operation, args);
  }

 private:
  const std::string& answer_;
};

class Conclude : public saletest::SaleScreen {
 protected:
  void prepareConnection(platform::TNetConnection& c) override {
    c.setTransport(std::make_unique<ConclusionAnswer>(
        std::make_unique<saletest::FailingTransport>(
            std::make_unique<livetest::RecordingTransport>(session->makeTransport(), calls), failing),
        answer));
    c.setSessionToken(session->token());
  }
  screen::TfrmManutVenda& onSale(const char* number) {
    screen::TfrmManutVenda& f = openDay();
    EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(number)));
    calls.clear();
    ui.shown.clear();
    return f;
  }
  // Makes the sale's receipts pay `amount` in one entry.
  void pay(const std::string& sale, double amount) {
    platform::sqlExecute(session->database().session(),
                         "UPDATE MOVCAIXA SET VRMOVIVEND = :V WHERE CDFILIAL = '0001' AND CDCAIXA = '001' "
                         "AND NRSEQVENDA = :N AND IDTIPOMOVIVE = 'E'",
                         {{"V", Value(amount)}, {"N", Value(sale)}});
  }
  std::string status(const std::string& sale) {
    const platform::DataPacket p = platform::sqlSelect(
        session->database().session(),
        "SELECT IDSITUVENDA FROM VENDA WHERE CDFILIAL = '0001' AND CDCAIXA = '001' AND NRSEQVENDA = :N",
        {{"N", Value(sale)}});
    return p.rows.at(0).values[0].asText();
  }
  std::string answer;  // a fixed ConcluiVenda answer; empty asks the server
};

TEST_F(Conclude, ReceiptsMustExistAndPayTheTotalToTheCent) {
  screen::TfrmManutVenda& f = onSale(kPendingTyped);
  EXPECT_FALSE(gesture([&] { f.salePart.btnConcluiVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada. Não há recebimento na venda.");

  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTypedPaid)));
  const double total = f.nedTotal.value();
  ASSERT_GT(total, 0);
  pay(kPendingTypedPaid, total - 0.01);
  EXPECT_FALSE(gesture([&] { f.salePart.btnConcluiVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada. A venda não foi totalmente paga.");
  pay(kPendingTypedPaid, total + 0.01);
  EXPECT_FALSE(gesture([&] { f.salePart.btnConcluiVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Valor dos recebimentos deve igual ao valor total da venda.");
  EXPECT_EQ(callsOf("ConcluiVenda"), 0);
  EXPECT_EQ(ui.progressDepth, 0);

  // Paid to the cent: asked with two blanks before the number, concluded
  // by the server, the Z warning shown and the list reloaded.
  pay(kPendingTypedPaid, total);
  calls.clear();
  ui.answers.push_back(MsgResult::Yes);
  ASSERT_TRUE(gesture([&] { f.salePart.btnConcluiVendaClick(); })) << ui.lastText();
  ASSERT_GE(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[ui.shown.size() - 2].text, "Confirma conclusão da venda  0000000059 ?");
  EXPECT_EQ(ui.shown.back().kind, MsgKind::Warning);
  EXPECT_EQ(ui.lastText(), f.Msg("VALORES_REDZ"));
  EXPECT_EQ(callsOf("ConcluiVenda"), 1);
  EXPECT_EQ(callsOf("GetPedidoVenda"), 1);
  EXPECT_EQ(status(kPendingTypedPaid), "O");
  EXPECT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTypedPaid)));
  EXPECT_EQ(f.cdsPedidoVenda.fieldByName("IDSITUVENDA").asString(), "O");
}

TEST_F(Conclude, NoStillReloadsAndRefusalsDoNot) {
  screen::TfrmManutVenda& f = onSale(kPendingTypedPaid);
  pay(kPendingTypedPaid, f.nedTotal.value());
  ui.answers.push_back(MsgResult::No);
  ASSERT_TRUE(gesture([&] { f.salePart.btnConcluiVendaClick(); })) << ui.lastText();
  EXPECT_EQ(callsOf("ConcluiVenda"), 0);
  EXPECT_EQ(callsOf("GetPedidoVenda"), 1);
  EXPECT_EQ(status(kPendingTypedPaid), "P");

  // The server's refusals: its own text, or the catalogue's for the Z
  // reduction difference; the list is not reloaded then.
  for (const char* refusal : {"Dif_Vr_Reduz", "Operação bloqueada. O total da venda foi alterado."}) {
    ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTypedPaid)));
    answer = refusal;
    calls.clear();
    ui.answers.push_back(MsgResult::Yes);
    EXPECT_FALSE(gesture([&] { f.salePart.btnConcluiVendaClick(); }));
    EXPECT_EQ(ui.lastText(), answer == "Dif_Vr_Reduz" ? f.Msg("Dif_Vr_Reduz") : answer);
    EXPECT_EQ(callsOf("GetPedidoVenda"), 0);
    EXPECT_EQ(ui.progressDepth, 0);
  }
  // Whatever follows the at sign, the answer is a success.
  answer = "@qualquer coisa";
  ui.answers.push_back(MsgResult::Yes);
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTypedPaid)));
  ASSERT_TRUE(gesture([&] { f.salePart.btnConcluiVendaClick(); })) << ui.lastText();
  EXPECT_EQ(ui.lastText(), f.Msg("VALORES_REDZ"));
}

TEST_F(Conclude, OnlyCancelledItemsPassTheItemCheck) {
  screen::TfrmManutVenda& f = onSale(kPendingTypedPaid);
  f.cdsItens.close();
  EXPECT_FALSE(gesture([&] { f.salePart.btnConcluiVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada. Não há itens na venda.");
  // Cancelled items stand for items.
  platform::DataPacket one = f.cdsItensCancelados.data();
  one.rows.push_back({platform::RowKind::Unchanged, std::vector<Value>(one.fields.size()), {}});
  f.cdsItensCancelados.setData(one);
  EXPECT_FALSE(gesture([&] { f.salePart.btnConcluiVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada. A venda não foi totalmente paga.");
}

TEST_F(Conclude, CancellingATypedSale) {
  screen::TfrmManutVenda& f = onSale(kPendingImported);
  EXPECT_FALSE(gesture([&] { f.salePart.btnCancelaVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada! Venda lançada no Tillora.");
  EXPECT_TRUE(calls.empty());

  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
  calls.clear();
  ui.answers.push_back(MsgResult::No);
  ASSERT_TRUE(gesture([&] { f.salePart.btnCancelaVendaClick(); })) << ui.lastText();
  EXPECT_EQ(ui.lastText(), "Confirma o cancelamento da venda 0000000054 ?");
  EXPECT_EQ(callsOf("CancelaVenda"), 0);
  EXPECT_EQ(callsOf("GetPedidoVenda"), 1);

  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingTyped)));
  calls.clear();
  ui.answers.push_back(MsgResult::Yes);
  ASSERT_TRUE(gesture([&] { f.salePart.btnCancelaVendaClick(); })) << ui.lastText();
  EXPECT_EQ(ui.shown.back().kind, MsgKind::Information);
  EXPECT_EQ(ui.lastText(), "Cancelamento realizado com sucesso.");
  ASSERT_EQ(callsOf("CancelaVenda"), 1);
  const auto cancel =
      std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("CancelaVenda(", 0) == 0; });
  EXPECT_EQ(cancel->rfind("CancelaVenda(0001, 001, 0000000054, 000000000001, ", 0), 0u) << *cancel;
  EXPECT_EQ(status(kPendingTyped), "C");
  for (const char* caption : {"Cancelando venda no servidor...", "Recebendo venda do servidor..."})
    EXPECT_NE(std::find(ui.captions.begin(), ui.captions.end(), caption), ui.captions.end()) << caption;
  EXPECT_EQ(ui.progressDepth, 0);

  // The menu entry (Ctrl+B) runs the same action.
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", Value(kPendingImported)));
  EXPECT_TRUE(f.mnuCancelaVenda.enabled());
  EXPECT_FALSE(gesture([&] { f.pressShortcut("Ctrl+B"); }));
  EXPECT_EQ(ui.lastText(), "Operação bloqueada! Venda lançada no Tillora.");
}

// A refusal by the branch's permission stops both actions before the
// question; a cancellation the server refuses shows its error, without the
// success notice and without the reload.
TEST_F(Conclude, GuardsAndServerRefusalsStopBeforeTheReload) {
  screen::TfrmManutVenda& f = onSale(kPendingTyped);
  platform::sqlExecute(session->database().session(),
                       "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0001'");
  for (const auto& action : {std::function<void()>([&] { f.salePart.btnConcluiVendaClick(); }),
                             std::function<void()>([&] { f.salePart.btnCancelaVendaClick(); })}) {
    ui.shown.clear();
    EXPECT_FALSE(gesture(action));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Filial não permite realizar manutenção das vendas."});
  }
  EXPECT_EQ(callsOf("ConcluiVenda") + callsOf("CancelaVenda") + callsOf("GetPedidoVenda"), 0);

  platform::sqlExecute(session->database().session(),
                       "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'S' WHERE CDFILIAL = '0001'");
  failing.insert("CancelaVenda");
  ui.shown.clear();
  calls.clear();
  ui.answers.push_back(MsgResult::Yes);
  EXPECT_FALSE(gesture([&] { f.salePart.btnCancelaVendaClick(); }));
  EXPECT_EQ(ui.lastText(), "Falha simulada em CancelaVenda");
  EXPECT_EQ(callsOf("GetPedidoVenda"), 0);
  EXPECT_EQ(status(kPendingTyped), "P");
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(Conclude, ActionsTheBranchForbidsShowUnavailableInTheMenu) {
  screen::TfrmManutVenda& f = onSale(kPendingTyped);
  ASSERT_TRUE(f.mnuCancelaVenda.enabled());
  ASSERT_TRUE(f.mnuConcluiVenda.enabled());
  // As the screen's creation does for a branch whose personalisation forbids
  // them.
  for (platform::Button* b : {&f.btnCancelaVenda, &f.btnConcluiVenda, &f.btnFecharCaixa}) b->setPermitted(false);
  f.state.dtsPadraoStateChange();
  EXPECT_FALSE(f.mnuCancelaVenda.enabled());
  EXPECT_FALSE(f.mnuConcluiVenda.enabled());
  EXPECT_FALSE(f.mnuFecharCaixa.enabled());
}

}  // namespace
