#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "gui/formview.h"
#include "platform/abort.h"
#include "qtapp.h"

using namespace platform;

namespace {

class BindingTest : public ::testing::Test {
 protected:
  BindingTest() { guitest::app(); }
  guitest::RecordingUi ui;
  Form form{"frmTeste"};
};

}  // namespace

TEST_F(BindingTest, ModelChangesShowAtOnce) {
  Label& lbl = form.add<Label>("lblTitulo", nullptr, "Filial");
  Edit& edt = form.add<Edit>("edtNome");
  NumberBox& ned = form.add<NumberBox>("nedTotal");
  Button& btn = form.add<Button>("btnGravar", nullptr, "Gravar");
  MenuItem& menu = form.add<MenuItem>("mnuArquivo", nullptr, "&Arquivo");
  MenuItem& item = form.add<MenuItem>("mnuFolha", &menu, "&Folha", "Ctrl+F");
  gui::FormView view(form);

  auto* label = qobject_cast<QLabel*>(view.widgetFor(lbl));
  auto* edit = qobject_cast<QLineEdit*>(view.widgetFor(edt));
  auto* number = qobject_cast<QLineEdit*>(view.widgetFor(ned));
  auto* button = qobject_cast<QToolButton*>(view.widgetFor(btn));
  ASSERT_TRUE(label && edit && number && button);

  lbl.setCaption("Caixa");
  edt.setText("Maria");
  edt.setEnabled(false);
  ned.setValue(1234.5);
  EXPECT_EQ(label->text(), "Caixa");
  EXPECT_EQ(edit->text(), "Maria");
  EXPECT_FALSE(edit->isEnabled());
  EXPECT_EQ(number->text().toStdString(), ned.text());
  EXPECT_TRUE(number->alignment() & Qt::AlignRight);

  // The permission flag folds into what the button offers.
  EXPECT_TRUE(button->isEnabled());
  btn.setPermitted(false);
  EXPECT_FALSE(button->isEnabled());
  btn.setPermitted(true);
  btn.setVisible(false);
  EXPECT_TRUE(button->isHidden());

  QAction* action = view.actionFor(item);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
  item.setChecked(true);
  EXPECT_TRUE(action->isChecked());
  item.setEnabled(false);
  EXPECT_FALSE(action->isEnabled());
}

TEST_F(BindingTest, TypingGoesThroughTheModelsKeyEvents) {
  Edit& edt = form.add<Edit>("edtCodigo");
  int changes = 0;
  edt.OnChange = [&](Control&) { ++changes; };
  edt.OnKeyPress = [](Control&, char32_t& key) {
    if (key == U'x') key = 0;  // the screen refuses this character
  };
  MaskEdit& med = form.add<MaskEdit>("medData", nullptr, "99/99/9999;1;_");
  gui::FormView view(form);
  auto* edit = qobject_cast<QLineEdit*>(view.widgetFor(edt));

  QTest::keyClicks(edit, "axb");
  EXPECT_EQ(edt.text(), "ab");
  EXPECT_EQ(edit->text(), "ab");
  EXPECT_EQ(changes, 2);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edt.text(), "a");

  // A masked edit shows its mask's text; a letter fits no slot.
  auto* masked = qobject_cast<QLineEdit*>(view.widgetFor(med));
  QTest::keyClicks(masked, "0a1");
  EXPECT_EQ(masked->text().toStdString(), med.displayText());
  EXPECT_EQ(med.displayText().substr(0, 3), "01/");
}

TEST_F(BindingTest, MemoTypesLineBreaksOnEnter) {
  Memo& mem = form.add<Memo>("memObs");
  gui::FormView view(form);
  auto* memo = qobject_cast<QPlainTextEdit*>(view.widgetFor(mem));
  ASSERT_NE(memo, nullptr);
  QTest::keyClicks(memo, "um");
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, "dois");
  EXPECT_EQ(mem.text(), "um\ndois");
  EXPECT_EQ(memo->toPlainText(), "um\ndois");
}

TEST_F(BindingTest, ClicksRunHandlersAndAbortsStopAtTheBoundary) {
  Button& ok = form.add<Button>("btnOk", nullptr, "OK");
  Button& silent = form.add<Button>("btnSilencioso", nullptr, "Silencioso");
  Button& failing = form.add<Button>("btnErro", nullptr, "Erro");
  Edit& edt = form.add<Edit>("edtTexto");
  MenuItem& menu = form.add<MenuItem>("mnuOpcoes", nullptr, "&Opções");
  MenuItem& item = form.add<MenuItem>("mnuMarcar", &menu, "&Marcar");
  int clicks = 0;
  ok.OnClick = [&](Control&) { ++clicks; };
  silent.OnClick = [&](Control&) {
    edt.setText("parcial");
    Abort();
  };
  failing.OnClick = [](Control&) { throw UserError("Filial inválida."); };
  item.OnClick = [&](Control&) { item.setChecked(!item.checked()); };
  gui::FormView view(form);

  QTest::mouseClick(view.widgetFor(ok), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);

  QTest::mouseClick(view.widgetFor(silent), Qt::LeftButton);
  EXPECT_EQ(edt.text(), "parcial");  // as the handler left it
  EXPECT_TRUE(ui.shown.empty());

  QTest::mouseClick(view.widgetFor(failing), Qt::LeftButton);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0], "Filial inválida.");
  EXPECT_EQ(ui.kinds[0], MsgKind::Error);

  ok.setEnabled(false);
  QTest::mouseClick(view.widgetFor(ok), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);

  view.actionFor(item)->trigger();
  EXPECT_TRUE(item.checked());
  EXPECT_TRUE(view.actionFor(item)->isChecked());
  view.actionFor(item)->trigger();
  EXPECT_FALSE(view.actionFor(item)->isChecked());
}

TEST_F(BindingTest, PagesFollowTheModelAndARefusedChangeStays) {
  PageControl& pgc = form.add<PageControl>("pgcPaginas");
  TabSheet& lista = form.add<TabSheet>("tshLista", &pgc, "Lista");
  TabSheet& ficha = form.add<TabSheet>("tshFicha", &pgc, "Ficha");
  pgc.setActivePage(lista);
  bool allow = true;
  int changes = 0;
  pgc.OnChanging = [&](Control&, bool& ok) { ok = allow; };
  pgc.OnChange = [&](Control&) { ++changes; };
  gui::FormView view(form);
  auto* tabs = qobject_cast<QTabWidget*>(view.widgetFor(pgc));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(1), "Ficha");

  pgc.setActivePage(ficha);
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(changes, 0);

  tabs->setCurrentIndex(0);  // the user's click on the tab
  EXPECT_EQ(pgc.activePage(), &lista);
  EXPECT_EQ(changes, 1);

  allow = false;
  tabs->setCurrentIndex(1);
  EXPECT_EQ(pgc.activePage(), &lista);
  EXPECT_EQ(tabs->currentIndex(), 0);

  ficha.setEnabled(false);
  EXPECT_FALSE(tabs->isTabEnabled(1));
}

TEST_F(BindingTest, FocusFollowsTheModelWhenAnExitFails) {
  Edit& first = form.add<Edit>("edtPrimeiro");
  Edit& second = form.add<Edit>("edtSegundo");
  bool valid = false;
  first.OnExit = [&](Control&) {
    if (!valid) Abort();
  };
  gui::FormView view(form);
  view.show();
  QApplication::setActiveWindow(&view);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  ASSERT_TRUE(first.setFocus());
  EXPECT_TRUE(view.widgetFor(first)->hasFocus());

  view.widgetFor(second)->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(form.activeControl(), &first);
  EXPECT_TRUE(view.widgetFor(first)->hasFocus());

  valid = true;
  view.widgetFor(second)->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(form.activeControl(), &second);

  // Tab goes through the model's tab order.
  QTest::keyClick(view.widgetFor(second), Qt::Key_Tab);
  EXPECT_EQ(form.activeControl(), &first);
  EXPECT_TRUE(view.widgetFor(first)->hasFocus());
}
