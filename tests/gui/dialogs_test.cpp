#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <memory>
#include <thread>

#include "gui/dialogs.h"
#include "gui/waitingtransport.h"
#include "platform/dataset.h"
#include "qtapp.h"

using namespace platform;

namespace {

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() {
    guitest::app();
    set.addField("CDCAIXA", FieldType::String, 3).setDisplayLabel("Caixa");
    set.addField("NMCAIXA", FieldType::String, 20).setDisplayLabel("Nome");
    set.addField("IDINTERNO", FieldType::String, 1).setVisible(false);
    set.createDataSet();
    for (auto [code, name] : {std::pair{"001", "Balcão"}, {"010", "Bar"}, {"020", "Restaurante"}}) {
      set.append();
      set.fieldByName("CDCAIXA").setAsString(code);
      set.fieldByName("NMCAIXA").setAsString(name);
      set.post();
    }
    set.first();
  }
  ClientDataSet set{"qryCaixa"};
};

// Presses the button with `text` of the modal box that opens next.
void answerNextBox(const QString& text) {
  QTimer::singleShot(0, [text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* b : box->buttons())
      if (b->text() == text) b->click();
  });
}

}  // namespace

TEST_F(DialogTest, PesquisarListsVisibleFieldsAndChoosesByIncrementalSearch) {
  gui::PesquisarDialog dialog(set, "Caixas");
  EXPECT_EQ(dialog.windowTitle(), "Caixas");
  QAbstractItemModel* m = dialog.table()->model();
  ASSERT_EQ(m->columnCount(), 2);
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Nome");
  EXPECT_EQ(m->rowCount(), 3);

  QTest::keyClicks(dialog.searchEdit(), "01");
  EXPECT_EQ(dialog.selectedRow(), 1);
  EXPECT_EQ(set.recNo(), 1);  // nothing moves before the choice
  QTest::keyClick(dialog.searchEdit(), Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(set.fieldByName("NMCAIXA").asString(), "Bar");
}

TEST_F(DialogTest, PesquisarCancelledLeavesTheSetAlone) {
  gui::PesquisarDialog dialog(set, "Caixas");
  EXPECT_TRUE(dialog.search("02"));
  EXPECT_FALSE(dialog.search("99"));
  EXPECT_EQ(dialog.selectedRow(), 2);
  dialog.reject();
  EXPECT_EQ(set.recNo(), 1);
}

TEST_F(DialogTest, EmptyListShowsTheMessageInstead) {
  gui::QtUiServices services;
  set.close();
  set.createDataSet();
  QString seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = box->text();
    box->buttons().front()->click();
  });
  EXPECT_FALSE(services.pickRecord(set, "Caixas", "Nenhum caixa cadastrado."));
  EXPECT_EQ(seen, "Nenhum caixa cadastrado.");
}

TEST_F(DialogTest, ConfirmationAnswersWithPortugueseButtons) {
  gui::QtUiServices services;
  answerNextBox(QStringLiteral("Sim"));
  EXPECT_EQ(services.showMessage("Excluir?", MsgKind::Confirmation, MsgButtons::YesNo), MsgResult::Yes);
  answerNextBox(QStringLiteral("Não"));
  EXPECT_EQ(services.showMessage("Excluir?", MsgKind::Confirmation, MsgButtons::YesNo), MsgResult::No);
  answerNextBox(QStringLiteral("OK"));
  EXPECT_EQ(services.showMessage("Gravado.", MsgKind::Information, MsgButtons::Ok), MsgResult::Ok);
}

// Enter on a question answers "Não"; a box never opens under the progress
// caption of the call that failed.
TEST_F(DialogTest, EnterOnAQuestionSaysNoAndBoxesShowWithoutTheCaption) {
  gui::QtUiServices services;
  QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
  EXPECT_EQ(services.showMessage("Confirma a exclusão do registro?", MsgKind::Confirmation, MsgButtons::YesNo),
            MsgResult::No);

  services.showProgress(kProgressSending, "Gravando");
  services.showLateCaption();
  ASSERT_TRUE(services.progressLabel()->isVisible());
  bool captionOverBox = true;
  QTimer::singleShot(0, [&] {
    captionOverBox = services.progressLabel()->isVisible();
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
  });
  services.showMessage("Servidor indisponível.", MsgKind::Error, MsgButtons::Ok);
  EXPECT_FALSE(captionOverBox);
  services.hideProgress();
}

TEST_F(DialogTest, ProgressNestsAndAnUnmatchedHideIsHarmless) {
  gui::QtUiServices services;
  services.showProgress(kProgressConnecting, "");
  services.showProgress(kProgressReceiving, "Buscando vendas");
  ASSERT_NE(services.progressLabel(), nullptr);
  EXPECT_EQ(services.progressLabel()->text(), "Buscando vendas");
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  services.hideProgress();
  EXPECT_EQ(services.progressDepth(), 1);
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  services.hideProgress();
  services.hideProgress();
  EXPECT_EQ(services.progressDepth(), 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DialogTest, ABoxOverTheHourglassShowsTheArrowUntilItCloses) {
  gui::QtUiServices services;
  auto shape = [] {
    const QCursor* c = QApplication::overrideCursor();
    return c ? c->shape() : Qt::BlankCursor;
  };
  services.showProgress(kProgressReceiving, "");
  EXPECT_EQ(shape(), Qt::WaitCursor);
  Qt::CursorShape inBox = Qt::BlankCursor;
  QTimer::singleShot(0, [&] { inBox = shape(); });
  answerNextBox(QStringLiteral("OK"));
  services.showMessage("Servidor indisponível.", MsgKind::Error, MsgButtons::Ok);
  EXPECT_EQ(inBox, Qt::ArrowCursor);
  EXPECT_EQ(shape(), Qt::WaitCursor);
  services.hideProgress();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Without the hourglass a box leaves the cursor alone.
  answerNextBox(QStringLiteral("OK"));
  services.showMessage("Gravado.", MsgKind::Information, MsgButtons::Ok);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DialogTest, ProgressSurvivesItsParentWindowGoingFirst) {
  gui::QtUiServices services;
  {
    QWidget window;
    services.setParent(&window);
    services.showProgress(kProgressConnecting, "");
    services.hideProgress();
  }
  // The overlay went with its window; a new progress makes its own.
  services.setParent(nullptr);
  services.showProgress(kProgressSending, "");
  ASSERT_NE(services.progressLabel(), nullptr);
  EXPECT_EQ(services.progressLabel()->text(), "Enviando dados...");
  services.hideProgress();
}

TEST_F(DialogTest, ProcuraPlacesTheSetOnTheRowFound) {
  gui::ProcuraDialog dialog(set);
  dialog.fieldBox()->setCurrentIndex(1);
  dialog.textEdit()->setText("rest");
  EXPECT_TRUE(dialog.find());
  EXPECT_EQ(set.recNo(), 3);
  dialog.textEdit()->setText("nada");
  EXPECT_FALSE(dialog.find());
  // Codes are found without their leading zeros.
  dialog.fieldBox()->setCurrentIndex(0);
  for (auto [typed, row] : {std::pair{"10", 2}, {"1", 1}, {"02", 3}, {"020", 3}}) {
    dialog.textEdit()->setText(typed);
    EXPECT_TRUE(dialog.find()) << typed;
    EXPECT_EQ(set.recNo(), row) << typed;
  }
  dialog.textEdit()->setText("3");
  EXPECT_FALSE(dialog.find());
}

TEST(LogonDialog, StaysOpenWithTheErrorUntilTheLogonSucceeds) {
  guitest::app();
  gui::LogonRequest seen;
  gui::LogonDialog dialog([&](const gui::LogonRequest& r) {
    seen = r;
    return r.senha == "certa" ? std::string() : std::string("Senha inválida.");
  });
  dialog.operadorEdit()->setText(" 0001 ");
  dialog.filialEdit()->setText("0002");
  dialog.senhaEdit()->setText("errada");
  dialog.accept();
  EXPECT_EQ(seen.operador, "0001");
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.errorLabel()->text(), "Senha inválida.");
  EXPECT_TRUE(dialog.senhaEdit()->text().isEmpty());
  dialog.senhaEdit()->setText("certa");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

namespace {

// A server that takes its time, and answers by reference as a real one does.
class SlowTransport : public RemoteTransport {
 public:
  explicit SlowTransport(std::chrono::milliseconds& nap) : nap_(nap) {}
  std::string connect(const RemoteEndpoint&) override { return {}; }
  void disconnect() override {}
  LogonResult logon(const std::string&, const std::string&, const std::string&) override { return {}; }
  void logoff(const std::string&) override {}
  RemoteResult call(const std::string&, const std::string& operation, std::vector<Value>& args) override {
    std::this_thread::sleep_for(nap_);
    args.at(0) = Value("devolvido");
    return RemoteResult::success(Value(operation));
  }

 private:
  std::chrono::milliseconds& nap_;
};

}  // namespace

// A quick call puts up no caption (nothing flickers); one that outlasts the
// delay shows it while it runs. The answer and the by-reference arguments
// come back either way.
TEST_F(DialogTest, ProgressCaptionShowsOnlyForSlowCalls) {
  QMainWindow window;
  gui::QtUiServices services(&window);
  std::chrono::milliseconds nap{0};
  gui::WaitingTransport transport(
      std::make_unique<SlowTransport>(nap), [&] { services.showLateCaption(); }, std::chrono::milliseconds(40));
  for (const auto& [time, captions] : {std::pair{0, 0}, std::pair{250, 1}}) {
    nap = std::chrono::milliseconds(time);
    services.showProgress(kProgressReceiving, "Recebendo dados de vendas do servidor ....");
    std::vector<Value> args{Value("enviado")};
    const RemoteResult r = transport.call("token", "GetVendas", args);
    EXPECT_EQ(services.captionsShown(), captions) << time;
    EXPECT_EQ(services.progressLabel()->isVisible(), captions > 0) << time;
    services.hideProgress();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.value.asText(), "GetVendas");
    EXPECT_EQ(args[0].asText(), "devolvido");
  }
  EXPECT_FALSE(services.progressLabel());
}

// A notice shows in the main window's status bar, beside the logon line,
// and asks nothing of the user.
TEST_F(DialogTest, NoticeShowsInTheStatusBarWithoutABox) {
  QMainWindow window;
  window.statusBar()->addWidget(new QLabel(QStringLiteral("Operador: 1")), 1);
  gui::QtUiServices services(&window);
  services.showNotice("Alterações gravadas no servidor.");
  auto* notice = window.statusBar()->findChild<QLabel*>("aviso");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(notice->text(), QStringLiteral("Alterações gravadas no servidor."));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The branch look-up opens from the "…" button and from F2 and Alt+Down in
// the branch input; a choice fills the input, none leaves it.
TEST(LogonDialog, BranchLookUpFillsTheBranch) {
  guitest::app();
  std::vector<std::string> answers{"0002", "", "0003"};
  gui::LogonDialog dialog(nullptr, nullptr, [&] {
    const std::string next = answers.front();
    answers.erase(answers.begin());
    return next;
  });
  ASSERT_NE(dialog.branchButton(), nullptr);
  QTest::keyClick(dialog.filialEdit(), Qt::Key_F2);
  EXPECT_EQ(dialog.filialEdit()->text(), QStringLiteral("0002"));
  QTest::keyClick(dialog.filialEdit(), Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(dialog.filialEdit()->text(), QStringLiteral("0002"));
  QTest::mouseClick(dialog.branchButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.filialEdit()->text(), QStringLiteral("0003"));
  EXPECT_TRUE(answers.empty());
}
