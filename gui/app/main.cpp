// vnd-client: the back-office desktop client. Logs the operator on, then
// shows the main window from which the sales maintenance screen opens.
//
//   vnd-client [--sem-logon] [--screenshot FILE]
//
// --screenshot renders the main window (with the screen open) off screen
// into a PNG file and exits; it needs no display and asks for no logon.

#include <QApplication>
#include <QPixmap>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "gui/dialogs.h"
#include "gui/mainwindow.h"
#include "platform/frmpadrao.h"
#include "platform/logon.h"

namespace {

// The logon call. Until the client talks to the application server it
// only checks that the fields are filled and records the logon context.
std::string authenticate(const gui::LogonRequest& r) {
  if (r.operador.empty()) return "Informe o operador.";
  if (r.filial.empty()) return "Informe a filial.";
  platform::LogonContext context = platform::logon();
  context.operador = r.operador;
  context.filiProc = r.filial;
  platform::setLogon(context);
  return {};
}

// Opens the sales maintenance screen, once: a second choice brings it to
// front. The base maintenance screen stands in until the screen's own
// class is wired here.
void openManutVenda(gui::MainWindow& host) {
  static platform::Form* open = nullptr;
  if (open && host.documentFor(*open)) {
    host.showDocument(*open);
    return;
  }
  auto form = std::make_unique<platform::TfrmPadrao>("frmManutVenda");
  form->setCaption("Manutenção da Venda");
  form->lblCodTela.setCaption("Vnd02600");
  open = form.get();
  host.adopt(std::move(form));
}

}  // namespace

int main(int argc, char** argv) {
  std::string screenshot;
  bool askLogon = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshot = argv[++i];
      askLogon = false;
    } else if (std::strcmp(argv[i], "--sem-logon") == 0) {
      askLogon = false;
    } else {
      std::cerr << "uso: vnd-client [--sem-logon] [--screenshot ARQUIVO]\n";
      return 2;
    }
  }
  if (!screenshot.empty() && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Retaguarda"));
  gui::QtUiServices services;
  platform::setUi(&services);

  if (askLogon) {
    gui::LogonDialog logon(authenticate);
    if (logon.exec() != QDialog::Accepted) return 0;
  }

  int rc = 0;
  {
    gui::MainWindow window;
    services.setParent(&window);
    window.setScreenOpener(openManutVenda);
    window.showLogon();
    window.show();
    if (screenshot.empty()) {
      rc = QApplication::exec();
    } else {
      window.openScreen();
      QApplication::processEvents();
      if (!window.grab().save(QString::fromStdString(screenshot), "PNG")) {
        std::cerr << "não foi possível gravar " << screenshot << "\n";
        rc = 1;
      }
    }
    services.setParent(nullptr);
  }
  platform::setUi(nullptr);
  return rc;
}
