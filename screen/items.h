#pragma once
// The sale's items (screen/items.cpp), their product and price rules
// (items_product.cpp, shared with the cancelled items through
// items_productrules.h) and their tax rows (items_taxes.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "screen/screenpart.h"

namespace screen {

class ItemsPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;

  // The item being posted is new (set by the item's before-post, read by
  // the tax insertion that follows it).
  bool boState = false;
  // A key was typed in the quantity cell of a new item that already shows
  // tax rows; cleared when the quantity column (or the cancelled items'
  // quantity column) is left.
  bool quantityTyped = false;
  void Vd_CdProduto(bool required);
  void Vd_Quantidade(bool required);
  void Vd_VrDesc();
  void Vd_VrAcre();
  void Vd_PrecoVazio();
  // Asks the server for the item's unit and client prices.
  void retornaPrecoItem(const std::string& cdProduto);
  // The product pick list of the item's code cell.
  void pesquisaProduto();
  // Creates the tax rows of a new item or re-posts those of an existing one.
  void InsereImpostoItens();
  // Recomputes the item's tax values after its unit price changed.
  void recalculaImpostoItem();
  // GetSumVenda for the current sale, shown in the three total boxes.
  void atualizaTotalVenda();

 private:
  void wireItemTaxes();
  void applyItemTaxFilter();
  bool itemKeyBlocked(const std::string& fieldName) const;
  // The user may not insert tax rows; the screen's own insertion lifts this.
  bool blockTaxInsert_ = true;
};

}  // namespace screen
