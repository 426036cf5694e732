// The sale header: the rules of the codes typed into a sale (client,
// consumer, service, seller, movement date, hour), how a new sale starts,
// what blocks inserting, editing and deleting a sale, and what follows
// posting, cancelling and deleting one.
#include <functional>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/datasethelpers.h"
#include "platform/datetime.h"
#include "platform/logon.h"
#include "platform/uiservice.h"
#include "screen/frmmanutvenda.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;

void SalePart::wireHeader() {
  ClientDataSet& s = f.cdsPedidoVenda;
  s.OnNewRecord = handler(this, &SalePart::cdsPedidoVendaNewRecord);
  s.AfterInsert = handler(this, &SalePart::cdsPedidoVendaAfterInsert);
  s.BeforeInsert = handler(this, &SalePart::cdsPedidoVendaBeforeInsert);
  s.BeforeDelete = handler(this, &SalePart::cdsPedidoVendaBeforeDelete);
  s.BeforeEdit = handler(this, &SalePart::cdsPedidoVendaBeforeEdit);
  // A seller change posts the sale under rules of its own.
  s.BeforePost = [this](ClientDataSet&) {
    if (f.sellerChangeMode)
      sellerChangeBeforePost();
    else
      cdsPedidoVendaBeforePost();
  };
  s.AfterPost = handler(this, &SalePart::cdsPedidoVendaAfterPost);
  s.AfterCancel = handler(this, &SalePart::cdsPedidoVendaAfterCancel);
  s.AfterDelete = handler(this, &SalePart::cdsPedidoVendaAfterDelete);
  s.fieldByName("DTENTRVENDA").OnSetText = handler(this, &SalePart::cdsPedidoVendaDTENTRVENDASetText);

  dtsCliente.setDataSet(&f.qryCliente);
  dtsVendedor.setDataSet(&f.qryVendedor);
  dtsPesqServico.setDataSet(&f.qryPesqServico);

  wireSalesGrid();
  wireDisplays();
  wireSeller();
}

void SalePart::focusSaleField(const char* fieldName, bool salesPage) {
  if (salesPage) f.pgcPadrao.setActivePage(f.tshFolhaDados);
  f.cdsPedidoVenda.fieldByName(fieldName).focusControl();
}

namespace {

// Runs a rule; when it fails, the user is put on the field before the
// failure goes on.
template <class Rule>
void onFailureFocus(Rule&& rule, const std::function<void()>& focus) {
  try {
    rule();
  } catch (...) {
    focus();
    throw;
  }
}

}  // namespace

// --- Field rules.

void SalePart::Vd_Cliente(bool required) {
  ClientDataSet& s = f.cdsPedidoVenda;
  onFailureFocus(
      [&] {
        // The client is picked by the registration number the grid shows
        // in its client cell; the code behind it follows from that.
        const std::string typed = AllTrim(s.fieldByName("NRINSJURCLIE").text());
        if (EmptyString(typed)) {
          if (required) MensErro(f.Msg("CLIENE_DEVE_SER"));
          return;
        }
        TADOIBQuery& byNumber = f.qryVdCliente;
        byNumber.close();
        byNumber.clearParams();
        byNumber.setParam("P_NRINSJURCLIE", Value(typed));
        byNumber.setParam("P_CDFILIAL", Value(f.medFilial.text()));
        byNumber.setParam("P_TODOS", Value());
        byNumber.open();
        if (byNumber.isEmpty()) MensErro(f.Msg("CLIENTE_N_CAD"));
        s.fieldByName("CDCLIENTE").setValue(byNumber.fieldByName("CDCLIENTE"));
        s.fieldByName("NMRAZSOCCLIE").setValue(byNumber.fieldByName("NMRAZSOCCLIE"));

        TADOIBQuery& byCode = f.qryCliente;
        byCode.close();
        byCode.clearParams();
        byCode.setParam("P_CDFILIAL", Value(f.medFilial.text()));
        byCode.setParam("P_CDCLIENTE", s.fieldByName("CDCLIENTE").value());
        byCode.setParam("P_TCDCLIENTE", Value());
        byCode.open();
        if (byCode.isEmpty()) MensErro(f.Msg("CLIENTE_N_CAD"));
        // The number is kept as the client register holds it.
        s.fieldByName("NRINSJURCLIE").setValue(byCode.fieldByName("NRINSJURCLIE"));
        s.fieldByName("NMRAZSOCCLIE").setValue(byCode.fieldByName("NMRAZSOCCLIE"));
      },
      [this] { focusSaleField("NRINSJURCLIE", true); });
}

void SalePart::Vd_Consumidor(bool required) {
  ClientDataSet& s = f.cdsPedidoVenda;
  onFailureFocus(
      [&] {
        Field& consumer = s.fieldByName("CDCONSUMIDOR");
        if (EmptyString(consumer.asString())) {
          if (required) MensErro(f.Msg("CONS_DEVE_SER"));
          return;
        }
        // A consumer belongs to a client: the client must be valid first.
        Vd_Cliente(true);
        consumer.setAsString(Ajusta(consumer.asString(), 21));
        {
          ProgressScope receiving(kProgressReceiving);
          std::vector<Value> args{s.fieldByName("CDCLIENTE").value(), consumer.value(), Value("")};
          const Value answer = CheckResultServ(f.netManutVenda.call("getConsumidor", args));
          if (answer.isPacket())
            f.cdsConsumidor.setData(answer.packet());
          else
            f.cdsConsumidor.createDataSet();
        }
        if (f.cdsConsumidor.isEmpty()) MensErro(f.Msg("CONS_N_CAD"));
        for (const char* name : {"CDCONSUMIDOR", "NMCONSUMIDOR", "CDTIPOCONS"})
          s.fieldByName(name).setValue(f.cdsConsumidor.fieldByName(name).value());
      },
      [this] { focusSaleField("CDCONSUMIDOR", true); });
}

void SalePart::Vd_Servico(bool required) {
  ClientDataSet& s = f.cdsPedidoVenda;
  onFailureFocus(
      [&] {
        Field& service = s.fieldByName("CDSERVFILI");
        if (EmptyString(service.asString())) {
          if (required) MensErro(f.Msg("Servico_deve"));
          return;
        }
        service.setAsString(Ajusta(service.asString(), 5));
        TADOIBQuery& q = f.qryPesqServico;
        q.close();
        q.clearParams();
        q.setParam("P_CDFILIAL", Value(f.medFilial.text()));
        q.setParam("P_CDSERVFILI", service.value());
        q.setParam("P_TODOS", Value());
        q.open();
        if (q.isEmpty()) MensErro(f.Msg("Servico_NExist"));
        s.fieldByName("NMSERVICO").setValue(q.fieldByName("NMSERVICO"));
      },
      [this] { focusSaleField("CDSERVFILI", true); });
}

void SalePart::Vd_Vendedor(bool required) {
  ClientDataSet& s = f.cdsPedidoVenda;
  onFailureFocus(
      [&] {
        Field& seller = s.fieldByName("CDVENDEDOR");
        if (EmptyString(seller.asString())) {
          if (required) MensErro(f.Msg("VEND_DEVE_SER"));
          return;
        }
        seller.setAsString(Ajusta(seller.asString(), 4));
        TADOIBQuery& q = f.qryVendedor;
        q.close();
        q.clearParams();
        q.setParam("P_CDVENDEDOR", seller.value());
        q.setParam("P_TCDVENDEDOR", Value());
        q.open();
        if (q.isEmpty()) MensErro(f.Msg("VEND_N_CAD"));
        seller.setValue(q.fieldByName("CDVENDEDOR"));
        s.fieldByName("NMRAZSOCVEN").setValue(q.fieldByName("NMRAZSOCVEN"));
      },
      [this] { focusSaleField("CDVENDEDOR", true); });
}

void SalePart::Vd_DtVenda() {
  Field& date = f.cdsPedidoVenda.fieldByName("DTENTRVENDA");
  if (date.isNull() || EmptyString(date.text())) {
    date.focusControl();
    MensErro(f.Msg("DATA_NULL"));
  }
}

namespace {

// The hour without the two separators of its stored hh:mm:ss form.
std::string hourDigits(std::string hour) {
  if (hour.size() > 2) hour.erase(2, 1);
  if (hour.size() > 4) hour.erase(4, 1);
  return hour;
}

}  // namespace

void SalePart::Vd_Hora() {
  Field& hour = f.cdsPedidoVenda.fieldByName("HRVENDA");
  const std::string text = hour.asString();
  if (EmptyString(hourDigits(text))) return;  // no hour given
  if (!parseTime(text)) {
    hour.focusControl();
    MensErro(text + " " + f.Msg("HORA_INV"));
  }
}

void SalePart::cdsPedidoVendaDTENTRVENDASetText(Field& field, const std::string& text) {
  // Clearing the cell keeps the date: a sale always has its movement day.
  if (EmptyString(text)) return;
  CheckDateTime(field, text);
}

// --- A new sale.

void SalePart::cdsPedidoVendaNewRecord() {
  ClientDataSet& s = f.cdsPedidoVenda;
  ClientDataSet& opening = f.cdsAberCaixa;
  s.fieldByName("CDFILIAL").setValue(opening.fieldByName("CDFILIAL").value());
  s.fieldByName("CDCAIXA").setAsString(f.medCdCaixa.text());

  // The server's answer is the number as it is; a failed call is reported
  // and the new sale is not started, rather than starting one without a
  // number that could only fail when saved.
  std::vector<Value> args{Value(f.medFilial.text()), Value(f.medCdCaixa.text())};
  const RemoteResult next = f.netManutVenda.call("PrxPedidoVenda", args);
  if (!next.ok) CheckResultServ(next);
  s.fieldByName("NRSEQVENDA").setAsString(next.value.isNull() ? std::string() : next.value.asText());

  s.fieldByName("CDFILIALTUR").setValue(opening.fieldByName("CDFILIAL").value());
  s.fieldByName("CDCAIXATUR").setValue(opening.fieldByName("CDCAIXA").value());
  s.fieldByName("DTABERTUR").setValue(opening.fieldByName("DTABERCAIX").value());
  s.fieldByName("DTENTRVENDA").setValue(opening.fieldByName("DTMOVTURCAIX").value());
  s.fieldByName("CDEMPRESA").setValue(f.qryFilial.fieldByName("CDEMPRESA"));
  s.fieldByName("IDTIPOVENDA").setAsString("S");
  s.fieldByName("IDSITUVENDA").setAsString("P");
  s.fieldByName("IDORIGEMVENDA").setAsString("VND_MAN");
}

void SalePart::cdsPedidoVendaAfterInsert() {
  ClientDataSet& s = f.cdsPedidoVenda;
  if (f.pgcPadrao.activePage() != &f.tshFolhaDados) {
    f.pgcPadrao.setActivePage(f.tshFolhaDados);
    f.state.pgcPadraoChange();
  }
  if (EmptyString(s.fieldByName("CDCLIENTE").asString())) {
    for (const char* name : {"CDCLIENTE", "NRINSJURCLIE", "NMRAZSOCCLIE"})
      s.fieldByName(name).setValue(f.cdsClientePV.fieldByName(name).value());
  }
  s.fieldByName("NRSERIEVND").setValue(f.cdsCadastroECF.fieldByName("NRSERIE").value());
  s.fieldByName("TXOBSVENDA")
      .setAsString(f.Msg("insere") + Operador() + "-" + NomeOperador() + "-" + formatDate(today()));
  s.fieldByName("NRCUPOMFIS").focusControl();
}

// --- What blocks a change.

void SalePart::openRegisterAndPermission() {
  f.guards.openRegisterGuard();
  f.vd_PerManut();
}

void SalePart::cdsPedidoVendaBeforeInsert() {
  f.guards.vd_RedStatus();
  openRegisterAndPermission();
}

void SalePart::cdsPedidoVendaBeforeDelete() {
  f.guards.vd_RedStatus();
  openRegisterAndPermission();
}

void SalePart::cdsPedidoVendaBeforeEdit() {
  // The seller change edits sales of any status and skips the guards.
  if (f.sellerChangeMode) return;
  f.guards.vd_RedStatus();
  // Concluded, cancelled and returned sales are not edited; the grid's
  // colours already tell the user why.
  if (f.cdsPedidoVenda.fieldByName("IDSITUVENDA").asString() != "P") Abort();
  openRegisterAndPermission();
}

// --- Posting.

void SalePart::cdsPedidoVendaBeforePost() {
  ClientDataSet& s = f.cdsPedidoVenda;
  Vd_DtVenda();
  Vd_Cliente(true);
  Vd_Consumidor(false);
  Vd_Vendedor(false);
  Vd_Hora();

  if (EmptyString(s.fieldByName("NRORDEMVND").asString())) s.fieldByName("NRORDEMVND").setAsString("1");
  if (EmptyString(s.fieldByName("NRSERIEVND").asString())) {
    s.fieldByName("NRSERIEVND").focusControl();
    MensErro(f.Msg("NrSerie_Dev"));
  }
  if (EmptyString(s.fieldByName("NRSUBSERIEVND").asString())) s.fieldByName("NRSUBSERIEVND").setAsString("1");

  // The sale's moment is its movement day at the hour typed.
  const DateTime movement = f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").asDateTime();
  const std::string hour = s.fieldByName("HRVENDA").asString();
  if (EmptyString(hourDigits(hour))) {
    s.fieldByName("DTVENDA").setValue(f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").value());
  } else {
    // Vd_Hora above accepted the hour.
    const DateTime at = parseTime(hour).value_or(DateTime());
    s.fieldByName("DTVENDA").setAsDateTime(DateTime(dateOf(movement).days + timeOf(at)));
  }

  TADOIBQuery& shop = f.qryLojaVnd;
  shop.close();
  shop.clearParams();
  shop.setParam("P_CDFILIAL", Value(f.medFilial.text()));
  shop.setParam("P_CDCAIXA", s.fieldByName("CDCAIXA").value());
  shop.open();
  s.fieldByName("CDLOJA").setValue(shop.fieldByName("CDLOJA"));

  if (EmptyString(s.fieldByName("CDVENDEDOR").asString())) s.fieldByName("CDVENDEDOR").clear();
  s.fieldByName("CDOPERADOR").setAsString(Operador());
  if (const std::string obs = f.memObs.text(); !EmptyString(obs)) s.fieldByName("TXOBSVENDA").setAsString(obs);
  if (EmptyString(s.fieldByName("CDCONSUMIDOR").asString()))
    s.fieldByName("CDCCUSCLIE").clear();
  else
    s.fieldByName("CDCCUSCLIE").setValue(f.cdsConsumidor.fieldByName("CDCCUSCLIE").value());
}

void SalePart::cdsPedidoVendaAfterPost() {
  // A seller change ends with the post of its sale, however the post came
  // (the confirm action, a move to another row): left on, it would let the
  // next edit of any sale skip its guards and checks.
  f.sellerChangeMode = false;
  // A sale posted because its items or receipts are being typed is saved
  // with them: the save action works on the set the user is editing.
  if (f.cdsItens.editing())
    f.dtsPadrao.setDataSet(&f.cdsItens);
  else if (f.cdsTipoRece.editing())
    f.dtsPadrao.setDataSet(&f.cdsTipoRece);
  f.saving.sbtConfirmarClick();
}

void SalePart::cdsPedidoVendaAfterCancel() {
  f.pgcPadrao.setActivePage(f.tshFolhaDados);
  f.dtsPadrao.setDataSet(&f.cdsPedidoVenda);
  f.sellerChangeMode = false;
}

void SalePart::cdsPedidoVendaAfterDelete() {
  ClientDataSet& s = f.cdsPedidoVenda;
  // A refusal shows the sale again: the server kept it.
  sendAtOnce(f, s, "DelPedidoVenda", "DelVenda");
  if (s.isEmpty()) {
    f.pgcPadrao.setActivePage(f.tshAberCaixa);
    f.dtsPadrao.setDataSet(&f.cdsPedidoVenda);
  }
}

}  // namespace screen
