// Filtering and locating rows of a record set. Both compare stored rows in
// place, decoding only the fields they test.

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "platform/abort.h"
#include "platform/dataset.h"
#include "platform/text.h"

namespace platform {
namespace {

bool isTextType(FieldType t) { return t == FieldType::String || t == FieldType::FixedString; }

std::string_view trimRightView(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool sameText(std::string_view a, std::string_view b, bool ignoreCase) {
  return ignoreCase ? equalsIgnoreCase(a, b) : a == b;
}

class FilterParser {
 public:
  explicit FilterParser(const std::string& text) : text_(text) {}

  template <class Term>
  std::vector<Term> parse() {
    std::vector<Term> terms;
    skipBlanks();
    while (i_ < text_.size()) {
      Term t;
      t.field = fieldName();
      skipBlanks();
      if (!take('=')) fail("'=' esperado depois de " + t.field);
      skipBlanks();
      t.quoted = i_ < text_.size() && text_[i_] == '\'';
      t.literal = t.quoted ? quotedText() : number();
      terms.push_back(std::move(t));
      skipBlanks();
      if (i_ < text_.size()) {
        if (!keyword("AND")) fail("AND esperado entre os termos");
        skipBlanks();
        if (i_ == text_.size()) fail("termo esperado depois de AND");
      }
    }
    return terms;
  }

 private:
  [[noreturn]] void fail(const std::string& why) const {
    throw std::invalid_argument("Filtro inválido \"" + text_ + "\": " + why + ".");
  }
  void skipBlanks() {
    while (i_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[i_]))) ++i_;
  }
  bool take(char c) {
    if (i_ >= text_.size() || text_[i_] != c) return false;
    ++i_;
    return true;
  }
  static bool nameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
  bool keyword(std::string_view word) {
    if (!equalsIgnoreCase(std::string_view(text_).substr(i_, word.size()), word)) return false;
    const size_t end = i_ + word.size();
    if (end < text_.size() && nameChar(text_[end])) return false;
    i_ = end;
    return true;
  }
  std::string fieldName() {
    std::string name;
    if (take('[')) {
      const size_t close = text_.find(']', i_);
      if (close == std::string::npos) fail("']' esperado");
      name = trim(std::string_view(text_).substr(i_, close - i_));
      i_ = close + 1;
    } else {
      const size_t start = i_;
      while (i_ < text_.size() && nameChar(text_[i_])) ++i_;
      name = text_.substr(start, i_ - start);
    }
    if (name.empty()) fail("nome de campo esperado");
    return name;
  }
  std::string quotedText() {
    std::string out;
    ++i_;
    while (i_ < text_.size()) {
      if (text_[i_] == '\'') {
        if (i_ + 1 < text_.size() && text_[i_ + 1] == '\'') {
          out += '\'';
          i_ += 2;
          continue;
        }
        ++i_;
        return out;
      }
      out += text_[i_++];
    }
    fail("aspa de fechamento esperada");
  }
  std::string number() {
    const size_t start = i_;
    if (i_ < text_.size() && (text_[i_] == '-' || text_[i_] == '+')) ++i_;
    bool digits = false, point = false;
    while (i_ < text_.size()) {
      const char c = text_[i_];
      if (std::isdigit(static_cast<unsigned char>(c)))
        digits = true;
      else if (c == '.' && !point)
        point = true;
      else
        break;
      ++i_;
    }
    if (!digits) fail("valor entre aspas ou número esperado");
    return text_.substr(start, i_ - start);
  }

  const std::string& text_;
  size_t i_ = 0;
};

}  // namespace

std::vector<ClientDataSet::FilterTerm> ClientDataSet::parseFilter(const std::string& text) {
  return FilterParser(text).parse<FilterTerm>();
}

std::vector<ClientDataSet::Condition> ClientDataSet::resolveFilter(const std::vector<FilterTerm>& terms) const {
  std::vector<Condition> conds;
  for (const FilterTerm& t : terms) {
    const Field& f = fieldByName(t.field);
    if (f.calculated()) throw std::invalid_argument(name_ + ": filtro sobre o campo calculado '" + f.name() + "'.");
    Condition c{&f, {}, {}};
    if (isTextType(f.type())) {
      c.text = t.literal;
    } else {
      try {
        c.value = f.convert(t.quoted ? Value(t.literal) : Value(std::strtod(t.literal.c_str(), nullptr)));
      } catch (const UserError& e) {
        throw std::invalid_argument(name_ + ": filtro inválido no campo '" + f.name() + "': " + e.what());
      }
    }
    conds.push_back(std::move(c));
  }
  return conds;
}

bool ClientDataSet::matches(std::uint32_t id, const std::vector<Condition>& conds, LocateOptions o) const {
  const std::uint8_t* row = store_[id].cur.get();
  for (const Condition& c : conds) {
    const auto slot = static_cast<size_t>(c.field->slot_);
    if (isTextType(c.field->type())) {
      std::string_view s = layout_.text(row, slot);
      std::string_view k = c.text;
      if (c.field->type() == FieldType::FixedString) {
        s = trimRightView(s);
        k = trimRightView(k);
      }
      if (o.partialKey) {
        if (s.size() < k.size() || !sameText(s.substr(0, k.size()), k, o.caseInsensitive)) return false;
      } else if (!sameText(s, k, o.caseInsensitive)) {
        return false;
      }
    } else if (c.value.isNull() != layout_.isNull(row, slot) ||
               (!c.value.isNull() && !(layout_.decode(row, slot) == c.value))) {
      return false;
    }
  }
  return true;
}

void ClientDataSet::rebuildView() {
  view_.clear();
  if (!filtered_) return;
  for (std::uint32_t id : rows_)
    if (matches(id, filterConds_, {})) view_.push_back(id);
}

void ClientDataSet::applyFilter(bool on, const std::string& text, std::vector<FilterTerm> terms) {
  if (!active()) {
    filtered_ = on;
    filterText_ = text;
    filterTerms_ = std::move(terms);
    return;
  }
  checkBrowseMode();
  std::vector<Condition> conds = on ? resolveFilter(terms) : std::vector<Condition>{};
  fire(BeforeScroll);
  filtered_ = on;
  filterText_ = text;
  filterTerms_ = std::move(terms);
  filterConds_ = std::move(conds);
  rebuildView();
  cur_ = isEmpty() ? -1 : 0;
  bof_ = true;
  eof_ = isEmpty();
  computeCalc();
  notifyDataSet();
  fire(AfterScroll);
}

void ClientDataSet::setFilter(const std::string& text) {
  std::vector<FilterTerm> terms = parseFilter(text);
  if (filtered_) {
    applyFilter(true, text, std::move(terms));
  } else {
    filterText_ = text;
    filterTerms_ = std::move(terms);
  }
}

void ClientDataSet::setFiltered(bool on) {
  if (on != filtered_) applyFilter(on, filterText_, filterTerms_);
}

bool ClientDataSet::locate(std::string_view fieldNames, const std::vector<Value>& values, LocateOptions options) {
  requireActive();
  std::vector<Condition> conds;
  for (size_t start = 0; start <= fieldNames.size();) {
    const size_t semi = std::min(fieldNames.find(';', start), fieldNames.size());
    const Field& f = fieldByName(trim(fieldNames.substr(start, semi - start)));
    if (f.calculated()) throw std::invalid_argument(name_ + ": busca pelo campo calculado '" + f.name() + "'.");
    conds.push_back({&f, {}, {}});
    start = semi + 1;
  }
  if (conds.size() != values.size())
    throw std::invalid_argument(name_ + ": busca com " + std::to_string(conds.size()) + " campos e " +
                                std::to_string(values.size()) + " valores.");
  for (size_t i = 0; i < conds.size(); ++i) {
    const Value& v = values[i];
    if (!isTextType(conds[i].field->type()))
      conds[i].value = conds[i].field->convert(v);
    else if (!v.isNull())
      conds[i].text = v.isText() ? v.text() : convertToFieldType(v, FieldType::String, 0).text();
  }
  checkBrowseMode();
  fire(BeforeScroll);
  const auto& vis = visible();
  for (size_t i = 0; i < vis.size(); ++i) {
    if (!matches(vis[i], conds, options)) continue;
    cur_ = static_cast<int>(i);
    bof_ = eof_ = false;
    afterMove();
    return true;
  }
  return false;
}

}  // namespace platform
