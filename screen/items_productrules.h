#pragma once
// The product and price rules a sale item and a cancelled item share: the
// code typed as tree, bar or external code, the prices asked of the server,
// the product pick list and the price checks. Each works on the given record
// set's fields, so the items and the cancelled items apply the same rules.
//
// Thread-safety: the user-interface thread only (they report through
// MensErro and talk to the server).

#include <string>

#include "platform/dataset.h"

namespace screen {
class TfrmManutVenda;
}

namespace screen::items {

// Copies CDPRODUTO, CDARVPROD, NMPRODUTO and SGUNIDADE.
void copyProduct(const platform::ClientDataSet& from, platform::ClientDataSet& to);

// Finds the product whose tree, bar or external code is `typed` at the
// product tree's last level, checks that the branch may sell it (product
// library), and copies it into `row`: a bar or external code is replaced by
// the tree code. Reports and aborts otherwise.
void takeProduct(screen::TfrmManutVenda& f, platform::ClientDataSet& row, const std::string& typed);

// Puts into `row`'s unit and client price fields the product's unit price
// and client's part for the current sale, as the server's price rule
// answers them (under the "Get_Preco" animation).
void takePrices(screen::TfrmManutVenda& f, platform::ClientDataSet& row, const std::string& cdProduto,
                const char* unitField, const char* clientField);

// The product pick list; true when the user chose one (cdsProduto is on it).
bool pickProduct(screen::TfrmManutVenda& f);

// The price checks in their order: a unit price is required; an empty
// client part becomes 0; neither may be negative; together they must be
// above zero. A failure puts the user on the field at fault.
void checkPrices(screen::TfrmManutVenda& f, platform::ClientDataSet& row, const char* unitField,
                 const char* clientField);

}  // namespace screen::items
