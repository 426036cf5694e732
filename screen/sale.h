#pragma once
// The sale header: its field rules and record-set events
// (screen/sale_header.cpp), the sales grid (sale_grid.cpp), the code-to-text
// displays (sale_displays.cpp), the seller change (sale_seller.cpp) and
// concluding or cancelling a sale (sale_conclude.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "platform/datasource.h"
#include "screen/partfwd.h"

namespace screen {

// The meaning of a sale's status code for the user ("Pendente"...); "" for
// an unknown code.
std::string saleStatusText(const std::string& status);

class SalePart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void btnCancelaVendaClick();
  void btnConcluiVendaClick();

  // Field rules of the sale being typed; each reports through MensErro and
  // leaves the sale in its edit state. `required` false lets an empty code
  // pass.
  void Vd_Cliente(bool required);
  void Vd_Consumidor(bool required);
  void Vd_Servico(bool required);
  void Vd_Vendedor(bool required);
  void Vd_DtVenda();
  void Vd_Hora();

  void cdsPedidoVendaNewRecord();
  void cdsPedidoVendaAfterInsert();
  void cdsPedidoVendaBeforeInsert();
  void cdsPedidoVendaBeforeDelete();
  void cdsPedidoVendaBeforeEdit();
  void cdsPedidoVendaBeforePost();
  void cdsPedidoVendaAfterPost();
  void cdsPedidoVendaAfterCancel();
  void cdsPedidoVendaAfterDelete();
  void cdsPedidoVendaDTENTRVENDASetText(platform::Field& field, const std::string& text);

  // The sales grid.
  void dbgPadraoDrawColumnCell(platform::DBGrid& grid, const platform::CellContext& cell,
                               platform::CellAppearance& look);
  void dbgPadraoKeyPress(platform::Control&, char32_t& key);
  void dbgPadraoKeyDown(platform::DBGrid& grid, int& key, unsigned shift);
  void dbgPadraoColExit();
  void dbgPadraoEditButtonClick();

  // Code-to-text displays of the sale's code fields.
  std::string cdsPedidoVendaIDSITUVENDAGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDTIPOVENDAGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDESTOQUEGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDTPEMISVENDGetText(const platform::Field& field) const;
  std::string cdsPedidoVendaIDORIGEMVENDAGetText(const platform::Field& field) const;

  // Seller change of an existing sale, whatever its status.
  void sbtAlteraVendClick();
  void mnuAlteraVendClick();
  void mnuHistVendaClick();
  void sellerChangeBeforePost();
  // The seller the sale had when the change started.
  std::string sellerChangeOldSeller;

  // Look-up sources of the sales grid's columns.
  platform::DataSource dtsCliente{"dtsCliente"};
  platform::DataSource dtsVendedor{"dtsVendedor"};
  platform::DataSource dtsPesqServico{"dtsPesqServico"};

 private:
  void wireHeader();
  void wireSalesGrid();
  void wireDisplays();
  void wireSeller();
  // The guards shared by before-insert, before-delete and before-edit.
  void openRegisterAndPermission();
  // Brings the sales page to front and puts the user on the field, for a
  // rule that failed.
  void focusSaleField(const char* fieldName, bool salesPage);
  void pickSeller();
};

}  // namespace screen
