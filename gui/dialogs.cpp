#include "gui/dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

#include "gui/waitingtransport.h"
#include "platform/dataset.h"
#include "platform/field.h"
#include "platform/lookup.h"

namespace gui {

using namespace platform;

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

std::vector<Field*> visibleFields(const ClientDataSet& set) {
  std::vector<Field*> out;
  for (int i = 0; i < set.fieldCount(); ++i)
    if (set.field(i).visible()) out.push_back(&set.field(i));
  return out;
}

QString progressText(int kind, const std::string& caption) {
  if (!caption.empty()) return qs(caption);
  switch (kind) {
    case kProgressConnecting:
      return QStringLiteral("Conectando ao servidor...");
    case kProgressSending:
      return QStringLiteral("Enviando dados...");
    case kProgressReceiving:
      return QStringLiteral("Recebendo dados...");
    default:
      return QStringLiteral("Aguarde...");
  }
}

// The arrow over the hourglass for as long as a box or dialog waits for the
// user; nothing when no busy cursor shows.
class ArrowWhileAsking {
 public:
  ArrowWhileAsking() : busy_(QApplication::overrideCursor() != nullptr) {
    if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ArrowWhileAsking() {
    if (busy_) QApplication::restoreOverrideCursor();
  }
  ArrowWhileAsking(const ArrowWhileAsking&) = delete;
  ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

 private:
  bool busy_;
};

}  // namespace

// ---------------------------------------------------------------- Pesquisar

PesquisarDialog::PesquisarDialog(ClientDataSet& set, const std::string& title, QWidget* parent)
    : QDialog(parent), set_(set) {
  setWindowTitle(qs(title));
  auto* box = new QVBoxLayout(this);
  search_ = new QLineEdit(this);
  search_->setPlaceholderText(QStringLiteral("Digite para localizar"));
  table_ = new QTableView(this);
  model_ = new QStandardItemModel(this);
  const std::vector<Field*> fields = visibleFields(set);
  model_->setColumnCount(static_cast<int>(fields.size()));
  for (size_t c = 0; c < fields.size(); ++c)
    model_->setHeaderData(static_cast<int>(c), Qt::Horizontal, qs(fields[c]->displayLabel()));
  const int rows = set.viewRowCount();
  model_->setRowCount(rows);
  for (int r = 0; r < rows; ++r)
    set.withViewRow(r, [&] {
      for (size_t c = 0; c < fields.size(); ++c) {
        auto* item = new QStandardItem(qs(fields[c]->displayText()));
        if (fields[c]->alignment() == Alignment::Right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        model_->setItem(r, static_cast<int>(c), item);
      }
    });
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->installEventFilter(this);
  search_->installEventFilter(this);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  box->addWidget(search_);
  box->addWidget(table_, 1);
  box->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(table_, &QTableView::doubleClicked, this, [this] { accept(); });
  connect(search_, &QLineEdit::textEdited, this, [this](const QString& t) { search(t); });
  const int current = set.viewCurrentRow();
  if (rows > 0) table_->selectRow(current >= 0 ? current : 0);
  resize(520, 360);
}

int PesquisarDialog::selectedRow() const {
  const QModelIndex i = table_->currentIndex();
  return i.isValid() ? i.row() : -1;
}

bool PesquisarDialog::search(const QString& text) {
  if (text.isEmpty()) return false;
  for (int r = 0; r < model_->rowCount(); ++r) {
    const QStandardItem* item = model_->item(r, 0);
    if (item && item->text().startsWith(text, Qt::CaseInsensitive)) {
      table_->selectRow(r);
      table_->scrollTo(model_->index(r, 0));
      return true;
    }
  }
  return false;
}

bool PesquisarDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto* ke = static_cast<QKeyEvent*>(event);
  if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
    accept();
    return true;
  }
  if (watched == search_ && (ke->key() == Qt::Key_Up || ke->key() == Qt::Key_Down || ke->key() == Qt::Key_PageUp ||
                             ke->key() == Qt::Key_PageDown)) {
    QApplication::sendEvent(table_, event);
    return true;
  }
  if (watched == table_ && !ke->text().isEmpty() && ke->text().at(0).isPrint()) {
    // Typing on the list goes to the search text.
    search_->setFocus();
    QApplication::sendEvent(search_, event);
    return true;
  }
  return false;
}

void PesquisarDialog::done(int result) {
  if (result == QDialog::Accepted) {
    const int row = selectedRow();
    if (row < 0) return;  // nothing to choose: keep the dialog open
    set_.setRecNo(row + 1);
  }
  QDialog::done(result);
}

// ---------------------------------------------------------------- Procura

ProcuraDialog::ProcuraDialog(ClientDataSet& set, QWidget* parent) : QDialog(parent), set_(set) {
  setWindowTitle(QStringLiteral("Procurar"));
  auto* form = new QFormLayout(this);
  field_ = new QComboBox(this);
  for (Field* f : visibleFields(set)) field_->addItem(qs(f->displayLabel()), qs(f->name()));
  text_ = new QLineEdit(this);
  form->addRow(QStringLiteral("Campo:"), field_);
  form->addRow(QStringLiteral("Procurar por:"), text_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool ProcuraDialog::find() {
  const std::string name = field_->currentData().toString().toStdString();
  if (name.empty()) return false;
  const Field& f = set_.fieldByName(name);
  const std::string wanted = text_->text().toStdString();
  if (f.type() == FieldType::String || f.type() == FieldType::FixedString) return ProcuraTexto(set_, name, wanted);
  // Other types compare by the text shown, row by row, without moving.
  const QString prefix = text_->text();
  for (int r = 0; r < set_.viewRowCount(); ++r) {
    bool hit = false;
    set_.withViewRow(r, [&] { hit = qs(f.displayText()).startsWith(prefix, Qt::CaseInsensitive); });
    if (hit) {
      set_.setRecNo(r + 1);
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- services

QtUiServices::~QtUiServices() {
  if (depth_ > 0) QApplication::restoreOverrideCursor();
  delete overlay_.data();
}

void QtUiServices::setParent(QWidget* parent) {
  if (parent == parent_) return;
  delete overlay_.data();
  parent_ = parent;
}

void QtUiServices::closeCaption() {
  if (overlay_) overlay_->hide();
}

MsgResult QtUiServices::showMessage(const std::string& text, MsgKind kind, MsgButtons buttons) {
  // The caption is a tool tip window above everything: left up, it would
  // cover the box and its buttons.
  closeCaption();
  ArrowWhileAsking arrow;
  QMessageBox box(parent_);
  switch (kind) {
    case MsgKind::Error:
      box.setIcon(QMessageBox::Critical);
      box.setWindowTitle(QStringLiteral("Erro"));
      break;
    case MsgKind::Warning:
      box.setIcon(QMessageBox::Warning);
      box.setWindowTitle(QStringLiteral("Atenção"));
      break;
    case MsgKind::Information:
      box.setIcon(QMessageBox::Information);
      box.setWindowTitle(QStringLiteral("Informação"));
      break;
    case MsgKind::Confirmation:
      box.setIcon(QMessageBox::Question);
      box.setWindowTitle(QStringLiteral("Confirmação"));
      break;
  }
  box.setText(qs(text));
  if (buttons == MsgButtons::YesNo) {
    QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    // Every question guards a change (a deletion, a cancel, discarded
    // edits): Enter alone must not confirm it.
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? MsgResult::Yes : MsgResult::No;
  }
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  return MsgResult::Ok;
}

void QtUiServices::showProgress(int kind, const std::string& caption) {
  if (depth_++ == 0) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    started_ = std::chrono::steady_clock::now();
  }
  if (!overlay_) {
    overlay_ = new QLabel(parent_, Qt::ToolTip);
    overlay_->setMargin(12);
    overlay_->setFrameShape(QFrame::Box);
  }
  overlay_->setText(progressText(kind, caption));
  overlay_->adjustSize();
  // A caption already up follows the step now running; otherwise it waits
  // until the work has gone on for a while (several quick calls in a row
  // add up).
  if (overlay_->isVisible() || std::chrono::steady_clock::now() - started_ >= kCaptionDelay) showLateCaption();
}

void QtUiServices::showLateCaption() {
  if (depth_ == 0 || !overlay_) return;
  if (parent_) {
    const QPoint centre = parent_->mapToGlobal(parent_->rect().center());
    overlay_->move(centre - overlay_->rect().center());
  }
  overlay_->show();
  overlay_->repaint();
  ++captionsShown_;
  // Paint what is pending without taking the user's input meanwhile.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUiServices::showNotice(const std::string& text) {
  QStatusBar* bar = nullptr;
  if (auto* window = qobject_cast<QMainWindow*>(parent_.data())) bar = window->statusBar();
  if (!bar) return;
  auto* notice = bar->findChild<QLabel*>(QStringLiteral("aviso"));
  if (!notice) {
    // Beside the logon line, which stays; it clears itself a little later.
    notice = new QLabel(bar);
    notice->setObjectName(QStringLiteral("aviso"));
    bar->addPermanentWidget(notice);
    auto* timer = new QTimer(notice);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, notice, &QLabel::clear);
  }
  notice->setText(qs(text));
  notice->findChild<QTimer*>()->start(kNoticeTime);
}

void QtUiServices::hideProgress() {
  if (depth_ == 0) return;  // an unmatched hide changes nothing
  if (--depth_ > 0) return;
  QApplication::restoreOverrideCursor();
  if (overlay_) overlay_->hide();
}

bool QtUiServices::pickRecord(ClientDataSet& set, const std::string& title, const std::string& emptyMessage) {
  if (!set.active() || set.viewRowCount() == 0) {
    showMessage(emptyMessage.empty() ? "Nenhum registro encontrado." : emptyMessage, MsgKind::Information,
                MsgButtons::Ok);
    return false;
  }
  closeCaption();
  ArrowWhileAsking arrow;
  PesquisarDialog dialog(set, title, parent_);
  return dialog.exec() == QDialog::Accepted;
}

void QtUiServices::searchRecord(ClientDataSet& set) {
  if (!set.active()) return;
  closeCaption();
  ArrowWhileAsking arrow;
  ProcuraDialog dialog(set, parent_);
  if (dialog.exec() == QDialog::Accepted && !dialog.find())
    showMessage("Registro não encontrado.", MsgKind::Information, MsgButtons::Ok);
}

// ---------------------------------------------------------------- logon

LogonDialog::LogonDialog(Authenticate authenticate, QWidget* parent, PickBranch pickBranch)
    : QDialog(parent), authenticate_(std::move(authenticate)), pickBranch_(std::move(pickBranch)) {
  setWindowTitle(QStringLiteral("Acesso ao Sistema"));
  auto* form = new QFormLayout(this);
  // Whoever starts the client sees what they are logging on to.
  auto* product = new QLabel(QStringLiteral("Retaguarda — Vendas"), this);
  QFont big = product->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.3);
  product->setFont(big);
  form->addRow(product);
  operador_ = new QLineEdit(this);
  senha_ = new QLineEdit(this);
  senha_->setEchoMode(QLineEdit::Password);
  filial_ = new QLineEdit(this);
  error_ = new QLabel(this);
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->hide();
  form->addRow(QStringLiteral("Operador:"), operador_);
  form->addRow(QStringLiteral("Senha:"), senha_);
  if (pickBranch_) {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(filial_, 1);
    branchButton_ = new QToolButton(this);
    branchButton_->setText(QStringLiteral("…"));
    branchButton_->setToolTip(QStringLiteral("Pesquisar filial (F2)"));
    branchButton_->setFocusPolicy(Qt::NoFocus);
    row->addWidget(branchButton_);
    form->addRow(QStringLiteral("Filial:"), row);
    connect(branchButton_, &QToolButton::clicked, this, [this] { lookUpBranch(); });
    filial_->installEventFilter(this);
  } else {
    form->addRow(QStringLiteral("Filial:"), filial_);
  }
  form->addRow(error_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("Entrar"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

LogonRequest LogonDialog::request() const {
  return {operador_->text().trimmed().toStdString(), senha_->text().toStdString(),
          filial_->text().trimmed().toStdString()};
}

void LogonDialog::fill(const LogonRequest& r) {
  operador_->setText(qs(r.operador));
  senha_->setText(qs(r.senha));
  filial_->setText(qs(r.filial));
  for (QLineEdit* e : {operador_, senha_, filial_})
    if (e->text().isEmpty()) {
      e->setFocus();
      return;
    }
}

void LogonDialog::lookUpBranch() {
  if (!pickBranch_) return;
  const std::string code = pickBranch_();
  if (code.empty()) return;
  filial_->setText(qs(code));
  filial_->setFocus();
}

bool LogonDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == filial_ && event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if ((ke->key() == Qt::Key_F2 && ke->modifiers() == Qt::NoModifier) ||
        (ke->key() == Qt::Key_Down && ke->modifiers() == Qt::AltModifier)) {
      lookUpBranch();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void LogonDialog::accept() {
  const std::string error = authenticate_ ? authenticate_(request()) : std::string();
  if (!error.empty()) {
    error_->setText(qs(error));
    error_->show();
    senha_->clear();
    senha_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace gui
