#include <gtest/gtest.h>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <memory>

#include "gui/formview.h"
#include "gui/mainwindow.h"
#include "platform/frmpadrao.h"
#include "qtapp.h"

using namespace platform;

TEST(MainWindow, OpensAFormAsADocumentAndClosesItThroughTheForm) {
  guitest::app();
  guitest::RecordingUi ui;
  gui::MainWindow window;
  EXPECT_EQ(window.windowTitle(), "Retaguarda — Vendas");
  TfrmPadrao form("frmTeste");
  form.setCaption("Manutenção da Venda");
  bool mayClose = false;
  form.OnCloseQuery = [&](Form&, bool& ok) { ok = mayClose; };

  window.showDocument(form);
  QMdiSubWindow* doc = window.documentFor(form);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(window.mdiArea()->subWindowList().size(), 1);
  EXPECT_EQ(doc->windowTitle(), "Manutenção da Venda");
  // The host presents; the screen shows and activates itself afterwards.
  EXPECT_FALSE(form.shown());
  form.show();
  ASSERT_NE(window.viewFor(form), nullptr);
  EXPECT_NE(window.viewFor(form)->widgetFor(form.dbgPadrao), nullptr);

  doc->showMinimized();
  window.showDocument(form);  // a second show brings the same window back
  EXPECT_EQ(window.mdiArea()->subWindowList().size(), 1);
  EXPECT_FALSE(doc->isMinimized());

  doc->close();  // refused by the form's close query
  QApplication::processEvents();
  EXPECT_NE(window.documentFor(form), nullptr);

  mayClose = true;
  doc->close();
  QApplication::processEvents();
  EXPECT_EQ(window.documentFor(form), nullptr);
  EXPECT_FALSE(form.shown());
}

TEST(MainWindow, AdoptedFormIsFreedAfterItClosesItself) {
  guitest::app();
  guitest::RecordingUi ui;
  gui::MainWindow window;
  bool destroyed = false;
  struct Watched : TfrmPadrao {
    bool* flag;
    explicit Watched(bool* f) : TfrmPadrao("frmVigiado"), flag(f) {}
    ~Watched() override { *flag = true; }
  };
  auto owned = std::make_unique<Watched>(&destroyed);
  Form* form = owned.get();
  window.setScreenOpener([&owned](gui::MainWindow& host) { host.adopt(std::move(owned)); });
  window.screenAction()->trigger();
  ASSERT_NE(window.documentFor(*form), nullptr);

  // The screen's own close button frees it (the base screen asks for Free).
  form->close();
  EXPECT_FALSE(destroyed);  // not while close() still runs
  QApplication::processEvents();
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(window.mdiArea()->subWindowList().isEmpty());
}

TEST(MainWindow, AScreenMayRemoveItsWindowFromItsOwnHandler) {
  guitest::app();
  guitest::RecordingUi ui;
  gui::MainWindow window;
  auto form = std::make_unique<TfrmPadrao>("frmTeste");
  window.showDocument(*form);
  form->sbtFechar.OnClick = [&](Control&) { window.closeDocument(*form); };
  QTest::mouseClick(window.viewFor(*form)->widgetFor(form->sbtFechar), Qt::LeftButton);
  EXPECT_EQ(window.documentFor(*form), nullptr);
  form.reset();  // the owner frees the form before the window is gone
  QApplication::processEvents();
  EXPECT_TRUE(window.mdiArea()->subWindowList().isEmpty());
}

TEST(MainWindow, LeavingTheClientClosesEveryScreenAndStaysWhileOneRefuses) {
  guitest::app();
  guitest::RecordingUi ui;
  gui::MainWindow window;
  TfrmPadrao keeper("frmPendente");
  TfrmPadrao other("frmOutra");
  bool mayClose = false;
  keeper.OnCloseQuery = [&](Form&, bool& ok) { ok = mayClose; };
  for (TfrmPadrao* f : {&keeper, &other}) {
    window.showDocument(*f);
    f->show();
  }

  EXPECT_FALSE(window.close());  // the screen with pending work keeps the client open
  EXPECT_NE(window.documentFor(keeper), nullptr);
  EXPECT_TRUE(keeper.shown());

  mayClose = true;
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(keeper.shown());
  EXPECT_FALSE(other.shown());
  EXPECT_TRUE(window.mdiArea()->subWindowList().isEmpty());
}
