#pragma once
// The day check ("Conferir Caixa", screen/daycheck.cpp): the server lists
// everything that stands between the register's day and its closing, the
// screen shows the list and takes the user to the sale or Z reduction page
// of the line chosen. And the continuity of the printer's Z reductions on
// the Z form (screen/daycheck_continuity.cpp): a counter or grand total
// that does not follow the printer's previous reduction is shown beside
// its field as a warning; it never stops a post.
//
// Thread-safety: none; the user-interface thread only.

#include <cstdint>
#include <string>

#include "platform/datasource.h"
#include "screen/screenpart.h"

namespace platform {
class Control;
class Label;
}  // namespace platform

namespace screen {

class DayCheckPart : public ScreenPart, private platform::DataSetListener {
 public:
  using ScreenPart::ScreenPart;
  ~DayCheckPart() override;
  void wire() override;

  void btnConfereCaixaClick();
  void mnuConfereCaixaClick(platform::Control&);
  // The action is offered while a register day is loaded and nothing is
  // being edited or waiting to be sent.
  void refreshAction();

  // The warnings beside the Z form's fields for the current reduction,
  // against its printer's previous one, asked of the server when the
  // printer or the day changed and `mayFetch`. Only while the form page is
  // shown; without the previous reduction at hand no warning shows.
  void showContinuity(bool mayFetch = true);

 private:
  void goToSale();
  void goToReduction();
  bool formShown() const;
  void buildWarnings();
  void setWarning(platform::Label* label, const std::string& text);

  void recordMoved(platform::DataSource&) override { showContinuity(); }
  void dataSetChanged(platform::DataSource&) override { showContinuity(); }
  void recordChanged(platform::DataSource&, platform::Field* field) override;

  platform::Label* warnReducao_ = nullptr;
  platform::Label* warnGranTotIni_ = nullptr;
  platform::Label* warnPrimCFiscal_ = nullptr;
  platform::Label* warnReInicio_ = nullptr;
  std::string previousKey_;  // branch, printer, serial and day of cdsReducaoZAnterior
  bool listening_ = false;
  // The page controls outlive the parts: their signals let go of this one.
  std::uint64_t mainPageSlot_ = 0, zPageSlot_ = 0;
};

}  // namespace screen
