#pragma once
// The day check's list (cdsConfereCaixa) and the previous Z reduction of a
// fiscal printer (cdsReducaoZAnterior), whose counters and grand total the
// Z form's continuity warnings compare with the reduction shown.
//
// cdsConfereCaixa is filled by the screen from the server's answer: the
// check's description, "OK" or not, and the expected, found and difference
// figures as texts ready to show; then, hidden, where the line takes the
// user: a sale (number and opening) or a Z reduction's page ("F" form,
// "A" additional data, "I" taxes, "P" payment forms) of a printer.
//
// Thread-safety: as the record set declared (user-interface thread).

#include "platform/dataset.h"

namespace cashregister {

void declareConfereCaixa(platform::ClientDataSet& cdsConfereCaixa);
void declareReducaoZAnterior(platform::ClientDataSet& cdsReducaoZAnterior);

}  // namespace cashregister
