#pragma once
// MainWindow: the client's main window. A menu of the suite ("Vendas" with
// "Manutenção da Venda" and "Sair"), an MDI area where screens show as
// document windows (ScreenHost), and a status line with the logon.
//
// Document windows render the form with FormView. Closing a document
// window runs the form's close (its close query may refuse); a form that
// closes by itself removes its window. Closing the main window closes every
// document the same way first and stays open while one refuses. As the
// screen host the window only presents a form: the screen shows and
// activates itself. Forms handed over with adopt() are owned by the window,
// shown by it, and destroyed after a close that asks to free them.
// Once its window is removed (closeDocument, or the form's close) a form
// may be destroyed at once, even from one of its own handlers' callers:
// the view lets go of it first and is deleted later.
//
// Thread-safety: none; the user-interface thread only.

#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/screenhost.h"

class QMdiArea;
class QMdiSubWindow;
class QAction;
class QLabel;
class QTextBrowser;

namespace gui {

class FormView;

// The guide of a help context ("13002600.md"): in the folder the build
// knows, else in "ajuda" beside the executable; "" when there is none.
std::string helpFile(int context, const std::filesystem::path& builtDir, const std::filesystem::path& executableDir);

class MainWindow : public QMainWindow, public platform::ScreenHost {
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  void showDocument(platform::Form& form) override;
  void closeDocument(platform::Form& form) override;
  void prepareConnection(platform::TNetConnection& connection) override;
  // Takes ownership of a form, presents it and shows it.
  void adopt(std::unique_ptr<platform::Form> form);

  // What "Manutenção da Venda" opens (it receives this window as host).
  // It runs under the wait cursor; a failure is shown as an error.
  void setScreenOpener(std::function<void(MainWindow&)> open) { opener_ = std::move(open); }
  void openScreen();
  // How a screen's remote connection reaches the server (the client's
  // session); without it the connection keeps its own way.
  void setConnectionPreparer(std::function<void(platform::TNetConnection&)> prepare) { preparer_ = std::move(prepare); }
  // Runs every document's close; true when none is left open.
  bool closeDocuments();

  QMdiArea* mdiArea() const { return mdi_; }
  QAction* screenAction() const { return screenAction_; }
  // The document window showing the form, or nullptr.
  QMdiSubWindow* documentFor(const platform::Form& form) const;
  FormView* viewFor(const platform::Form& form) const;
  // Opens the user guide of a help context (a screen's "Ajuda" or F1) in
  // the client's own browser window.
  void openHelp(int context);
  QTextBrowser* helpWindow() const { return help_; }
  // Refreshes the status bar's operator and branch from the logon context.
  void showLogon();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Document {
    platform::Form* form;
    QMdiSubWindow* window;
    FormView* view;
    std::uint64_t closedConnection;
    std::uint64_t helpConnection;
  };
  void forget(platform::Form& form);

  QMdiArea* mdi_;
  QAction* screenAction_;
  QLabel* logon_ = nullptr;
  QTextBrowser* help_ = nullptr;
  std::function<void(MainWindow&)> opener_;
  std::function<void(platform::TNetConnection&)> preparer_;
  std::vector<Document> documents_;
  std::vector<std::unique_ptr<platform::Form>> owned_;
};

}  // namespace gui
