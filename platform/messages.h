#pragma once
// The message catalogue: every text the screen shows the user (errors,
// questions, notices, dialog titles, progress captions, display words) is
// looked up by key in a catalogue of lines "key|text".
//
// Lookup rule, which guarantees that a caption is never blank:
//   1. The catalogue's own entries; keys match regardless of ASCII letter
//      case ("PRODUTO" finds "Produto"), accented letters compare exactly.
//   2. Otherwise its fallback catalogue, and that one's fallback, in turn.
//      The screen's catalogue falls back to the framework's standard
//      catalogue `msgMensagensPadroes`, which holds generic texts for the
//      framework's own keys and for the keys the screen asks for without
//      holding them.
//   3. Otherwise the key itself, so a missing text still shows something
//      the user can report.
// A catalogue never holds an empty or blank text: construction refuses it,
// as it refuses a line without a bar, an empty key and a key held twice.
// Texts are kept byte for byte, trailing blanks and CR LF breaks included.
//
// Lookup is O(1) (hashed on the case-folded key) and allocates only for the
// returned copy.
//
// Thread-safety: a catalogue is built once and then only read; concurrent
// reads are safe. ShowMsg goes through the UI services and belongs to the
// user-interface thread.

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/uiservice.h"

namespace platform {

struct MessageEntry {
  std::string_view key;
  std::string_view text;
};

// Fills the "%s" placeholders of text with args, in order. A placeholder
// without an argument becomes empty, surplus arguments are ignored, "%%"
// is a literal percent sign and any other '%' is kept as it is. Never
// throws on a mismatch between placeholders and arguments.
std::string formatMsg(std::string_view text, std::span<const std::string_view> args);
std::string formatMsg(std::string_view text, std::initializer_list<std::string_view> args);

class TMessages {
 public:
  TMessages() = default;
  // Throws std::invalid_argument on an empty key, a blank text or a key
  // held twice (case-insensitively).
  explicit TMessages(std::span<const MessageEntry> entries, const TMessages* fallback = nullptr);
  TMessages(std::initializer_list<MessageEntry> entries, const TMessages* fallback = nullptr);

  // From lines "key|text": the key is what stands before the first bar
  // (surrounding blanks dropped), the text everything after it, unchanged.
  static TMessages fromLines(std::span<const std::string_view> lines, const TMessages* fallback = nullptr);
  static TMessages fromLines(std::initializer_list<std::string_view> lines, const TMessages* fallback = nullptr);

  void add(std::string_view key, std::string_view text);
  void addLine(std::string_view line);

  // The fallback must outlive this catalogue; a chain that would lead back
  // to this catalogue is refused with std::invalid_argument.
  void setFallback(const TMessages* fallback);
  const TMessages* fallback() const { return fallback_; }

  // Whether this catalogue itself (not its fallbacks) holds the key.
  bool contains(std::string_view key) const;
  // The text along the fallback chain, or nullptr when no catalogue in it
  // holds the key.
  const std::string* find(std::string_view key) const;

  // The text for key by the lookup rule above.
  std::string Msg(std::string_view key) const;
  // Msg(key) with its "%s" placeholders filled (see formatMsg).
  std::string MsgFmt(std::string_view key, std::initializer_list<std::string_view> args) const;
  // Shows Msg(key) modally and returns the button pressed.
  MsgResult ShowMsg(std::string_view key, MsgKind kind, MsgButtons buttons) const;

  size_t size() const { return texts_.size(); }

 private:
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
  };

  std::unordered_map<std::string, std::string, FoldedHash, FoldedEqual> texts_;
  const TMessages* fallback_ = nullptr;
};

// The framework's standard catalogue (built on first use).
const TMessages& msgMensagensPadroes();

}  // namespace platform
