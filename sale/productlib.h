#pragma once
// The product library's sale check: whether a product may be sold in a
// branch. It reads the product tables of the shared local database
// connection (dtmDBGeral): PRODUTO, PRODFILIAL and the tree levels.
//
// Thread-safety: the user-interface thread only (it reports through
// MensErro).

#include <string>

namespace sale {

// Returns when the product with tree code `code` (trimmed) may be sold in
// `branch`; otherwise shows why and aborts silently (MensErro):
//   - no product has that tree code;
//   - with `flag` "N", the code is a department or group of the product
//     tree rather than a product of its last level (any other flag accepts
//     every level);
//   - the product is inactive;
//   - the branch has no permission to sell it (PRODFILIAL missing, or
//     IDPERVENDA other than "S").
// A database failure propagates as SqlError.
void Validacao_Produto(const std::string& branch, const std::string& code, const std::string& flag);

}  // namespace sale
