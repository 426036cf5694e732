// The items of the current sale: the record-set events of cdsItens, the
// item grid's keys, column exits and look-up, and the sale total.

#include <string>
#include <utility>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/controls.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/items_support.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;
using screen::items::number;
using screen::items::text;

namespace {

// The change guards every item change passes first.
void itemGuards(TfrmManutVenda& f, bool permissionFirst) {
  f.guards.vd_RedStatus();
  if (permissionFirst) f.vd_PerManut();
  f.guards.openRegisterGuard();
  if (!permissionFirst) f.vd_PerManut();
}

}  // namespace

void ItemsPart::wire() {
  ClientDataSet& it = f.cdsItens;

  it.OnCalcFields = handler(this, &ItemsPart::cdsItensCalcFields);
  it.BeforeInsert = handler(this, &ItemsPart::cdsItensBeforeInsert);
  it.AfterInsert = handler(this, &ItemsPart::cdsItensAfterInsert);
  it.AfterScroll = [this](ClientDataSet&) { applyItemTaxFilter(); };
  it.BeforeEdit = handler(this, &ItemsPart::cdsItensBeforeEdit);
  it.BeforePost = handler(this, &ItemsPart::cdsItensBeforePost);
  it.AfterPost = handler(this, &ItemsPart::cdsItensAfterPost);
  it.AfterCancel = handler(this, &ItemsPart::cdsItensAfterCancel);
  it.BeforeDelete = handler(this, &ItemsPart::cdsItensBeforeDelete);
  it.AfterDelete = handler(this, &ItemsPart::cdsItensAfterDelete);

  DBGrid& grid = f.dbgItens;
  grid.OnEnter = handler(this, &ItemsPart::dbgItensEnter);
  grid.OnKeyDown = handler(this, &ItemsPart::dbgItensKeyDown);
  grid.OnKeyPress = handler(this, &ItemsPart::dbgItensKeyPress);
  grid.OnColExit = handler(this, &ItemsPart::dbgItensColExit);
  grid.OnEditButtonClick = [this](Control&) { pesquisaProduto(); };

  wireItemTaxes();
}

void ItemsPart::cdsItensCalcFields(ClientDataSet& ds) {
  ds.fieldByName("VRTOTAL").setAsString(ItemTotalText(number(ds, "QTPRODVEND"), number(ds, "VRUNITVEND"),
                                                      number(ds, "VRUNITVENDCL"), number(ds, "VRDESITVEND"),
                                                      number(ds, "VRACRITVEND")));
}

void ItemsPart::cdsItensBeforeInsert(ClientDataSet&) {
  recomputedTaxPosts_ = 0;
  itemGuards(f, true);
  if (text(f.cdsPedidoVenda, "IDSITUVENDA") != "P") Abort();
}

// The number is the server's proposal; its answer is a plain text.
void ItemsPart::cdsItensAfterInsert(ClientDataSet& ds) {
  std::vector<Value> args{Value(f.medFilial.text()), Value(text(f.cdsPedidoVenda, "CDCAIXA")),
                          Value(text(f.cdsPedidoVenda, "NRSEQVENDA"))};
  const RemoteResult r = f.netManutVenda.call("PrxItemVenda", args);
  // A failed call is reported: an item without a number could never be
  // saved, and the user would learn it only from the save's refusal.
  const Value answer = r.ok ? r.value : CheckResultServ(r);
  ds.fieldByName("NRSEQUITVEND").setAsString(answer.asText());
}

void ItemsPart::cdsItensBeforeEdit(ClientDataSet&) {
  recomputedTaxPosts_ = 0;
  itemGuards(f, false);
}

void ItemsPart::cdsItensBeforePost(ClientDataSet& ds) {
  Vd_CdProduto(true);
  Vd_Quantidade(true);
  Vd_PrecoVazio();
  Vd_VrDesc();
  Vd_VrAcre();
  ds.fieldByName("CDFILIAL").setAsString(f.medFilial.text());
  ds.fieldByName("CDCAIXA").setAsString(text(f.cdsPedidoVenda, "CDCAIXA"));
  ds.fieldByName("NRSEQVENDA").setAsString(text(f.cdsPedidoVenda, "NRSEQVENDA"));
  boState = ds.state() == DataSetState::Insert;
}

void ItemsPart::cdsItensAfterPost(ClientDataSet&) {
  recomputedTaxPosts_ = 0;
  InsereImpostoItens();
  f.saving.sbtConfirmarClick();
}

void ItemsPart::cdsItensAfterCancel(ClientDataSet&) {
  // The tax values recomputed from the dropped prices go with them;
  // otherwise the next save would store taxes of a price never kept.
  ClientDataSet& taxes = f.cdsImpostoItem;
  if (recomputedTaxPosts_ > 0 && taxes.active()) {
    taxes.cancel();
    for (; recomputedTaxPosts_ > 0; --recomputedTaxPosts_) taxes.undoLastChange(false);
  }
  recomputedTaxPosts_ = 0;
  f.state.dtsPadraoStateChange();
  if (f.cdsPedidoVenda.editing()) f.cdsPedidoVenda.cancel();
  atualizaTotalVenda();
}

void ItemsPart::cdsItensBeforeDelete(ClientDataSet& ds) {
  itemGuards(f, false);
  // Changes left pending by a refused save would travel with the
  // deletion, which the server refuses, and undoing the deletion would
  // then drop them: they are saved first, and a refusal stops the
  // deletion before anything is deleted.
  if (ds.changeCount() > 0 || f.cdsImpostoItem.changeCount() > 0) f.saving.sbtConfirmarClick();
  // The taxes go first. They are not sent on their own: the server
  // deletes an item's taxes in the same transaction as the item, so that
  // a refused deletion leaves both in place. The filter is set again so
  // that only this item's rows can be removed.
  applyItemTaxFilter();
  ClientDataSet& taxes = f.cdsImpostoItem;
  ClientDataSet::Event sendAlone = std::exchange(taxes.AfterDelete, nullptr);
  try {
    while (taxes.active() && !taxes.isEmpty()) {
      taxes.first();
      taxes.remove();
    }
  } catch (...) {
    taxes.AfterDelete = std::move(sendAlone);
    taxes.cancelUpdates();
    throw;
  }
  taxes.AfterDelete = std::move(sendAlone);
}

void ItemsPart::cdsItensAfterDelete(ClientDataSet& ds) {
  // The item's taxes were deleted with it by the server, or not at all.
  try {
    sendAtOnce(f, ds, "DeletaItens", "DelVenda",
               {.keys = {Value(text(f.cdsPedidoVenda, "CDFILIAL")), Value(text(f.cdsPedidoVenda, "CDCAIXA"))},
                .accepted = [this](const Value& total) { loadPacket(f.cdsSumVenda, total); }});
  } catch (...) {
    f.cdsImpostoItem.cancelUpdates();
    throw;
  }
  f.cdsImpostoItem.mergeChangeLog();
  if (ds.isEmpty()) {
    f.pgcPadrao.setActivePage(f.tshFolhaDados);
    f.dtsPadrao.setDataSet(&f.cdsPedidoVenda);
  }
  atualizaTotalVenda();
}

void ItemsPart::dbgItensEnter(Control&) { f.dtsPadrao.setDataSet(&f.cdsItens); }

void ItemsPart::dbgItensKeyDown(Control& sender, int& key, ShiftState shift) {
  DBGrid& g = static_cast<DBGrid&>(sender);
  f.dbgPadraoKeyDown(g, key, shift);
  // Delete clears a cell without a typed character, so it is held back
  // where typing is.
  const Field* field = g.selectedField();
  if (key == vk::Delete && !(shift & (ssCtrl | ssAlt)) && field && itemKeyBlocked(field->name())) key = 0;
}

void ItemsPart::dbgItensKeyPress(Control& sender, char32_t& key) {
  const Field* field = static_cast<DBGrid&>(sender).selectedField();
  if (!field) return;
  // Tab, Enter and Escape move between cells, close the editor or cancel:
  // they type nothing and stay available.
  const bool typing = key == U'\b' || key >= 32;
  if (typing && itemKeyBlocked(field->name())) {
    key = 0;
    return;
  }
  if (field->name() == "QTPRODVEND" && f.cdsItens.state() == DataSetState::Insert && f.cdsImpostoItem.active() &&
      !f.cdsImpostoItem.isEmpty())
    quantityTyped = true;
}

void ItemsPart::dbgItensColExit(Control& sender) {
  ClientDataSet& ds = f.cdsItens;
  if (!ds.editing()) return;
  const Field* field = static_cast<DBGrid&>(sender).selectedField();
  if (!field) return;
  const std::string name = field->name();
  if (name == "CDARVPROD") {
    Vd_CdProduto(false);
    retornaPrecoItem(text(ds, "CDPRODUTO"));
  } else if (name == "QTPRODVEND") {
    Vd_Quantidade(false);
    quantityTyped = false;
  } else if (name == "VRDESITVEND") {
    Vd_VrDesc();
  } else if (name == "VRACRITVEND") {
    Vd_VrAcre();
  } else if (name == "VRUNITVEND") {
    if (f.cdsImpostoItem.active() && !f.cdsImpostoItem.isEmpty()) recalculaImpostoItem();
  }
}

bool ItemsPart::itemKeyBlocked(const std::string& fieldName) const {
  if (text(f.cdsPedidoVenda, "IDSITUVENDA") != "P") return true;
  const bool price = fieldName == "VRUNITVEND" || fieldName == "VRUNITVENDCL";
  return price && f.cdsParametro.active() && text(f.cdsParametro, "IDALTPRECO") == "2";
}

void ItemsPart::applyItemTaxFilter() {
  // Also on a closed set: the filter holds when its rows are loaded.
  ClientDataSet& taxes = f.cdsImpostoItem;
  taxes.setFilter("[NRSEQUITVEND] = '" + text(f.cdsItens, "NRSEQUITVEND") + "'");
  taxes.setFiltered(true);
}

void ItemsPart::atualizaTotalVenda() {
  ClientDataSet& sale = f.cdsPedidoVenda;
  const Value total = screen::items::call(
      f, "GetSumVenda", {Value(text(sale, "CDFILIAL")), Value(text(sale, "CDCAIXA")), Value(text(sale, "NRSEQVENDA"))});
  loadPacket(f.cdsSumVenda, total);
  const double soma = f.cdsSumVenda.isEmpty() ? 0.0 : number(f.cdsSumVenda, "SOMA");
  for (NumberBox* box : {&f.nedTotal, &f.nedTotal1, &f.nedTotal2}) box->setValue(soma);
}

}  // namespace screen
