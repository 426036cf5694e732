#pragma once
// The framework's look-up and search dialogs as screen routines call them.
//
// Thread-safety: the user-interface thread only (they go through ui()).

#include <string>
#include <string_view>

namespace platform {

class ClientDataSet;
class DataSource;

// Lists the data source's record set in the look-up dialog. `text` is the
// dialog title, a bar, and the message shown when the list is empty
// ("Cliente|Não há cliente cadastrado."; without a bar it is all title).
// True when the user chose a row, which is then the current one. The two
// switches are the classic dialog's display options and do not change what
// is chosen. A data source without a record set chooses nothing.
bool Pesquisar(DataSource& source, std::string_view text, bool sw1 = false, bool sw2 = true);

// The search dialog on a record set: positions it on the row found.
void Procura(ClientDataSet& set);

// What the search dialog does with a value typed for a text field: makes
// the first row whose value begins with it (ignoring letter case) current.
// Codes are stored brought to their column width, so a number typed for
// one ("54" for "0000000054") is first looked for as the screen brings
// typed codes to width, then as typed. False, without moving, when no row
// matches.
bool ProcuraTexto(ClientDataSet& set, std::string_view fieldName, std::string_view typed);

}  // namespace platform
