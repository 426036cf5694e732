#include <gtest/gtest.h>

#include "script/syntax.h"

namespace {

using script::Command;
using script::parseKey;
using script::parseScript;
using script::ScriptError;
using script::splitWords;

// The message of the ScriptError a parse raises, or "" when none.
std::string parseError(std::string_view text) {
  try {
    parseScript(text);
  } catch (const ScriptError& e) {
    return e.what();
  }
  return {};
}

TEST(ScriptSyntax, WordsSplitOnBlanksWithQuotedWordsKeptWhole) {
  EXPECT_EQ(splitWords("digitar  medFilial\t0001", 1), (std::vector<std::string>{"digitar", "medFilial", "0001"}));
  EXPECT_EQ(splitWords(R"(digitar memObs "texto com  espaços")", 1),
            (std::vector<std::string>{"digitar", "memObs", "texto com  espaços"}));
  // An empty quoted word is a word (typing nothing, expecting an empty text).
  EXPECT_EQ(splitWords(R"(esperar-texto edtFilial "")", 1),
            (std::vector<std::string>{"esperar-texto", "edtFilial", ""}));
  // Escapes: quote, backslash, and the Tab, Enter and Backspace keys.
  EXPECT_EQ(splitWords(R"("a\"b\\c\td\ne\b")", 1), (std::vector<std::string>{"a\"b\\c\td\re\b"}));
}

TEST(ScriptSyntax, MalformedQuotesAreReportedWithTheirLine) {
  EXPECT_EQ(parseError("abrir\n\ndigitar medFilial \"0001\n"), "linha 3: aspas sem fechamento");
  EXPECT_EQ(parseError("digitar medFilial \"00\"01"), "linha 1: falta um espaço depois das aspas");
  EXPECT_EQ(parseError(R"(digitar medFilial "\q")"), "linha 1: sequência desconhecida entre aspas: \\q");
}

TEST(ScriptSyntax, CommentsAndBlankLinesAreSkippedButCountAsLines) {
  const std::vector<Command> cs = parseScript("# título\n\n  logon 1 ana123 0001  \r\nABRIR\n   # fim");
  ASSERT_EQ(cs.size(), 2u);
  EXPECT_EQ(cs[0].line, 3);
  EXPECT_EQ(cs[0].verb, "logon");
  EXPECT_EQ(cs[0].source, "logon 1 ana123 0001");
  EXPECT_EQ(cs[1].line, 4);
  EXPECT_EQ(cs[1].verb, "abrir");  // command names ignore case
  // Accented spellings of two commands mean the same.
  EXPECT_EQ(parseScript("página tshFormulario")[0].verb, "pagina");
  EXPECT_EQ(parseScript("célula dbgItens CDARVPROD 1")[0].verb, "celula");
}

TEST(ScriptSyntax, UnknownCommandsAndWrongArgumentsStopTheWholeScript) {
  EXPECT_EQ(parseError("abrir\nclicr sbtIncluir"), "linha 2: comando desconhecido: \"clicr\"");
  EXPECT_EQ(parseError("abrir\ndigitar medFilial"),
            "linha 2: número de argumentos errado; uso: digitar CONTROLE TEXTO");
  EXPECT_EQ(parseError("abrir agora"), "linha 1: número de argumentos errado; uso: abrir");
  EXPECT_EQ(parseError("responder talvez"), "linha 1: responda sim ou nao, não \"talvez\"");
  EXPECT_EQ(parseError("escolher 0"), "linha 1: escolha o número da linha (a partir de 1) ou nenhum, não \"0\"");
  EXPECT_EQ(parseError("registro cdsItens pular"), "linha 1: ação de registro desconhecida: \"pular\"");
  EXPECT_EQ(parseError("tecla dbgItens Ctrl+Apagar"), "linha 1: tecla desconhecida: \"Ctrl+Apagar\"");
  // Everything the runner knows parses.
  EXPECT_EQ(parseError("responder não\nescolher 2\nescolher NENHUM\nregistro cdsItens 3\n"
                       "registro cdsItens próximo\nmostrar cdsItens CDARVPROD QTITEM\nmostrar foco\n"
                       "esperar-mensagem \"Filial não cadastrada.\"\ntecla dbgPadrao Ctrl+Delete"),
            "");
}

TEST(ScriptSyntax, KeysWithModifiersAndPortugueseNames) {
  const auto k = [](std::string_view s) {
    const auto r = parseKey(s);
    return r ? std::make_pair(r->key, r->shift) : std::make_pair(-1, platform::ShiftState{0});
  };
  using namespace platform;
  EXPECT_EQ(k("Ctrl+Delete"), std::make_pair(vk::Delete, ssCtrl));
  EXPECT_EQ(k("shift+tab"), std::make_pair(vk::Tab, ssShift));
  EXPECT_EQ(k("Ctrl+Shift+Home"), std::make_pair(vk::Home, ssCtrl | ssShift));
  EXPECT_EQ(k("Baixo"), std::make_pair(vk::Down, ssNone));
  EXPECT_EQ(k("Ins"), std::make_pair(vk::Insert, ssNone));
  EXPECT_EQ(k("Esc"), std::make_pair(vk::Escape, ssNone));
  EXPECT_EQ(k("F2"), std::make_pair(vk::F2, ssNone));
  EXPECT_EQ(k("F12"), std::make_pair(vk::F1 + 11, ssNone));
  EXPECT_EQ(k("Ctrl+a"), std::make_pair(int('A'), ssCtrl));
  EXPECT_EQ(k("7"), std::make_pair(int('7'), ssNone));
  for (const char* bad : {"", "+", "Ctrl+", "Hyper+A", "F13", "F0", "AB", "Ctrl+Apagar"})
    EXPECT_FALSE(parseKey(bad)) << bad;
}

}  // namespace
