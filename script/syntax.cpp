#include "script/syntax.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace script {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool isNumber(std::string_view s) {
  int v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && ec == std::errc() && p == s.data() + s.size() && v > 0;
}

struct Shape {
  int minArgs;
  int maxArgs;  // -1: any number
  const char* usage;
};

// Every command with the words it takes.
const std::map<std::string, Shape>& shapes() {
  static const std::map<std::string, Shape> table = {
      {"logon", {3, 3, "logon OPERADOR SENHA FILIAL"}},
      {"abrir", {0, 0, "abrir"}},
      {"fechar", {0, 0, "fechar"}},
      {"ativar", {0, 0, "ativar"}},
      {"digitar", {2, 2, "digitar CONTROLE TEXTO"}},
      {"sair", {1, 1, "sair CONTROLE"}},
      {"foco", {1, 1, "foco CONTROLE"}},
      {"clicar", {1, 1, "clicar BOTÃO"}},
      {"menu", {1, 1, "menu ITEM"}},
      {"pagina", {1, 1, "pagina PÁGINA"}},
      {"coluna", {2, 2, "coluna GRADE CAMPO"}},
      {"celula", {3, 3, "celula GRADE CAMPO TEXTO"}},
      {"tecla", {2, 2, "tecla CONTROLE TECLA"}},
      {"registro",
       {2, 2,
        "registro CONJUNTO primeiro|anterior|proximo|ultimo|N|inserir|acrescentar|editar|gravar|cancelar|excluir"}},
      {"responder", {1, 1, "responder sim|nao"}},
      {"escolher", {1, 1, "escolher N|nenhum"}},
      {"mostrar", {1, -1, "mostrar CONJUNTO [CAMPO...] | mostrar CONTROLE | mostrar foco"}},
      {"esperar-mensagem", {1, 1, "esperar-mensagem \"TEXTO\""}},
      {"esperar-nenhuma-mensagem", {0, 0, "esperar-nenhuma-mensagem"}},
      {"esperar-foco", {1, 1, "esperar-foco CONTROLE"}},
      {"esperar-texto", {2, 2, "esperar-texto CONTROLE \"TEXTO\""}},
  };
  return table;
}

const char* const kRecordActions[] = {"primeiro", "anterior",    "proximo", "próximo", "ultimo",   "último",
                                      "inserir",  "acrescentar", "editar",  "gravar",  "cancelar", "excluir"};

void checkArgs(const Command& c) {
  const std::string& v = c.verb;
  const std::string a0 = c.args.empty() ? std::string() : lower(c.args[0]);
  if (v == "responder" && a0 != "sim" && a0 != "nao" && a0 != "não")
    throw ScriptError(c.line, "responda sim ou nao, não \"" + c.args[0] + "\"");
  if (v == "escolher" && a0 != "nenhum" && !isNumber(a0))
    throw ScriptError(c.line, "escolha o número da linha (a partir de 1) ou nenhum, não \"" + c.args[0] + "\"");
  if (v == "registro") {
    const std::string a1 = lower(c.args[1]);
    const bool known =
        isNumber(a1) || std::find(std::begin(kRecordActions), std::end(kRecordActions), a1) != std::end(kRecordActions);
    if (!known) throw ScriptError(c.line, "ação de registro desconhecida: \"" + c.args[1] + "\"");
  }
  if (v == "tecla" && !parseKey(c.args[1])) throw ScriptError(c.line, "tecla desconhecida: \"" + c.args[1] + "\"");
}

}  // namespace

std::vector<std::string> splitWords(std::string_view text, int line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    if (std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    std::string word;
    if (text[i] != '"') {
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) word += text[i++];
      words.push_back(std::move(word));
      continue;
    }
    ++i;
    bool closed = false;
    while (i < text.size()) {
      const char c = text[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        word += c;
        continue;
      }
      if (i >= text.size()) break;
      switch (const char e = text[i++]) {
        case '"':
          word += '"';
          break;
        case '\\':
          word += '\\';
          break;
        case 't':
          word += '\t';
          break;
        case 'n':
          word += '\r';
          break;  // the Enter key
        case 'b':
          word += '\b';
          break;
        default:
          throw ScriptError(line, std::string("sequência desconhecida entre aspas: \\") + e);
      }
    }
    if (!closed) throw ScriptError(line, "aspas sem fechamento");
    if (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])))
      throw ScriptError(line, "falta um espaço depois das aspas");
    words.push_back(std::move(word));
  }
  return words;
}

std::vector<Command> parseScript(std::string_view text) {
  std::vector<Command> commands;
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = trim(text.substr(pos, end - pos));
    pos = end + 1;
    ++lineNo;
    if (raw.empty() || raw.front() == '#') continue;
    std::vector<std::string> words = splitWords(raw, lineNo);
    Command c;
    c.line = lineNo;
    c.source = std::string(raw);
    c.verb = lower(words.front());
    if (c.verb == "página" || c.verb == "célula") c.verb = c.verb == "página" ? "pagina" : "celula";
    c.args.assign(words.begin() + 1, words.end());
    const auto shape = shapes().find(c.verb);
    if (shape == shapes().end()) throw ScriptError(lineNo, "comando desconhecido: \"" + words.front() + "\"");
    const int n = static_cast<int>(c.args.size());
    if (n < shape->second.minArgs || (shape->second.maxArgs >= 0 && n > shape->second.maxArgs))
      throw ScriptError(lineNo, std::string("número de argumentos errado; uso: ") + shape->second.usage);
    checkArgs(c);
    commands.push_back(std::move(c));
  }
  return commands;
}

std::optional<KeyStroke> parseKey(std::string_view text) {
  static const std::map<std::string, int> names = {
      {"enter", platform::vk::Return},  {"return", platform::vk::Return}, {"tab", platform::vk::Tab},
      {"esc", platform::vk::Escape},    {"escape", platform::vk::Escape}, {"backspace", platform::vk::Back},
      {"delete", platform::vk::Delete}, {"del", platform::vk::Delete},    {"insert", platform::vk::Insert},
      {"ins", platform::vk::Insert},    {"up", platform::vk::Up},         {"cima", platform::vk::Up},
      {"down", platform::vk::Down},     {"baixo", platform::vk::Down},    {"left", platform::vk::Left},
      {"esquerda", platform::vk::Left}, {"right", platform::vk::Right},   {"direita", platform::vk::Right},
      {"home", platform::vk::Home},     {"end", platform::vk::End},       {"pageup", platform::vk::Prior},
      {"pagedown", platform::vk::Next}, {"space", platform::vk::Space},   {"espaco", platform::vk::Space},
      {"espaço", platform::vk::Space}};
  KeyStroke k;
  std::string rest = lower(trim(text));
  for (;;) {
    const size_t plus = rest.find('+');
    // A lone "+" or a trailing one is the key itself, not a separator.
    if (plus == std::string::npos || plus + 1 == rest.size() || plus == 0) break;
    const std::string mod = rest.substr(0, plus);
    if (mod == "ctrl")
      k.shift |= platform::ssCtrl;
    else if (mod == "shift")
      k.shift |= platform::ssShift;
    else if (mod == "alt")
      k.shift |= platform::ssAlt;
    else
      return std::nullopt;
    rest = rest.substr(plus + 1);
  }
  if (const auto it = names.find(rest); it != names.end()) {
    k.key = it->second;
    return k;
  }
  if (rest.size() >= 2 && rest[0] == 'f' && isNumber(rest.substr(1))) {
    const int n = std::stoi(rest.substr(1));
    if (n > 12) return std::nullopt;
    k.key = platform::vk::F1 + n - 1;
    return k;
  }
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    k.key = platform::keyCodeForChar(static_cast<char32_t>(std::toupper(static_cast<unsigned char>(rest[0]))));
    return k;
  }
  return std::nullopt;
}

}  // namespace script
