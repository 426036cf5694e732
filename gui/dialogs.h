#pragma once
// The Qt side of the UI services: message boxes with the suite's
// Portuguese buttons, the look-up dialog (Pesquisar), the search dialog
// (Procura) and the progress indication around remote calls; and the logon
// dialog of the client.
//
// Thread-safety: none; the user-interface thread only.

#include <QDialog>
#include <QLabel>
#include <QPointer>

#include <chrono>
#include <functional>
#include <string>

#include "platform/uiservice.h"

class QLineEdit;
class QTableView;
class QStandardItemModel;
class QComboBox;
class QToolButton;

namespace platform {
class ClientDataSet;
}

namespace gui {

// Lists the visible fields of a record set as columns, one row per row of
// the set, read in place (the set's current row does not move while the
// dialog is open). Typing searches incrementally on the first visible
// column (by prefix, letter case ignored); Enter or a double click choose,
// Escape cancels. On a choice the chosen row becomes the set's current one.
class PesquisarDialog : public QDialog {
 public:
  PesquisarDialog(platform::ClientDataSet& set, const std::string& title, QWidget* parent = nullptr);
  // The row (view row) selected now, -1 when none.
  int selectedRow() const;
  // Selects the first row whose first column starts with `text`; false when
  // none does (the selection stays).
  bool search(const QString& text);
  QLineEdit* searchEdit() const { return search_; }
  QTableView* table() const { return table_; }
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  platform::ClientDataSet& set_;
  QLineEdit* search_;
  QTableView* table_;
  QStandardItemModel* model_;
};

// Asks for a field and a text and places the record set on the first row
// whose field starts with the text (letter case ignored).
class ProcuraDialog : public QDialog {
 public:
  ProcuraDialog(platform::ClientDataSet& set, QWidget* parent = nullptr);
  QComboBox* fieldBox() const { return field_; }
  QLineEdit* textEdit() const { return text_; }
  // Runs the search with what is filled in; false when nothing was found.
  bool find();

 private:
  platform::ClientDataSet& set_;
  QComboBox* field_;
  QLineEdit* text_;
};

// UiServices with Qt widgets. Message boxes and dialogs are modal over
// `parent` (the main window). Progress shows a busy cursor from the
// outermost show to the matching hide, and a small caption over the parent
// once the work has lasted kCaptionDelay: showLateCaption() (which the
// waiting transport runs when a call outlasts it) or a later show paints
// it; user input meanwhile is not processed. Notices show for a few
// seconds in the parent's status bar, when it is a main window.
// The caption closes before any box or dialog opens. Questions (Yes/No)
// take "Não" on Enter.
// A box or dialog that opens while the busy cursor shows has the arrow
// cursor until it closes: it waits for the user, not the user for it.
class QtUiServices : public platform::UiServices {
 public:
  explicit QtUiServices(QWidget* parent = nullptr) : parent_(parent) {}
  ~QtUiServices() override;
  // The overlay belongs to its parent window: a new parent gets a new one.
  void setParent(QWidget* parent);

  platform::MsgResult showMessage(const std::string& text, platform::MsgKind kind,
                                  platform::MsgButtons buttons) override;
  void showProgress(int kind, const std::string& caption) override;
  void hideProgress() override;
  bool pickRecord(platform::ClientDataSet& set, const std::string& title, const std::string& emptyMessage) override;
  void searchRecord(platform::ClientDataSet& set) override;
  void showNotice(const std::string& text) override;

  // Shows the caption of the progress under way now, if any.
  void showLateCaption();
  // How many times a caption was put up.
  int captionsShown() const { return captionsShown_; }

  int progressDepth() const { return depth_; }
  // The progress caption widget while shown, else nullptr.
  QLabel* progressLabel() const { return depth_ > 0 ? overlay_.data() : nullptr; }

 private:
  void closeCaption();
  // Guarded: the parent window (and the overlay with it) may go first.
  QPointer<QWidget> parent_;
  QPointer<QLabel> overlay_;
  int depth_ = 0;
  std::chrono::steady_clock::time_point started_;
  int captionsShown_ = 0;
};

// How long a notice stays in the status bar, in milliseconds.
inline constexpr int kNoticeTime = 5000;

// What the logon dialog collects.
struct LogonRequest {
  std::string operador;
  std::string senha;
  std::string filial;
};

// Operator, password and branch. `authenticate` does the logon call and
// returns an error text for the user, or "" when the logon succeeded; the
// dialog then accepts. On an error it stays open showing the text.
// `pickBranch`, when given, is the branch look-up behind the "…" button
// beside the branch (also F2 and Alt+Down there): it answers the code
// chosen, or "" when none was.
class LogonDialog : public QDialog {
 public:
  using Authenticate = std::function<std::string(const LogonRequest&)>;
  using PickBranch = std::function<std::string()>;
  explicit LogonDialog(Authenticate authenticate, QWidget* parent = nullptr, PickBranch pickBranch = {});
  LogonRequest request() const;
  // Fills the fields (from the command line) and puts the focus on the
  // first one still empty.
  void fill(const LogonRequest& r);
  QLineEdit* operadorEdit() const { return operador_; }
  QLineEdit* senhaEdit() const { return senha_; }
  QLineEdit* filialEdit() const { return filial_; }
  QLabel* errorLabel() const { return error_; }
  QToolButton* branchButton() const { return branchButton_; }
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void lookUpBranch();

  Authenticate authenticate_;
  PickBranch pickBranch_;
  QToolButton* branchButton_ = nullptr;
  QLineEdit* operador_;
  QLineEdit* senha_;
  QLineEdit* filial_;
  QLabel* error_;
};

}  // namespace gui
