// The Z form's continuity warnings: the reduction shown against the
// previous one stored for its printer. A warning informs; the user may
// know better (a printer serviced, a reduction typed out of order), so it
// never refuses anything.

#include <string_view>

#include "platform/datetime.h"
#include "platform/format.h"
#include "platform/text.h"
#include "platform/zcontinuity.h"
#include "screen/daycheck.h"
#include "screen/fetch.h"
#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

std::optional<double> amountOf(const ClientDataSet& set, const char* field) {
  if (!set.active() || (set.isEmpty() && set.state() != DataSetState::Insert)) return std::nullopt;
  const Field& f = set.fieldByName(field);
  if (f.isNull()) return std::nullopt;
  return f.asFloat();
}

ZReadings readingsOf(const ClientDataSet& set) {
  return {currentText(set, "NRREINIREDZ"), currentText(set, "NRREDREDZ"), currentText(set, "NRPRIMCFREDZ"),
          currentText(set, "NRULTCFREDZ"), amountOf(set, "VRGTREDZ"),     amountOf(set, "VRVENBRUREDZ")};
}

constexpr std::string_view kWatched[] = {"NRECFREDZ",    "NRSERIEREDZ", "NRREINIREDZ", "NRREDREDZ",
                                         "NRPRIMCFREDZ", "NRULTCFREDZ", "VRGTREDZ",    "VRVENBRUREDZ"};

}  // namespace

// Each warning sits under its field, in the field's group: a blank cell
// under the caption, the warning under the input.
void DayCheckPart::buildWarnings() {
  const auto under = [this](const char* editName, const char* warningName) -> Label* {
    Control* edit = f.findControl(editName);
    if (!edit) return nullptr;
    Label& blank = f.add<Label>(std::string(warningName) + "Espaco", edit->parent());
    blank.setIndex(edit->index() + 1);
    blank.setVisible(false);
    Label& warning = f.add<Label>(warningName, edit->parent());
    warning.setIndex(blank.index() + 1);
    warning.setBold(true);
    warning.setVisible(false);
    return &warning;
  };
  warnReInicio_ = under("dbeReInicio", "lblAvisoReInicio");
  warnReducao_ = under("dbeReducao", "lblAvisoReducao");
  warnPrimCFiscal_ = under("dbePrimCFiscal", "lblAvisoPrimCFiscal");
  warnGranTotIni_ = under("dbeGranTotIni", "lblAvisoGranTotIni");
}

void DayCheckPart::setWarning(Label* label, const std::string& text) {
  if (!label) return;
  label->setCaption(text);
  label->setVisible(!text.empty());
  // The blank cell beside it keeps the grid's two columns aligned.
  if (Control* blank = f.findControl(label->name() + "Espaco")) blank->setVisible(!text.empty());
}

bool DayCheckPart::formShown() const {
  return f.pgcPadrao.activePage() == &f.tshReducao && f.pgcReducao.activePage() == &f.tshFormRed;
}

// The printer's number and serial are filled one after the other on a new
// reduction (and typed over): the previous reduction is asked for once a
// figure it is compared with is given, not for each half of the key.
void DayCheckPart::recordChanged(DataSource&, Field* field) {
  if (!field) return showContinuity();
  bool watched = false;
  for (std::string_view name : kWatched) watched = watched || equalsIgnoreCase(field->name(), name);
  if (!watched) return;
  const bool key = equalsIgnoreCase(field->name(), "NRECFREDZ") || equalsIgnoreCase(field->name(), "NRSERIEREDZ");
  showContinuity(!key);
}

void DayCheckPart::showContinuity(bool mayFetch) {
  if (!formShown()) return;
  const ClientDataSet& z = f.cdsReducaoZ;
  const std::string ecf = trim(currentText(z, "NRECFREDZ"));
  std::vector<ZBreak> breaks;
  if (!ecf.empty()) {
    const Value day = z.fieldByName("DTREDUCAOZ").isNull() ? filterDay(f) : currentDate(z, "DTREDUCAOZ");
    const std::string serial = trim(currentText(z, "NRSERIEREDZ"));
    const std::string key = f.medFilial.text() + "|" + ecf + "|" + serial + "|" + formatDate(dateOf(day.asDateTime()));
    if (key != previousKey_ && mayFetch) {
      fetchInto(f, "Get_ReducaoZAnt", "GetReducaoZAnterior",
                {Value(f.medFilial.text()), Value(ecf), Value(serial), day}, f.cdsReducaoZAnterior);
      previousKey_ = key;
    }
    if (key == previousKey_ && !f.cdsReducaoZAnterior.isEmpty())
      breaks = zContinuityBreaks(readingsOf(f.cdsReducaoZAnterior), readingsOf(z));
  }
  std::string reducao, granTotIni, primCFiscal, reInicio;
  for (const ZBreak& b : breaks) {
    switch (b.kind) {
      case ZBreakKind::Reduction:
        reducao = f.msgPadrao.MsgFmt("Aviso_ContReducao", {formatNumber(b.expected, "0")});
        break;
      case ZBreakKind::GrandTotal:
        granTotIni = f.msgPadrao.MsgFmt("Aviso_ContGT", {formatNumber(b.expected, "#,##0.00")});
        break;
      case ZBreakKind::FirstCoupon:
        primCFiscal = f.msgPadrao.MsgFmt("Aviso_ContCupom", {formatNumber(b.expected - 1, "0")});
        break;
      case ZBreakKind::Restart:
        reInicio = f.msgPadrao.MsgFmt("Aviso_ContReinicio", {formatNumber(b.expected, "0")});
        break;
    }
  }
  setWarning(warnReducao_, reducao);
  setWarning(warnGranTotIni_, granTotIni);
  setWarning(warnPrimCFiscal_, primCFiscal);
  setWarning(warnReInicio_, reInicio);
}

}  // namespace screen
