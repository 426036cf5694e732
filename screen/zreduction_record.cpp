// The Z reduction record: the fiscal printer's end-of-day figures typed on
// the form pages. A new or corrected record is checked field by field as the
// user leaves each input and again, in full, before it is posted; posting
// only accepts it locally, and the save action sends it with the sub-tables.
// A deletion goes to the server at once.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "platform/uiservice.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"
#include "screen/sendnow.h"

namespace screen {

using namespace platform;

namespace {

// The seven counters, with the caption that names each in "Vr_Inv".
struct Counter {
  const char* control;
  const char* field;
  const char* caption;
};
constexpr Counter kCounters[] = {
    {"dbeReInicio", "NRREINIREDZ", "Reinício"},
    {"dbeReducao", "NRREDREDZ", "Redução"},
    {"dbeLeituraX", "NRLEITREDZ", "Leitura X"},
    {"dbeComprNFiscal", "NRGERCNFREDZ", "Comprovante não Fiscal"},
    {"dbeCancelamento", "NRCANCFREDZ", "Canc. de Cupom Fiscal"},
    {"dbePrimCFiscal", "NRPRIMCFREDZ", "Cupom Fiscal Inicial"},
    {"dbeUltCFiscal", "NRULTCFREDZ", "Cupom Fiscal Final"},
};

// Counters and the make-and-model text are kept at the printer's width.
constexpr size_t kCounterWidth = 10;

struct Origin {
  const char* code;
  const char* key;
};
constexpr Origin kOrigins[] = {{"VND", "Dig_VND"}, {"TLR", "Dig_Tlr"}, {"IMP", "Imp_Fis"}};

// A whole number that fits 32 signed bits, blanks around allowed.
bool isInt32(std::string_view text) {
  const std::string t = AllTrim(text);
  std::string_view digits = t;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return !digits.empty() && ec == std::errc() && end == digits.data() + digits.size();
}

bool blank(const Field& field) { return EmptyString(field.text()); }

}  // namespace

void ZReductionPart::wireRecord() {
  ClientDataSet& z = f.cdsReducaoZ;
  z.BeforeInsert = [this](ClientDataSet&) { cdsReducaoZBeforeInsert(); };
  z.AfterInsert = [this](ClientDataSet&) { cdsReducaoZAfterInsert(); };
  z.BeforeEdit = [this](ClientDataSet&) { cdsReducaoZBeforeEdit(); };
  z.BeforeDelete = [this](ClientDataSet&) { cdsReducaoZBeforeDelete(); };
  z.AfterDelete = [this](ClientDataSet&) { cdsReducaoZAfterDelete(); };
  z.AfterCancel = [this](ClientDataSet&) { cdsReducaoZAfterCancel(); };
  z.BeforePost = [this](ClientDataSet&) { cdsReducaoZBeforePost(); };
  z.OnCalcFields = [this](ClientDataSet&) { cdsReducaoZCalcFields(); };
  Field& origin = z.fieldByName("IDORIGEMREDZ");
  origin.OnGetText = [this](Field&, std::string& text, bool) { cdsReducaoZIDORIGEMREDZGetText(text); };
  origin.OnSetText = [this](Field& field, const std::string& text) { cdsReducaoZIDORIGEMREDZSetText(field, text); };
  f.dtsReducaoZ.OnStateChange = [this](DataSource&) { dtsReducaoZStateChange(); };
  f.dtsReducaoZ.OnDataChange = [this](DataSource&, Field*) { dtsReducaoZDataChange(); };

  auto& ecf = f.control<DBEdit>("dbeNrECF");
  ecf.OnKeyPress = [this](Control&, char32_t& key) { dbeNrECFKeyPress(key); };
  ecf.OnExit = [this](Control&) { dbeNrECFExit(); };
  for (const Counter& c : kCounters) {
    auto& edit = f.control<DBEdit>(c.control);
    edit.OnExit = [this, &edit](Control&) { dbeContadorExit(edit); };
  }
  f.control<DBEdit>("dbeMarcMode").OnExit = [this](Control&) { dbeMarcModeExit(); };
  wireSubTableGuards();
}

// The sub-tables' own handlers call zChangeGuards() first; a sub-table
// event still without a handler gets the guards alone, so no Z record set
// changes without them.
void ZReductionPart::wireSubTableGuards() {
  for (ClientDataSet* set : {&f.cdsImposto, &f.cdsTotaliz, &f.cdsFormaPag, &f.cdsObservacao})
    for (ClientDataSet::Event* e : {&set->BeforeInsert, &set->BeforeEdit, &set->BeforeDelete})
      if (!*e) *e = [this](ClientDataSet&) { zChangeGuards(); };
}

void ZReductionPart::zChangeGuards() {
  f.guards.vd_RedStatus();
  f.vd_PerManut();
}

// --- Control events.

void ZReductionPart::dbeNrECFKeyPress(char32_t& key) {
  const bool digit = key >= U'0' && key <= U'9';
  if (!digit && key != 8 && key != 9 && key != 13) key = 0;
}

void ZReductionPart::dbeNrECFExit() { Vd_ReducaoZ(); }

void ZReductionPart::dbeContadorExit(DBEdit& edit) {
  if (!f.cdsReducaoZ.editing()) return;
  const std::string text = edit.text();
  if (EmptyString(text)) return;
  const char* caption = "";
  for (const Counter& c : kCounters)
    if (edit.name() == c.control) caption = c.caption;
  // The focus stays on the edit: a failing exit keeps it there.
  if (!isInt32(text)) MensErro(f.msgPadrao.MsgFmt("Vr_Inv", {text, caption}));
  edit.field()->setAsString(Ajusta(text, kCounterWidth));
}

void ZReductionPart::dbeMarcModeExit() {
  if (!f.cdsReducaoZ.editing()) return;
  auto& edit = f.control<DBEdit>("dbeMarcMode");
  const std::string text = edit.text();
  if (EmptyString(text)) MensErro(f.msgPadrao.MsgFmt("Vr_Inv", {text, "Marca/Modelo"}));
  edit.field()->setAsString(Ajusta(text, kCounterWidth));
}

// --- Checks.

void ZReductionPart::focusRecordField(const char* field) {
  if (f.pgcReducao.activePage() != &f.tshFormRed && f.pgcReducao.activePage() != &f.tshDadosAdic) {
    f.pgcReducao.setActivePage(f.tshFormRed);
    pgcReducaoChange();
  }
  f.cdsReducaoZ.fieldByName(field).focusControl();
}

namespace {

// Reports `key` with the user on `field` when the field is blank.
template <class Focus>
void requireText(const TfrmManutVenda& f, const char* field, const char* key, Focus focus) {
  if (!blank(f.cdsReducaoZ.fieldByName(field))) return;
  focus(field);
  MensErro(f.Msg(key));
}

}  // namespace

void ZReductionPart::Vd_NrECF() {
  requireText(f, "NRECFREDZ", "NRECF_NULL", [this](const char* n) { focusRecordField(n); });
}

void ZReductionPart::vd_NrReinicio() {
  requireText(f, "NRREINIREDZ", "NRREINICIO_NULL", [this](const char* n) { focusRecordField(n); });
}

void ZReductionPart::vd_NrSerie() {
  requireText(f, "NRSERIEREDZ", "NRSERIE_NULL", [this](const char* n) { focusRecordField(n); });
}

void ZReductionPart::Vd_ModMarc() {
  requireText(f, "DSMODMARCAECF", "Mod_Va", [this](const char* n) { focusRecordField(n); });
}

void ZReductionPart::Vd_ValoresRedz() {
  const auto focus = [this](const char* n) { focusRecordField(n); };
  struct Required {
    const char* field;
    const char* key;
  };
  for (const Required& r : {Required{"NRREDREDZ", "REDZ_NULL"}, Required{"NRPRIMCFREDZ", "NRPRIM_NULL"},
                            Required{"NRULTCFREDZ", "NRFIN_NULL"}, Required{"VRGTREDZ", "VRGTREDZ_INF"},
                            Required{"VRVENBRUREDZ", "VENBRU_NULL"}, Required{"VRTOTCANREDZ", "VRCANC_NULL"},
                            Required{"VRVENLIQREDZ", "VENLIQ_NULL"}})
    requireText(f, r.field, r.key, focus);

  const ClientDataSet& z = f.cdsReducaoZ;
  const double grand = z.fieldByName("VRGTREDZ").asFloat();
  const double gross = z.fieldByName("VRVENBRUREDZ").asFloat();
  if (RoundDec(grand, 2) < RoundDec(gross, 2)) {
    focusRecordField("VRVENBRUREDZ");
    MensErro(f.Msg("TOTGER_MAIOR"));
  }
  // Surcharges and ISS do not enter the net sale the printer reports.
  const double expectedNet =
      RoundDec((gross - z.fieldByName("VRTOTCANREDZ").asFloat()) - z.fieldByName("VRTOTDESREDZ").asFloat(), 2);
  if (RoundDec(z.fieldByName("VRVENLIQREDZ").asFloat(), 2) != expectedNet) {
    focusRecordField("VRVENLIQREDZ");
    MensErro(f.Msg("VENLIQ_DIF"));
  }
}

// The copy taken before the insert holds the day's reductions of the
// filter's branch and register; a printer has one reduction a day.
void ZReductionPart::Vd_ReducaoZ() {
  if (f.cdsReducaoZ.state() != DataSetState::Insert) return;
  ClientDataSet& copy = f.cdsVerifReducaoZ;
  if (!copy.active() || copy.isEmpty()) return;
  const std::string ecf = f.cdsReducaoZ.fieldByName("NRECFREDZ").asString();
  bool found = false;
  for (copy.first(); !copy.eof() && !found; copy.next())
    found = equalsIgnoreCase(copy.fieldByName("NRECFREDZ").asString(), ecf);
  if (!found) return;
  focusRecordField("NRECFREDZ");
  MensErro(f.Msg("Red_Ja_Inc"));
}

double ZReductionPart::GetTotais() {
  const ClientDataSet& z = f.cdsReducaoZ;
  const Field& date = z.fieldByName("DTREDUCAOZ");
  const Field& grand = z.fieldByName("VRGTREDZ");
  const bool noGrandTotal = grand.isNull() || grand.asFloat() == 0;
  std::vector<Value> args{Value(f.medFilial.text()),
                          Value(currentText(f.cdsPedidoVenda, "CDCAIXA")),
                          Value(f.control<DateEdit>("depReducaoZ").date().value_or(DateTime())),
                          date.value(),
                          Value(z.fieldByName("NRECFREDZ").text() + date.displayText()),
                          Value(noGrandTotal ? "S" : "N")};
  const Value answer = CheckResultServ(f.netManutVenda.call("GetTotais", args));
  loadPacket(f.cdsValorTotal, element(f, answer, 0));
  loadPacket(f.cdsGrandeTotal, element(f, answer, 1));
  return f.cdsValorTotal.isEmpty() ? 0.0 : f.cdsValorTotal.fieldByName("VRTOTAL").asFloat();
}

// --- Record-set events.

void ZReductionPart::cdsReducaoZBeforeInsert() {
  f.guards.vd_DataMov();
  if (f.cdsReducaoZ.active())
    f.cdsVerifReducaoZ.copyFrom(f.cdsReducaoZ);
  else
    f.cdsVerifReducaoZ.createDataSet();
  zChangeGuards();
  // The new record is typed on the form pages, open before the insert
  // starts so the focus can land there.
  f.tshFormRed.setEnabled(true);
  f.tshDadosAdic.setEnabled(true);
  f.pgcReducao.setActivePage(f.tshFormRed);
  pgcReducaoChange();
  f.control<DateEdit>("depReducaoZ").setDate(f.depDeEntrega.date());
}

void ZReductionPart::cdsReducaoZAfterInsert() {
  ClientDataSet& z = f.cdsReducaoZ;
  z.fieldByName("IDORIGEMREDZ").setAsString("VND");
  z.fieldByName("NRECFREDZ").setValue(f.cdsCadastroECF.fieldByName("NRECF").value());
  z.fieldByName("NRSERIEREDZ").setValue(f.cdsCadastroECF.fieldByName("NRSERIE").value());
  z.fieldByName("NRREDREDZ").setValue(f.cdsReducaoAnt.fieldByName("NRREDREDZ").value());
  Control& ecf = f.control<DBEdit>("dbeNrECF");
  if (ecf.enabled())
    ecf.setFocus();
  else
    f.control<DBEdit>("dbeReInicio").setFocus();
}

// The Z reduction page does not pass the open-register guard of the other
// pages (a closed day's fiscal record is still its own), so the record asks
// the server whether the register day is closed.
void ZReductionPart::existingRecordGuards() {
  f.guards.vd_RedStatus();
  bool closed = false;
  {
    ProgressScope receiving(kProgressReceiving, f.Msg("Get_ReceOrig"));
    std::vector<Value> args{Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDay(f)};
    closed = CheckResultServ(f.netManutVenda.call("VerifAberCaixa", args)).asBoolean();
  }
  if (closed) MensErro(f.Msg("Oper_Bloc"));
  f.guards.vd_DataMov();
  f.vd_PerManut();
}

void ZReductionPart::cdsReducaoZBeforeEdit() { existingRecordGuards(); }

void ZReductionPart::cdsReducaoZBeforeDelete() {
  existingRecordGuards();
  std::vector<Value> args{Value(f.medFilial.text()), Value(f.medCdCaixa.text()), filterDay(f),
                          Value(currentText(f.cdsReducaoZ, "NRECFREDZ"))};
  loadPacket(f.cdsObservacao, CheckResultServ(f.netManutVenda.call("GetObservacao", args)));
  if (!f.cdsObservacao.isEmpty() &&
      f.msgPadrao.ShowMsg("Oper_Bloc_Observ", MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes)
    Abort();
}

void ZReductionPart::cdsReducaoZAfterDelete() {
  // The log carries every unsent change of the set, not only the deletion;
  // a refusal undoes them all, so the deleted record comes back.
  sendAtOnce(f, f.cdsReducaoZ, "SetReducaoZ", "DelReducaoZ");
  if (f.cdsReducaoZ.isEmpty()) {
    f.pgcReducao.setActivePage(f.tshFolhaRZ);
    f.dtsPadrao.setDataSet(&f.cdsReducaoZ);
  }
}

void ZReductionPart::cdsReducaoZAfterCancel() {
  f.pgcReducao.setActivePage(f.cdsReducaoZ.isEmpty() ? f.tshFolhaRZ : f.tshFormRed);
  f.dtsPadrao.setDataSet(&f.cdsReducaoZ);
}

void ZReductionPart::cdsReducaoZCalcFields() {
  ClientDataSet& z = f.cdsReducaoZ;
  const Field& grand = z.fieldByName("VRGTREDZ");
  const Field& gross = z.fieldByName("VRVENBRUREDZ");
  if (!grand.isNull() && !gross.isNull()) z.fieldByName("VRGTREDZINI").setAsFloat(grand.asFloat() - gross.asFloat());
}

void ZReductionPart::cdsReducaoZIDORIGEMREDZGetText(std::string& text) const {
  const std::string code = f.cdsReducaoZ.fieldByName("IDORIGEMREDZ").asString();
  std::string shown;
  for (const Origin& o : kOrigins)
    if (code == o.code) shown = f.Msg(o.key);
  text = shown;
}

void ZReductionPart::cdsReducaoZIDORIGEMREDZSetText(Field& field, const std::string& text) {
  for (const Origin& o : kOrigins)
    if (text == f.Msg(o.key)) field.setAsString(o.code);
}

void ZReductionPart::cdsReducaoZBeforePost() {
  ClientDataSet& z = f.cdsReducaoZ;
  const bool inserting = z.state() == DataSetState::Insert;
  if (inserting) {
    z.fieldByName("CDFILIAL").setAsString(f.medFilial.text());
    z.fieldByName("CDCAIXA").setAsString(f.medCdCaixa.text());
    z.fieldByName("DTREDUCAOZ").setValue(f.cdsAberCaixa.fieldByName("DTMOVTURCAIX").value());
    z.fieldByName("CDOPERADOR").setValue(f.cdsAberCaixa.fieldByName("CDOPERADOR").value());
  }
  for (const Counter& c : kCounters) {
    auto& edit = f.control<DBEdit>(c.control);
    const std::string text = edit.text();
    if (EmptyString(text)) continue;
    if (!isInt32(text)) {
      focusRecordField(c.field);
      MensErro(f.msgPadrao.MsgFmt("Vr_Inv", {text, c.caption}));
    }
    Field& field = z.fieldByName(c.field);
    field.setAsString(Ajusta(field.text(), kCounterWidth));
  }
  if (!EmptyString(f.control<DBEdit>("dbeMarcMode").text())) {
    Field& model = z.fieldByName("DSMODMARCAECF");
    model.setAsString(Ajusta(model.text(), kCounterWidth));
  }
  Vd_NrECF();
  vd_NrReinicio();
  vd_NrSerie();
  Vd_ValoresRedz();
  Vd_ModMarc();
  // Both counters are at the printer's width by now, so a plain comparison
  // of their texts orders them as numbers.
  if (z.fieldByName("NRPRIMCFREDZ").asString() > z.fieldByName("NRULTCFREDZ").asString()) {
    focusRecordField("NRPRIMCFREDZ");
    MensErro(f.Msg("NCupom_inv"));
  }
  Vd_ReducaoZ();

  const double salesTotal = GetTotais();
  const double typedNet =
      parseNumber(f.control<DBEdit>("dbeVendLiq").text()).value_or(z.fieldByName("VRVENLIQREDZ").asFloat());
  if (RoundDec(typedNet, 2) != RoundDec(salesTotal, 2) &&
      f.msgPadrao.ShowMsg("Total", MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes)
    Abort();

  struct NonTaxed {
    const char* field;
    const char* control;
    const char* key;
  };
  for (const NonTaxed& n :
       {NonTaxed{"VRSTRIBREDZ", "dbeSubsTributaria", "VRSIT_NULL"},
        NonTaxed{"VRISENCREDZ", "dbeIsencao", "VRISEN_NULL"}, NonTaxed{"VRNINCIDREDZ", "dbeNaoIncid", "VRNINC_NULL"}}) {
    if (!z.fieldByName(n.field).isNull()) continue;
    f.pgcReducao.setActivePage(f.tshDadosAdic);
    pgcReducaoChange();
    f.control<DBEdit>(n.control).setFocus();
    MensErro(f.Msg(n.key));
  }
  for (const char* name : {"QTTEMLIGREDZ", "QTMEMRESREDZ", "QTTEMPCFREDZ"})
    if (blank(z.fieldByName(name))) z.fieldByName(name).setAsString("0");
}

// --- Data source events.

// The printer number and serial number identify the reduction: typed only
// for a new one.
void ZReductionPart::dtsReducaoZStateChange() {
  const bool inserting = f.dtsReducaoZ.state() == DataSetState::Insert;
  for (const char* name : {"dbeNrECF", "dbeSerieRedZ"}) f.control<DBEdit>(name).setEnabled(inserting);
}

// The date edit shows the current reduction's date; a new one keeps the
// filter's date it was given before the insert.
void ZReductionPart::dtsReducaoZDataChange() {
  if (f.cdsReducaoZ.state() == DataSetState::Insert) return;
  const Field& date = f.cdsReducaoZ.fieldByName("DTREDUCAOZ");
  std::optional<DateTime> shown;
  if (f.cdsReducaoZ.active() && !date.isNull()) shown = date.asDateTime();
  f.control<DateEdit>("depReducaoZ").setDate(shown);
}

}  // namespace screen
