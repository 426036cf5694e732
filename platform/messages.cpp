#include "platform/messages.h"

#include <stdexcept>

#include "platform/text.h"

namespace platform {
namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string formatMsg(std::string_view text, std::span<const std::string_view> args) {
  std::string out;
  out.reserve(text.size());
  size_t next = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      if (text[i + 1] == 's') {
        if (next < args.size()) out += args[next];
        ++next;
        ++i;
        continue;
      }
      if (text[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string formatMsg(std::string_view text, std::initializer_list<std::string_view> args) {
  return formatMsg(text, std::span<const std::string_view>(args.begin(), args.size()));
}

size_t TMessages::FoldedHash::operator()(std::string_view s) const noexcept {
  size_t h = 14695981039346656037ull;  // FNV-1a over the folded bytes
  for (char c : s) {
    h ^= static_cast<unsigned char>(foldAscii(c));
    h *= 1099511628211ull;
  }
  return h;
}

bool TMessages::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return equalsIgnoreCase(a, b);
}

TMessages::TMessages(std::span<const MessageEntry> entries, const TMessages* fallback) {
  texts_.reserve(entries.size());
  for (const MessageEntry& e : entries) add(e.key, e.text);
  setFallback(fallback);
}

TMessages::TMessages(std::initializer_list<MessageEntry> entries, const TMessages* fallback)
    : TMessages(std::span<const MessageEntry>(entries.begin(), entries.size()), fallback) {}

TMessages TMessages::fromLines(std::span<const std::string_view> lines, const TMessages* fallback) {
  TMessages m;
  m.texts_.reserve(lines.size());
  for (std::string_view line : lines) m.addLine(line);
  m.setFallback(fallback);
  return m;
}

TMessages TMessages::fromLines(std::initializer_list<std::string_view> lines, const TMessages* fallback) {
  return fromLines(std::span<const std::string_view>(lines.begin(), lines.size()), fallback);
}

void TMessages::add(std::string_view key, std::string_view text) {
  if (key.empty()) throw std::invalid_argument("catalogue line without a key");
  if (trim(text).empty()) throw std::invalid_argument("catalogue key '" + std::string(key) + "' has a blank text");
  if (!texts_.emplace(std::string(key), std::string(text)).second)
    throw std::invalid_argument("catalogue key '" + std::string(key) + "' is held twice");
}

void TMessages::addLine(std::string_view line) {
  const size_t bar = line.find('|');
  if (bar == std::string_view::npos) throw std::invalid_argument("catalogue line without a bar: " + std::string(line));
  add(trim(line.substr(0, bar)), line.substr(bar + 1));
}

void TMessages::setFallback(const TMessages* fallback) {
  for (const TMessages* m = fallback; m; m = m->fallback_)
    if (m == this) throw std::invalid_argument("catalogue fallback chain leads back to itself");
  fallback_ = fallback;
}

bool TMessages::contains(std::string_view key) const { return texts_.find(key) != texts_.end(); }

const std::string* TMessages::find(std::string_view key) const {
  for (const TMessages* m = this; m; m = m->fallback_) {
    auto it = m->texts_.find(key);
    if (it != m->texts_.end()) return &it->second;
  }
  return nullptr;
}

std::string TMessages::Msg(std::string_view key) const {
  const std::string* text = find(key);
  return text ? *text : std::string(key);
}

std::string TMessages::MsgFmt(std::string_view key, std::initializer_list<std::string_view> args) const {
  return formatMsg(Msg(key), args);
}

MsgResult TMessages::ShowMsg(std::string_view key, MsgKind kind, MsgButtons buttons) const {
  return ui().showMessage(Msg(key), kind, buttons);
}

}  // namespace platform
