#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "gui/formview.h"
#include "gui/gridmodel.h"
#include "platform/abort.h"
#include "platform/dataset.h"
#include "platform/datasource.h"
#include "qtapp.h"

using namespace platform;

namespace {

class GridTest : public ::testing::Test {
 protected:
  GridTest() {
    guitest::app();
    set.addField("CODIGO", FieldType::String, 5).setDisplayLabel("Código");
    set.addField("NOME", FieldType::String, 20);
    set.addField("INTERNO", FieldType::String, 5);
    set.createDataSet();
    for (auto [code, name] : {std::pair{"001", "Ana"}, {"002", "Bruno"}, {"003", "Carla"}}) {
      set.append();
      set.fieldByName("CODIGO").setAsString(code);
      set.fieldByName("NOME").setAsString(name);
      set.post();
    }
    set.first();
    source.setDataSet(&set);
    grid.setDataSource(&source);
    grid.addColumn("CODIGO", "", 60);
    grid.addColumn("INTERNO").setVisible(false);
    grid.addColumn("NOME", "Nome do cliente");
  }
  ClientDataSet set{"cdsClientes"};
  DataSource source{"dtsClientes"};
  Form form{"frmTeste"};
  DBGrid& grid = form.add<DBGrid>("dbgClientes");
};

QString cell(const gui::GridModel& m, int r, int c, int role = Qt::DisplayRole) {
  return m.data(m.index(r, c), role).toString();
}

}  // namespace

TEST_F(GridTest, AdapterShowsVisibleColumnsAndDisplayTextsWithoutMovingTheCursor) {
  gui::GridModel model(grid);
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Código");
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Nome do cliente");
  EXPECT_EQ(model.gridColumn(1), 2);
  EXPECT_EQ(model.modelColumn(1), -1);
  EXPECT_EQ(cell(model, 2, 1), "Carla");
  EXPECT_EQ(cell(model, 1, 0), "002");
  EXPECT_EQ(set.recNo(), 1);
}

TEST_F(GridTest, DrawingRuleGivesColoursAndTexts) {
  grid.OnDrawColumnCell = [](DBGrid&, const CellContext& c, CellAppearance& look) {
    if (c.field && c.field->name() == "NOME" && c.field->asString() == "Bruno") {
      look.fontColor = clRed;
      look.text = "Bruno (bloqueado)";
    }
  };
  gui::GridModel model(grid);
  EXPECT_EQ(cell(model, 1, 1), "Bruno (bloqueado)");
  EXPECT_EQ(model.data(model.index(1, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
  EXPECT_FALSE(model.data(model.index(0, 1), Qt::ForegroundRole).isValid());
}

TEST_F(GridTest, InsertionAndDeletionAreAnnouncedAsRows) {
  gui::GridModel model(grid);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  set.last();
  set.append();
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(model.rowCount(), 4);
  set.cancel();
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(model.rowCount(), 3);
  set.first();
  set.remove();
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(cell(model, 0, 1), "Bruno");
}

TEST_F(GridTest, ViewFollowsTheRecordSetAndMovesIt) {
  gui::FormView view(form);
  auto* table = qobject_cast<QTableView*>(view.widgetFor(grid));
  ASSERT_NE(table, nullptr);
  set.setRecNo(3);
  EXPECT_EQ(table->currentIndex().row(), 2);

  table->setCurrentIndex(table->model()->index(1, 1));  // the user's click
  EXPECT_EQ(set.recNo(), 2);
  EXPECT_EQ(grid.selectedIndex(), 2);

  // A failing column exit keeps the selection where it was.
  grid.OnColExit = [](Control&) { throw SilentAbort(); };
  table->setCurrentIndex(table->model()->index(1, 0));
  EXPECT_EQ(grid.selectedIndex(), 2);
  EXPECT_EQ(table->currentIndex().column(), 1);
}

TEST_F(GridTest, KeysGoThroughTheGridsFilters) {
  grid.OnKeyPress = [](Control&, char32_t& key) {
    if (key >= U'0' && key <= U'9') key = 0;  // names take no digits
  };
  grid.column(2).setButtonStyle(ButtonStyle::Ellipsis);
  int lookups = 0;
  grid.OnEditButtonClick = [&](Control&) { ++lookups; };
  gui::FormView view(form);
  auto* table = qobject_cast<QTableView*>(view.widgetFor(grid));
  table->setCurrentIndex(table->model()->index(0, 1));
  QTest::keyClicks(table, "Z9");
  QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
  QApplication::sendEvent(table, &accented);
  EXPECT_TRUE(grid.editorMode());
  EXPECT_EQ(grid.editText(), "Zé");
  EXPECT_EQ(table->model()->data(table->model()->index(0, 1)).toString(), "Zé");
  QTest::keyClick(table, Qt::Key_Return);
  EXPECT_EQ(set.fieldByName("NOME").asString(), "Zé");

  auto* ellipsis = table->viewport()->findChild<QToolButton*>();
  ASSERT_NE(ellipsis, nullptr);
  EXPECT_FALSE(ellipsis->isHidden());
  QTest::mouseClick(ellipsis, Qt::LeftButton);
  EXPECT_EQ(lookups, 1);
}

TEST_F(GridTest, TitlesSitAsTheirColumnsAskWhateverTheCellsDo) {
  gui::GridModel model(grid);
  auto title = [&](int c) { return model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(); };
  EXPECT_EQ(title(0), Qt::AlignLeft | Qt::AlignVCenter);
  // A title may sit apart from its cells: right over left-aligned text.
  grid.column(2).setTitleAlignment(Alignment::Right);
  grid.column(0).setTitleAlignment(Alignment::Center);
  EXPECT_EQ(title(1), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_EQ(title(0), Qt::AlignHCenter | Qt::AlignVCenter);
  EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignLeft | Qt::AlignVCenter);
}

// Columns get their first width once: a declared one grown with the font but
// never narrower than its title, an undeclared one from its field; after
// that the width is the user's, whatever the grid's record set does.
TEST_F(GridTest, ColumnsAreSizedOnceAndThenKeepTheUsersWidth) {
  gui::FormView view(form);
  auto* table = static_cast<QTableView*>(view.widgetFor(grid));
  ASSERT_NE(table, nullptr);
  const QFontMetrics fm = table->fontMetrics();
  EXPECT_GE(table->columnWidth(0), 60);
  EXPECT_GE(table->columnWidth(0), fm.horizontalAdvance(QStringLiteral("Código")));
  EXPECT_GE(table->columnWidth(1), fm.horizontalAdvance(QStringLiteral("Nome do cliente")));

  table->setColumnWidth(0, 300);
  set.next();
  set.last();
  EXPECT_EQ(table->columnWidth(0), 300);
}
