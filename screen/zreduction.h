#pragma once
// The Z reduction: its pages and loading (screen/zreduction.cpp) and the
// record itself, typed, checked, corrected and deleted on the form pages
// (screen/zreduction_record.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "screen/screenpart.h"

namespace platform {
class DBEdit;
class Field;
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
  // The calls moving to the Z reduction `key` names (branch, register,
  // day, reduction number) makes, in their order.
  static std::vector<platform::RemoteCall> subTableCalls(const std::vector<platform::Value>& key);

  // The guards every Z record set runs before a row is inserted, edited or
  // deleted: the day's approval lock, then the branch's maintenance
  // permission. The sub-tables' before-insert, before-edit and
  // before-delete handlers call it first; where a sub-table has no such
  // handler when this part is wired, the guards are hung there alone.
  void zChangeGuards();

  // --- The record's field checks; each reports through MensErro with the
  // user put on the offending input.
  void Vd_NrECF();
  void vd_NrReinicio();
  void vd_NrSerie();
  void Vd_ValoresRedz();
  void Vd_ModMarc();
  // A second reduction of the same printer on the filter's day.
  void Vd_ReducaoZ();

  // --- Record-set and control events.
  void cdsReducaoZBeforeInsert();
  void cdsReducaoZAfterInsert();
  void cdsReducaoZBeforeEdit();
  void cdsReducaoZBeforeDelete();
  void cdsReducaoZAfterDelete();
  void cdsReducaoZAfterCancel();
  void cdsReducaoZBeforePost();
  void cdsReducaoZCalcFields();
  void cdsReducaoZIDORIGEMREDZGetText(std::string& text) const;
  void cdsReducaoZIDORIGEMREDZSetText(platform::Field& field, const std::string& text);
  void dtsReducaoZStateChange();
  void dtsReducaoZDataChange();
  void dbeNrECFKeyPress(char32_t& key);
  void dbeNrECFExit();
  // Exit of any of the seven counter edits.
  void dbeContadorExit(platform::DBEdit& edit);
  void dbeMarcModeExit();

 private:
  void wireRecord();
  void wireGridKeys();
  void wireSubTableGuards();
  // The checks before a change of the record that exists: approval lock,
  // closed register, movement-date window, permission.
  void existingRecordGuards();
  // The sales total of the reduction's day, as the server computes it.
  double GetTotais();
  // Shows `field` on its form page and puts the user on it.
  void focusRecordField(const char* field);
  // The observation page fetches its rows once per visit.
  bool observationsFetched_ = false;
  // A menu item of an inner page: shows that page on the "Redução Z" page.
  void innerPageMenuClick(platform::TabSheet& page);
};

}  // namespace screen
