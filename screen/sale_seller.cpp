// Changing the seller of an existing sale, whatever its status: the sale is
// edited without the usual guards, only the new seller is checked, and the
// observation records who changed it and when.
#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/logon.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {
constexpr size_t kObservationLength = 2000;
}  // namespace

void SalePart::wireSeller() {
  f.sbtAlteraVend.OnClick = handler(this, &SalePart::sbtAlteraVendClick);
  f.mnuAlteraVend.OnClick = handler(this, &SalePart::mnuAlteraVendClick);
}

void SalePart::sbtAlteraVendClick() {
  ClientDataSet* s = f.currentSet();
  // Only an existing sale has a seller to change.
  if (!s || !s->active() || !s->findField("CDVENDEDOR")) return;
  if (s->isEmpty() && s->state() != DataSetState::Insert) return;
  f.sellerChangeMode = true;
  sellerChangeOldSeller = s->fieldByName("CDVENDEDOR").asString();
  if (s->state() == DataSetState::Browse) {
    try {
      s->edit();
    } catch (...) {
      f.sellerChangeMode = false;
      throw;
    }
  }
}

void SalePart::mnuAlteraVendClick() {
  f.pgcPadrao.setActivePage(f.tshFolhaDados);
  f.state.pgcPadraoChange();
}

void SalePart::sellerChangeBeforePost() {
  ClientDataSet& s = f.cdsPedidoVenda;
  Vd_Vendedor(false);
  const std::string seller = s.fieldByName("CDVENDEDOR").asString();
  if (seller == sellerChangeOldSeller) return;
  Field& observation = s.fieldByName("TXOBSVENDA");
  const std::string note =
      formatMsg("Operador %s-%s - Novo vendedor: %s - %s", {Operador(), NomeOperador(), seller, formatDate(today())});
  observation.setAsString(utf8Left(AllTrim(observation.asString()) + " - " + note, kObservationLength));
}

}  // namespace screen
