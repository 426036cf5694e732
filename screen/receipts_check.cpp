// The receipt check the save action runs before the receipts reach the
// server: what was paid against the sale's total, and the consumer's balance
// when an account receipt charges it.

#include <string>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_support.h"

namespace screen {

using namespace platform;
using screen::items::text;

namespace {

std::vector<Value> saleArgs(const ClientDataSet& sale) {
  return {Value(currentText(sale, "CDFILIAL")), Value(currentText(sale, "CDCAIXA")),
          Value(currentText(sale, "NRSEQVENDA"))};
}

// Suspends a record set's display while its rows are walked.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(ClientDataSet& set) : set_(set) { set_.disableControls(); }
  ~ControlsDisabled() { set_.enableControls(); }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  ClientDataSet& set_;
};

// Sums `figure` over the rows of `set` without moving its current row.
template <class Figure>
double sumRows(ClientDataSet& set, Figure&& figure) {
  ControlsDisabled quiet(set);
  double sum = 0;
  for (int row = 0; row < set.viewRowCount(); ++row) set.withViewRow(row, [&] { sum += figure(); });
  return sum;
}

}  // namespace

double ReceiptsPart::saleTotal() {
  ClientDataSet& items = f.cdsItens;
  if (!items.active()) {
    std::vector<Value> args = saleArgs(f.cdsPedidoVenda);
    const Value answer = CheckResultServ(f.netManutVenda.call("GetItens", args));
    loadPacket(items, element(f, answer, 0));
    loadPacket(f.cdsImpostoItem, element(f, answer, 1));
  }
  return sumRows(items, [&items] {
    const auto n = [&items](const char* name) { return items.fieldByName(name).asFloat(); };
    return (n("VRUNITVEND") + n("VRUNITVENDCL")) * n("QTPRODVEND") - n("VRDESITVEND") + n("VRACRITVEND");
  });
}

// Only entries ("E") pay the sale; the register's other movements loaded
// with them do not.
double ReceiptsPart::paidAmount() {
  ClientDataSet& r = f.cdsTipoRece;
  return sumRows(r, [&r] {
    return r.fieldByName("IDTIPOMOVIVE").asString() == "E" ? r.fieldByName("VRMOVIVEND").asFloat() : 0.0;
  });
}

bool ReceiptsPart::Verifica_Recebimento() {
  ClientDataSet& r = f.cdsTipoRece;
  try {
    const double total = RoundDec(saleTotal(), 2);
    std::string kind;
    double paid = 0;
    if (!r.isEmpty()) {
      kind = text(r, "IDTIPORECE");
      paid = RoundDec(paidAmount(), 2);
    }
    if (paid > total) {
      // The receipts stay as typed, the current one open for correction.
      if (!r.editing()) r.edit();
      f.state.dtsPadraoStateChange();
      MensErro(f.Msg("VALOR_DIFV"));
    }
    if (paid < total) f.msgPadrao.ShowMsg("VENDA_NPAGA", MsgKind::Information, MsgButtons::Ok);
    checkConsumerBalance(kind);
    f.pendingAccountCharge = 0;
    return true;
  } catch (...) {
    // Nothing of the receipts was sent; their changes stay pending on the
    // receipts page, as every change the server has not taken does, until
    // the user corrects and saves them or cancels them.
    f.pgcPadrao.setActivePage(f.tshRecebimento);
    f.dtsPadrao.setDataSet(&r);
    throw;
  }
}

void ReceiptsPart::checkConsumerBalance(const std::string& kind) {
  const ClientDataSet& sale = f.cdsPedidoVenda;
  {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(currentText(sale, "CDCLIENTE")), Value(currentText(sale, "CDCONSUMIDOR")),
                            Value(std::string())};
    loadPacket(f.cdsConsumidor, CheckResultServ(f.netManutVenda.call("getConsumidor", args)));
  }
  if (f.cdsConsumidor.isEmpty() || text(f.cdsConsumidor, "IDVERSALDCON") != "S") return;
  fetchInto(f, "Get_SaldoCons", "GetSaldoCons",
            {Value(currentText(sale, "CDCLIENTE")), Value(currentText(sale, "CDCONSUMIDOR"))}, f.cdsSaldoCons);
  const ClientDataSet& balance = f.cdsSaldoCons;
  const double available =
      balance.isEmpty() ? 0.0
                        : balance.fieldByName("VRSALDOCONS").asFloat() + balance.fieldByName("VRSALDPECONS").asFloat();
  if (available - f.pendingAccountCharge < 0 && kind == "A") {
    f.dbgTipoRece.setFocus();
    const std::string question = f.msgPadrao.MsgFmt("SALDO_INV", {formatNumber(available, "#0.00")});
    if (ui().showMessage(question, MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes) Abort();
  }
}

}  // namespace screen
