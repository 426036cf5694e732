#pragma once
// The Z reduction's record sets, grids, form-page edits and local queries:
// the record itself (cdsReducaoZ, grid dbgFolhaRZ, the edits of the form and
// additional-data pages) and its four sub-tables, taxes by rate
// (cdsImposto, dbgImposto), non-fiscal totalizers (cdsTotaliz,
// dbgTotalizadores), payment forms (cdsFormaPag, dbgFormPag) and
// observations (cdsObservacao, dbgObservacao), with the copies and answer
// sets their checks read.
//
// Thread-safety: as the record set or grid declared (user-interface thread).

#include <span>

#include "platform/dataset.h"
#include "platform/dbcontrols.h"
#include "platform/localquery.h"

namespace zreduction {

void declareReducaoZ(platform::ClientDataSet& cdsReducaoZ);
// The duplicate-check copy: the columns of cdsReducaoZ up to VRGTREDZINI.
void declareVerifReducaoZ(platform::ClientDataSet& cdsVerifReducaoZ);
void declareFolhaRZColumns(platform::DBGrid& dbgFolhaRZ);
void declareImposto(platform::ClientDataSet& cdsImposto);  // also cdsVdImpostoZ
void declareImpostoColumns(platform::DBGrid& dbgImposto);
void declareTotaliz(platform::ClientDataSet& cdsTotaliz);  // also cdsVdTotaliz
void declareTotalizColumns(platform::DBGrid& dbgTotalizadores);
void declareFormaPag(platform::ClientDataSet& cdsFormaPag);  // also cdsVdPagto
void declareFormaPagColumns(platform::DBGrid& dbgFormPag);
void declareObservacao(platform::ClientDataSet& cdsObservacao);
void declareObservacaoColumns(platform::DBGrid& dbgObservacao);

// Answer sets of single checks.
void declareValorTotal(platform::ClientDataSet& cdsValorTotal);
void declareGrandeTotal(platform::ClientDataSet& cdsGrandeTotal);
void declareSoma(platform::ClientDataSet& cdsSoma);
void declareSomaForma(platform::ClientDataSet& cdsSomaForma);
void declareProxCod(platform::ClientDataSet& cdsProxCod);
void declareTipReceOrig(platform::ClientDataSet& cdsTipReceOrig);

// Local queries: taxes and payment types.
void declarePesquisaImp(platform::TADOIBQuery& qryPesquisaImp);
void declareTipoRec(platform::TADOIBQuery& qryTipoRec);

// An edit of the form or additional-data page: its control, field, caption,
// group caption, whether it is drawn in the mandatory colour, and when it is
// enabled.
enum class EditEnabled : std::uint8_t { Always, Inserting, Never };
struct EditSpec {
  const char* control;
  const char* field;
  const char* caption;
  const char* group;
  bool mandatory;
  EditEnabled enabled = EditEnabled::Always;
  const char* hint = "";
};
// In tab order.
std::span<const EditSpec> formRedEdits();
std::span<const EditSpec> dadosAdicEdits();

}  // namespace zreduction
