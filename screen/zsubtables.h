#pragma once
// The Z reduction's four sub-tables: taxes by rate (zsubtables_taxes.cpp),
// non-fiscal totalizers (zsubtables_totaliz.cpp), payment forms
// (zsubtables_payforms.cpp) and observations (zsubtables_obs.cpp), with
// what they share (zsubtables.cpp). Every posted row goes to the server
// with the Z reduction through the save action; every deletion is sent at
// once and undone when the server refuses it.
//
// Thread-safety: none; the user-interface thread only.

#include <string>
#include <string_view>

#include "platform/controls.h"
#include "platform/datasource.h"
#include "screen/partfwd.h"

namespace screen {

class TfrmManutVenda;

namespace zsub {

// The Z reduction's key (branch, register, date, ECF number) copied into
// the row being posted, so the row belongs to the current Z reduction.
void copyZKey(TfrmManutVenda& f, platform::ClientDataSet& set);
// Sends the pending deletion of `set` at once with `operation` under the
// sending animation. The Z reduction's deletion operations take the change
// log first and the operator's code and name after it, unlike the keys-first
// calls of sendAtOnce (screen/sendnow.h), whose rules this follows: the log is merged
// once the server took it, and on any failure every pending change of
// `set` is undone, so the deleted row comes back.
void sendDeletion(TfrmManutVenda& f, platform::ClientDataSet& set, const char* operation);
// Whether `copy` holds `code` in `field`, whole and ignoring letter case.
bool holdsCode(platform::ClientDataSet& copy, std::string_view field, const std::string& code);
// Blank as the framework tests a field: its text is empty or only blanks.
bool blank(const platform::ClientDataSet& set, std::string_view field);
// Shows the catalogue text of `key` with the focus on `field` and aborts.
[[noreturn]] void failOn(TfrmManutVenda& f, platform::ClientDataSet& set, std::string_view field, std::string_view key);

}  // namespace zsub

class ZTaxesPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  // The tax of the row: required at post. While inserting it must be in the
  // tax table and not yet recorded with this rate for the Z reduction.
  void Vd_Imposto(bool required);
  void cdsImpostoBeforeInsert();
  void cdsImpostoBeforeEditOrDelete();
  void cdsImpostoBeforePost();
  void cdsImpostoAfterPost();
  void cdsImpostoAfterCancel();
  void cdsImpostoAfterDelete();
  void dbgImpostoColExit();
  void dbgImpostoEditButtonClick();
  void dbgImpostoKeyDown(int& key, platform::ShiftState shift);
  void dbgImpostoKeyPress(char32_t& key);

 private:
  bool taxOnlyColumn() const;
  platform::DataSource dtsPesquisaImp_{"dtsPesquisaImp"};
};

class ZTotalizersPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  // The totalizer number, brought to width 2, may appear once per Z
  // reduction.
  void Vd_Numero(bool required);
  void cdsTotalizBeforeInsert();
  void cdsTotalizAfterInsert();
  void cdsTotalizBeforePost();
  void cdsTotalizAfterCancel();
  void cdsTotalizAfterDelete();
  void dbgTotalizadoresColExit();
  void dbgTotalizadoresKeyPress(char32_t& key);
  void dbgTotalizadoresKeyDown(int& key, platform::ShiftState shift);
};

class ZPaymentFormsPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void Vd_TipoRece(bool required);
  void vd_Valor(bool required);
  void Vd_TpReceOrig(bool required);
  void cdsFormaPagBeforeInsert();
  void cdsFormaPagAfterInsert();
  void cdsFormaPagBeforeEdit();
  void cdsFormaPagAfterEdit();
  void cdsFormaPagBeforePost();
  void cdsFormaPagAfterCancel();
  void cdsFormaPagAfterDelete();
  void dbgFormPagColExit();
  void dbgFormPagEditButtonClick();
  void dbgFormPagDrawColumnCell(const platform::CellContext& cell, platform::CellAppearance& look);

 private:
  void fetchTipReceOrig();
  // The payment type the row had when its edit began.
  std::string typeBeforeEdit_;
  platform::DataSource dtsTipoRec_{"dtsTipoRec"};
  platform::DataSource dtsTipReceOrig_{"dtsTipReceOrig"};
};

class ZObservationsPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void cdsObservacaoAfterInsert();
  void cdsObservacaoBeforePost();
  void cdsObservacaoAfterCancel();
  void cdsObservacaoAfterDelete();
  void dbgObservacaoKeyPress(char32_t& key);

 private:
  // A new remark given up because it could not be numbered: the list on
  // screen is still the server's, so there is nothing to reload.
  bool droppingUnnumbered_ = false;
};

}  // namespace screen
