#include <gtest/gtest.h>

#include "platform/abort.h"
#include "platform/dbcontrols.h"
#include "platform/form.h"
#include "platform/format.h"
#include "tests/platform/controls_testing.h"

using namespace platform;
using platform::testing::Journal;
using platform::testing::ScriptedUi;

namespace {

// Sale items shown by a grid, beside an edit outside the grid.
struct ItemsForm {
  ClientDataSet cds{"cdsItens"};
  DataSource dts{"dtsItens"};
  Form form{"frmTeste"};
  Edit& edtOutro = form.add<Edit>("edtOutro");
  DBGrid& grid = form.add<DBGrid>("dbgItens");
  Journal log;

  ItemsForm() {
    cds.addField("CDARVPROD", FieldType::String, 8).setEditMask("99.99.9999;0;_");
    cds.addField("NMPRODUTO", FieldType::String, 20);
    cds.addField("QTPRODVEND", FieldType::Float);
    cds.setData(DataPacket{{{"CDARVPROD", FieldType::String, 8, false},
                            {"NMPRODUTO", FieldType::String, 20, false},
                            {"QTPRODVEND", FieldType::Float, 0, false}},
                           {{RowKind::Unchanged, {Value("01010001"), Value("Café"), Value(1.5)}, {}},
                            {RowKind::Unchanged, {Value("01010002"), Value("Chá"), Value(2.0)}, {}}}});
    dts.setDataSet(&cds);
    grid.setDataSource(&dts);
    grid.addColumn("CDARVPROD", "Produto");
    grid.addColumn("NMPRODUTO").setReadOnly(true);
    grid.addColumn("QTPRODVEND", "Qtde.");
    grid.OnColExit = [this](Control&) { log.add("colexit " + grid.selectedColumn()->fieldName()); };
    cds.BeforeEdit = [this](ClientDataSet&) { log.add("beforeedit"); };
  }
  Field& qt() { return cds.fieldByName("QTPRODVEND"); }
};

TEST(GridColumns, ColExitRunsOnlyOnARealChangeAfterTheTypedTextIsAssigned) {
  ItemsForm f;
  EXPECT_TRUE(f.grid.selectColumn("QTPRODVEND"));
  EXPECT_EQ(f.form.activeControl(), &f.grid);  // a click on a cell focuses the grid
  EXPECT_EQ(f.log.take(), "colexit CDARVPROD");
  EXPECT_TRUE(f.grid.selectColumn("qtprodvend"));
  EXPECT_EQ(f.log.take(), "");
  EXPECT_FALSE(f.grid.selectColumn("NAOEXISTE"));

  EXPECT_EQ(f.grid.typeText("5"), 1);
  EXPECT_EQ(f.log.take(), "beforeedit");
  EXPECT_EQ(f.qt().asFloat(), 1.5);  // still in the editor
  f.grid.OnColExit = [&](Control&) {
    f.log.add("colexit " + f.qt().asString());
    Abort();
  };
  EXPECT_THROW(f.grid.selectColumn("CDARVPROD"), SilentAbort);
  EXPECT_EQ(f.log.take(), "colexit 5");
  EXPECT_EQ(f.grid.selectedField(), &f.qt());  // the selection stays
  EXPECT_EQ(f.form.activeControl(), &f.grid);

  f.grid.setSelectedIndex(0);  // the program's choice runs no column exit
  EXPECT_EQ(f.log.take(), "");
  EXPECT_EQ(f.grid.selectedColumn()->title(), "Produto");
  EXPECT_EQ(f.grid.column(1).title(), "NMPRODUTO");  // the field's label
}

TEST(GridColumns, ColExitMayMoveTheSelectionItself) {
  ItemsForm f;
  f.grid.OnColExit = [&](Control&) { f.grid.setSelectedIndex(1); };
  EXPECT_FALSE(f.grid.selectColumn("QTPRODVEND"));
  EXPECT_EQ(f.grid.selectedIndex(), 1);
}

TEST(GridTyping, KeyFiltersSwallowKeysBeforeAnythingIsTyped) {
  ItemsForm f;
  f.grid.selectColumn("QTPRODVEND");
  f.log.take();
  f.grid.OnKeyPress = [](Control&, char32_t& k) {
    if (k != 9 && k != 13) k = 0;
  };
  EXPECT_EQ(f.grid.typeText("12"), 0);
  EXPECT_EQ(f.cds.state(), DataSetState::Browse);  // no edit was started
  EXPECT_FALSE(f.grid.editorMode());
  f.grid.OnKeyPress = nullptr;
  f.grid.OnKeyDown = [](Control&, int& key, ShiftState) {
    if (key != vk::Tab && key != vk::Return && (key < vk::Left || key > vk::Down)) key = 0;
  };
  EXPECT_EQ(f.grid.typeText("3"), 0);
  EXPECT_FALSE(f.grid.pressKey(vk::Delete, ssCtrl));
  EXPECT_TRUE(f.grid.pressKey(vk::Down));
  EXPECT_EQ(f.cds.recNo(), 2);
  EXPECT_EQ(f.cds.state(), DataSetState::Browse);
  EXPECT_EQ(f.log.take(), "");
}

TEST(GridTyping, ReadOnlyColumnsFieldsAndGridsRefuseTyping) {
  ItemsForm f;
  f.grid.selectColumn("NMPRODUTO");
  EXPECT_FALSE(f.grid.cellEditable());
  EXPECT_EQ(f.grid.typeText("x"), 0);
  f.grid.selectColumn("QTPRODVEND");
  f.qt().setReadOnly(true);
  EXPECT_EQ(f.grid.typeText("1"), 0);
  f.qt().setReadOnly(false);
  f.grid.setReadOnly(true);
  EXPECT_EQ(f.grid.typeText("1"), 0);
  EXPECT_FALSE(f.grid.pressKey(vk::Insert) && f.cds.state() == DataSetState::Insert);
  f.grid.setReadOnly(false);
  GridOptions o = f.grid.options();
  o.editing = false;
  f.grid.setOptions(o);
  EXPECT_EQ(f.grid.typeText("1"), 0);
  EXPECT_EQ(f.cds.state(), DataSetState::Browse);
  EXPECT_EQ(f.log.take(), "colexit CDARVPROD,colexit NMPRODUTO");
}

TEST(GridTyping, TheEditorTextIsAssignedThroughSetText) {
  ItemsForm f;
  std::vector<std::string> assigned;
  f.qt().OnSetText = [&](Field& fld, const std::string& text) {
    assigned.push_back(text);
    fld.setAsFloat(*parseNumber(text) * 2);
  };
  f.grid.selectColumn("QTPRODVEND");
  EXPECT_EQ(f.grid.typeText("3,5"), 3);
  EXPECT_EQ(f.grid.editText(), "3,5");
  EXPECT_TRUE(f.grid.pressKey(vk::Return));  // writes and closes the editor
  EXPECT_FALSE(f.grid.editorMode());
  EXPECT_EQ(assigned, (std::vector<std::string>{"3,5"}));
  EXPECT_EQ(f.qt().asFloat(), 7.0);
  f.qt().OnSetText = nullptr;

  EXPECT_EQ(f.grid.typeText("abc"), 3);
  EXPECT_THROW(f.grid.pressKey(vk::Return), UserError);  // not a number
  EXPECT_TRUE(f.grid.editorMode());
  EXPECT_TRUE(f.grid.pressKey(vk::Escape));  // drops the typed text
  EXPECT_FALSE(f.grid.editorMode());
  EXPECT_TRUE(f.grid.pressKey(vk::Escape));  // cancels the record's edit
  EXPECT_EQ(f.cds.state(), DataSetState::Browse);
  EXPECT_EQ(f.qt().asFloat(), 1.5);
  f.grid.setEditorMode(true);  // opens on the cell's text, no edit yet
  EXPECT_EQ(f.grid.editText(), "1,5");
  EXPECT_EQ(f.cds.state(), DataSetState::Browse);
  EXPECT_TRUE(f.grid.pressKey(vk::Return));
  EXPECT_FALSE(f.grid.editorMode());

  // Backspace starts from the cell's text; a row move writes what was typed.
  EXPECT_TRUE(f.grid.pressKey(vk::Back));
  EXPECT_EQ(f.grid.editText(), "1,");
  EXPECT_EQ(f.grid.typeText("25"), 2);
  EXPECT_TRUE(f.grid.pressKey(vk::Down));
  f.cds.first();
  EXPECT_EQ(f.qt().asFloat(), 1.25);
  EXPECT_EQ(f.cds.changeCount(), 1);
}

TEST(GridTyping, MaskedFieldsAreTypedThroughTheMaskAndStoredWithoutLiterals) {
  ItemsForm f;
  EXPECT_TRUE(f.grid.pressKey(vk::Insert));
  EXPECT_EQ(f.cds.state(), DataSetState::Insert);
  EXPECT_EQ(f.grid.typeText("0102x0003"), 8);
  EXPECT_EQ(f.grid.drawCell(f.grid.currentRow(), 0).text, "01.02.0003");
  f.grid.selectColumn("QTPRODVEND");
  EXPECT_EQ(f.cds.fieldByName("CDARVPROD").asString(), "01020003");
}

// An optional mask shapes the codes that fit it; any other code is taken as
// typed, and a Backspace back into the mask shapes it again.
TEST(GridTyping, AnOptionalMaskTakesWhatDoesNotFitAsTyped) {
  ItemsForm f;
  f.cds.fieldByName("CDARVPROD").setMaskOptional(true);
  struct Case {
    const char* typed;
    bool backspace;
    const char* shown;
    const char* stored;
  } cases[] = {{"01020003", false, "01.02.0003", "01020003"},
               {"EX00331", false, "EX00331", "EX00331"},
               {"0102x", true, "01.02.____", "0102"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    f.grid.selectColumn("CDARVPROD");
    ASSERT_TRUE(f.grid.pressKey(vk::Insert));
    f.grid.typeText(c.typed);
    if (c.backspace) f.grid.pressKey(vk::Back);
    EXPECT_EQ(f.grid.drawCell(f.grid.currentRow(), 0).text, c.shown);
    f.grid.selectColumn("QTPRODVEND");
    EXPECT_EQ(f.cds.fieldByName("CDARVPROD").asString(), c.stored);
    f.cds.cancel();
  }
}

TEST(GridRows, DownAppendsAtTheEndAndAnUntouchedNewRowGoesAway) {
  ItemsForm f;
  f.grid.setFocus();
  f.cds.last();
  EXPECT_TRUE(f.grid.pressKey(vk::Down));
  EXPECT_EQ(f.cds.state(), DataSetState::Insert);
  EXPECT_EQ(f.grid.rowCount(), 3);
  EXPECT_TRUE(f.grid.pressKey(vk::Down));  // nothing typed: stays
  EXPECT_EQ(f.cds.state(), DataSetState::Insert);
  EXPECT_TRUE(f.grid.pressKey(vk::Up));  // leaving it drops it
  EXPECT_EQ(f.cds.state(), DataSetState::Browse);
  EXPECT_EQ(f.grid.rowCount(), 2);
  EXPECT_EQ(f.cds.changeCount(), 0);
}

TEST(GridRows, CtrlDeleteAsksTheStandardConfirmation) {
  ScriptedUi ui;
  ItemsForm f;
  f.grid.setFocus();
  ui.answers = {MsgResult::No, MsgResult::Yes};
  EXPECT_TRUE(f.grid.pressKey(vk::Delete, ssCtrl));
  EXPECT_EQ(f.cds.recordCount(), 2);
  EXPECT_TRUE(f.grid.pressKey(vk::Delete, ssCtrl));
  EXPECT_EQ(f.cds.recordCount(), 1);
  EXPECT_EQ(ui.messages, (std::vector<std::string>(2, "Confirma a exclusão do registro?")));
}

TEST(GridRows, TabWrapsToTheNextRowThroughTheColumnExit) {
  ItemsForm f;
  f.grid.selectColumn("QTPRODVEND");
  f.log.take();
  EXPECT_TRUE(f.grid.pressKey(vk::Tab));
  EXPECT_EQ(f.log.take(), "colexit QTPRODVEND");
  EXPECT_EQ(f.grid.selectedIndex(), 0);
  EXPECT_EQ(f.cds.recNo(), 2);
  f.grid.column(1).setVisible(false);
  EXPECT_TRUE(f.grid.pressKey(vk::Tab));
  EXPECT_EQ(f.grid.selectedIndex(), 2);   // hidden columns are skipped
  EXPECT_TRUE(f.grid.pressKey(vk::Tab));  // last cell of the last row: stays
  EXPECT_EQ(f.grid.selectedIndex(), 2);
  EXPECT_EQ(f.grid.rowCount(), 2);
}

TEST(GridDrawing, TheRuleSeesEachRowWithoutMovingTheCursor) {
  ItemsForm f;
  std::vector<std::string> seen;
  f.grid.OnDrawColumnCell = [&](DBGrid&, const CellContext& cell, CellAppearance& look) {
    const std::string name = f.cds.fieldByName("NMPRODUTO").asString();
    seen.push_back(std::to_string(cell.row) + ":" + cell.column.fieldName() + ":" + name + ":" +
                   (cell.selected ? "S" : "") + (cell.focused ? "F" : "") + (cell.editorCell ? "E" : ""));
    if (name == "Chá") look.fontColor = clPurple;
    if (cell.column.fieldName() == "NMPRODUTO") look.text = "<" + name + ">";
  };
  f.grid.setFocus();
  const CellPaint cha = f.grid.drawCell(1, 1);
  EXPECT_EQ(cha.text, "<Chá>");
  EXPECT_EQ(cha.fontColor, clPurple);
  const CellPaint current = f.grid.drawCell(0, 0);
  EXPECT_EQ(current.text, "01010001");
  EXPECT_FALSE(current.fontColor);
  EXPECT_TRUE(current.focused);
  EXPECT_EQ(f.cds.recNo(), 1);

  f.grid.typeText("9");  // the cell under the in-place editor
  const CellPaint editor = f.grid.drawCell(0, 0);
  EXPECT_TRUE(editor.editorCell);
  EXPECT_TRUE(editor.selected);
  EXPECT_FALSE(editor.focused);
  EXPECT_EQ(editor.text, "9_.__.____");
  f.edtOutro.setFocus();  // leaving the grid writes the text
  EXPECT_EQ(f.cds.fieldByName("CDARVPROD").asString(), "9");
  EXPECT_FALSE(f.grid.drawCell(0, 0).selected);  // no focus, no always-show option
  EXPECT_EQ(seen, (std::vector<std::string>{"1:NMPRODUTO:Chá:", "0:CDARVPROD:Café:SF", "0:CDARVPROD:Café:SE",
                                            "0:CDARVPROD:Café:"}));
  EXPECT_EQ(f.grid.drawCell(5, 0).text, "");  // out of range
}

TEST(GridFocus, AFieldAskingForTheFocusLandsOnItsColumn) {
  ItemsForm f;
  f.edtOutro.setFocus();
  f.qt().focusControl();
  EXPECT_EQ(f.form.activeControl(), &f.grid);
  EXPECT_EQ(f.form.focusedField(), &f.qt());
  EXPECT_EQ(f.log.take(), "");  // placed by the program: no column exit
}

// A sale header edited through data-aware edits.
struct HeaderForm {
  ClientDataSet cds{"cdsPedidoVenda"};
  DataSource dts{"dtsPedidoVenda"};
  Form form{"frmTeste"};
  DBEdit& dbeNrECF = form.add<DBEdit>("dbeNrECF");
  DBEdit& dbeValor = form.add<DBEdit>("dbeValor");
  DBText& dbtNumero = form.add<DBText>("dbtNumero");
  DBNavigator& nav = form.add<DBNavigator>("dbnPadrao");
  Journal log;

  HeaderForm() {
    cds.addField("NRECF", FieldType::String, 4);
    cds.addField("VRTOTAL", FieldType::Float).setDisplayFormat("#,##0.00");
    cds.setData(DataPacket{{{"NRECF", FieldType::String, 4, false}, {"VRTOTAL", FieldType::Float, 0, false}},
                           {{RowKind::Unchanged, {Value("0001"), Value(1234.5)}, {}},
                            {RowKind::Unchanged, {Value("0002"), Value(10.0)}, {}}}});
    dts.setDataSet(&cds);
    for (DBEdit* e : {&dbeNrECF, &dbeValor}) e->setDataSource(&dts);
    dbeNrECF.setFieldName("NRECF");
    dbeValor.setFieldName("VRTOTAL");
    dbtNumero.setDataSource(&dts);
    dbtNumero.setFieldName("VRTOTAL");
    nav.setDataSource(&dts);
    cds.BeforeEdit = [this](ClientDataSet&) { log.add("beforeedit"); };
    cds.fieldByName("NRECF").OnSetText = [this](Field& f, const std::string& t) {
      log.add("settext " + t);
      f.setAsString(t);
    };
  }
};

TEST(DataAwareEdits, TypingStartsAnEditAndLeavingAssignsThroughSetText) {
  HeaderForm h;
  EXPECT_EQ(h.dbeNrECF.text(), "0001");
  EXPECT_EQ(h.dbtNumero.text(), "1.234,50");
  EXPECT_EQ(h.dbeNrECF.retype("12"), 2);
  EXPECT_EQ(h.cds.state(), DataSetState::Edit);
  EXPECT_TRUE(h.dbeNrECF.modified());
  EXPECT_EQ(h.cds.fieldByName("NRECF").asString(), "0001");
  EXPECT_EQ(h.dbeNrECF.typeText("345"), 2);  // the field holds 4 characters
  h.dbeValor.setFocus();
  EXPECT_EQ(h.log.take(), "beforeedit,settext 1234");
  EXPECT_EQ(h.cds.fieldByName("NRECF").asString(), "1234");
  EXPECT_FALSE(h.dbeNrECF.modified());

  // A text the field refuses keeps the focus in the edit.
  EXPECT_EQ(h.dbeValor.retype("abc"), 3);
  EXPECT_THROW(h.dbeNrECF.setFocus(), UserError);
  EXPECT_EQ(h.form.activeControl(), &h.dbeValor);
  h.dbeValor.retype("2,5");
  h.cds.post();  // a post writes what was typed
  EXPECT_EQ(h.cds.fieldByName("VRTOTAL").asFloat(), 2.5);
  EXPECT_EQ(h.dbtNumero.text(), "2,50");
}

TEST(DataAwareEdits, MovingToAnotherRowDropsWhatWasTypedReadOnlyRefuses) {
  HeaderForm h;
  h.dbeNrECF.retype("9");
  h.cds.cancel();
  EXPECT_EQ(h.dbeNrECF.text(), "0001");
  EXPECT_TRUE(h.nav.buttonEnabled(NavButton::Next));
  EXPECT_FALSE(h.nav.buttonEnabled(NavButton::First));
  NavButton clicked = NavButton::First;
  h.nav.OnClick = [&](Control&, NavButton b) { clicked = b; };
  EXPECT_TRUE(h.nav.click(NavButton::Last));
  EXPECT_EQ(clicked, NavButton::Last);
  EXPECT_EQ(h.dbeNrECF.text(), "0002");
  EXPECT_FALSE(h.nav.click(NavButton::Next));
  h.cds.fieldByName("NRECF").setReadOnly(true);
  EXPECT_EQ(h.dbeNrECF.typeText("1"), 0);
  EXPECT_EQ(h.cds.state(), DataSetState::Browse);
  h.cds.BeforeEdit = [](ClientDataSet&) { Abort(); };  // a guard refuses the change
  EXPECT_THROW(h.dbeValor.typeText("1"), SilentAbort);
  EXPECT_EQ(h.dbeValor.text(), "10,00");
}

TEST(DataAwareEdits, ControlsOutliveTheirDataSource) {
  Form form("frm");
  DBGrid& grid = form.add<DBGrid>("dbg");
  DBEdit& edit = form.add<DBEdit>("dbe");
  ClientDataSet cds("cds");
  cds.addField("A", FieldType::String, 2);
  cds.createDataSet();
  {
    DataSource dts("dts");
    dts.setDataSet(&cds);
    grid.setDataSource(&dts);
    edit.setDataSource(&dts);
    edit.setFieldName("A");
  }
  EXPECT_EQ(grid.dataSource(), nullptr);
  EXPECT_EQ(edit.dataSource(), nullptr);
  EXPECT_EQ(grid.rowCount(), 0);
  EXPECT_EQ(edit.typeText("x"), 0);
}

}  // namespace
