#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "screen/frmmanutvenda.h"
#include "screen_fixture.h"

namespace {

using platform::FieldType;

class Inventory : public screentest::ScreenTest {
 protected:
  screen::TfrmManutVenda f;

  std::vector<std::string> captions(const platform::PageControl& pc) {
    std::vector<std::string> out;
    for (platform::TabSheet* t : pc.pages()) out.push_back(t->name() + "|" + t->caption());
    return out;
  }
};

TEST_F(Inventory, PagesInOrderWithCaptions) {
  EXPECT_EQ(captions(f.pgcPadrao),
            (std::vector<std::string>{"tshAberCaixa|Abertura de Caixa", "tshFolhaDados|Venda",
                                      "tshFormulario|Itens da Venda", "tshItensCancelados|Itens Cancelados",
                                      "tshRecebimento|Recebimento", "tshReducao|Redução Z"}));
  EXPECT_EQ(
      captions(f.pgcReducao),
      (std::vector<std::string>{"tshFolhaRZ|Folha de Dados", "tshFormRed|Formulário", "tshDadosAdic|Dados Adicionais",
                                "tshImposto|Imposto", "tshTotaliz|Totalizadores não Fiscais",
                                "tshFormaPag|Forma de Pagamento", "tshObservacao|Observação"}));
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshAberCaixa);
  EXPECT_EQ(f.pgcReducao.activePage(), &f.tshFolhaRZ);
  EXPECT_EQ(f.caption(), "Manutenção da Venda");
  EXPECT_EQ(f.helpContext(), 13002600);
  EXPECT_EQ(f.lblCodTela.caption(), "Vnd02600");
}

TEST_F(Inventory, ScreenButtonsStartDisabledWithTheirHints) {
  const std::pair<platform::Button*, const char*> buttons[] = {
      {&f.btnCancelaVenda, "Cancelar Venda"},
      {&f.btnConcluiVenda, "Concluir Venda"},
      {&f.btnFecharCaixa, "Fechar Caixa"},
      {&f.sbtAlteraVend, "Altera o nome do vendedor na venda."}};
  for (auto [b, hint] : buttons) {
    EXPECT_FALSE(b->enabled()) << b->name();
    EXPECT_EQ(b->hint(), hint);
    EXPECT_EQ(b->parent(), &f.panMenu);
  }
  EXPECT_FALSE(f.sbtImprimir.enabled());
  EXPECT_FALSE(f.mnuListagem.enabled());
  EXPECT_FALSE(f.mnuConfigImpressora.enabled());
}

TEST_F(Inventory, MenusWithAcceleratorsAndShortcuts) {
  struct Item {
    platform::MenuItem* item;
    const char* caption;
    const char* shortcut;
    platform::MenuItem* parent;
  };
  const Item items[] = {
      {&f.mnuAberCaixa, "&Abertura de Caixa", "", &f.mnuOperacao},
      {&f.mnuFolhaDados, "&Venda", "", &f.mnuOperacao},
      {&f.mnuFormulario, "&Itens da Venda", "", &f.mnuOperacao},
      {&f.mnuItensCancelados, "Itens &Cancelados", "", &f.mnuOperacao},
      {&f.mnuRecebimento, "&Recebimento", "", &f.mnuOperacao},
      {&f.mnuReducao, "Re&dução Z", "", &f.mnuOperacao},
      {&f.mnuFolhaRZ, "Fo&lha de Dados", "", &f.mnuReducao},
      {&f.mnuTotFiscais, "&Total Fiscais", "", &f.mnuReducao},
      {&f.mnuObservacao, "&Observação", "", &f.mnuReducao},
      {&f.mnuCancelaVenda, "Cancelar &Venda", "Ctrl+B", &f.mnuManutencao},
      {&f.mnuConcluiVenda, "Concluir Venda", "Ctrl+O", &f.mnuManutencao},
      {&f.mnuFecharCaixa, "Fechar Caixa", "Ctrl+F", &f.mnuManutencao},
      {&f.mnuAlteraVend, "Altera Vendedor da Venda", "", &f.mnuManutencao},
  };
  for (const Item& i : items) {
    EXPECT_EQ(i.item->caption(), i.caption);
    EXPECT_EQ(i.item->shortcut(), i.shortcut) << i.caption;
    EXPECT_EQ(i.item->parent(), i.parent) << i.caption;
  }
  EXPECT_EQ(f.mnuOperacao.children().front(), &f.mnuAberCaixa);
  EXPECT_EQ(f.mnuReducao.children().size(), 7u);
}

TEST_F(Inventory, FilterPanelControls) {
  EXPECT_EQ(f.medFilial.editMask(), ">aaaa;0; ");
  EXPECT_EQ(f.medFilial.maxLength(), 4);
  EXPECT_FALSE(f.medFilial.tabStop());
  EXPECT_EQ(f.medCdCaixa.editMask(), "999;0; ");
  EXPECT_EQ(f.medCdCaixa.maxLength(), 3);
  EXPECT_EQ(f.btpFilial.title(), "Filial");
  EXPECT_EQ(f.btpFilial.emptyError(), "Não há filial cadastrada");
  EXPECT_EQ(f.btpFilial.associate(), &f.medFilial);
  EXPECT_EQ(f.btpFilial.dataSource()->dataSet(), &f.qryFilial);
  EXPECT_EQ(f.btnPesqCaixa.title(), "Caixa");
  EXPECT_EQ(f.btnPesqCaixa.emptyError(), "Não há caixa cadastrado.");
  EXPECT_EQ(f.btnPesqCaixa.dataSource()->dataSet(), &f.qryPesqCaixa);
  EXPECT_FALSE(f.edtFilial.enabled());
  EXPECT_FALSE(f.edtNmCaixa.enabled());
  EXPECT_TRUE(f.depDeEntrega.validDateInBlue());
  EXPECT_EQ(f.depDeEntrega.weekDayNames()[0], "Domingo");
  EXPECT_EQ(f.depDeEntrega.weekDayNames()[6], "Sábado");
  // The query texts run on the suite's dialects; a null register lists all.
  EXPECT_NE(f.qryPesqCaixa.SQL_ORACLE.find("NVL(:P_CDCAIXA, CDCAIXA)"), std::string::npos);
  EXPECT_NE(f.qryPesqCaixa.SQL_MSSQL.find("ISNULL(:P_CDCAIXA, CDCAIXA)"), std::string::npos);
  EXPECT_EQ(f.qryPesqCaixa.SQL_IB.find("ORDER BY"), std::string::npos);
}

TEST_F(Inventory, TotalsAndObservationMemo) {
  for (platform::NumberBox* n : {&f.nedTotal, &f.nedTotal1, &f.nedTotal2}) {
    EXPECT_TRUE(n->readOnly());
    EXPECT_EQ(n->decimals(), 2);
    EXPECT_TRUE(n->thousands());
  }
  EXPECT_TRUE(f.tshFolhaDados.contains(f.nedTotal));
  EXPECT_TRUE(f.tshFormulario.contains(f.nedTotal1));
  EXPECT_TRUE(f.tshRecebimento.contains(f.nedTotal2));
  EXPECT_EQ(f.memObs.fieldName(), "TXOBSVENDA");
  EXPECT_EQ(f.memObs.maxLength(), 2000);
  EXPECT_EQ(f.dbtNumero.fieldName(), "NRSEQVENDA");
  EXPECT_EQ(f.lblVenda.caption(), "Venda");
}

struct ColumnCase {
  const char* grid;
  std::vector<std::string> fields;  // in order; "-" before a hidden column
};

TEST_F(Inventory, GridColumnsInOrder) {
  const ColumnCase cases[] = {
      {"dbgAberCaixa", {"IDSITUACAO", "DTABERCAIX", "DTMOVTURCAIX", "CDOPERABER", "DTFECHCAIX", "-NMOPERADOR"}},
      {"dbgPadrao",
       {"IDSITUVENDA", "CDCAIXA", "NRSEQVENDA", "NRCUPOMFIS", "DTENTRVENDA", "HRVENDA", "IDTPEMISVEND", "NRINSJURCLIE",
        "CDCONSUMIDOR", "NRINSCRCONS", "IDTIPOVENDA", "CDVENDEDOR", "CDSERVFILI", "IDESTOQUE", "IDORIGEMVENDA",
        "NRORDEMVND", "NRSERIEVND", "NRSERIEIMPVND", "NRSUBSERIEVND"}},
      {"dbgItens",
       {"CDARVPROD", "NMPRODUTO", "SGUNIDADE", "QTPRODVEND", "VRUNITVEND", "VRUNITVENDCL", "-VRPERCVEND", "VRACRITVEND",
        "VRDESITVEND", "VRTOTAL"}},
      {"dbgImpostoItem", {"SGIMPOSTO", "VRPEALPRODIT", "VRIMPOPRODIT"}},
      {"dbgItensCancelados",
       {"CDARVPROD", "NMPRODUTO", "SGUNIDADE", "QTPRODVENDC", "VRUNITVENDC", "VRUNITVENCLC", "VRACRITVENDC",
        "VRDESITVENDC", "VRTOTAL"}},
      {"dbgTipoRece", {"IDTIPOMOVIVE", "CDTIPORECE", "NMTIPORECE", "VRMOVIVEND", "VRMOVIVEOUT", "QTPARCRECEB"}},
      {"dbgFolhaRZ", {"DTREDUCAOZ", "NRECFREDZ"}},
      {"dbgImposto", {"SGIMPOSTO", "VRALIQIMPRZ", "VRBCALCIMPRZ", "VRIMPOSTORZ"}},
      {"dbgTotalizadores", {"NRTOTNFISCRZ", "DSTOTNFISCRZ", "NRCONTOTNFIS", "VRACUTOTNFIS"}},
      {"dbgFormPag", {"CDTIPORECE", "NMTIPORECE", "VRFORMPGTORZ", "CDTPRECEORIG"}},
      {"dbgObservacao",
       {"-CDFILIAL", "-CDCAIXA", "-NRECFREDZ", "-DTREDUCAOZ", "NRSEQOBSREDZ", "DTOBSERVREDZ", "DSOBSERVREDZ"}},
  };
  for (const ColumnCase& c : cases) {
    SCOPED_TRACE(c.grid);
    const platform::DBGrid& g = f.control<platform::DBGrid>(c.grid);
    std::vector<std::string> got;
    for (int i = 0; i < g.columnCount(); ++i)
      got.push_back((g.column(i).visible() ? "" : "-") + g.column(i).fieldName());
    EXPECT_EQ(got, c.fields);
    // Every column shows a field of the grid's record set.
    for (int i = 0; i < g.columnCount(); ++i) EXPECT_NE(g.column(i).field(), nullptr) << g.column(i).fieldName();
  }
}

TEST_F(Inventory, ColumnTitlesWidthsAndReadOnly) {
  const auto& padrao = f.dbgPadrao;
  EXPECT_EQ(padrao.column(3).width(), 134);
  EXPECT_TRUE(padrao.column(3).readOnly());
  EXPECT_EQ(padrao.column(4).title(), "Data Mov. Venda");
  EXPECT_EQ(padrao.column(0).title(), "Sit.");
  EXPECT_FALSE(padrao.column(5).readOnly());
  EXPECT_TRUE(padrao.options().alwaysShowSelection);
  EXPECT_EQ(f.dbgItens.column(7).title(), "Acréscimo");
  EXPECT_EQ(f.dbgTipoRece.column(4).title(), "Valor (Outras Moedas)");
  EXPECT_EQ(f.dbgTipoRece.column(1).buttonStyle(), platform::ButtonStyle::Ellipsis);
  EXPECT_FALSE(f.dbgTipoRece.options().indicator);
  EXPECT_EQ(f.dbgTipoRece.column(4).titleAlignment(), platform::Alignment::Right);
  EXPECT_EQ(f.dbgTipoRece.column(5).titleAlignment(), platform::Alignment::Center);
  for (const char* figure : {"VRPEALPRODIT", "VRIMPOPRODIT"})
    EXPECT_EQ(f.dbgImpostoItem.columnByField(figure)->titleAlignment(), platform::Alignment::Right) << figure;
  EXPECT_EQ(f.dbgImposto.column(3).title(), "Valor Imposto");
  EXPECT_EQ(f.dbgFormPag.column(3).title(), "Recebimento Origem");
  EXPECT_EQ(f.dbgFolhaRZ.column(0).title(), "Data Redução Z");
  EXPECT_EQ(f.dbgFolhaRZ.column(1).title(), "Nº do ECF");
  EXPECT_TRUE(f.dbgFolhaRZ.options().rowSelect);
}

struct FieldCase {
  const char* set;
  const char* field;
  int index;
  FieldType type;
  int size;
  const char* label;
  bool visible;
};

// One or two representative fields per record set: position, type, size,
// label and visibility as the server and the grids expect them.
TEST_F(Inventory, RecordSetFields) {
  const FieldCase cases[] = {
      {"cdsAberCaixa", "IDSITUACAO", 0, FieldType::DateTime, 0, "Situação", true},
      {"cdsAberCaixa", "CDOPERABER", 15, FieldType::String, 12, "Operador", false},
      {"cdsPedidoVenda", "NRSEQVENDA", 0, FieldType::String, 10, "Nr.Venda", true},
      {"cdsPedidoVenda", "IDESTOQUE", 29, FieldType::FixedString, 1, "Estoque", false},
      {"cdsPedidoVenda", "NRSERIEIMPVND", 43, FieldType::String, 50, "Nr. Série Redução", true},
      {"cdsItens", "QTPRODVEND", 7, FieldType::Float, 0, "Qtde.", true},
      {"cdsItens", "VRACRITVEND", 17, FieldType::Float, 0, "Vr. Acréscimo", true},
      {"cdsImpostoItem", "CDPRODUTO", 10, FieldType::FixedString, 10, "CDPRODUTO", true},
      {"cdsTipoRece", "QTPARCRECEB", 15, FieldType::Float, 0, "QTPARCRECEB", true},
      {"cdsItensCancelados", "CDFISUBGRVNC", 17, FieldType::String, 4, "CDFISUBGRVNC", false},
      {"cdsReducaoZ", "DSMODMARCAECF", 29, FieldType::String, 30, "DSMODMARCAECF", true},
      {"cdsReducaoZ", "NRECFREDZ", 2, FieldType::String, 10, "Nº do ECF", true},
      {"cdsVerifReducaoZ", "VRGTREDZINI", 24, FieldType::Float, 0, "VRGTREDZINI", false},
      {"cdsImposto", "VRIMPOSTORZ", 6, FieldType::Float, 0, "Vr. Imposto", true},
      {"cdsTotaliz", "VRACUTOTNFIS", 6, FieldType::Float, 0, "Valor Acumulado", true},
      {"cdsFormaPag", "NMTPORIGEM", 7, FieldType::String, 40, "Nome Receb. Origem", true},
      {"cdsObservacao", "DSOBSERVREDZ", 6, FieldType::String, 200, "Observação", true},
      {"cdsParametro", "IDUTSUBTCONS", 4, FieldType::String, 1, "IDUTSUBTCONS", true},
      {"cdsPerManut", "IDPERMANUTVEN", 0, FieldType::String, 1, "IDPERMANUTVEN", true},
      {"cdsSumVenda", "SOMA", 0, FieldType::Float, 0, "SOMA", true},
      {"cdsConsumidor", "IDVERSALDCON", 4, FieldType::String, 1, "IDVERSALDCON", false},
      {"cdsOperador", "NMOPERADOR", 1, FieldType::String, 100, "Nome", true},
      {"qryFilial", "CDSEGMER", 2, FieldType::String, 5, "CDSEGMER", false},
      {"qryPesqTipoRece", "CDTIPORECE", 0, FieldType::String, 3, "Código", true},
      {"qryVdOperador", "NMOPERADOR", 1, FieldType::String, 50, "NMOPERADOR", true},
      {"cdsConfereCaixa", "DSDIFERENCA", 4, FieldType::String, 20, "Diferença", true},
      {"cdsConfereCaixa", "IDPAGINAZ", 8, FieldType::String, 1, "IDPAGINAZ", false},
      {"cdsHistorico", "DSALTERACAO", 4, FieldType::String, 4000, "Alteração (antes → depois)", true},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(std::string(c.set) + "." + c.field);
    platform::ClientDataSet* s = f.findRecordSet(c.set);
    ASSERT_NE(s, nullptr);
    const platform::Field& fd = s->fieldByName(c.field);
    EXPECT_EQ(fd.index(), c.index);
    EXPECT_EQ(fd.type(), c.type);
    EXPECT_EQ(fd.size(), c.size);
    EXPECT_EQ(fd.displayLabel(), c.label);
    EXPECT_EQ(fd.visible(), c.visible);
  }
  EXPECT_EQ(f.recordSets().size(), 56u);
}

TEST_F(Inventory, FieldFormatsMasksAndCalculatedTotals) {
  EXPECT_EQ(f.cdsItens.fieldByName("QTPRODVEND").displayFormat(), "#,##0.000");
  EXPECT_EQ(f.cdsItens.fieldByName("QTPRODVEND").editFormat(), "0.000");
  EXPECT_TRUE(f.cdsItens.fieldByName("VRTOTAL").calculated());
  EXPECT_EQ(f.cdsItens.fieldByName("VRTOTAL").alignment(), platform::Alignment::Right);
  EXPECT_TRUE(f.cdsItensCancelados.fieldByName("VRTOTAL").calculated());
  EXPECT_EQ(f.cdsPedidoVenda.fieldByName("HRVENDA").editMask(), "99:99:99;1; ");
  EXPECT_TRUE(f.cdsPedidoVenda.fieldByName("NRINSCRCONS").readOnly());
  EXPECT_EQ(f.cdsPedidoVenda.fieldByName("CDOPERADOR").displayWidth(), 12);
  EXPECT_EQ(f.cdsReducaoZ.fieldByName("NRPRIMCFREDZ").editMask(), "9999999999;0; ");
  EXPECT_EQ(f.cdsReducaoZ.fieldByName("VRGTREDZ").editFormat(), "0.00");
  EXPECT_TRUE(f.cdsReducaoZ.fieldByName("VRGTREDZINI").calculated());
  EXPECT_EQ(f.cdsImposto.fieldByName("VRALIQIMPRZ").editFormat(), "#,##0.00");
  EXPECT_EQ(f.cdsImposto.fieldByName("VRBCALCIMPRZ").editFormat(), "");
}

TEST_F(Inventory, ZReductionFormEditsInTabOrder) {
  // The reduction's date is a date edit, never typed into.
  const auto& date = f.control<platform::DateEdit>("depReducaoZ");
  EXPECT_TRUE(f.tshFormRed.contains(date));
  EXPECT_FALSE(date.enabled());
  const char* form[] = {"dbeNrECF",        "dbeReInicio",     "dbeSerieRedZ",   "dbeReducao",    "dbeLeituraX",
                        "dbeComprNFiscal", "dbeCancelamento", "dbePrimCFiscal", "dbeUltCFiscal", "dbeGranTotal",
                        "dbeVendBruta",    "debTotIss",       "dbeTotCancel",   "dbeTotDesc",    "dbeVendLiq",
                        "dbeTotAcre",      "dbeGranTotIni",   "dbeOrigemRed",   "dbeMarcMode"};
  const auto& order = f.controls();
  int last = static_cast<int>(std::find(order.begin(), order.end(), &date) - order.begin());
  for (const char* name : form) {
    const auto& e = f.control<platform::DBEdit>(name);
    EXPECT_TRUE(f.tshFormRed.contains(e)) << name;
    EXPECT_EQ(e.dataSource(), &f.dtsReducaoZ);
    EXPECT_NE(e.field(), nullptr) << name;
    const int at = static_cast<int>(std::find(order.begin(), order.end(), &e) - order.begin());
    EXPECT_GT(at, last) << name;
    last = at;
  }
  EXPECT_FALSE(f.control<platform::DBEdit>("dbeGranTotIni").enabled());
  EXPECT_EQ(f.control<platform::DBEdit>("dbeMarcMode").hint(), "Ex: Bematech mp4000");
  EXPECT_TRUE(f.tshDadosAdic.contains(f.control<platform::DBEdit>("dbeMenRes")));
}

}  // namespace
