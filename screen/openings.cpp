// Register openings: their defaults, checks, operator look-up and display,
// each post and delete sent to the server at once; and closing a register
// day, whose verdict comes from the server.

#include <string>
#include <string_view>
#include <vector>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/logon.h"
#include "platform/lookup.h"
#include "platform/uiservice.h"
#include "platform/utf8.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;

namespace {

bool emptyField(const Field& field) { return field.isNull() || EmptyString(field.asString()); }

// The REGISTRO count of a one-row answer loaded into `answer`.
double registro(TfrmManutVenda& f, const char* operation, std::vector<Value> args, ClientDataSet& answer) {
  ProgressScope receiving(kProgressReceiving);
  const Value v = CheckResultServ(f.netManutVenda.call(operation, args));
  if (v.isPacket())
    answer.setData(v.packet());
  else
    answer.createDataSet();
  return answer.fieldByName("REGISTRO").asFloat();
}

// Columns that show what the server keeps (situation, movement date,
// closing): they are never typed into.
bool untypedColumn(const Field* field) {
  if (!field) return false;
  for (std::string_view name : {"IDSITUACAO", "DTMOVTURCAIX", "DTFECHCAIX"})
    if (field->name() == name) return true;
  return false;
}

// Verdicts of the closing that refuse it, in the order they are tested.
constexpr std::string_view kRefusals[] = {
    "VENDASPENDENTES", "VENDALIQERRADA", "VENDACANCERRADA", "ICMSERRADA",    "NINCIDERRADA",
    "ISENTOERRADA",    "SUBTRERRADA",    "IMPOSTODIF",      "IMPOSTOVENDIF",
};
constexpr std::string_view kSeriesRefusal = "VENDASERIEERRADA";
constexpr size_t kSeriesShown = 30;

}  // namespace

void RegisterPart::wire() {
  ClientDataSet& a = f.cdsAberCaixa;
  a.BeforeInsert = handler(this, &RegisterPart::cdsAberCaixaBeforeInsert);
  a.AfterInsert = handler(this, &RegisterPart::cdsAberCaixaAfterInsert);
  a.BeforeEdit = handler(this, &RegisterPart::cdsAberCaixaBeforeEdit);
  a.BeforePost = handler(this, &RegisterPart::cdsAberCaixaBeforePost);
  a.AfterPost = handler(this, &RegisterPart::cdsAberCaixaAfterPost);
  a.BeforeDelete = handler(this, &RegisterPart::cdsAberCaixaBeforeDelete);
  a.AfterDelete = handler(this, &RegisterPart::cdsAberCaixaAfterDelete);
  a.AfterScroll = [this](ClientDataSet&) { cdsAberCaixaAfterScroll(); };
  a.fieldByName("IDSITUACAO").OnGetText = handler(this, &RegisterPart::cdsAberCaixaIDSITUACAOGetText);

  DBGrid& g = f.dbgAberCaixa;
  g.OnColExit = [this](Control&) { dbgAberCaixaColExit(); };
  g.OnEditButtonClick = [this](Control&) { dbgAberCaixaEditButtonClick(); };
  g.OnKeyPress = handler(this, &RegisterPart::dbgAberCaixaKeyPress);
  g.OnDrawColumnCell = handler(this, &RegisterPart::dbgAberCaixaDrawColumnCell);
  f.mnuAberCaixa.OnClick = handler(this, &RegisterPart::mnuAberCaixaClick);
  f.btnFecharCaixa.OnClick = [this](Control&) { btnFecharCaixaClick(); };
  f.mnuFecharCaixa.OnClick = handler(this, &RegisterPart::mnuFecharCaixaClick);
}

void RegisterPart::cdsAberCaixaBeforeInsert(ClientDataSet& s) {
  f.guards.vd_RedStatus();
  f.vd_PerManut();
  s.fieldByName("DTABERCAIX").focusControl();
}

void RegisterPart::cdsAberCaixaAfterInsert(ClientDataSet& s) {
  // A new opening starts at six in the morning of the filter's day.
  if (const std::optional<DateTime> day = f.depDeEntrega.date()) {
    if (const std::optional<DateTime> opened = parseDateTime(formatDate(*day) + " 06:00:00"))
      s.fieldByName("DTABERCAIX").setAsDateTime(*opened);
    s.fieldByName("DTMOVTURCAIX").setAsDateTime(*day);
  }
  s.fieldByName("CDOPERADOR").setAsString(Operador());
  s.fieldByName("CDOPERABER").setAsString(Operador());
}

void RegisterPart::cdsAberCaixaBeforeEdit(ClientDataSet&) {
  f.guards.vd_RedStatus();
  f.vd_PerManut();
  f.guards.openRegisterGuard();
}

void RegisterPart::cdsAberCaixaBeforePost(ClientDataSet& s) {
  vd_Abertura();
  vd_operador(true);
  s.fieldByName("CDFILIAL").setAsString(f.medFilial.text());
  s.fieldByName("CDCAIXA").setAsString(f.medCdCaixa.text());
}

void RegisterPart::cdsAberCaixaAfterPost(ClientDataSet&) { sendPendingOpenings(); }

// A closed register may still lose an opening; only an approved day is
// untouchable.
void RegisterPart::cdsAberCaixaBeforeDelete(ClientDataSet&) {
  f.guards.vd_RedStatus();
  // An opening refused earlier would travel with the deletion, and undoing
  // a refused deletion would drop it: it is sent first, and its refusal
  // stops the deletion before anything is deleted.
  sendPendingOpenings();
}

// A refused deletion brings the opening back.
void RegisterPart::cdsAberCaixaAfterDelete(ClientDataSet&) { sendAberCaixa("DelAberCaixa", true); }

void RegisterPart::cdsAberCaixaIDSITUACAOGetText(Field& field, std::string& text, bool) {
  if (f.cdsAberCaixa.isEmpty())
    text.clear();
  else
    text = f.Msg(field.isNull() ? "Aberto" : "Fechado");
}

void RegisterPart::dbgAberCaixaKeyPress(Control&, char32_t& key) {
  if (key != 9 && key != 13 && untypedColumn(f.dbgAberCaixa.selectedField())) key = 0;
}

// The operator column shows the operator's name; the code stays what is
// typed and stored. (A painting view insets the text by 2 pixels.)
void RegisterPart::dbgAberCaixaDrawColumnCell(DBGrid&, const CellContext& cell, CellAppearance& look) {
  if (cell.column.fieldName() != "CDOPERABER" || !cell.field || cell.editorCell) return;
  if (emptyField(*cell.field))
    look.text = std::string();
  else
    look.text = cell.field->dataSet().fieldByName("NMOPERADOR").asString();
}

void RegisterPart::mnuAberCaixaClick(Control&) {
  f.pgcPadrao.setActivePage(f.tshAberCaixa);
  f.state.pgcPadraoChange();
}

void RegisterPart::mnuFecharCaixaClick(Control&) {
  if (f.btnFecharCaixa.permitted()) btnFecharCaixaClick();
}

// An opening's date-time is its key: a new one, or a corrected one, must
// neither meet another open opening of the day nor repeat an existing
// date-time. A correction that keeps the date-time is not checked again.
void RegisterPart::vd_Abertura() {
  ClientDataSet& a = f.cdsAberCaixa;
  Field& opened = a.fieldByName("DTABERCAIX");
  if (opened.oldValue() == opened.value()) return;

  // The server counts the opening being corrected among the open ones of
  // the day when it is stored open on that very day; it is not a second
  // open register, so it is left out of the count.
  double self = 0;
  if (!opened.oldValue().isNull() && a.fieldByName("DTFECHCAIX").oldValue().isNull() &&
      AllTrim(a.fieldByName("CDFILIAL").oldValue().asText()) == AllTrim(f.medFilial.text()) &&
      AllTrim(a.fieldByName("CDCAIXA").oldValue().asText()) == AllTrim(f.medCdCaixa.text())) {
    const Value storedDay = a.fieldByName("DTMOVTURCAIX").oldValue();
    const Value day = filterDayOrNull(f);
    if (!storedDay.isNull() && !day.isNull() && dateOf(storedDay.asDateTime()) == dateOf(day.asDateTime())) self = 1;
  }
  if (registro(f, "getCaixaAberto", {Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDayOrNull(f)},
               f.cdsCaixaAberto) -
          self >
      0) {
    opened.focusControl();
    MensErro(f.Msg("CAIXA_ABERTO"));
  }
  if (registro(f, "getAbertura", {Value(f.medFilial.text()), Value(f.medCdCaixa.text()), opened.value()},
               f.cdsAbertura) != 0) {
    opened.focusControl();
    MensErro(f.Msg("ABERT_DUP"));
  }
}

void RegisterPart::vd_operador(bool required) {
  ClientDataSet& a = f.cdsAberCaixa;
  Field& code = a.fieldByName("CDOPERABER");
  try {
    if (emptyField(code)) {
      if (required) MensErro(f.Msg("Ope_Inf"));
      return;
    }
    code.setAsString(Ajusta(code.asString(), 12));
    TADOIBQuery& q = f.qryVdOperador;
    q.close();
    q.setParam("P_CDOPERADOR", Value(code.asString()));
    q.setParam("P_TCDOPERADOR", Value());
    q.open();
    if (q.isEmpty()) MensErro(f.Msg("OPER_N_CAD"));
    code.setAsString(q.fieldByName("CDOPERADOR").asText());
    a.fieldByName("NMOPERADOR").setAsString(q.fieldByName("NMOPERADOR").asText());
  } catch (...) {
    f.pgcPadrao.setActivePage(f.tshAberCaixa);
    code.focusControl();
    throw;
  }
}

void RegisterPart::dbgAberCaixaColExit() {
  ClientDataSet& a = f.cdsAberCaixa;
  if (!a.editing()) return;
  const Field* leaving = f.dbgAberCaixa.selectedField();
  if (!leaving) return;
  if (leaving->name() == "DTABERCAIX") {
    Field& opened = a.fieldByName("DTABERCAIX");
    if (emptyField(opened)) return;
    const DateTime day = dateOf(opened.asDateTime());
    const Value movement = filterDayOrNull(f);
    if (movement.isNull() || day != dateOf(movement.asDateTime())) {
      opened.focusControl();
      MensErro(f.Msg("DataAber_Dif"));
    }
    a.fieldByName("DTMOVTURCAIX").setAsDateTime(day);
  } else if (leaving->name() == "CDOPERABER") {
    vd_operador(false);
  }
}

void RegisterPart::dbgAberCaixaEditButtonClick() {
  const Field* selected = f.dbgAberCaixa.selectedField();
  if (!selected || selected->name() != "CDOPERABER") return;
  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_Operador"));
    std::vector<Value> none;
    const Value list = CheckResultServ(f.netManutVenda.call("GetOperador", none));
    if (list.isPacket())
      f.cdsOperador.setData(list.packet());
    else
      f.cdsOperador.createDataSet();
  }
  if (!Pesquisar(f.dtsOperador, f.Msg("OPERADOR") + "|" + f.Msg("OPERADOR_NCAD"))) return;
  ClientDataSet& a = f.cdsAberCaixa;
  if (!a.editing()) a.edit();
  const std::string code = f.cdsOperador.fieldByName("CDOPERADOR").asString();
  a.fieldByName("CDOPERADOR").setAsString(code);
  a.fieldByName("NMOPERADOR").setAsString(f.cdsOperador.fieldByName("NMOPERADOR").asString());
  a.fieldByName("CDOPERABER").setAsString(code);
}

void RegisterPart::sendPendingOpenings() { sendAberCaixa("InsAberCaixa", false); }

void RegisterPart::sendAberCaixa(const char* captionKey, bool undoRefused) {
  sendAtOnce(f, f.cdsAberCaixa, "SetAberCaixa", captionKey, {.keepOnRefusal = !undoRefused});
}

// The server decides whether the day may close and answers one word; the
// screen turns a refusal into its message, and on success shows the closed
// opening by reloading the day's openings.
void RegisterPart::btnFecharCaixaClick() {
  if (!f.cdsReducaoZ.active() || f.cdsReducaoZ.isEmpty()) MensErro(f.Msg("REDUCZ_N_INF"));
  f.guards.vd_RedStatus();

  std::string verdict;
  {
    ProgressScope receiving(kProgressReceiving);
    ClientDataSet& a = f.cdsAberCaixa;
    std::vector<Value> args{Value(a.fieldByName("CDFILIAL").asString()), Value(a.fieldByName("CDCAIXA").asString()),
                            a.fieldByName("DTABERCAIX").value()};
    const RemoteResult result = f.netManutVenda.call("SetFechaCaixa", args);
    // The verdict is a plain text, but a call the server refused or that
    // never reached it is still a failure the user must see.
    if (!result.ok) CheckResultServ(result);
    verdict = result.value.isText() ? result.value.text() : std::string();
  }

  for (std::string_view refusal : kRefusals)
    if (verdict == refusal) MensErro(f.Msg(refusal));
  if (verdict.starts_with(kSeriesRefusal)) {
    const std::u32string series = utf8Decode(std::string_view(verdict).substr(kSeriesRefusal.size()));
    const std::string shown = utf8Encode(std::u32string_view(series).substr(0, kSeriesShown));
    MensErro(f.msgPadrao.MsgFmt(kSeriesRefusal, {shown}));
  }
  if (verdict != "OK") return;

  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_AberCaixa"));
    std::vector<Value> args{Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDayOrNull(f)};
    const Value openings = CheckResultServ(f.netManutVenda.call("GetAberCaixa", args));
    if (openings.isPacket()) f.cdsAberCaixa.setData(openings.packet());
  }
  f.msgPadrao.ShowMsg("OK", MsgKind::Information, MsgButtons::Ok);
}

}  // namespace screen
