#pragma once
// The register openings' record set and grid (cdsAberCaixa, dbgAberCaixa)
// and the answer sets and query their checks read: the operator look-up
// (cdsOperador, qryVdOperador) and the open-register and duplicate-opening
// answers (cdsCaixaAberto, cdsAbertura). The namespace is `cashregister`
// because `register` is a reserved word.
//
// The date-time mask of DTABERCAIX depends on the framework's date mask and
// is set by the screen when it is created.
//
// Thread-safety: as the record set or grid declared (user-interface thread).

#include <string>

#include "platform/dataset.h"
#include "platform/dbcontrols.h"
#include "platform/localquery.h"

namespace cashregister {

void declareAberCaixa(platform::ClientDataSet& cdsAberCaixa);
void declareAberCaixaColumns(platform::DBGrid& dbgAberCaixa);
void declareOperador(platform::ClientDataSet& cdsOperador);
// cdsCaixaAberto and cdsAbertura: one float REGISTRO, non-zero when found.
void declareRegistro(platform::ClientDataSet& set);
void declareVdOperador(platform::TADOIBQuery& qryVdOperador);

// The time picture appended to the framework's date mask, whose last four
// characters (its own fill and storage flags) are dropped: date and
// hh:mm:ss, separators stored.
std::string aberCaixaMask(const std::string& dateMask);

}  // namespace cashregister
