#pragma once
// Record-set helpers of the framework's consistency unit (Consiste) that the
// screens' validations call.
//
// Thread-safety: as the record set they work on (user-interface thread).

#include <string>

#include "platform/dataset.h"

namespace platform {

// Turns the current record's empty or blank text fields into null, so that
// the server stores no blanks. The record set must be in edit or insert
// state (std::logic_error otherwise).
void Seta_Campo_Null(ClientDataSet& ds);

// Assigns to `field` the date, or date and time, typed as
// dd/mm/yyyy [hh:nn[:ss]]. Any other text, a time alone or an impossible
// date raises UserError "'<text>' não é uma data válida." and leaves the
// field as it was.
void CheckDateTime(Field& field, const std::string& text);

}  // namespace platform
