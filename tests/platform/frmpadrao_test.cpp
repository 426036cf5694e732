#include "platform/frmpadrao.h"

#include <gtest/gtest.h>

#include "tests/platform/controls_testing.h"

using namespace platform;
using platform::testing::Journal;
using platform::testing::ScriptedUi;

namespace {

// A screen on the base: sale items whose product code is typable only in
// new rows, with its own delete and page-change steps.
class TfrmTeste : public TfrmPadrao {
 public:
  ClientDataSet cdsItens{"cdsItens"};
  Journal log;

  TfrmTeste() : TfrmPadrao("frmTeste") {
    msgPadrao.add("CONF_EXCL", "Excluir o item?");
    cdsItens.addField("CDARVPROD", FieldType::String, 8).setTag(1);
    cdsItens.addField("QTPRODVEND", FieldType::Float);
    cdsItens.setData(
        DataPacket{{{"CDARVPROD", FieldType::String, 8, false}, {"QTPRODVEND", FieldType::Float, 0, false}},
                   {{RowKind::Unchanged, {Value("01010001"), Value(1.0)}, {}},
                    {RowKind::Unchanged, {Value("01010002"), Value(2.0)}, {}}}});
    dbgPadrao.addColumn("CDARVPROD");
    dbgPadrao.addColumn("QTPRODVEND");
  }

  void FormCreate() override {
    TfrmPadrao::FormCreate();
    dtsPadrao.setDataSet(&cdsItens);
    dtsPadraoStateChange();
  }
  void sbtExcluirClick() override {
    log.add("screen delete");
    TfrmPadrao::sbtExcluirClick();
  }
  void pgcPadraoChange() override {
    log.add("screen page change");
    TfrmPadrao::pgcPadraoChange();
  }
};

TEST(TfrmPadrao, DeleteAsksTheCatalogueConfirmationAndDeletesOnYes) {
  ScriptedUi ui;
  TfrmTeste f;
  f.create();
  ui.answers = {MsgResult::No, MsgResult::Yes};
  EXPECT_TRUE(f.sbtExcluir.click());
  EXPECT_EQ(f.cdsItens.recordCount(), 2);
  EXPECT_TRUE(f.mnuExcluir.click());
  EXPECT_EQ(f.cdsItens.recordCount(), 1);
  EXPECT_EQ(f.cdsItens.fieldByName("CDARVPROD").asString(), "01010002");
  // The screen's own text of the standard key is the one asked.
  EXPECT_EQ(ui.messages, (std::vector<std::string>(2, "Excluir o item?")));
  EXPECT_EQ(f.log.take(), "screen delete,screen delete");
}

TEST(TfrmPadrao, CtrlDeleteInTheGridGoesThroughTheScreensDeleteStepWhileAvailable) {
  ScriptedUi ui;
  TfrmTeste f;
  f.create();
  EXPECT_FALSE(f.dbgPadrao.pressKey(vk::Delete, ssCtrl));  // the base step took the key
  EXPECT_EQ(f.log.take(), "screen delete");
  EXPECT_EQ(f.cdsItens.recordCount(), 1);
  f.sbtExcluir.setPermitted(false);
  EXPECT_FALSE(f.dbgPadrao.pressKey(vk::Delete, ssCtrl));
  EXPECT_EQ(f.log.take(), "");
  EXPECT_EQ(f.cdsItens.recordCount(), 1);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(TfrmPadrao, FieldTagRuleLetsMarkedFieldsBeTypedOnlyInNewRows) {
  TfrmTeste f;
  f.create();
  DBGrid& g = f.dbgPadrao;
  EXPECT_EQ(g.typeText("9"), 0);  // browse: the code of an existing item
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Browse);
  g.selectColumn("QTPRODVEND");
  EXPECT_EQ(g.typeText("3"), 1);  // other fields are typable
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Edit);
  g.selectColumn("CDARVPROD");
  EXPECT_EQ(g.typeText("9"), 0);  // edit: still refused
  EXPECT_FALSE(g.pressKey(vk::Back));
  EXPECT_FALSE(g.pressKey(vk::Delete));
  EXPECT_TRUE(g.pressKey(vk::Right));  // moving keys pass
  f.sbtConfirmar.click();
  EXPECT_EQ(f.cdsItens.fieldByName("QTPRODVEND").asFloat(), 3.0);
  EXPECT_EQ(f.cdsItens.fieldByName("CDARVPROD").asString(), "01010001");

  EXPECT_TRUE(f.sbtIncluir.click());
  g.selectColumn("CDARVPROD");
  EXPECT_EQ(g.typeText("01020003"), 8);  // insert: allowed
  f.sbtConfirmar.click();
  f.cdsItens.last();
  EXPECT_EQ(f.cdsItens.fieldByName("CDARVPROD").asString(), "01020003");
}

TEST(TfrmPadrao, InsertAndDownAtTheEndAppendThroughTheIncludeAction) {
  TfrmTeste f;
  f.create();
  DBGrid& g = f.dbgPadrao;
  EXPECT_FALSE(g.pressKey(vk::Insert));
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Insert);
  EXPECT_EQ(g.rowCount(), 3);
  f.sbtCancelar.click();
  f.cdsItens.last();
  EXPECT_FALSE(g.pressKey(vk::Down));
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Insert);
  EXPECT_FALSE(g.pressKey(vk::Down));  // untouched: stays
  EXPECT_EQ(g.rowCount(), 3);
  g.selectColumn("QTPRODVEND");
  g.typeText("4");
  EXPECT_FALSE(g.pressKey(vk::Down));  // confirmed, then another new row
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Insert);
  EXPECT_EQ(g.rowCount(), 4);
  EXPECT_EQ(f.cdsItens.changeCount(), 1);
  f.sbtCancelar.click();
  g.selectColumn("CDARVPROD");

  // With the include action unavailable neither key adds a row.
  f.mnuIncluir.setEnabled(false);
  f.sbtIncluir.setEnabled(false);
  EXPECT_FALSE(g.pressKey(vk::Insert));
  EXPECT_FALSE(g.pressKey(vk::Down));
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Browse);
  EXPECT_EQ(g.rowCount(), 3);
  f.cdsItens.first();
  EXPECT_TRUE(g.pressKey(vk::Down));  // an ordinary move
  EXPECT_EQ(f.cdsItens.recNo(), 2);
}

TEST(TfrmPadrao, DefaultStateRuleFollowsTheCurrentRecordSet) {
  TfrmTeste f;
  EXPECT_TRUE(f.sbtIncluir.available());  // before creation nothing was decided
  f.create();
  EXPECT_TRUE(f.sbtIncluir.available());
  EXPECT_TRUE(f.sbtAlterar.available());
  EXPECT_FALSE(f.sbtConfirmar.available());
  EXPECT_TRUE(f.dbnPadrao.enabled());
  EXPECT_TRUE(f.sbtAlterar.click());
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Edit);
  EXPECT_FALSE(f.sbtIncluir.available());
  EXPECT_TRUE(f.sbtCancelar.available());
  EXPECT_TRUE(f.mnuConfirmar.enabled());
  EXPECT_FALSE(f.dbnPadrao.enabled());
  EXPECT_FALSE(f.tshFormulario.enabled());  // the other page is locked
  EXPECT_TRUE(f.tshFolhaDados.enabled());
  EXPECT_FALSE(f.pgcPadrao.userSelectPage(f.tshFormulario));
  EXPECT_TRUE(f.sbtCancelar.click());
  EXPECT_TRUE(f.tshFormulario.enabled());

  f.cdsItens.setData(DataPacket{f.cdsItens.fieldDefs(), {}});
  f.dtsPadraoStateChange();
  EXPECT_TRUE(f.sbtIncluir.available());
  EXPECT_FALSE(f.sbtAlterar.available());
  EXPECT_FALSE(f.sbtExcluir.available());
}

TEST(TfrmPadrao, PageStepsRunTheScreensPageChange) {
  TfrmTeste f;
  f.create();
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFolhaDados);
  EXPECT_TRUE(f.mnuFormulario.click());
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshFormulario);
  EXPECT_TRUE(f.mnuFormulario.checked());
  EXPECT_FALSE(f.mnuFolhaDados.checked());
  EXPECT_TRUE(f.pgcPadrao.userSelectPage(f.tshFolhaDados));
  EXPECT_TRUE(f.mnuFolhaDados.checked());
  EXPECT_EQ(f.log.take(), "screen page change,screen page change");
}

TEST(TfrmPadrao, CloseCancelsAPendingEditAndFreesTheScreen) {
  ScriptedUi ui;
  TfrmTeste f;
  f.show();
  f.sbtAlterar.click();
  f.sbtProcurar.setEnabled(true);
  EXPECT_EQ(f.close(), CloseAction::Free);
  EXPECT_EQ(f.cdsItens.state(), DataSetState::Browse);
  f.sbtProcurarClick();
  EXPECT_EQ(ui.searches, 1);
  int help = 0;
  f.helpRequested.connect([&](Form&) { ++help; });
  f.sbtAjuda.click();
  EXPECT_EQ(help, 1);
}

}  // namespace
