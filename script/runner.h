#pragma once
// Runner: plays a scenario script against the sales-maintenance screen and
// writes its transcript.
//
// The screen runs in this process, hosted by the runner (which presents
// nothing and gives the screen's connection a recording transport), over a
// client session: an embedded application server on a database (by default
// a fresh temporary copy of the demonstration database, removed afterwards)
// or a remote server, with the local queries on the database given.
//
// Every action enters the screen through the same model gestures the
// desktop client uses (focus moves, typing, key presses, clicks, page and
// menu choices, record moves) inside the gesture boundary, so a validation
// that aborts an action ends it quietly, as in the client.
//
// Transcript: each command is echoed as "> command"; below it, indented,
// what the action caused, in order: remote calls ("chamada: Op(args)"),
// messages ("erro:", "aviso:", "informação:"), questions with the answer
// given ("pergunta: text -> sim"), look-ups ("pesquisa: title -> linha 2"),
// the focus when it moved ("foco: control"), and what `mostrar` asked for.
//
// Expected transcripts: sameTranscript() compares two, ignoring carriage
// returns (a checkout may have turned line ends into CRLF); when they differ
// firstDifference() names the first line where they part.
//
// Thread-safety: one runner at a time per process (it installs itself as
// the process's user interface and screen host).

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/screenhost.h"
#include "script/scriptedui.h"
#include "script/syntax.h"

namespace client {
class Session;
}
namespace platform {
class Control;
class ClientDataSet;
}  // namespace platform
namespace screen {
class TfrmManutVenda;
}

namespace script {

struct RunOptions {
  // "sqlite:FILE" or a PostgreSQL connection string; empty: a temporary
  // copy of the demonstration database.
  std::string database;
  // Fill `database` with the demonstration data when it has no schema yet.
  bool demo = false;
  // Empty: embedded server; otherwise "host:port" of a vnd-server (the
  // local queries still read `database`, which is then required).
  std::string server;
  // False: every remote call goes alone, a round trip each, instead of the
  // calls of one action together; the transcript is the same either way.
  bool batching = true;
  // Where the screen is also presented (a desktop client's main window, to
  // see or render what the script did); the runner stays the screen's host
  // for its connection and transcript.
  platform::ScreenHost* presenter = nullptr;
};

// Exit statuses of a run.
inline constexpr int kRunOk = 0;
inline constexpr int kRunFailed = 1;    // a script error or a failed expectation
inline constexpr int kRunInternal = 3;  // the screen raised an unexpected error

struct TranscriptDifference {
  int line = 0;          // 1-based
  std::string expected;  // "(fim)" past the end
  std::string actual;
};
bool sameTranscript(std::string_view expected, std::string_view actual);
TranscriptDifference firstDifference(std::string_view expected, std::string_view actual);

class Runner : public platform::ScreenHost {
 public:
  // Throws std::runtime_error (Portuguese text) when the database or the
  // session cannot be opened.
  Runner(RunOptions options, std::ostream& transcript);
  ~Runner() override;
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Checks the whole script, then runs it command by command. Stops at the
  // first script error or failed expectation, which is written to the
  // transcript as "!! linha N: ..." and kept in error(). Answers an exit
  // status.
  int run(std::string_view scriptText);
  const std::string& error() const { return error_; }

  // ScreenHost: the runner presents nothing, but the transcript says when
  // the screen is shown and when it closed (also by its own close button).
  void showDocument(platform::Form& form) override;
  void closeDocument(platform::Form& form) override;
  void prepareConnection(platform::TNetConnection& connection) override;

 private:
  void execute(const Command& c);
  void emit(const std::string& line);
  void afterAction();
  screen::TfrmManutVenda& screen(const Command& c) const;
  platform::Control& control(const Command& c, const std::string& name) const;
  platform::ClientDataSet* recordSet(const std::string& name) const;
  bool gesture(const std::function<void()>& action);

  void doLogon(const Command& c);
  void doType(const Command& c);
  void doLeave(const Command& c);
  void doClick(const Command& c);
  void doCell(const Command& c, bool type);
  void doKey(const Command& c);
  void doRecord(const Command& c);
  void doShow(const Command& c);
  void doExpect(const Command& c);
  void showRecordSet(platform::ClientDataSet& set, const std::vector<std::string>& fields, int line);
  void showControl(platform::Control& control, const std::string& indent);

  RunOptions options_;
  std::ostream& out_;
  std::filesystem::path tempDir_;
  std::unique_ptr<client::Session> session_;
  ScriptedUi ui_;
  std::vector<std::string> calls_;
  std::string error_;
  std::string lastFocus_;
  size_t messagesBefore_ = 0;  // messages shown before the last action
  bool closing_ = false;
};

}  // namespace script
