#include "screen/frmmanutvenda.h"

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/logon.h"
#include "platform/screenhost.h"
#include "platform/text.h"
#include "platform/uiservice.h"
#include "register/register.h"
#include "sale/sale.h"
#include "screen/msgpadrao.h"
#include "screen/pkg_vnd02600.h"
#include "zreduction/zreduction.h"

namespace screen {

using namespace platform;

TfrmManutVenda::TfrmManutVenda()
    : TfrmPadrao("frmManutVenda"),
      btnCancelaVenda(add<Button>("btnCancelaVenda", &panMenu)),
      btnConcluiVenda(add<Button>("btnConcluiVenda", &panMenu)),
      btnFecharCaixa(add<Button>("btnFecharCaixa", &panMenu)),
      btnConfereCaixa(add<Button>("btnConfereCaixa", &panMenu)),
      sbtAlteraVend(add<Button>("sbtAlteraVend", &panMenu)),
      panFilial(add<Panel>("panFilial")),
      medFilial(add<MaskEdit>("medFilial", &panFilial, ">aaaa;0; ")),
      btpFilial(add<LookupButton>("btpFilial", &panFilial)),
      edtFilial(add<Edit>("edtFilial", &panFilial)),
      medCdCaixa(add<MaskEdit>("medCdCaixa", &panFilial, "999;0; ")),
      btnPesqCaixa(add<LookupButton>("btnPesqCaixa", &panFilial)),
      edtNmCaixa(add<Edit>("edtNmCaixa", &panFilial)),
      depDeEntrega(add<DateEdit>("depDeEntrega", &panFilial)),
      tshAberCaixa(add<TabSheet>("tshAberCaixa", &pgcPadrao, "Abertura de Caixa")),
      dbgAberCaixa(add<DBGrid>("dbgAberCaixa", &tshAberCaixa)),
      memObs(add<DBMemo>("memObs", &add<Panel>("panObs", &tshFolhaDados))),
      nedTotal(add<NumberBox>("nedTotal", &add<Panel>("panTotal", &tshFolhaDados))),
      dbgItens(add<DBGrid>("dbgItens", &tshFormulario)),
      nedTotal1(add<NumberBox>("nedTotal1", &add<Panel>("panTotal1", &tshFormulario))),
      dbgImpostoItem(add<DBGrid>("dbgImpostoItem", &tshFormulario)),
      tshItensCancelados(add<TabSheet>("tshItensCancelados", &pgcPadrao, "Itens Cancelados")),
      dbgItensCancelados(add<DBGrid>("dbgItensCancelados", &tshItensCancelados)),
      tshRecebimento(add<TabSheet>("tshRecebimento", &pgcPadrao, "Recebimento")),
      dbgTipoRece(add<DBGrid>("dbgTipoRece", &tshRecebimento)),
      nedTotal2(add<NumberBox>("nedTotal2", &add<Panel>("panTotal2", &tshRecebimento))),
      tshReducao(add<TabSheet>("tshReducao", &pgcPadrao, "Redução Z")),
      pgcReducao(add<PageControl>("pgcReducao", &tshReducao)),
      tshFolhaRZ(add<TabSheet>("tshFolhaRZ", &pgcReducao, "Folha de Dados")),
      dbgFolhaRZ(add<DBGrid>("dbgFolhaRZ", &tshFolhaRZ)),
      tshFormRed(add<TabSheet>("tshFormRed", &pgcReducao, "Formulário")),
      tshDadosAdic(add<TabSheet>("tshDadosAdic", &pgcReducao, "Dados Adicionais")),
      tshImposto(add<TabSheet>("tshImposto", &pgcReducao, "Imposto")),
      dbgImposto(add<DBGrid>("dbgImposto", &tshImposto)),
      tshTotaliz(add<TabSheet>("tshTotaliz", &pgcReducao, "Totalizadores não Fiscais")),
      dbgTotalizadores(add<DBGrid>("dbgTotalizadores", &tshTotaliz)),
      tshFormaPag(add<TabSheet>("tshFormaPag", &pgcReducao, "Forma de Pagamento")),
      dbgFormPag(add<DBGrid>("dbgFormPag", &tshFormaPag)),
      tshObservacao(add<TabSheet>("tshObservacao", &pgcReducao, "Observação")),
      dbgObservacao(add<DBGrid>("dbgObservacao", &tshObservacao)),
      lblAbertura(add<Label>("lblAbertura", &panNavegador, "Abertura")),
      dbtAbertura(add<DBText>("dbtAbertura", &panNavegador)),
      lblVenda(add<Label>("lblVenda", &panNavegador, "Venda")),
      dbtNumero(add<DBText>("dbtNumero", &panNavegador)),
      mnuAberCaixa(add<MenuItem>("mnuAberCaixa", &mnuOperacao, "&Abertura de Caixa")),
      mnuItensCancelados(add<MenuItem>("mnuItensCancelados", &mnuOperacao, "Itens &Cancelados")),
      mnuRecebimento(add<MenuItem>("mnuRecebimento", &mnuOperacao, "&Recebimento")),
      mnuReducao(add<MenuItem>("mnuReducao", &mnuOperacao, "Re&dução Z")),
      mnuFolhaRZ(add<MenuItem>("mnuFolhaRZ", &mnuReducao, "Fo&lha de Dados")),
      mnuForm(add<MenuItem>("mnuForm", &mnuReducao, "&Formulário")),
      mnuDadosAdic(add<MenuItem>("mnuDadosAdic", &mnuReducao, "&Dados Adicionais")),
      mnuImposto(add<MenuItem>("mnuImposto", &mnuReducao, "&Imposto")),
      mnuTotFiscais(add<MenuItem>("mnuTotFiscais", &mnuReducao, "&Total Fiscais")),
      mnuFormPag(add<MenuItem>("mnuFormPag", &mnuReducao, "Forma de &Pagamento")),
      mnuObservacao(add<MenuItem>("mnuObservacao", &mnuReducao, "&Observação")),
      mnuConfereCaixa(add<MenuItem>("mnuConfereCaixa", &mnuOperacao, "Conferir Cai&xa")),
      mnuCancelaVenda(add<MenuItem>("mnuCancelaVenda", &mnuManutencao, "Cancelar &Venda", "Ctrl+B")),
      mnuConcluiVenda(add<MenuItem>("mnuConcluiVenda", &mnuManutencao, "Concluir Venda", "Ctrl+O")),
      mnuFecharCaixa(add<MenuItem>("mnuFecharCaixa", &mnuManutencao, "Fechar Caixa", "Ctrl+F")),
      mnuAlteraVend(add<MenuItem>("mnuAlteraVend", &mnuManutencao, "Altera Vendedor da Venda")),
      mnuHistVenda(add<MenuItem>("mnuHistVenda", &mnuOperacao, "&Histórico da venda")) {
  msgPadrao.setFallback(&screen::msgPadrao());
  setCaption("Manutenção da Venda");
  setHelpContext(13002600);
  setHelpFile("PdvHELP.hlp");
  lblCodTela.setCaption("Vnd02600");
  sbtImprimir.setEnabled(false);
  mnuListagem.setEnabled(false);
  mnuConfigImpressora.setEnabled(false);
  struct ScreenButton {
    Button* button;
    const char* caption;
    const char* hint;
  };
  // The captions are the menu items' own, so a button and its menu entry
  // read the same.
  for (const ScreenButton& b :
       {ScreenButton{&btnCancelaVenda, "Cancelar Venda", "Cancelar Venda"},
        ScreenButton{&btnConcluiVenda, "Concluir Venda", "Concluir Venda"},
        ScreenButton{&btnFecharCaixa, "Fechar Caixa", "Fechar Caixa"},
        ScreenButton{&btnConfereCaixa, "Conferir Caixa", "Confere o dia do caixa sem fechá-lo"},
        ScreenButton{&sbtAlteraVend, "Altera Vendedor", "Altera o nome do vendedor na venda."}}) {
    b.button->setCaption(b.caption);
    b.button->setHint(b.hint);
    b.button->setEnabled(false);
  }
  netManutVenda.BeforeConnect = [this](TNetConnection& c) { netManutVendaBeforeConnect(c); };
  // Closing over an edit in progress or changes the server has not taken
  // would drop them: the user decides.
  OnCloseQuery = [this](Form&, bool& canClose) {
    bool pending = state.unsentChanges();
    for (ClientDataSet* s : sets_)
      if (s->editing() && s->modified()) pending = true;
    if (pending && msgPadrao.ShowMsg("Sair_Pendentes", MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes)
      canClose = false;
  };

  declareRecordSets();
  buildFilterPanel();
  buildPages();
  buildReducaoPages();
  buildMenus();

  for (ScreenPart* part : std::initializer_list<ScreenPart*>{
           &filter, &retrieval, &state, &saving, &guards, &salePart, &itemsPart, &receiptsPart, &cancelledPart,
           &registerPart, &zReductionPart, &zTaxesPart, &zTotalizersPart, &zPaymentFormsPart, &zObservationsPart,
           &dayCheckPart, &pageContext})
    part->wire();
}

TfrmManutVenda::~TfrmManutVenda() = default;

ClientDataSet* TfrmManutVenda::findRecordSet(std::string_view name) const {
  for (ClientDataSet* s : sets_)
    if (equalsIgnoreCase(s->name(), name)) return s;
  return nullptr;
}

void TfrmManutVenda::buildFilterPanel() {
  panFilial.setAlign(Align::Top);
  panFilial.setLayout(Layout::Grid, 4);
  struct Caption {
    const char* name;
    const char* text;
    Control& before;
  };
  for (const Caption& c : {Caption{"lblFilial", "Filial", medFilial}, Caption{"lblCaixa", "Caixa", medCdCaixa},
                           Caption{"lblDeEntrega", "Data do Movimento", depDeEntrega}}) {
    Label& l = add<Label>(c.name, &panFilial, c.text);
    l.setBold(true);
    l.setIndex(c.before.index());
  }
  medFilial.setMaxLength(4);
  medFilial.setTabStop(false);
  btpFilial.setAssociate(&medFilial);
  btpFilial.setTitle("Filial");
  btpFilial.setEmptyError("Não há filial cadastrada");
  btpFilial.setDataSource(&dtsFilial);
  edtFilial.setEnabled(false);
  medCdCaixa.setMaxLength(3);
  btnPesqCaixa.setAssociate(&medCdCaixa);
  btnPesqCaixa.setTitle("Caixa");
  btnPesqCaixa.setEmptyError("Não há caixa cadastrado.");
  btnPesqCaixa.setDataSource(&dtsPesqCaixa);
  edtNmCaixa.setEnabled(false);
  depDeEntrega.setWeekDayNames({"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"});
  depDeEntrega.setValidDateInBlue(true);
  // The filter panel sits between the toolbar and the pages.
  panFilial.setIndex(pgcPadrao.index());
}

void TfrmManutVenda::buildPages() {
  tshAberCaixa.setPageIndex(0);
  tshFolhaDados.setCaption("Venda");
  tshFormulario.setCaption("Itens da Venda");
  pgcPadrao.setActivePage(tshAberCaixa);

  dbgAberCaixa.setDataSource(&dtsAberCaixa);
  // List grids fill their pages; the totals and the item-tax grid keep
  // their own height below them.
  for (DBGrid* g : {&dbgAberCaixa, &dbgItens, &dbgItensCancelados, &dbgTipoRece}) g->setAlign(Align::Client);
  dbgPadrao.setDataSource(&dtsPedidoVenda);
  memObs.setDataSource(&dtsPedidoVenda);
  memObs.setFieldName("TXOBSVENDA");
  memObs.setMaxLength(2000);
  dbgItens.setDataSource(&dtsItens);
  dbgImpostoItem.setDataSource(&dtsImpostoItem);
  dbgItensCancelados.setDataSource(&dtsItensCancelados);
  dbgTipoRece.setDataSource(&dtsTipoRece);
  // Each total sits in a strip at the foot of its page, after its caption.
  for (NumberBox* total : {&nedTotal, &nedTotal1, &nedTotal2}) {
    total->setReadOnly(true);
    total->setDecimals(2);
    total->setThousands(true);
    auto* strip = static_cast<Panel*>(total->parent());
    strip->setAlign(Align::Bottom);
    strip->setLayout(Layout::Horizontal);
    Label& caption = add<Label>("lbl" + total->name().substr(3), strip, "Total Venda");
    caption.setIndex(total->index());
  }
  // The observation sits under the sales list, in a captioned panel whose
  // height the user drags.
  auto& obs = static_cast<Panel&>(*memObs.parent());
  obs.setCaption("Observação");
  obs.setAlign(Align::Bottom);
  obs.setSizable(true);
  obs.setLayout(Layout::Vertical);
  memObs.setAlign(Align::Client);
  dbgImpostoItem.setAlign(Align::Bottom);
  dbtAbertura.setDataSource(&dtsAberCaixa);
  dbtAbertura.setFieldName("DTABERCAIX");
  dbtNumero.setDataSource(&dtsPedidoVenda);
  dbtNumero.setFieldName("NRSEQVENDA");
  dbnPadrao.setIndex(static_cast<int>(panNavegador.children().size()) - 1);

  cashregister::declareAberCaixaColumns(dbgAberCaixa);
  sale::declarePedidoVendaColumns(dbgPadrao);
  sale::declareItensColumns(dbgItens);
  sale::declareImpostoItemColumns(dbgImpostoItem);
  sale::declareItensCanceladosColumns(dbgItensCancelados);
  sale::declareTipoReceColumns(dbgTipoRece);
}

void TfrmManutVenda::buildReducaoPages() {
  pgcReducao.setAlign(Align::Client);
  pgcReducao.setActivePage(tshFolhaRZ);
  dbgFolhaRZ.setDataSource(&dtsReducaoZ);
  for (DBGrid* g : {&dbgFolhaRZ, &dbgImposto, &dbgTotalizadores, &dbgFormPag, &dbgObservacao})
    g->setAlign(Align::Client);
  dbgImposto.setDataSource(&dtsImposto);
  dbgTotalizadores.setDataSource(&dtsTotaliz);
  dbgFormPag.setDataSource(&dtsFormaPag);
  dbgObservacao.setDataSource(&dtsObservacao);
  zreduction::declareFolhaRZColumns(dbgFolhaRZ);
  zreduction::declareImpostoColumns(dbgImposto);
  zreduction::declareTotalizColumns(dbgTotalizadores);
  zreduction::declareFormaPagColumns(dbgFormPag);
  zreduction::declareObservacaoColumns(dbgObservacao);

  // The form pages: one group panel per caption, each edit after its label.
  const auto build = [this](TabSheet& page, std::span<const zreduction::EditSpec> edits) {
    // Groups side by side: stacked, they would not fit a laptop's screen.
    page.setLayout(Layout::Grid, 3);
    Panel* group = nullptr;
    std::string groupCaption = "\x01";
    int n = 0;
    for (const zreduction::EditSpec& e : edits) {
      if (e.group != groupCaption) {
        groupCaption = e.group;
        group = &add<Panel>(page.name() + "Grupo" + std::to_string(++n), &page);
        group->setCaption(e.group);
        group->setLayout(Layout::Grid, 2);
      }
      add<Label>(std::string("lbl") + e.control, group, e.caption);
      // The reduction's date is shown in a date edit the user never types
      // into: a new reduction takes the opening's movement date.
      Edit& edit = std::string_view(e.control).starts_with("dep") ? static_cast<Edit&>(add<DateEdit>(e.control, group))
                                                                  : add<DBEdit>(e.control, group);
      if (auto* bound = dynamic_cast<DBEdit*>(&edit)) {
        bound->setDataSource(&dtsReducaoZ);
        bound->setFieldName(e.field);
      }
      edit.setHint(e.hint);
      if (e.mandatory) edit.setColor(clInfoBk);
      if (e.enabled == zreduction::EditEnabled::Never) edit.setEnabled(false);
    }
  };
  build(tshFormRed, zreduction::formRedEdits());
  build(tshDadosAdic, zreduction::dadosAdicEdits());
}

void TfrmManutVenda::buildMenus() {
  mnuAberCaixa.setIndex(0);
  mnuFolhaDados.setCaption("&Venda");
  mnuFormulario.setCaption("&Itens da Venda");
}

// --- Life cycle.

void TfrmManutVenda::FormCreate() {
  TfrmPadrao::FormCreate();
  // The base step points the list grid and the navigator at the current
  // set; on this screen they follow the sales.
  dbgPadrao.setDataSource(&dtsPedidoVenda);
  dbnPadrao.setDataSource(&dtsPedidoVenda);
  pgcPadrao.setActivePage(tshAberCaixa);
  dtsPadrao.setDataSet(&cdsAberCaixa);

  screenHost().prepareConnection(netManutVenda);
  {
    ProgressScope connecting(kProgressConnecting);
    netManutVenda.open();
  }

  const std::string pict = DBPict(0);
  for (ClientDataSet* s : {&cdsProduto, &cdsItens, &cdsItensCancelados}) s->fieldByName("CDARVPROD").setEditMask(pict);
  // Product codes of existing items are not retyped: the grids' key
  // handling lets a tagged field be typed only while inserting.
  cdsItens.fieldByName("CDARVPROD").setTag(1);
  cdsItensCancelados.fieldByName("CDARVPROD").setTag(1);
  // Items are also typed (or scanned) by bar code or external code, which
  // the tree mask would cut: it shapes only what fits it.
  cdsItens.fieldByName("CDARVPROD").setMaskOptional(true);
  cdsItensCancelados.fieldByName("CDARVPROD").setMaskOptional(true);

  boPrimVez = true;
  pendingAccountCharge = 0;

  const bool permitted = GetPersonal(3) == "S";
  for (Button* b : {&btnCancelaVenda, &btnConcluiVenda, &btnFecharCaixa}) b->setPermitted(permitted);

  cdsAberCaixa.fieldByName("DTABERCAIX").setEditMask(cashregister::aberCaixaMask(DateMask()));

  // Nothing is loaded yet: every action waits for the filter panel.
  mnuAberCaixa.setChecked(true);
  pgcReducao.setActivePage(tshFolhaRZ);
  dtsPadraoStateChange();
}

void TfrmManutVenda::FormActivate() {
  if (!boPrimVez) return;
  medFilial.setText(FiliProc());
  edtFilial.setText(NomeFiliProc());
  boPrimVez = false;
  medFilial.setEnabled(!ModuFili());
  btpFilial.setEnabled(medFilial.enabled());
  if (medFilial.enabled())
    medFilial.setFocus();
  else
    medCdCaixa.setFocus();
}

void TfrmManutVenda::FormClose(CloseAction& action) {
  netManutVenda.close();
  boStCriado = false;
  TfrmPadrao::FormClose(action);
}

void TfrmManutVenda::netManutVendaBeforeConnect(TNetConnection& connection) {
  connection.Host = WebURL();
  connection.Port = WebPort();
}

void TfrmManutVenda::vd_PerManut() {
  {
    ProgressScope receiving(kProgressReceiving);
    std::vector<Value> args{Value(medFilial.text())};
    const Value answer = CheckResultServ(netManutVenda.call("getPerManut", args));
    // An answer that is not a record set grants nothing.
    if (!answer.isPacket()) MensErro(Msg("Filial_PerManut"));
    cdsPerManut.setData(answer.packet());
  }
  if (cdsPerManut.fieldByName("IDPERMANUTVEN").asString() == "N") MensErro(Msg("Filial_PerManut"));
}

}  // namespace screen
