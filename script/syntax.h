#pragma once
// The line syntax of scenario scripts (docs/scenarios.md): one command per
// line, words separated by blanks, a word with blanks written between
// double quotes (\" a quote, \\ a backslash, \t \n \b a Tab, Enter or
// Backspace typed inside it), '#' starting a comment line. Commands are
// checked in full before anything runs, so a misspelt command fails before
// the database is touched.
//
// Thread-safety: pure functions.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"

namespace script {

// A fault in the script itself: an unknown command, control or field, a
// wrong number of words, a failed expectation. Carries the line number.
class ScriptError : public std::runtime_error {
 public:
  ScriptError(int line, const std::string& message)
      : std::runtime_error("linha " + std::to_string(line) + ": " + message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

struct Command {
  int line = 0;
  std::string verb;               // lower case
  std::vector<std::string> args;  // as written, quotes removed
  std::string source;             // the line as written, trimmed
};

// Splits one line into words. Throws ScriptError on an unclosed quote or an
// unknown escape.
std::vector<std::string> splitWords(std::string_view text, int line);

// Parses a whole script: blank and comment lines are skipped; every command
// is checked for its name, its number of words and the words that take
// fixed values (answers, record actions, keys). Throws ScriptError.
std::vector<Command> parseScript(std::string_view text);

struct KeyStroke {
  int key = 0;
  platform::ShiftState shift = platform::ssNone;
};

// "Enter", "Ctrl+Delete", "Shift+Tab", "F2", "A", "Ctrl+Shift+Home"...
// Names are matched regardless of case; Portuguese names are accepted too
// (Baixo, Cima, Esquerda, Direita, Ins, Del, Esc). nullopt when unknown.
std::optional<KeyStroke> parseKey(std::string_view text);

}  // namespace script
