// vnd-script: plays scenario scripts against the sales-maintenance screen,
// headless, and prints their transcripts (docs/scenarios.md). With
// --esperado the transcript is compared with an expected one instead; with
// --atualizar that expected file is rewritten from the run.

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "script/runner.h"

namespace {

constexpr const char* kUsage =
    "Uso: vnd-script [opções] ROTEIRO.vnd   (- lê o roteiro da entrada padrão)\n"
    "\n"
    "  --banco CONEXÃO       banco: sqlite:ARQUIVO ou conexão PostgreSQL (padrão: uma\n"
    "                        cópia temporária do banco de demonstração, apagada no fim)\n"
    "  --demo                preenche o banco dado com a demonstração se ele estiver vazio\n"
    "  --servidor host:porta usa um vnd-server em vez do servidor embutido (exige --banco\n"
    "                        para as consultas locais)\n"
    "  --sem-lote            cada chamada ao servidor vai sozinha, em vez das chamadas de\n"
    "                        uma ação juntas (a transcrição é a mesma)\n"
    "  --saida ARQUIVO       grava a transcrição no arquivo em vez da saída padrão\n"
    "  --esperado ARQUIVO    compara a transcrição com a esperada; sai com 1 se diferir\n"
    "  --atualizar           com --esperado: regrava o arquivo esperado com esta transcrição\n"
    "  --help                mostra esta ajuda\n"
    "\n"
    "Saída: 0 roteiro executado; 1 erro no roteiro, expectativa não cumprida ou\n"
    "transcrição diferente da esperada; 2 opções inválidas ou banco inacessível;\n"
    "3 erro inesperado da tela.\n";

struct Options {
  script::RunOptions run;
  std::string script;
  std::string output;
  std::string expected;
  bool update = false;
};

int parseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--banco" && hasValue) {
      o.run.database = argv[++i];
    } else if (arg == "--demo") {
      o.run.demo = true;
    } else if (arg == "--servidor" && hasValue) {
      o.run.server = argv[++i];
    } else if (arg == "--sem-lote") {
      o.run.batching = false;
    } else if (arg == "--saida" && hasValue) {
      o.output = argv[++i];
    } else if (arg == "--esperado" && hasValue) {
      o.expected = argv[++i];
    } else if (arg == "--atualizar") {
      o.update = true;
    } else if ((arg == "-" || arg.substr(0, 1) != "-") && o.script.empty()) {
      o.script = std::string(arg);
    } else {
      std::cerr << "vnd-script: opção inválida ou incompleta: " << arg << "\n\n" << kUsage;
      return 2;
    }
  }
  if (o.script.empty()) {
    std::cerr << "vnd-script: informe o roteiro.\n\n" << kUsage;
    return 2;
  }
  if (o.update && o.expected.empty()) {
    std::cerr << "vnd-script: --atualizar precisa de --esperado ARQUIVO.\n";
    return 2;
  }
  return -1;
}

bool readAll(const std::string& path, std::string& out) {
  if (path == "-") {
    std::ostringstream s;
    s << std::cin.rdbuf();
    out = s.str();
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

// Reports the first line where the transcripts part; true when equal.
bool compare(const std::string& expectedPath, const std::string& expected, const std::string& actual) {
  if (script::sameTranscript(expected, actual)) return true;
  const script::TranscriptDifference d = script::firstDifference(expected, actual);
  std::cerr << "vnd-script: a transcrição difere de " << expectedPath << " na linha " << d.line << ":\n"
            << "  esperado: " << d.expected << "\n"
            << "  obtido:   " << d.actual << "\n"
            << "(vnd-script --esperado " << expectedPath << " --atualizar ROTEIRO regrava o esperado)\n"
            << "--- transcrição obtida ---\n"
            << actual;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = parseArgs(argc, argv, o); status >= 0) return status;

  std::string text;
  if (!readAll(o.script, text)) {
    std::cerr << "vnd-script: não foi possível ler o roteiro " << o.script << "\n";
    return 2;
  }
  // Without a comparison the transcript goes out as it is written, so a
  // run that dies midway still shows how far it came.
  std::ostringstream buffer;
  std::ofstream file;
  std::ostream* transcript = &std::cout;
  if (!o.expected.empty()) {
    transcript = &buffer;
  } else if (!o.output.empty()) {
    file.open(o.output, std::ios::binary | std::ios::trunc);
    if (!file) {
      std::cerr << "vnd-script: não foi possível gravar " << o.output << "\n";
      return 2;
    }
    transcript = &file;
  }
  int status;
  std::string error;
  try {
    script::Runner runner(o.run, *transcript);
    status = runner.run(text);
    error = runner.error();
  } catch (const std::exception& e) {
    std::cerr << "vnd-script: " << e.what() << "\n";
    return 2;
  }
  if (!error.empty()) std::cerr << "vnd-script: " << o.script << ": " << error << "\n";

  if (o.expected.empty()) return status;
  if (o.update) {
    std::ofstream out(o.expected, std::ios::binary | std::ios::trunc);
    out << buffer.str();
    if (!out) {
      std::cerr << "vnd-script: não foi possível gravar " << o.expected << "\n";
      return 2;
    }
    return status;
  }
  std::string expected;
  if (!readAll(o.expected, expected)) {
    std::cerr << "vnd-script: não foi possível ler o esperado " << o.expected << " (use --atualizar para criá-lo)\n";
    return 2;
  }
  if (!compare(o.expected, expected, buffer.str())) return 1;
  return status;
}
