// Cancelled items: rung up and cancelled during the sale, kept apart from
// its items. Their figures follow the items' rules; every insert, change and
// delete reaches the server at once.

#include <string>
#include <vector>

#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_productrules.h"
#include "screen/items_support.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;
using screen::items::empty;
using screen::items::number;
using screen::items::text;

namespace {

// A failing check leaves the user on the offending cell of the cancelled
// items' grid; the page is not switched.
template <class Check>
void onField(TfrmManutVenda& f, const char* field, Check&& check) {
  try {
    check();
  } catch (...) {
    f.cdsItensCancelados.fieldByName(field).focusControl();
    throw;
  }
}

// The total the item shows while its figures are typed.
void showTotal(ClientDataSet& c, double q, double u, double d, double a) {
  c.fieldByName("VRTOTAL").setAsString(formatNumber(q * u - d + a, "###0.00"));
}

void cancelledGuards(TfrmManutVenda& f, bool deleting) {
  f.guards.vd_RedStatus();
  if (deleting) {
    f.vd_PerManut();
    f.guards.openRegisterGuard();
  } else {
    f.guards.openRegisterGuard();
    f.vd_PerManut();
  }
}

// Sends the pending change at once; a refusal undoes it.
void sendItensCancelados(TfrmManutVenda& f) { sendAtOnce(f, f.cdsItensCancelados, "SetItensCancelados", {}); }

}  // namespace

void CancelledItemsPart::wire() {
  ClientDataSet& c = f.cdsItensCancelados;
  c.OnCalcFields = handler(this, &CancelledItemsPart::cdsItensCanceladosCalcFields);
  c.BeforeInsert = handler(this, &CancelledItemsPart::cdsItensCanceladosBeforeInsert);
  c.BeforeEdit = handler(this, &CancelledItemsPart::cdsItensCanceladosBeforeEdit);
  c.BeforeDelete = handler(this, &CancelledItemsPart::cdsItensCanceladosBeforeDelete);
  c.AfterInsert = handler(this, &CancelledItemsPart::cdsItensCanceladosAfterInsert);
  c.BeforePost = handler(this, &CancelledItemsPart::cdsItensCanceladosBeforePost);
  c.AfterPost = handler(this, &CancelledItemsPart::cdsItensCanceladosAfterPost);
  c.AfterDelete = handler(this, &CancelledItemsPart::cdsItensCanceladosAfterDelete);

  DBGrid& grid = f.dbgItensCancelados;
  grid.OnColExit = handler(this, &CancelledItemsPart::dbgItensCanceladosColExit);
  grid.OnEditButtonClick = handler(this, &CancelledItemsPart::dbgItensCanceladosEditButtonClick);
}

void CancelledItemsPart::cdsItensCanceladosCalcFields(ClientDataSet& ds) {
  ds.fieldByName("VRTOTAL").setAsString(ItemTotalText(number(ds, "QTPRODVENDC"), number(ds, "VRUNITVENDC"),
                                                      number(ds, "VRUNITVENCLC"), number(ds, "VRDESITVENDC"),
                                                      number(ds, "VRACRITVENDC")));
}

void CancelledItemsPart::cdsItensCanceladosBeforeInsert(ClientDataSet&) { cancelledGuards(f, false); }

void CancelledItemsPart::cdsItensCanceladosBeforeEdit(ClientDataSet&) { cancelledGuards(f, false); }

void CancelledItemsPart::cdsItensCanceladosBeforeDelete(ClientDataSet&) { cancelledGuards(f, true); }

void CancelledItemsPart::cdsItensCanceladosAfterInsert(ClientDataSet& ds) {
  {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(f.medFilial.text()), Value(text(f.cdsPedidoVenda, "CDCAIXA")),
                            Value(text(f.cdsPedidoVenda, "NRSEQVENDA"))};
    loadPacket(f.cdsCodItensCanc, CheckResultServ(f.netManutVenda.call("getCodItensCanc", args)));
  }
  ds.fieldByName("NRSEQITVENDC")
      .setValue(f.cdsCodItensCanc.isEmpty() ? Value() : f.cdsCodItensCanc.fieldByName("NRSEQITVENDC").value());
}

void CancelledItemsPart::cdsItensCanceladosBeforePost(ClientDataSet& ds) {
  Vd_CdProdutoCanc(true);
  Vd_QuantidadeCanc(true);
  Vd_PrecoVazioCanc();
  Vd_VrDescCanc();
  Vd_VrAcreCanc();
  ds.fieldByName("CDFILIAL").setAsString(f.medFilial.text());
  ds.fieldByName("CDCAIXA").setAsString(text(f.cdsPedidoVenda, "CDCAIXA"));
  ds.fieldByName("NRSEQVENDA").setAsString(text(f.cdsPedidoVenda, "NRSEQVENDA"));
  for (const char* figure : {"VRACRITVENDC", "VRDESITVENDC", "VRPERCVENDC"})
    if (empty(ds, figure)) ds.fieldByName(figure).setAsFloat(0);
}

void CancelledItemsPart::cdsItensCanceladosAfterPost(ClientDataSet&) { sendItensCancelados(f); }

void CancelledItemsPart::cdsItensCanceladosAfterDelete(ClientDataSet&) { sendItensCancelados(f); }

void CancelledItemsPart::dbgItensCanceladosColExit(Control& sender) {
  ClientDataSet& ds = f.cdsItensCancelados;
  if (!ds.editing()) return;
  const Field* field = static_cast<DBGrid&>(sender).selectedField();
  if (!field) return;
  const std::string name = field->name();
  if (name == "CDARVPROD") {
    Vd_CdProdutoCanc(false);
    // Also with the code left empty: the price of the row's product.
    precoItemCancelado(text(ds, "CDPRODUTO"));
  } else if (name == "QTPRODVENDC") {
    Vd_QuantidadeCanc(false);
    f.itemsPart.quantityTyped = false;
  } else if (name == "VRDESITVENDC") {
    Vd_VrDescCanc();
  } else if (name == "VRACRITVENDC") {
    Vd_VrAcreCanc();
  }
}

void CancelledItemsPart::dbgItensCanceladosEditButtonClick(Control&) {
  if (!screen::items::pickProduct(f)) return;
  ClientDataSet& ds = f.cdsItensCancelados;
  if (!ds.editing()) ds.edit();
  screen::items::copyProduct(f.cdsProduto, ds);
  precoItemCancelado(text(f.cdsProduto, "CDPRODUTO"));
}

void CancelledItemsPart::precoItemCancelado(const std::string& cdProduto) {
  screen::items::takePrices(f, f.cdsItensCancelados, cdProduto, "VRUNITVENDC", "VRUNITVENCLC");
}

void CancelledItemsPart::Vd_CdProdutoCanc(bool required) {
  ClientDataSet& c = f.cdsItensCancelados;
  Field& code = c.fieldByName("CDARVPROD");
  code.focusControl();
  if (empty(c, "CDARVPROD")) {
    if (required) MensErro(f.Msg("PRODUTO_DEVE_SER"));
    return;
  }
  screen::items::takeProduct(f, c, AllTrim(code.asString()));
}

void CancelledItemsPart::Vd_QuantidadeCanc(bool required) {
  onField(f, "QTPRODVENDC", [&] {
    ClientDataSet& c = f.cdsItensCancelados;
    if (empty(c, "QTPRODVENDC")) {
      if (required) MensErro(f.Msg("QT_DEVE_SER"));
      return;
    }
    if (number(c, "QTPRODVENDC") <= 0) MensErro(f.Msg("QTMAIOR"));
    showTotal(c, number(c, "QTPRODVENDC"), number(c, "VRUNITVENDC"), number(c, "VRDESITVENDC"),
              number(c, "VRACRITVENDC"));
  });
}

void CancelledItemsPart::Vd_PrecoVazioCanc() {
  screen::items::checkPrices(f, f.cdsItensCancelados, "VRUNITVENDC", "VRUNITVENCLC");
}

void CancelledItemsPart::Vd_VrDescCanc() {
  onField(f, "VRDESITVENDC", [&] {
    ClientDataSet& c = f.cdsItensCancelados;
    if (empty(c, "VRDESITVENDC")) {
      c.fieldByName("VRDESITVENDC").setAsFloat(0);
      return;
    }
    const double q = number(c, "QTPRODVENDC"), u = number(c, "VRUNITVENDC");
    const double d = number(c, "VRDESITVENDC"), a = number(c, "VRACRITVENDC");
    if (d > 0 && d < q * u + a) {
      showTotal(c, q, u, d, a);
    } else if (d >= 0) {
      if (d > q * u) MensErro(f.Msg("DESC_GRANDE"));
    } else {
      MensErro(f.Msg("DESC_MAIOR"));
    }
  });
}

void CancelledItemsPart::Vd_VrAcreCanc() {
  onField(f, "VRACRITVENDC", [&] {
    ClientDataSet& c = f.cdsItensCancelados;
    if (empty(c, "VRACRITVENDC")) {
      c.fieldByName("VRACRITVENDC").setAsFloat(0);
      return;
    }
    const double q = number(c, "QTPRODVENDC"), u = number(c, "VRUNITVENDC");
    const double d = number(c, "VRDESITVENDC"), a = number(c, "VRACRITVENDC");
    if (a > 0 && a < q * u + d)
      showTotal(c, q, u, d, a);
    else if (a < 0)
      MensErro(f.Msg("ACRE_MAIOR"));
  });
}

}  // namespace screen
