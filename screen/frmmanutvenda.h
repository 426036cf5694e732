#pragma once
// TfrmManutVenda: the sales-maintenance screen "Manutenção da Venda"
// (Vnd02600). It derives from the base maintenance screen and adds the
// filter panel (branch, register, movement date), six pages (register
// openings, sales, sale items, cancelled items, receipts, Z reduction with
// seven inner pages), its toolbar buttons and menus, its record sets with
// their data sources, and the local queries of its look-ups and checks.
//
// Components are created, named and declared in the constructor; behaviour
// hangs on events whose handlers carry the component and event names. The
// screen's concerns (filter, retrieval, state, saving, guards) and its
// subsystems (sale, register, Z reduction) are separate objects composed
// here; each wires its own handlers.
//
// Life cycle: construct, create() (FormCreate: connection opened, masks and
// permissions set), show() (FormActivate: the filter gets the processing
// branch on the first activation), close() (FormClose: connection closed,
// the screen is freed). The entries that open it are in pkg_vnd02600.h.
//
// Thread-safety: none; the user-interface thread only.

#include <string>
#include <vector>

#include "platform/dataset.h"
#include "platform/datasource.h"
#include "platform/frmpadrao.h"
#include "platform/localquery.h"
#include "platform/remote.h"
#include "screen/cancelled.h"
#include "screen/daycheck.h"
#include "screen/filter.h"
#include "screen/guards.h"
#include "screen/items.h"
#include "screen/openings.h"
#include "screen/pagecontext.h"
#include "screen/receipts.h"
#include "screen/retrieval.h"
#include "screen/sale.h"
#include "screen/saving.h"
#include "screen/state.h"
#include "screen/zreduction.h"
#include "screen/zsubtables.h"

namespace screen {

class TfrmManutVenda : public platform::TfrmPadrao {
 public:
  TfrmManutVenda();
  ~TfrmManutVenda() override;

  // --- Life cycle (base steps replaced).
  void FormCreate() override;
  void FormActivate() override;
  void FormClose(platform::CloseAction& action) override;
  void netManutVendaBeforeConnect(platform::TNetConnection& connection);

  // Branch maintenance permission: raises "Filial_PerManut" when the
  // server answers "N" for the filter's branch.
  void vd_PerManut();

  // The save action, also run by the after-post steps of the sale, its
  // items and receipts and of the Z reduction's record and sub-tables.
  void sbtConfirmarClick() override { saving.sbtConfirmarClick(); }
  void sbtCancelarClick() override { saving.sbtCancelarClick(); }

  // Page change, state refresh, verify and search replace the base steps.
  void pgcPadraoChange() override { state.pgcPadraoChange(); }
  void dtsPadraoStateChange() override { state.dtsPadraoStateChange(); }
  void sbtVerificarClick() override { retrieval.sbtVerificarClick(); }
  void sbtProcurarClick() override { retrieval.sbtProcurarClick(); }

  // The catalogue text for a key.
  std::string Msg(std::string_view key) const { return msgPadrao.Msg(key); }

  // --- Per-screen state.
  double pendingAccountCharge = 0;  // charged to the consumer's account by receipts
  bool sellerChangeMode = false;
  bool consumerEditable = false;
  bool serviceEditable = false;

  // Every client record set and local query, in declaration order.
  const std::vector<platform::ClientDataSet*>& recordSets() const { return sets_; }
  platform::ClientDataSet* findRecordSet(std::string_view name) const;

  // --- Remote connection.
  platform::TNetConnection netManutVenda{"Vnd02600.rdmManutVenda"};

  // --- Record sets of the pages.
  platform::ClientDataSet cdsAberCaixa{"cdsAberCaixa"};
  platform::ClientDataSet cdsPedidoVenda{"cdsPedidoVenda"};
  platform::ClientDataSet cdsItens{"cdsItens"};
  platform::ClientDataSet cdsImpostoItem{"cdsImpostoItem"};
  platform::ClientDataSet cdsTipoRece{"cdsTipoRece"};
  platform::ClientDataSet cdsItensCancelados{"cdsItensCancelados"};
  platform::ClientDataSet cdsReducaoZ{"cdsReducaoZ"};
  platform::ClientDataSet cdsImposto{"cdsImposto"};
  platform::ClientDataSet cdsTotaliz{"cdsTotaliz"};
  platform::ClientDataSet cdsFormaPag{"cdsFormaPag"};
  platform::ClientDataSet cdsObservacao{"cdsObservacao"};
  // Screen frame.
  platform::ClientDataSet cdsParametro{"cdsParametro"};
  platform::ClientDataSet cdsClientePV{"cdsClientePV"};
  platform::ClientDataSet cdsCadastroECF{"cdsCadastroECF"};
  platform::ClientDataSet cdsReducaoAnt{"cdsReducaoAnt"};
  platform::ClientDataSet cdsSumVenda{"cdsSumVenda"};
  platform::ClientDataSet cdsPerManut{"cdsPerManut"};
  platform::ClientDataSet cdsConsumidor{"cdsConsumidor"};
  platform::ClientDataSet cdsTipoVenda{"cdsTipoVenda"};
  platform::ClientDataSet cdsVdDataAbe{"cdsVdDataAbe"};
  // Answers read by single checks.
  platform::ClientDataSet cdsProduto{"cdsProduto"};
  platform::ClientDataSet cdsAliq{"cdsAliq"};
  platform::ClientDataSet cdsAliqImpFis{"cdsAliqImpFis"};
  platform::ClientDataSet adqBloqSemImp{"adqBloqSemImp"};
  platform::ClientDataSet cdsTipReceOrig{"cdsTipReceOrig"};
  platform::ClientDataSet cdsSaldoCons{"cdsSaldoCons"};
  platform::ClientDataSet cdsIndice{"cdsIndice"};
  platform::ClientDataSet cdsSoma{"cdsSoma"};
  platform::ClientDataSet cdsSomaForma{"cdsSomaForma"};
  platform::ClientDataSet cdsVerifValorPag{"cdsVerifValorPag"};
  platform::ClientDataSet cdsValorTotal{"cdsValorTotal"};
  platform::ClientDataSet cdsGrandeTotal{"cdsGrandeTotal"};
  platform::ClientDataSet cdsCodItensCanc{"cdsCodItensCanc"};
  platform::ClientDataSet cdsVerifReducaoZ{"cdsVerifReducaoZ"};
  platform::ClientDataSet cdsVdImpostoZ{"cdsVdImpostoZ"};
  platform::ClientDataSet cdsVdTotaliz{"cdsVdTotaliz"};
  platform::ClientDataSet cdsVdPagto{"cdsVdPagto"};
  platform::ClientDataSet cdsProxCod{"cdsProxCod"};
  platform::ClientDataSet cdsOperador{"cdsOperador"};
  platform::ClientDataSet cdsAbertura{"cdsAbertura"};
  platform::ClientDataSet cdsCaixaAberto{"cdsCaixaAberto"};
  // The day check's list and a printer's previous Z reduction.
  platform::ClientDataSet cdsConfereCaixa{"cdsConfereCaixa"};
  platform::ClientDataSet cdsReducaoZAnterior{"cdsReducaoZAnterior"};
  platform::ClientDataSet cdsHistorico{"cdsHistorico"};

  // --- Local queries.
  platform::TADOIBQuery qryFilial{"qryFilial"};
  platform::TADOIBQuery qryPesqCaixa{"qryPesqCaixa"};
  platform::TADOIBQuery qryVdCliente{"qryVdCliente"};
  platform::TADOIBQuery qryCliente{"qryCliente"};
  platform::TADOIBQuery qryVendedor{"qryVendedor"};
  platform::TADOIBQuery qryPesqServico{"qryPesqServico"};
  platform::TADOIBQuery qryLojaVnd{"qryLojaVnd"};
  platform::TADOIBQuery qryProdValid{"qryProdValid"};
  platform::TADOIBQuery qryPesqTipoRece{"qryPesqTipoRece"};
  platform::TADOIBQuery qryVdOperador{"qryVdOperador"};
  platform::TADOIBQuery qryPesquisaImp{"qryPesquisaImp"};
  platform::TADOIBQuery qryTipoRec{"qryTipoRec"};

  // --- Data sources.
  platform::DataSource dtsAberCaixa{"dtsAberCaixa"};
  platform::DataSource dtsPedidoVenda{"dtsPedidoVenda"};
  platform::DataSource dtsItens{"dtsItens"};
  platform::DataSource dtsImpostoItem{"dtsImpostoItem"};
  platform::DataSource dtsTipoRece{"dtsTipoRece"};
  platform::DataSource dtsItensCancelados{"dtsItensCancelados"};
  platform::DataSource dtsReducaoZ{"dtsReducaoZ"};
  platform::DataSource dtsImposto{"dtsImposto"};
  platform::DataSource dtsTotaliz{"dtsTotaliz"};
  platform::DataSource dtsFormaPag{"dtsFormaPag"};
  platform::DataSource dtsObservacao{"dtsObservacao"};
  platform::DataSource dtsFilial{"dtsFilial"};
  platform::DataSource dtsPesqCaixa{"dtsPesqCaixa"};
  platform::DataSource dtsProduto{"dtsProduto"};
  platform::DataSource dtsOperador{"dtsOperador"};
  platform::DataSource dtsPesqTipoRece{"dtsPesqTipoRece"};
  platform::DataSource dtsConsumidor{"dtsConsumidor"};
  platform::DataSource dtsTipoVenda{"dtsTipoVenda"};

  // --- Controls.
  platform::Button& btnCancelaVenda;
  platform::Button& btnConcluiVenda;
  platform::Button& btnFecharCaixa;
  platform::Button& btnConfereCaixa;
  platform::Button& sbtAlteraVend;
  platform::Panel& panFilial;
  platform::MaskEdit& medFilial;
  platform::LookupButton& btpFilial;
  platform::Edit& edtFilial;
  platform::MaskEdit& medCdCaixa;
  platform::LookupButton& btnPesqCaixa;
  platform::Edit& edtNmCaixa;
  platform::DateEdit& depDeEntrega;
  platform::TabSheet& tshAberCaixa;
  platform::DBGrid& dbgAberCaixa;
  platform::DBMemo& memObs;
  platform::NumberBox& nedTotal;
  platform::DBGrid& dbgItens;
  platform::NumberBox& nedTotal1;
  platform::DBGrid& dbgImpostoItem;
  platform::TabSheet& tshItensCancelados;
  platform::DBGrid& dbgItensCancelados;
  platform::TabSheet& tshRecebimento;
  platform::DBGrid& dbgTipoRece;
  platform::NumberBox& nedTotal2;
  platform::TabSheet& tshReducao;
  platform::PageControl& pgcReducao;
  platform::TabSheet& tshFolhaRZ;
  platform::DBGrid& dbgFolhaRZ;
  platform::TabSheet& tshFormRed;
  platform::TabSheet& tshDadosAdic;
  platform::TabSheet& tshImposto;
  platform::DBGrid& dbgImposto;
  platform::TabSheet& tshTotaliz;
  platform::DBGrid& dbgTotalizadores;
  platform::TabSheet& tshFormaPag;
  platform::DBGrid& dbgFormPag;
  platform::TabSheet& tshObservacao;
  platform::DBGrid& dbgObservacao;
  platform::Label& lblAbertura;
  platform::DBText& dbtAbertura;
  platform::Label& lblVenda;
  platform::DBText& dbtNumero;
  // Menus: pages (under mnuOperacao) and screen actions (under mnuManutencao).
  platform::MenuItem& mnuAberCaixa;
  platform::MenuItem& mnuItensCancelados;
  platform::MenuItem& mnuRecebimento;
  platform::MenuItem& mnuReducao;
  platform::MenuItem& mnuFolhaRZ;
  platform::MenuItem& mnuForm;
  platform::MenuItem& mnuDadosAdic;
  platform::MenuItem& mnuImposto;
  platform::MenuItem& mnuTotFiscais;
  platform::MenuItem& mnuFormPag;
  platform::MenuItem& mnuObservacao;
  platform::MenuItem& mnuConfereCaixa;
  platform::MenuItem& mnuCancelaVenda;
  platform::MenuItem& mnuConcluiVenda;
  platform::MenuItem& mnuFecharCaixa;
  platform::MenuItem& mnuAlteraVend;
  platform::MenuItem& mnuHistVenda;

  // --- Concerns and subsystems.
  FilterPanel filter{*this};
  Retrieval retrieval{*this};
  ScreenState state{*this};
  Saving saving{*this};
  ChangeGuards guards{*this};
  SalePart salePart{*this};
  ItemsPart itemsPart{*this};
  ReceiptsPart receiptsPart{*this};
  CancelledItemsPart cancelledPart{*this};
  RegisterPart registerPart{*this};
  ZReductionPart zReductionPart{*this};
  ZTaxesPart zTaxesPart{*this};
  ZTotalizersPart zTotalizersPart{*this};
  ZPaymentFormsPart zPaymentFormsPart{*this};
  ZObservationsPart zObservationsPart{*this};
  DayCheckPart dayCheckPart{*this};
  PageContext pageContext{*this};

 private:
  void declareRecordSets();
  void buildFilterPanel();
  void buildPages();
  void buildReducaoPages();
  void buildMenus();

  std::vector<platform::ClientDataSet*> sets_;
};

}  // namespace screen
