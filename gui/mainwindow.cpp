#include "gui/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <string>

#include "gui/formview.h"
#include "platform/abort.h"
#include "platform/form.h"
#include "platform/logon.h"

#ifndef VND_HELP_DIR
#define VND_HELP_DIR ""
#endif

namespace gui {

using platform::CloseAction;
using platform::Form;

namespace {

// The sales screens' own icon (instead of the toolkit's): a till receipt's
// blue with the sale's initials.
QIcon screenIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0x1F, 0x5F, 0xA8));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(15);
  p.setFont(f);
  p.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("VD"));
  return QIcon(pixmap);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Retaguarda — Vendas"));
  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  QMenu* vendas = menuBar()->addMenu(QStringLiteral("&Vendas"));
  screenAction_ = vendas->addAction(QStringLiteral("&Manutenção da Venda"));
  connect(screenAction_, &QAction::triggered, this, [this] { openScreen(); });
  vendas->addSeparator();
  QAction* sair = vendas->addAction(QStringLiteral("&Sair"));
  connect(sair, &QAction::triggered, this, &QWidget::close);
  QMenu* janela = menuBar()->addMenu(QStringLiteral("&Janela"));
  connect(janela->addAction(QStringLiteral("&Cascata")), &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
  connect(janela->addAction(QStringLiteral("&Lado a lado")), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
  showLogon();
  // Never larger than the screen's room (a taskbar included); main() shows
  // the window maximised.
  const QSize room = screen() ? screen()->availableSize() : QSize(1366, 728);
  resize(QSize(1280, 800).boundedTo(room));
}

MainWindow::~MainWindow() {
  while (!documents_.empty()) closeDocument(*documents_.back().form);
}

void MainWindow::openScreen() {
  if (!opener_) return;
  // Loading and creating a screen takes a moment: the hourglass tells so.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  guarded([this] { opener_(*this); });
  QApplication::restoreOverrideCursor();
}

void MainWindow::prepareConnection(platform::TNetConnection& connection) {
  if (preparer_) preparer_(connection);
}

bool MainWindow::closeDocuments() {
  // A close removes its document (possibly more than one); go by what is
  // left after each, and stop at the first form that keeps itself open.
  while (!documents_.empty()) {
    const std::size_t before = documents_.size();
    Form* f = documents_.back().form;
    guarded([f] { f->close(); });
    if (documentFor(*f) && f->shown()) return false;
    if (documents_.size() == before) forget(*f);
  }
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closeDocuments())
    event->accept();
  else
    event->ignore();
}

void MainWindow::showLogon() {
  const platform::LogonContext& l = platform::logon();
  QString text;
  if (!l.operador.empty())
    text = QStringLiteral("Operador: %1 %2   Filial: %3 %4")
               .arg(QString::fromStdString(l.operador), QString::fromStdString(l.nomeOperador),
                    QString::fromStdString(l.filiProc), QString::fromStdString(l.nomeFiliProc));
  // A permanent part of the status bar: menus opening and closing clear its
  // temporary message, never this.
  if (!logon_) {
    logon_ = new QLabel(statusBar());
    logon_->setObjectName(QStringLiteral("logon"));
    statusBar()->addWidget(logon_, 1);
  }
  logon_->setText(text);
}

QMdiSubWindow* MainWindow::documentFor(const Form& form) const {
  auto it = std::find_if(documents_.begin(), documents_.end(), [&](const Document& d) { return d.form == &form; });
  return it == documents_.end() ? nullptr : it->window;
}

FormView* MainWindow::viewFor(const Form& form) const {
  auto it = std::find_if(documents_.begin(), documents_.end(), [&](const Document& d) { return d.form == &form; });
  return it == documents_.end() ? nullptr : it->view;
}

void MainWindow::showDocument(Form& form) {
  if (QMdiSubWindow* w = documentFor(form)) {
    // A screen opened again comes back in its normal state.
    if (w->isMinimized()) w->showNormal();
    mdi_->setActiveSubWindow(w);
    return;
  }
  auto* view = new FormView(form);
  QMdiSubWindow* window = mdi_->addSubWindow(view);
  window->setAttribute(Qt::WA_DeleteOnClose, false);
  window->setWindowTitle(view->windowTitle());
  window->setWindowIcon(screenIcon());
  connect(view, &QWidget::windowTitleChanged, window, &QWidget::setWindowTitle);
  window->installEventFilter(this);
  Form* f = &form;
  const auto id = form.closed.connect([this, f](Form&, CloseAction action) {
    // The form's own close removes its window; its owner frees it after
    // close() returns, so the freeing waits for the event loop.
    QTimer::singleShot(0, this, [this, f, action] {
      forget(*f);
      if (action == CloseAction::Free)
        std::erase_if(owned_, [f](const std::unique_ptr<Form>& o) { return o.get() == f; });
    });
  });
  const auto help = form.helpRequested.connect([this](Form& sender) { openHelp(sender.helpContext()); });
  documents_.push_back({f, window, view, id, help});
  // A screen is worked in all day: it fills the main window's area (the
  // user may restore it to a window of its own).
  window->showMaximized();
  mdi_->setActiveSubWindow(window);
}

void MainWindow::closeDocument(Form& form) { forget(form); }

void MainWindow::forget(Form& form) {
  auto it = std::find_if(documents_.begin(), documents_.end(), [&](const Document& d) { return d.form == &form; });
  if (it == documents_.end()) return;
  Document d = *it;
  documents_.erase(it);
  d.form->closed.disconnect(d.closedConnection);
  d.form->helpRequested.disconnect(d.helpConnection);
  d.window->removeEventFilter(this);
  // The removal may come from one of the form's own handlers, still running
  // inside the view: the view lets go of the form now and goes later.
  d.view->release();
  d.window->hide();
  mdi_->removeSubWindow(d.window);
  d.window->deleteLater();
}

void MainWindow::adopt(std::unique_ptr<Form> form) {
  Form& f = *form;
  owned_.push_back(std::move(form));
  showDocument(f);
  guarded([&f] {
    if (!f.shown())
      f.show();
    else
      f.activate();
  });
}

std::string helpFile(int context, const std::filesystem::path& builtDir, const std::filesystem::path& executableDir) {
  const std::string name = std::to_string(context) + ".md";
  std::error_code ec;
  for (const std::filesystem::path& dir : {builtDir, executableDir / "ajuda"})
    if (!dir.empty() && std::filesystem::is_regular_file(dir / name, ec)) return (dir / name).string();
  return {};
}

void MainWindow::openHelp(int context) {
  const std::string file = helpFile(context, VND_HELP_DIR, QCoreApplication::applicationDirPath().toStdString());
  if (file.empty()) {
    guarded([context] {
      throw platform::UserError("A ajuda desta tela (" + std::to_string(context) + ") não foi encontrada.");
    });
    return;
  }
  if (!help_) {
    help_ = new QTextBrowser(this);
    help_->setObjectName(QStringLiteral("ajuda"));
    help_->setWindowFlag(Qt::Window);
    help_->setWindowTitle(QStringLiteral("Ajuda — Manutenção da Venda"));
    help_->setOpenExternalLinks(true);
    const QSize room = screen() ? screen()->availableSize() : QSize(1366, 728);
    help_->resize(QSize(900, 680).boundedTo(room));
  }
  help_->setSource(QUrl::fromLocalFile(QString::fromStdString(file)), QTextDocument::MarkdownResource);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close) {
    auto it =
        std::find_if(documents_.begin(), documents_.end(), [&](const Document& d) { return d.window == watched; });
    if (it != documents_.end()) {
      // The form decides: its close query may keep it open, and a close
      // removes the window through the form's `closed` signal.
      Form* f = it->form;
      event->ignore();
      guarded([f] { f->close(); });
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace gui
