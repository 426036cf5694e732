#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDate>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "gui/desktopclient.h"
#include "gui/dialogs.h"
#include "gui/formview.h"
#include "gui/gridmodel.h"
#include "platform/form.h"
#include "qtapp.h"
#include "screen/frmmanutvenda.h"
#include "server/demodata.h"

namespace fs = std::filesystem;

namespace {

// The demonstration database, built once per test program and removed at
// its end; each test works on its own copy.
const fs::path& demoTemplate() {
  struct Template {
    fs::path dir = fs::temp_directory_path() / ("vnd_gui_" + std::to_string(getpid()));
    fs::path file = dir / "template.db";
    Template() {
      fs::remove_all(dir);  // left by an earlier process with the same id
      fs::create_directories(dir);
      server::createDemoDatabase("sqlite:" + file.string());
    }
    ~Template() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  };
  static const Template t;
  return t.file;
}

class ClientTest : public ::testing::Test {
 protected:
  ClientTest() {
    guitest::app();
    static int counter = 0;
    dir_ = demoTemplate().parent_path() / ("c" + std::to_string(++counter));
    fs::create_directories(dir_);
    fs::copy_file(demoTemplate(), dir_ / "vnd.db");
    client::SessionOptions o;
    o.database = "sqlite:" + (dir_ / "vnd.db").string();
    client = std::make_unique<gui::DesktopClient>(o, VND02600_MODULE);
  }
  ~ClientTest() override {
    client.reset();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  static std::string password(const std::string& code) {
    for (const server::DemoOperator& o : server::demoOperators())
      if (o.code == std::string(12 - code.size(), '0') + code) return o.password;
    return {};
  }

  static QStringList tabTexts(const QTabWidget* tabs) {
    QStringList out;
    for (int i = 0; i < tabs->count(); ++i) out << tabs->tabText(i);
    return out;
  }

  // Logs on and opens the screen in the shown main window from its menu.
  screen::TfrmManutVenda& openScreen() {
    EXPECT_EQ(client->logon({"1", password("1"), "0001"}), "");
    gui::MainWindow& window = client->window();
    showActive(window);
    window.screenAction()->trigger();
    auto* form = static_cast<screen::TfrmManutVenda*>(client->screen());
    view = window.viewFor(*form);
    return *form;
  }
  // Loads a register day in the opened screen the user's way: a click into
  // each filter input, the typing, then a click on the openings grid.
  void loadDay(const char* caixa, const char* date) {
    auto* reg = view->findChild<QLineEdit*>("medCdCaixa");
    auto* day = view->findChild<QLineEdit*>("depDeEntrega");
    QTest::mouseClick(reg, Qt::LeftButton);
    QTest::keyClicks(reg, caixa);
    QTest::mouseClick(day, Qt::LeftButton);
    QTest::keyClicks(day, date);
    clickRow(view->findChild<QTableView*>("dbgAberCaixa"), 0);
  }
  screen::TfrmManutVenda& openDay(const char* caixa, const char* date) {
    screen::TfrmManutVenda& form = openScreen();
    loadDay(caixa, date);
    return form;
  }
  static void showActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  static void clickRow(QTableView* grid, int row) {
    const QRect r = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    QApplication::processEvents();
  }
  static void clickTab(QTabWidget* tabs, int index) {
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
    QApplication::processEvents();
  }

  guitest::RecordingUi ui;
  std::unique_ptr<gui::DesktopClient> client;
  gui::FormView* view = nullptr;

 private:
  fs::path dir_;
};

}  // namespace

TEST_F(ClientTest, MenuOpensTheScreenModuleOnceRunningAsTheLoggedOperator) {
  ASSERT_EQ(client->logon({"1", password("1"), "0001"}), "");
  gui::MainWindow& window = client->window();
  EXPECT_EQ(window.statusBar()->findChild<QLabel*>("logon")->text(),
            "Operador: 000000000001 Ana Paula Ferraz   Filial: 0001 Matriz Centro");

  window.screenAction()->trigger();
  platform::Form* form = client->screen();
  ASSERT_NE(form, nullptr) << (ui.shown.empty() ? "" : ui.shown.back());
  EXPECT_TRUE(ui.shown.empty());
  ASSERT_EQ(window.mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(window.documentFor(*form)->windowTitle(), "Manutenção da Venda — Vnd02600");
  EXPECT_TRUE(window.viewFor(*form)->findChild<QLabel*>("lblCodTela")->isHidden());

  gui::FormView* view = window.viewFor(*form);
  ASSERT_NE(view, nullptr);
  const auto* pages = view->findChild<QTabWidget*>("pgcPadrao");
  const auto* zPages = view->findChild<QTabWidget*>("pgcReducao");
  ASSERT_NE(pages, nullptr);
  ASSERT_NE(zPages, nullptr);
  EXPECT_EQ(tabTexts(pages), QStringList({"Abertura de Caixa", "Venda", "Itens da Venda", "Itens Cancelados",
                                          "Recebimento", "Redução Z"}));
  EXPECT_EQ(tabTexts(zPages), QStringList({"Folha de Dados", "Formulário", "Dados Adicionais", "Imposto",
                                           "Totalizadores não Fiscais", "Forma de Pagamento", "Observação"}));
  // The first activation ran with the window in place: the filter shows
  // the branch the operator logged on at.
  const auto* branch = view->findChild<QLineEdit*>("medFilial");
  ASSERT_NE(branch, nullptr);
  EXPECT_EQ(branch->text(), "0001");

  // The screen's own connection carries the session: the server answers it.
  auto& screen = static_cast<screen::TfrmManutVenda&>(*form);
  EXPECT_TRUE(screen.netManutVenda.connected());
  EXPECT_EQ(screen.netManutVenda.sessionToken(), client->session().token());
  std::vector<platform::Value> args{platform::Value("0001")};
  const platform::RemoteResult r = screen.netManutVenda.call("getPerManut", args);
  EXPECT_TRUE(r.ok) << r.error;

  window.screenAction()->trigger();  // a second choice brings the same screen back
  EXPECT_EQ(client->screen(), form);
  EXPECT_EQ(window.mdiArea()->subWindowList().size(), 1);

  // Leaving the client closes the screen through its own close.
  EXPECT_TRUE(window.close());
  EXPECT_EQ(client->screen(), nullptr);
  EXPECT_FALSE(*static_cast<bool*>(client->module().symbol("boStCriado")));
  EXPECT_TRUE(window.mdiArea()->subWindowList().isEmpty());

  window.screenAction()->trigger();  // and the menu opens a fresh one
  EXPECT_NE(client->screen(), nullptr);
}

TEST_F(ClientTest, LogonDialogShowsTheServersRefusalAndStaysOpen) {
  gui::LogonDialog dialog([this](const gui::LogonRequest& r) { return client->logon(r); });
  dialog.fill({"1", "errada", "0001"});
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.errorLabel()->isHidden());
  EXPECT_EQ(dialog.errorLabel()->text(), "Operador ou senha inválidos.");
  EXPECT_TRUE(dialog.senhaEdit()->text().isEmpty());
  EXPECT_FALSE(client->session().loggedOn());

  dialog.fill({"1", password("1"), "9999"});
  dialog.accept();
  EXPECT_EQ(dialog.errorLabel()->text(), "Filial 9999 não cadastrada.");

  dialog.fill({"", "x", "0001"});
  dialog.accept();
  EXPECT_EQ(dialog.errorLabel()->text(), "Informe o operador.");

  dialog.fill({"1", password("1"), "0001"});
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(client->session().loggedOn());
  EXPECT_TRUE(client->window().statusBar()->findChild<QLabel*>("logon")->text().contains("Ana Paula Ferraz"));
}

TEST(ScreenModulePath, BuiltCopyFirstThenBesideTheExecutableThenTheLoadersSearch) {
  const fs::path dir = fs::temp_directory_path() / ("vnd_gui_mod_" + std::to_string(getpid()));
  fs::create_directories(dir / "bin");
  const fs::path built = dir / "built.so";
  std::ofstream(built).put('x');
  EXPECT_EQ(gui::screenModulePath(built.string(), dir / "bin"), built.string());

  const fs::path beside = dir / "bin" / gui::kScreenModuleFile;
  std::ofstream(beside).put('x');
  EXPECT_EQ(gui::screenModulePath((dir / "gone.so").string(), dir / "bin"), beside.string());
  EXPECT_EQ(gui::screenModulePath("", dir / "bin"), beside.string());

  fs::remove(beside);
  EXPECT_EQ(gui::screenModulePath((dir / "gone.so").string(), dir / "bin"), gui::kScreenModuleFile);
  fs::remove_all(dir);
}

TEST(DesktopClientStart, MissingModuleIsToldInPortuguese) {
  guitest::app();
  const fs::path dir = fs::temp_directory_path() / ("vnd_gui_nomod_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  client::SessionOptions o;
  o.database = "sqlite:" + (dir / "vnd.db").string();
  try {
    gui::DesktopClient c(o, (dir / "libNaoExiste.so").string());
    ADD_FAILURE() << "a client without its screen module started";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Não foi possível carregar a tela Manutenção da Venda"), std::string::npos)
        << e.what();
  }
  fs::remove_all(dir);
}

// The filter panel through the widgets: typing the register and the date
// and moving to the openings grid loads the day; the grid shows its rows,
// the sales page opens and the toolbar offers what the openings allow.
TEST_F(ClientTest, LeavingTheFilterPanelLoadsTheDayIntoTheWidgets) {
  screen::TfrmManutVenda* form = &openScreen();
  ASSERT_NE(view, nullptr);
  auto* grid = view->findChild<QTableView*>("dbgAberCaixa");
  auto* pages = view->findChild<QTabWidget*>("pgcPadrao");
  ASSERT_TRUE(grid && pages);
  EXPECT_FALSE(pages->isTabEnabled(1));

  loadDay("1", "06032026");

  EXPECT_TRUE(ui.shown.empty()) << ui.shown.back();
  EXPECT_EQ(form->medCdCaixa.text(), "001");
  EXPECT_EQ(form->cdsAberCaixa.recordCount(), 1);
  EXPECT_EQ(grid->model()->rowCount(), 1);
  EXPECT_TRUE(pages->isTabEnabled(1));
  EXPECT_TRUE(form->sbtIncluir.enabled());
  EXPECT_TRUE(form->btnFecharCaixa.enabled());
  EXPECT_GT(form->cdsPedidoVenda.recordCount(), 0);

  // Closing the day from the button and from its menu entry (Ctrl+F): the
  // day has no Z reduction yet, so both are refused with the screen's text.
  auto* close = view->findChild<QToolButton*>("btnFecharCaixa");
  ASSERT_NE(close, nullptr);
  EXPECT_TRUE(close->isEnabled());
  QTest::mouseClick(close, Qt::LeftButton);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0], form->Msg("REDUCZ_N_INF"));
  QAction* shortcut = view->actionFor(form->mnuFecharCaixa);
  ASSERT_NE(shortcut, nullptr);
  EXPECT_EQ(shortcut->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
  shortcut->trigger();
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[1], form->Msg("REDUCZ_N_INF"));
}

TEST_F(ClientTest, ReceiptsAreTypedIntoTheirGridWithTheKeyboard) {
  screen::TfrmManutVenda* form = &openDay("1", "06032026");
  gui::MainWindow& window = client->window();
  auto* pages = view->findChild<QTabWidget*>("pgcPadrao");
  auto* grid = view->findChild<QTableView*>("dbgTipoRece");
  ASSERT_TRUE(pages && grid);
  ASSERT_TRUE(ui.shown.empty()) << ui.shown.back();
  ASSERT_EQ(form->cdsAberCaixa.recordCount(), 1);
  clickTab(pages, 1);
  ASSERT_TRUE(form->cdsPedidoVenda.active());
  // The demo's pending typed sale paid in part by card.
  ASSERT_TRUE(form->cdsPedidoVenda.locate("NRSEQVENDA", platform::Value("0000000059")));
  clickTab(pages, 4);
  ASSERT_EQ(pages->currentIndex(), 4);

  QAbstractItemModel* model = grid->model();
  QStringList titles;
  for (int c = 0; c < model->columnCount(); ++c) titles << model->headerData(c, Qt::Horizontal).toString();
  EXPECT_TRUE(titles.contains("Valor (Outras Moedas)")) << titles.join("|").toStdString();
  ASSERT_EQ(model->rowCount(), 1);
  const auto column = [&](const char* title) { return static_cast<int>(titles.indexOf(title)); };
  EXPECT_EQ(model->data(model->index(0, column("Valor"))).toString(), "102,95");

  // A dollar receipt: Insert, its code, Tab to the amount, Enter posts it,
  // which saves it converted with the day's quotation.
  grid->setFocus();
  grid->setCurrentIndex(model->index(0, column("Código")));
  QTest::keyClick(grid, Qt::Key_Insert);
  ASSERT_EQ(form->cdsTipoRece.state(), platform::DataSetState::Insert);
  QTest::keyClicks(grid, "6");
  QTest::keyClick(grid, Qt::Key_Tab);
  QTest::keyClick(grid, Qt::Key_Tab);
  QTest::keyClicks(grid, "10");
  // The cell being typed shows as an input: its frame in the highlight
  // colour and a caret after the text.
  const QModelIndex typing = grid->currentIndex();
  ASSERT_TRUE(typing.data(gui::kEditorCellRole).toBool());
  const QRect cell = grid->visualRect(typing);
  const QImage shot = grid->viewport()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(cell.left() + 1, cell.center().y()), grid->palette().color(QPalette::Highlight));
  EXPECT_EQ(shot.pixelColor(cell.center().x(), cell.top() + 1), grid->palette().color(QPalette::Highlight));
  const int caret = typing.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight
                        ? cell.right() - 4
                        : cell.left() + 4 + grid->fontMetrics().horizontalAdvance(QStringLiteral("10"));
  EXPECT_EQ(shot.pixelColor(caret, cell.center().y()), grid->palette().color(QPalette::Text));
  QTest::keyClick(grid, Qt::Key_Return);
  auto* confirm = view->findChild<QToolButton*>("sbtConfirmar");
  ASSERT_NE(confirm, nullptr);
  QTest::mouseClick(confirm, Qt::LeftButton);
  EXPECT_EQ(ui.shown, std::vector<std::string>{form->Msg("VENDA_NPAGA")});
  EXPECT_EQ(form->cdsTipoRece.changeCount(), 0);
  // The save went through: said without a box to close.
  ASSERT_FALSE(ui.notices.empty());
  EXPECT_EQ(ui.notices.back(), "Alterações gravadas no servidor.");
  // The page names the sale whose receipts it lists.
  const QString header = view->findChild<QLabel*>("lblContextoRecebimento")->text();
  EXPECT_TRUE(header.startsWith(QStringLiteral("Venda 0000000059"))) << header.toStdString();
  EXPECT_TRUE(header.contains(QStringLiteral("Pendente"))) << header.toStdString();
  ASSERT_EQ(model->rowCount(), 2);
  const int row = form->cdsTipoRece.recNo() - 1;
  EXPECT_EQ(model->data(model->index(row, column("Nome"))).toString(), "Dólar");
  EXPECT_EQ(model->data(model->index(row, column("Valor"))).toString(), "10,00");
  EXPECT_FALSE(model->data(model->index(row, column("Valor (Outras Moedas)"))).toString().isEmpty());
  for (const char* readOnly : {"Nome", "Valor (Outras Moedas)"})
    EXPECT_FALSE(model->flags(model->index(row, column(readOnly))) & Qt::ItemIsEditable) << readOnly;
  if (const char* shot = std::getenv("VND_SHOT")) window.grab().save(QString::fromUtf8(shot));
}

// Clicking a page's tab while a grid has the focus changes the page and
// nothing else: the hidden grid's focus moving on is the toolkit's doing,
// not the user entering the filter (which would empty the day). Choosing a
// page from the menu puts the focus on that page, so keys go to what shows.
TEST_F(ClientTest, PageChangesKeepTheDayAndMoveTheFocusOntoTheNewPage) {
  screen::TfrmManutVenda& form = openDay("1", "06032026");
  ASSERT_TRUE(ui.shown.empty()) << ui.shown.back();
  auto* pages = view->findChild<QTabWidget*>("pgcPadrao");
  auto* openings = view->findChild<QTableView*>("dbgAberCaixa");
  auto* sales = view->findChild<QTableView*>("dbgPadrao");
  ASSERT_TRUE(pages && openings && sales);
  ASSERT_EQ(form.activeControl(), &form.dbgAberCaixa);

  clickTab(pages, 1);
  EXPECT_EQ(form.pgcPadrao.activePage(), &form.tshFolhaDados);
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_EQ(form.cdsAberCaixa.recordCount(), 1);
  EXPECT_TRUE(pages->isTabEnabled(1));
  EXPECT_TRUE(sales->hasFocus());
  EXPECT_EQ(form.activeControl(), &form.dbgPadrao);

  clickRow(sales, 0);
  clickTab(pages, 5);
  EXPECT_EQ(form.pgcPadrao.activePage(), &form.tshReducao);
  EXPECT_EQ(form.cdsAberCaixa.recordCount(), 1);

  // Back on the openings, the menu's "Venda" shows the sales and takes the
  // focus there: Down moves the sales list, not the hidden openings grid.
  clickTab(pages, 0);
  clickRow(openings, 0);
  QAction* venda = view->actionFor(form.mnuFolhaDados);
  ASSERT_NE(venda, nullptr);
  venda->trigger();
  QApplication::processEvents();
  EXPECT_EQ(form.pgcPadrao.activePage(), &form.tshFolhaDados);
  const int before = form.cdsPedidoVenda.recNo();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(form.cdsAberCaixa.recNo(), 1);
  EXPECT_EQ(form.cdsPedidoVenda.recNo(), before + 1);
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.back();
}

// A code pasted into the item's code cell (Ctrl+V or Shift+Insert, with the
// line break a copied cell brings) or typed there by a scanner arrives
// whole, past the tree code's mask, and finds its product.
TEST_F(ClientTest, PastedAndScannedCodesReachTheItemsCodeCellWhole) {
  screen::TfrmManutVenda& form = openDay("1", "06032026");
  auto* pages = view->findChild<QTabWidget*>("pgcPadrao");
  auto* items = view->findChild<QTableView*>("dbgItens");
  ASSERT_TRUE(pages && items);
  clickTab(pages, 1);
  ASSERT_TRUE(form.cdsPedidoVenda.locate("NRSEQVENDA", platform::Value("0000000054")));
  clickTab(pages, 2);
  ASSERT_EQ(pages->currentIndex(), 2);
  clickRow(items, 0);
  const struct {
    const char* code;
    QKeyCombination paste;  // none: typed key by key
  } entries[] = {{"7890000000017\n", QKeyCombination(Qt::CTRL, Qt::Key_V)},
                 {"EX00001", QKeyCombination(Qt::SHIFT, Qt::Key_Insert)},
                 {"7890000000017", QKeyCombination()}};
  for (const auto& entry : entries) {
    SCOPED_TRACE(entry.code);
    QTest::keyClick(items, Qt::Key_Insert);
    ASSERT_EQ(form.cdsItens.state(), platform::DataSetState::Insert);
    form.dbgItens.setSelectedIndex(form.dbgItens.columnIndex("CDARVPROD"));
    if (entry.paste.key() == Qt::Key_unknown) {
      QTest::keyClicks(items, entry.code);
    } else {
      QApplication::clipboard()->setText(QString::fromUtf8(entry.code));
      QTest::keyClick(items, entry.paste.key(), entry.paste.keyboardModifiers());
    }
    EXPECT_EQ(form.dbgItens.editText(), QString::fromUtf8(entry.code).trimmed().toStdString());
    QTest::keyClick(items, Qt::Key_Tab);
    EXPECT_TRUE(ui.shown.empty()) << ui.shown.back();
    EXPECT_EQ(form.cdsItens.fieldByName("CDARVPROD").asString(), "01010001");
    QTest::keyClick(items, Qt::Key_Escape);
    EXPECT_EQ(form.cdsItens.state(), platform::DataSetState::Browse);
  }
}

// The operator and branch stay in the status bar while menus open and close.
TEST_F(ClientTest, TheLogonLineOutlivesAnOpenedMenu) {
  ASSERT_EQ(client->logon({"1", password("1"), "0001"}), "");
  gui::MainWindow& window = client->window();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QString line = QStringLiteral("Operador: 000000000001 Ana Paula Ferraz   Filial: 0001 Matriz Centro");
  ASSERT_TRUE(window.statusBar()->findChild<QLabel*>("logon"));
  EXPECT_EQ(window.statusBar()->findChild<QLabel*>("logon")->text(), line);
  QMenuBar* bar = window.menuBar();
  QAction* vendas = bar->actions().front();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(vendas).center());
  QApplication::processEvents();
  ASSERT_TRUE(vendas->menu()->isVisible());
  QTest::keyClick(vendas->menu(), Qt::Key_Escape);
  QTest::keyClick(bar, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(window.statusBar()->findChild<QLabel*>("logon")->text(), line);
  EXPECT_TRUE(window.statusBar()->findChild<QLabel*>("logon")->isVisible());
}

// At 1366x728 (a 1366x768 screen less its taskbar) the screen fills the main
// window and every page fits without a scroll bar: no widget is cut.
TEST_F(ClientTest, EveryPageFitsA1366x728Window) {
  gui::MainWindow& window = client->window();
  window.resize(1366, 728);
  screen::TfrmManutVenda* form = &openDay("1", "06032026");
  clickTab(view->findChild<QTabWidget*>("pgcPadrao"), 5);
  const QSize area = window.mdiArea()->viewport()->size();
  EXPECT_TRUE(window.documentFor(*form)->isMaximized());
  EXPECT_LE(view->minimumSizeHint().height(), area.height());
  EXPECT_LE(view->minimumSizeHint().width(), area.width());
  for (const char* name : {"pgcPadrao", "pgcReducao"}) {
    auto* tabs = view->findChild<QTabWidget*>(name);
    ASSERT_NE(tabs, nullptr);
    // The pages share the room of the one showing.
    const QSize room = tabs->currentWidget()->size();
    for (int i = 0; i < tabs->count(); ++i) {
      const QSize needed = tabs->widget(i)->minimumSizeHint();
      EXPECT_TRUE(needed.height() <= room.height() && needed.width() <= room.width())
          << name << " " << tabs->tabText(i).toStdString();
    }
  }
  EXPECT_FALSE(window.mdiArea()->verticalScrollBar()->isVisible());
  EXPECT_FALSE(window.mdiArea()->horizontalScrollBar()->isVisible());
}

// The sales grid shows the whole sale number, keeps status, register and
// number in view while it scrolls sideways, and tells what a status means.
TEST_F(ClientTest, SalesGridShowsWholeNumbersAndKeepsTheSaleInView) {
  client->window().resize(1366, 728);
  openDay("1", "06032026");
  clickTab(view->findChild<QTabWidget*>("pgcPadrao"), 1);
  auto* sales = view->findChild<QTableView*>("dbgPadrao");
  ASSERT_NE(sales, nullptr);
  const QFontMetrics fm = sales->fontMetrics();
  EXPECT_GE(sales->columnWidth(2), fm.horizontalAdvance(QStringLiteral("0000000051")));
  EXPECT_GE(sales->columnWidth(0), fm.horizontalAdvance(sales->model()->index(0, 0).data().toString()));
  EXPECT_EQ(sales->model()->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("Concluída"));

  sales->horizontalScrollBar()->setValue(sales->horizontalScrollBar()->maximum());
  QApplication::processEvents();
  ASSERT_GT(sales->horizontalScrollBar()->maximum(), 0);
  auto* frozen = sales->findChild<QTableView*>();
  ASSERT_NE(frozen, nullptr);
  EXPECT_TRUE(frozen->isVisible());
  EXPECT_FALSE(frozen->isColumnHidden(2));
  EXPECT_TRUE(frozen->isColumnHidden(3));
  EXPECT_EQ(frozen->columnWidth(2), sales->columnWidth(2));
}

// The keyboard alone: F2 and Alt+Down open the register's look-up, Enter
// walks the filter and leaves it into the day, Ctrl+Tab turns the pages, F1
// and the "Ajuda" button open the screen's guide.
TEST_F(ClientTest, KeyboardOpensLookUpsWalksTheFilterTurnsPagesAndAsksForHelp) {
  screen::TfrmManutVenda& form = openScreen();
  gui::MainWindow& window = client->window();
  auto* reg = view->findChild<QLineEdit*>("medCdCaixa");
  QTest::mouseClick(reg, Qt::LeftButton);
  QTest::keyClick(reg, Qt::Key_F2);
  QTest::keyClick(reg, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(ui.picked.size(), 2u);

  QTest::keyClicks(reg, "1");
  QTest::keyClick(reg, Qt::Key_Return);
  EXPECT_EQ(form.activeControl()->name(), "depDeEntrega");
  QTest::keyClicks(QApplication::focusWidget(), "06032026");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(form.cdsAberCaixa.recordCount(), 1);
  EXPECT_EQ(form.activeControl(), &form.dbgAberCaixa);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(form.pgcPadrao.activePage(), &form.tshFolhaDados);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(form.pgcPadrao.activePage(), &form.tshAberCaixa);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  ASSERT_NE(window.helpWindow(), nullptr);
  EXPECT_TRUE(window.helpWindow()->isVisible());
  EXPECT_TRUE(window.helpWindow()->toPlainText().contains(QStringLiteral("Manutenção da Venda")));
  window.helpWindow()->close();
  QTest::mouseClick(view->findChild<QToolButton*>("sbtAjuda"), Qt::LeftButton);
  EXPECT_TRUE(window.helpWindow()->isVisible());
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.back();
}

// The pages tell what they show: the sales list what its colours mean
// (returned and with cancelled items apart), the detail pages which sale and
// which item, and an empty list that it is empty; the observation under the
// sales list takes the height its splitter is dragged to.
TEST_F(ClientTest, PagesTellWhatTheyShowAndTheObservationIsSized) {
  client->window().resize(1366, 728);
  screen::TfrmManutVenda& form = openDay("1", "06032026");
  auto* pages = view->findChild<QTabWidget*>("pgcPadrao");
  clickTab(pages, 1);
  auto* sales = view->findChild<QTableView*>("dbgPadrao");
  auto* legend = view->findChild<QWidget*>("dbgPadraoLegenda");
  ASSERT_TRUE(sales && legend);
  EXPECT_TRUE(legend->isVisible());
  QStringList entries;
  for (const QLabel* l : legend->findChildren<QLabel*>())
    entries << l->text() + (l->font().italic() ? QStringLiteral("/itálico") : QString());
  EXPECT_TRUE(entries.contains(QStringLiteral("Devolvida"))) << entries.join('|').toStdString();
  EXPECT_TRUE(entries.contains(QStringLiteral("Com itens cancelados/itálico"))) << entries.join('|').toStdString();
  int withCancelled = 0, plain = -1;
  for (int r = 0; r < sales->model()->rowCount(); ++r) {
    const QModelIndex cell = sales->model()->index(r, 0);
    const bool cancelled = cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("itens cancelados"));
    EXPECT_EQ(cell.data(Qt::FontRole).value<QFont>().italic(), cancelled) << r;
    withCancelled += cancelled;
    if (!cancelled && plain < 0) plain = r;
  }
  EXPECT_GT(withCancelled, 0);
  ASSERT_GE(plain, 0);

  auto* memo = view->findChild<QPlainTextEdit*>("memObs");
  ASSERT_NE(memo, nullptr);
  auto* box = qobject_cast<QGroupBox*>(memo->parentWidget());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), QStringLiteral("Observação"));
  auto* splitter = qobject_cast<QSplitter*>(box->parentWidget());
  ASSERT_NE(splitter, nullptr);
  QWidget* handle = splitter->handle(1);
  const int before = memo->height();
  const QPoint grip = handle->rect().center();
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip - QPoint(0, 80));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 80));
  EXPECT_GT(memo->height(), before + 40);

  clickRow(sales, plain);
  const std::string number = form.cdsPedidoVenda.fieldByName("NRSEQVENDA").asString();
  clickTab(pages, 2);
  const QString header = view->findChild<QLabel*>("lblContextoFormulario")->text();
  EXPECT_TRUE(header.startsWith(QString::fromStdString("Venda " + number))) << header.toStdString();
  EXPECT_TRUE(header.contains(QStringLiteral("Total ") + QString::fromStdString(form.nedTotal.text())))
      << header.toStdString();
  // The items fit their grid once its row indicator has taken its room.
  EXPECT_EQ(view->findChild<QTableView*>("dbgItens")->horizontalScrollBar()->maximum(), 0);
  const QString taxes = view->findChild<QLabel*>("lblImpostoItem")->text();
  EXPECT_TRUE(taxes.startsWith(QStringLiteral("Impostos do item ") +
                               QString::fromStdString(form.cdsItens.fieldByName("NRSEQUITVEND").asString())))
      << taxes.toStdString();
  EXPECT_FALSE(view->findChild<QLabel*>("dbgItensVazia")->isVisible());

  clickTab(pages, 3);
  ASSERT_EQ(form.pgcPadrao.activePage(), &form.tshItensCancelados);
  EXPECT_EQ(view->findChild<QLabel*>("lblContextoItensCancelados")->text(), header);
  auto* none = view->findChild<QLabel*>("dbgItensCanceladosVazia");
  EXPECT_TRUE(none->isVisible());
  EXPECT_EQ(none->text(), QStringLiteral("Esta venda não tem itens cancelados."));
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.back();
}

// The movement date is picked from a calendar (Alt+Down or its button) and
// shows its day of the week; a day without a register opening says so.
TEST_F(ClientTest, DateComesFromACalendarAndAnEmptyDaySaysSo) {
  screen::TfrmManutVenda& form = openScreen();
  auto* reg = view->findChild<QLineEdit*>("medCdCaixa");
  auto* date = view->findChild<QLineEdit*>("depDeEntrega");
  QTest::mouseClick(reg, Qt::LeftButton);
  QTest::keyClicks(reg, "1");
  QTest::mouseClick(date, Qt::LeftButton);
  const auto pick = [&](QDate day) {
    auto* calendar = view->findChild<QCalendarWidget*>("calendario");
    ASSERT_TRUE(calendar && calendar->isVisible());
    calendar->setSelectedDate(day);
    QTest::keyClick(calendar->findChild<QTableView*>(), Qt::Key_Return);
    QApplication::processEvents();
  };
  QTest::keyClick(date, Qt::Key_Down, Qt::AltModifier);
  pick(QDate(2026, 3, 6));
  EXPECT_EQ(form.depDeEntrega.displayText(), "06/03/2026");
  EXPECT_EQ(view->findChild<QLabel*>("depDeEntregaDiaSemana")->text(), QStringLiteral("Sexta"));

  QTest::mouseClick(view->findChild<QToolButton*>("depDeEntregaCalendario"), Qt::LeftButton);
  pick(QDate(2026, 2, 1));
  EXPECT_EQ(form.depDeEntrega.displayText(), "01/02/2026");
  EXPECT_EQ(view->findChild<QLabel*>("depDeEntregaDiaSemana")->text(), QStringLiteral("Domingo"));
  QTest::mouseClick(view->findChild<QTableView*>("dbgAberCaixa")->viewport(), Qt::LeftButton);
  QApplication::processEvents();
  ASSERT_TRUE(form.cdsAberCaixa.active());
  EXPECT_EQ(form.cdsAberCaixa.recordCount(), 0);
  auto* empty = view->findChild<QLabel*>("dbgAberCaixaVazia");
  EXPECT_TRUE(empty->isVisible());
  EXPECT_EQ(empty->text(), QStringLiteral("Nenhuma abertura de caixa neste dia."));
  EXPECT_TRUE(ui.shown.empty()) << ui.shown.back();
}

// The logon dialog's branch look-up lists the database's branches.
TEST_F(ClientTest, LogonBranchLookUpListsTheBranches) {
  gui::QtUiServices services;
  platform::setUi(&services);
  gui::LogonDialog dialog([this](const gui::LogonRequest& r) { return client->logon(r); }, nullptr,
                          [this] { return client->pickBranch(); });
  QStringList listed;
  QTimer::singleShot(0, [&] {
    auto* list = dynamic_cast<gui::PesquisarDialog*>(QApplication::activeModalWidget());
    if (!list) return;
    for (int r = 0; r < list->table()->model()->rowCount(); ++r)
      listed << list->table()->model()->index(r, 0).data().toString();
    list->search(QStringLiteral("0002"));
    QTest::keyClick(list->table(), Qt::Key_Return);
  });
  QTest::keyClick(dialog.filialEdit(), Qt::Key_F2);
  platform::setUi(&ui);
  EXPECT_EQ(listed, (QStringList{QStringLiteral("0001"), QStringLiteral("0002")}));
  EXPECT_EQ(dialog.filialEdit()->text(), QStringLiteral("0002"));
}
