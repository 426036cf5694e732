#pragma once
// The sale's items (screen/items.cpp), their product and price rules
// (items_product.cpp, shared with the cancelled items through
// items_productrules.h) and their tax rows (items_taxes.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include "screen/partfwd.h"

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

  // Handlers of the items and their tax rows, wired by wire().
  void cdsItensCalcFields(platform::ClientDataSet& ds);
  void cdsItensBeforeInsert(platform::ClientDataSet&);
  void cdsItensAfterInsert(platform::ClientDataSet& ds);
  void cdsItensBeforeEdit(platform::ClientDataSet&);
  void cdsItensBeforePost(platform::ClientDataSet& ds);
  void cdsItensAfterPost(platform::ClientDataSet&);
  void cdsItensAfterCancel(platform::ClientDataSet&);
  void cdsItensBeforeDelete(platform::ClientDataSet& ds);
  void cdsItensAfterDelete(platform::ClientDataSet& ds);
  void dbgItensEnter(platform::Control&);
  void dbgItensKeyDown(platform::Control& sender, int& key, unsigned shift);
  void dbgItensKeyPress(platform::Control& sender, char32_t& key);
  void dbgItensColExit(platform::Control& sender);
  void cdsImpostoItemBeforeInsert(platform::ClientDataSet&);
  void cdsImpostoItemBeforePost(platform::ClientDataSet& ds);
  void cdsImpostoItemAfterDelete(platform::ClientDataSet& ds);
  void dbgImpostoItemEnter(platform::Control&);
  void dbgImpostoItemKeyDown(platform::Control& sender, int& key, unsigned shift);
  void dbgImpostoItemKeyPress(platform::Control& sender, char32_t&);

 private:
  void wireItemTaxes();
  void applyItemTaxFilter();
  bool itemKeyBlocked(const std::string& fieldName) const;
  // The user may not insert tax rows; the screen's own insertion lifts this.
  bool blockTaxInsert_ = true;
  // Tax rows re-posted by price recomputations during the item's current
  // edit, the latest changes of cdsImpostoItem: cancelling the edit undoes
  // exactly these.
  int recomputedTaxPosts_ = 0;
};

}  // namespace screen
