// The day check: the server's lines shown as a list; the line chosen takes
// the user where its problem is fixed.

#include "screen/daycheck.h"

#include "platform/consiste.h"
#include "platform/datapacket.h"
#include "platform/format.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

bool isEditing(DataSetState s) { return s == DataSetState::Edit || s == DataSetState::Insert; }

std::string figure(const Value& v, bool money) {
  if (v.isNull()) return {};
  return formatNumber(v.asNumber(), money ? "#,##0.00" : "0");
}

// The server's lines as the list shows them: descriptions from the
// catalogue ("Conf_" and the check's code, the line's detail in its %s),
// figures as texts, and where each line leads.
DataPacket listOf(const TfrmManutVenda& f, const DataPacket& answer) {
  DataPacket view;
  view.fields = f.cdsConfereCaixa.fieldDefs();
  const auto at = [&](const PacketRow& r, const char* name) -> const Value& {
    return r.values.at(static_cast<size_t>(answer.fieldIndex(name)));
  };
  for (const PacketRow& r : answer.rows) {
    const bool money = at(r, "IDVALOR").asText() == "S";
    const std::string detail = at(r, "DSDETALHE").asText();
    view.rows.push_back({RowKind::Unchanged,
                         {Value(f.msgPadrao.MsgFmt("Conf_" + at(r, "CDCONFERE").asText(), {detail})),
                          Value(f.Msg(at(r, "IDCONFERE").asText() == "S" ? "Conf_OK" : "Conf_Dif")),
                          Value(figure(at(r, "VRESPERADO"), money)), Value(figure(at(r, "VRENCONTRADO"), money)),
                          Value(figure(at(r, "VRDIFERENCA"), money)), at(r, "NRSEQVENDA"), at(r, "DTABERTUR"),
                          at(r, "NRECFREDZ"), at(r, "IDPAGINAZ")},
                         {}});
  }
  return view;
}

}  // namespace

DayCheckPart::~DayCheckPart() {
  if (!listening_) return;
  f.dtsReducaoZ.removeListener(this);
  f.pgcPadrao.changed.disconnect(mainPageSlot_);
  f.pgcReducao.changed.disconnect(zPageSlot_);
}

void DayCheckPart::wire() {
  f.btnConfereCaixa.OnClick = [this](Control&) { btnConfereCaixaClick(); };
  f.mnuConfereCaixa.OnClick = handler(this, &DayCheckPart::mnuConfereCaixaClick);
  buildWarnings();
  f.dtsReducaoZ.addListener(this);
  listening_ = true;
  // Coming to the form shows the warnings of the reduction shown.
  const auto pageShown = [this](Control&, Prop p) {
    if (p == Prop::ActivePage) showContinuity();
  };
  mainPageSlot_ = f.pgcPadrao.changed.connect(pageShown);
  zPageSlot_ = f.pgcReducao.changed.connect(pageShown);
}

void DayCheckPart::mnuConfereCaixaClick(Control&) { btnConfereCaixaClick(); }

void DayCheckPart::refreshAction() {
  const bool editing = isEditing(f.dtsPadrao.state()) || f.state.unsentChanges();
  const ClientDataSet& openings = f.cdsAberCaixa;
  f.mnuConfereCaixa.setEnabled(!editing && openings.active() && !openings.isEmpty());
  f.btnConfereCaixa.setEnabled(f.mnuConfereCaixa.enabled());
}

void DayCheckPart::btnConfereCaixaClick() {
  fetch(f, "Get_ConfereCaixa", "GetConfereCaixa", {Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDay(f)},
        [this](const Value& answer) {
          if (!answer.isPacket()) MensErro(f.Msg("Resp_Invalida"));
          f.cdsConfereCaixa.setData(listOf(f, answer.packet()));
        });
  if (!ui().pickRecord(f.cdsConfereCaixa, f.Msg("Conf_Titulo"), f.Msg("Conf_Vazia"))) return;
  if (!currentText(f.cdsConfereCaixa, "NRSEQVENDA").empty())
    goToSale();
  else if (!currentText(f.cdsConfereCaixa, "IDPAGINAZ").empty())
    goToReduction();
}

// The sale's opening becomes current (which loads its sales), then the sale
// in the sales list.
void DayCheckPart::goToSale() {
  const std::string sale = currentText(f.cdsConfereCaixa, "NRSEQVENDA");
  const Value opening = f.cdsConfereCaixa.fieldByName("DTABERTUR").value();
  ClientDataSet& openings = f.cdsAberCaixa;
  if (!opening.isNull() && !(openings.fieldByName("DTABERCAIX").value() == opening))
    openings.locate("DTABERCAIX", opening);
  if (!f.cdsPedidoVenda.locate("NRSEQVENDA", Value(sale))) MensErro(f.msgPadrao.MsgFmt("Conf_Venda_N_Enc", {sale}));
  f.pgcPadrao.setActivePage(f.tshFolhaDados);
  f.state.pgcPadraoChange();
}

// The printer's reduction becomes current, on the page where the line's
// figure is typed: the "Redução Z" page is entered as a click on its tab
// enters it, then the inner page is chosen as from its menu item.
void DayCheckPart::goToReduction() {
  const std::string ecf = currentText(f.cdsConfereCaixa, "NRECFREDZ");
  const std::string page = currentText(f.cdsConfereCaixa, "IDPAGINAZ");
  if (f.pgcPadrao.activePage() != &f.tshReducao) {
    f.pgcPadrao.setActivePage(f.tshReducao);
    f.state.pgcPadraoChange();
    f.zReductionPart.tshReducaoEnter();
  }
  if (!ecf.empty() && currentText(f.cdsReducaoZ, "NRECFREDZ") != ecf) f.cdsReducaoZ.locate("NRECFREDZ", Value(ecf));
  MenuItem& item = page == "A" ? f.mnuDadosAdic : page == "I" ? f.mnuImposto : page == "P" ? f.mnuFormPag : f.mnuForm;
  item.click();
}

}  // namespace screen
