// vnd-client: the back-office desktop client. Opens the database and the
// application server (embedded, or a vnd-server), logs the operator on,
// then shows the main window whose "Vendas" menu opens the sales
// maintenance screen from its module.

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QSize>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "gui/desktopclient.h"
#include "gui/dialogs.h"
#include "platform/controls.h"
#include "platform/datetime.h"
#include "platform/form.h"
#include "platform/gesture.h"
#include "platform/sqlconnection.h"
#include "platform/uiservice.h"
#include "script/runner.h"
#include "server/demodata.h"

#ifndef VND02600_MODULE
#define VND02600_MODULE ""
#endif

namespace {

constexpr const char* kUsage =
    "Uso: vnd-client [opções]\n"
    "\n"
    "  --banco CONEXÃO       banco: arquivo SQLite, sqlite:ARQUIVO ou conexão PostgreSQL\n"
    "                        (padrão: vnd-demo.db na pasta atual, criado com a\n"
    "                        demonstração quando não existe)\n"
    "  --demo                preenche o banco dado com a demonstração se ele estiver vazio\n"
    "  --servidor host:porta usa um vnd-server em vez do servidor embutido (exige --banco\n"
    "                        para as consultas locais)\n"
    "  --operador CÓDIGO     entra com este operador, esta senha e esta filial sem o\n"
    "  --senha SENHA         diálogo de acesso; uma recusa é impressa e o programa sai\n"
    "  --filial CÓDIGO       com 1 (faltando algum, o diálogo abre preenchido)\n"
    "  --screenshot ARQUIVO  abre a tela fora da vista e grava a janela principal em PNG;\n"
    "                        sem --banco usa um banco de demonstração temporário, sem\n"
    "                        operador entra como o operador de demonstração 1\n"
    "  --caixa CÓDIGO        abre a tela já no caixa e na data do movimento dados,\n"
    "  --data DD/MM/AAAA     como se o usuário os digitasse e saísse do filtro\n"
    "  --roteiro ARQUIVO     com --screenshot: executa o roteiro (a linguagem do vnd-script)\n"
    "                        na tela aberta na janela principal e grava o resultado\n"
    "  --tamanho LxA         tamanho da janela gravada por --screenshot (padrão 1366x728)\n"
    "  --help                mostra esta ajuda\n"
    "\n"
    "Saída: 0 normal; 1 banco, módulo ou acesso recusado; 2 opções inválidas.\n";

struct Options {
  std::string database;
  bool demo = false;
  std::string server;
  std::optional<std::string> operador, senha, filial;
  std::string screenshot;
  // Opens the screen on this register and movement date (DD/MM/AAAA).
  std::string caixa, data;
  // A scenario script played on the screen before the screenshot.
  std::string roteiro;
  QSize size{1366, 728};
};

// Types the register and the date into the screen's filter and leaves it for
// the openings grid, as the user would; a refusal shows as it would then.
void openDay(platform::Form& form, const std::string& caixa, platform::DateTime day) {
  platform::runGesture([&] {
    auto& reg = form.control<platform::MaskEdit>("medCdCaixa");
    form.setFocus(reg);
    reg.setText(caixa);
    form.control<platform::DateEdit>("depDeEntrega").setDate(day);
    form.setFocus(form.control<platform::Control>("dbgAberCaixa"));
  });
}

// -1 to go on, else the exit status.
int parseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--banco" && hasValue) {
      o.database = argv[++i];
    } else if (arg == "--demo") {
      o.demo = true;
    } else if (arg == "--servidor" && hasValue) {
      o.server = argv[++i];
    } else if (arg == "--operador" && hasValue) {
      o.operador = argv[++i];
    } else if (arg == "--senha" && hasValue) {
      o.senha = argv[++i];
    } else if (arg == "--filial" && hasValue) {
      o.filial = argv[++i];
    } else if (arg == "--screenshot" && hasValue) {
      o.screenshot = argv[++i];
    } else if (arg == "--caixa" && hasValue) {
      o.caixa = argv[++i];
    } else if (arg == "--roteiro" && hasValue) {
      o.roteiro = argv[++i];
    } else if (arg == "--tamanho" && hasValue) {
      const QStringList wh = QString::fromLocal8Bit(argv[++i]).split(QLatin1Char('x'));
      const int w = wh.size() == 2 ? wh[0].toInt() : 0, h = wh.size() == 2 ? wh[1].toInt() : 0;
      if (w < 320 || h < 240) {
        std::cerr << "vnd-client: tamanho inválido: " << argv[i] << " (use LARGURAxALTURA, como 1366x728)\n";
        return 2;
      }
      o.size = QSize(w, h);
    } else if (arg == "--data" && hasValue) {
      o.data = argv[++i];
      if (!platform::parseDate(o.data)) {
        std::cerr << "vnd-client: data inválida: " << o.data << " (use DD/MM/AAAA)\n";
        return 2;
      }
    } else {
      std::cerr << "vnd-client: opção inválida ou incompleta: " << arg << "\n\n" << kUsage;
      return 2;
    }
  }
  if (o.caixa.empty() != o.data.empty()) {
    std::cerr << "vnd-client: --caixa e --data vão juntos.\n";
    return 2;
  }
  if (!o.roteiro.empty() && o.screenshot.empty()) {
    std::cerr << "vnd-client: --roteiro vai com --screenshot.\n";
    return 2;
  }
  if (!o.server.empty() && o.database.empty()) {
    std::cerr << "vnd-client: com --servidor, informe também --banco (o banco das consultas locais).\n";
    return 2;
  }
  return -1;
}

// A scratch folder for the screenshot's demonstration database, removed at
// the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vnd-client-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Plays a scenario script on the screen presented in a main window of its
// own, then renders the window. The script logs on and opens the screen
// itself; its transcript is printed only when it fails.
int playScript(const Options& o) {
  std::ifstream in(o.roteiro, std::ios::binary);
  if (!in) {
    std::cerr << "vnd-client: não foi possível ler o roteiro " << o.roteiro << "\n";
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  gui::MainWindow window;
  window.resize(o.size);
  window.show();
  script::RunOptions ro;
  ro.database = o.database;
  ro.demo = o.demo;
  ro.server = o.server;
  ro.presenter = &window;
  std::ostringstream transcript;
  int status = script::kRunOk;
  {
    script::Runner runner(ro, transcript);
    status = runner.run(text.str());
    window.showLogon();
    QApplication::processEvents();
    if (status != script::kRunOk) {
      std::cerr << transcript.str() << "vnd-client: o roteiro falhou: " << runner.error() << "\n";
    } else if (!window.grab().save(QString::fromStdString(o.screenshot), "PNG")) {
      std::cerr << "vnd-client: não foi possível gravar " << o.screenshot << "\n";
      status = 1;
    }
  }
  return status == script::kRunOk ? 0 : 1;
}

// The file a SQLite database option names that is not there, else "".
// Opening it would create an empty database, whose logon then fails as if
// the password were wrong.
std::string missingDatabaseFile(const std::string& database) {
  platform::SqlTarget target;
  try {
    target = platform::parseConnectionString(database);
  } catch (const std::exception&) {
    return {};  // opening it says what is wrong
  }
  if (target.dialect != platform::SqlDialect::SQLite) return {};
  std::string file = target.target;
  if (file.rfind("db=", 0) == 0) file = file.substr(3);
  if (file.size() >= 2 && (file.front() == '"' || file.front() == '\'')) file = file.substr(1, file.size() - 2);
  std::error_code ec;
  if (file.empty() || file == ":memory:" || std::filesystem::exists(file, ec)) return {};
  return file;
}

// Shows a failure before the main window exists: on the terminal, and in a
// box when there is a screen to show it on.
void reportFatal(const std::string& text, bool interactive) {
  std::cerr << "vnd-client: " << text << "\n";
  if (interactive) QMessageBox::critical(nullptr, QStringLiteral("Erro"), QString::fromStdString(text));
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = parseArgs(argc, argv, o); status >= 0) return status;

  const bool screenshot = !o.screenshot.empty();
  if (screenshot && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  // The screenshot needs no one at the keyboard: a throw-away demonstration
  // database and the first demonstration operator stand in.
  std::optional<TempDir> scratch;
  if (screenshot) {
    if (o.database.empty()) {
      scratch.emplace();
      if (scratch->path().empty()) {
        std::cerr << "vnd-client: não foi possível criar a pasta temporária do banco.\n";
        return 1;
      }
      o.database = "sqlite:" + (scratch->path() / "vnd.db").string();
      o.demo = true;
    }
    if (!o.operador && !o.senha && !o.filial) {
      const server::DemoOperator& demo = server::demoOperators().front();
      o.operador = demo.code;
      o.senha = demo.password;
      o.filial = "0001";
    }
  }
  if (o.database.empty()) {
    o.database = "vnd-demo.db";
    o.demo = true;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Retaguarda"));
  gui::QtUiServices services;
  platform::setUi(&services);
  // Off screen nobody could close a box: failures go to the terminal only.
  const bool interactive = !screenshot && QGuiApplication::platformName() != QStringLiteral("offscreen");

  if (!o.demo) {
    if (const std::string file = missingDatabaseFile(o.database); !file.empty()) {
      reportFatal("O banco de dados " + file +
                      " não existe. Informe um banco existente em --banco, ou use --demo para criar "
                      "o banco de demonstração.",
                  interactive);
      platform::setUi(nullptr);
      return 1;
    }
  }
  int rc = 0;
  if (!o.roteiro.empty()) {
    try {
      rc = playScript(o);
    } catch (const std::exception& e) {
      reportFatal(e.what(), false);
      rc = 1;
    }
    platform::setUi(nullptr);
    return rc;
  }
  try {
    client::SessionOptions so;
    so.database = o.database;
    so.demo = o.demo;
    so.server = o.server;
    const std::string module =
        gui::screenModulePath(VND02600_MODULE, QCoreApplication::applicationDirPath().toStdString());
    gui::DesktopClient client(so, module);

    bool loggedOn = false;
    if (o.operador && o.senha && o.filial) {
      const std::string refusal = client.logon({*o.operador, *o.senha, *o.filial});
      if (!refusal.empty()) {
        std::cerr << "vnd-client: " << refusal << "\n";
        rc = 1;
      }
      loggedOn = refusal.empty();
    } else {
      gui::LogonDialog logon([&client](const gui::LogonRequest& r) { return client.logon(r); }, nullptr,
                             [&client] { return client.pickBranch(); });
      logon.fill({o.operador.value_or(""), o.senha.value_or(""), o.filial.value_or("")});
      loggedOn = logon.exec() == QDialog::Accepted;
    }

    if (loggedOn) {
      gui::MainWindow& window = client.window();
      services.setParent(&window);
      if (screenshot) {
        window.resize(o.size);
        window.show();
      } else {
        window.showMaximized();
      }
      if (!o.caixa.empty()) {
        window.openScreen();
        QApplication::processEvents();
        if (platform::Form* form = client.screen()) openDay(*form, o.caixa, *platform::parseDate(o.data));
        QApplication::processEvents();
      }
      if (!screenshot) {
        rc = QApplication::exec();
      } else {
        if (!client.screen()) window.openScreen();
        QApplication::processEvents();
        if (!client.screen()) {
          std::cerr << "vnd-client: a tela Manutenção da Venda não abriu.\n";
          rc = 1;
        } else if (!window.grab().save(QString::fromStdString(o.screenshot), "PNG")) {
          std::cerr << "vnd-client: não foi possível gravar " << o.screenshot << "\n";
          rc = 1;
        }
      }
    }
    services.setParent(nullptr);
  } catch (const std::exception& e) {
    reportFatal(e.what(), interactive);
    rc = 1;
  }
  platform::setUi(nullptr);
  return rc;
}
