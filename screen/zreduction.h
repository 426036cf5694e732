#pragma once
// The Z reduction record and its sub-tables (screen/zreduction.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/screenpart.h"

namespace platform {
class TabSheet;
}  // namespace platform

namespace screen {

class ZReductionPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  // Inner page change: points dtsPadrao at the inner page's record set.
  void pgcReducaoChange();
  // Entry into the "Redução Z" page: page change, state refresh, and the Z
  // reductions fetched when they are not loaded yet.
  void tshReducaoEnter();
  // The current Z reduction changed: its four sub-tables are fetched again.
  void cdsReducaoZAfterScroll();

 private:
  // A menu item of an inner page: shows that page on the "Redução Z" page.
  void innerPageMenuClick(platform::TabSheet& page);
};

}  // namespace screen
