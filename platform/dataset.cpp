// The record set's fields, content, state machine and navigation. The change
// log is in datasetlog.cpp, filter and locate in datasetfilter.cpp.

#include "platform/dataset.h"

#include <algorithm>
#include <stdexcept>

#include "platform/abort.h"
#include "platform/datasource.h"
#include "platform/text.h"

namespace platform {
namespace {

// Keys of loaded rows are spaced so that rows inserted between two of them
// get a key in the gap; a full gap renumbers every row.
constexpr std::uint64_t kKeyGap = std::uint64_t{1} << 32;

struct Hold {
  explicit Hold(int& n) : n_(n) { ++n_; }
  ~Hold() { --n_; }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
  int& n_;
};

}  // namespace

// Runs Before* handlers of an operation that starts while a row is being
// edited; if one throws, the row is put back as it was.
template <class F>
void ClientDataSet::guardEdit(F&& beforeHandlers) {
  if (!editing()) {
    beforeHandlers();
    return;
  }
  const DataSetState state = state_;
  std::vector<Value> edit = edit_, calc = calc_;
  const bool modified = modified_;
  try {
    beforeHandlers();
  } catch (...) {
    if (state_ == state) {
      edit_ = std::move(edit);
      calc_ = std::move(calc);
      modified_ = modified;
      notifyRecord(nullptr);
    }
    throw;
  }
}

// Data sources may detach while others are being told.
template <class F>
void ClientDataSet::notify(F&& f) {
  if (disableCount_ > 0 || quiet_ > 0) return;
  const std::vector<DataSource*> sources = sources_;
  for (DataSource* s : sources)
    if (std::find(sources_.begin(), sources_.end(), s) != sources_.end()) f(*s);
}

ClientDataSet::ClientDataSet(std::string name) : name_(std::move(name)) {}

ClientDataSet::~ClientDataSet() {
  for (DataSource* s : sources_) {
    s->ds_ = nullptr;
    s->reported_ = DataSetState::Inactive;
  }
}

void ClientDataSet::programmingError(const std::string& what) const { throw std::logic_error(name_ + ": " + what); }

void ClientDataSet::requireActive() const {
  if (!active()) programmingError("operação não permitida com o conjunto de registros fechado.");
}

// ---------------------------------------------------------------- fields

Field& ClientDataSet::addField(std::string name, FieldType type, int size, FieldKind kind) {
  if (active()) programmingError("campo '" + name + "' declarado com o conjunto aberto.");
  if (findField(name)) programmingError("campo '" + name + "' declarado duas vezes.");
  std::unique_ptr<Field> f(new Field(*this, std::move(name), type, size, kind, fieldCount()));
  f->slot_ = kind == FieldKind::Data ? dataCount_++ : calcCount_++;
  fields_.push_back(std::move(f));
  return *fields_.back();
}

Field* ClientDataSet::findField(std::string_view name) const {
  for (const auto& f : fields_)
    if (equalsIgnoreCase(f->name(), name)) return f.get();
  return nullptr;
}

Field& ClientDataSet::fieldByName(std::string_view name) const {
  if (Field* f = findField(name)) return *f;
  throw std::out_of_range(name_ + ": campo '" + std::string(name) + "' não encontrado.");
}

std::vector<FieldDef> ClientDataSet::fieldDefs() const {
  std::vector<FieldDef> defs;
  for (const auto& f : fields_)
    if (!f->calculated()) defs.push_back(f->def());
  return defs;
}

std::vector<RowLayout::Column> ClientDataSet::columns() const {
  std::vector<RowLayout::Column> cols;
  for (const auto& f : fields_)
    if (!f->calculated()) cols.push_back({f->type(), f->size()});
  return cols;
}

Value ClientDataSet::fieldValue(const Field& f) const {
  if (f.calculated()) return static_cast<size_t>(f.slot_) < calc_.size() ? calc_[f.slot_] : Value();
  int id;
  if (viewing_) {
    if (viewEdit_) return edit_[f.slot_];
    id = viewRec_;
  } else {
    if (editing()) return edit_[f.slot_];
    id = currentId();
  }
  if (id < 0) return Value();
  return layout_.decode(store_[id].cur.get(), f.slot_);
}

Value ClientDataSet::oldFieldValue(const Field& f) const {
  if (f.calculated()) return fieldValue(f);
  const bool readsEdit = viewing_ ? viewEdit_ : editing();
  if (readsEdit && state_ == DataSetState::Insert) return Value();
  const int id = viewing_ && !viewEdit_ ? viewRec_ : currentId();
  if (id < 0 || !store_[id].stored) return Value();
  const Record& r = store_[id];
  return layout_.decode((r.orig ? r.orig : r.cur).get(), f.slot_);
}

void ClientDataSet::setFieldValue(Field& f, const Value& v) {
  const bool allowed = f.calculated() ? inCalc_ || (editing() && !viewing_) : editing() && !inCalc_ && !viewing_;
  if (!allowed) {
    programmingError("campo '" + f.name() + "' atribuído fora de " +
                     (f.calculated() ? "OnCalcFields, edição ou inclusão." : "edição ou inclusão."));
  }
  Value converted = f.convert(v);
  if (f.calculated()) {
    calc_[f.slot_] = std::move(converted);
    if (inCalc_) return;
  } else {
    edit_[f.slot_] = std::move(converted);
    modified_ = true;
  }
  if (f.OnChange) f.OnChange(f);
  notifyRecord(&f);
}

void ClientDataSet::computeCalc() {
  if (calcCount_ == 0) return;
  calc_.assign(static_cast<size_t>(calcCount_), Value());
  const bool hasRow = viewing_ || editing() || currentId() >= 0;
  if (!OnCalcFields || !hasRow) return;
  inCalc_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inCalc_};
  OnCalcFields(*this);
}

// ---------------------------------------------------------------- content

void ClientDataSet::rebuildLayout() { layout_ = RowLayout(columns()); }

void ClientDataSet::discardContent() {
  store_.clear();
  freeIds_.clear();
  rows_.clear();
  view_.clear();
  changed_.clear();
  steps_.clear();
  changeCount_ = 0;
  cur_ = -1;
}

std::uint32_t ClientDataSet::allocRecord() {
  std::uint32_t id;
  if (!freeIds_.empty()) {
    id = freeIds_.back();
    freeIds_.pop_back();
    store_[id] = Record{};
  } else {
    id = static_cast<std::uint32_t>(store_.size());
    store_.emplace_back();
  }
  store_[id].serial = nextSerial_++;
  return id;
}

void ClientDataSet::freeRecord(std::uint32_t id) {
  store_[id] = Record{};
  store_[id].free = true;
  freeIds_.push_back(id);
}

bool ClientDataSet::before(std::uint32_t a, std::uint32_t b) const {
  const std::uint64_t ka = store_[a].key, kb = store_[b].key;
  return ka < kb || (ka == kb && a < b);
}

size_t ClientDataSet::lowerBound(const std::vector<std::uint32_t>& v, std::uint32_t id) const {
  return static_cast<size_t>(
      std::lower_bound(v.begin(), v.end(), id, [this](std::uint32_t x, std::uint32_t y) { return before(x, y); }) -
      v.begin());
}

void ClientDataSet::linkLive(std::uint32_t id) {
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(lowerBound(rows_, id)), id);
  if (filtered_ && matches(id, filterConds_, {}))
    view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(lowerBound(view_, id)), id);
}

void ClientDataSet::unlinkLive(std::uint32_t id) {
  for (auto* v : {&rows_, &view_}) {
    const size_t p = lowerBound(*v, id);
    if (p < v->size() && (*v)[p] == id) v->erase(v->begin() + static_cast<std::ptrdiff_t>(p));
  }
}

void ClientDataSet::refilterRow(std::uint32_t id) {
  if (!filtered_) return;
  const size_t p = lowerBound(view_, id);
  const bool shown = p < view_.size() && view_[p] == id;
  const bool match = matches(id, filterConds_, {});
  if (shown && !match) view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(p));
  if (!shown && match) view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(p), id);
}

std::uint64_t ClientDataSet::keyForNewRow() {
  const auto& vis = visible();
  if (insertAtEnd_ || static_cast<size_t>(insertPos_) >= vis.size()) {
    const std::uint64_t last = rows_.empty() ? 0 : store_[rows_.back()].key;
    if (last > UINT64_MAX - kKeyGap) {
      renumberKeys();
      return keyForNewRow();
    }
    return last + kKeyGap;
  }
  const std::uint32_t next = vis[static_cast<size_t>(insertPos_)];
  const size_t p = lowerBound(rows_, next);
  const std::uint64_t hi = store_[next].key;
  const std::uint64_t lo = p == 0 ? 0 : store_[rows_[p - 1]].key;
  if (hi - lo < 2) {
    renumberKeys();
    return keyForNewRow();
  }
  return lo + (hi - lo) / 2;
}

// Rows kept for undo keep their place too, so every record is renumbered.
void ClientDataSet::renumberKeys() {
  std::vector<std::uint32_t> all;
  for (std::uint32_t id = 0; id < store_.size(); ++id)
    if (!store_[id].free) all.push_back(id);
  std::sort(all.begin(), all.end(), [this](std::uint32_t a, std::uint32_t b) { return before(a, b); });
  for (size_t i = 0; i < all.size(); ++i) store_[all[i]].key = (i + 1) * kKeyGap;
}

int ClientDataSet::currentId() const {
  const auto& vis = visible();
  return cur_ >= 0 && static_cast<size_t>(cur_) < vis.size() ? static_cast<int>(vis[cur_]) : -1;
}

bool ClientDataSet::tryPlace(int id) {
  if (id < 0 || store_[id].free) return false;
  const auto& vis = visible();
  const size_t p = lowerBound(vis, static_cast<std::uint32_t>(id));
  if (p >= vis.size() || vis[p] != static_cast<std::uint32_t>(id)) return false;
  cur_ = static_cast<int>(p);
  return true;
}

// For a row that is gone or hidden: the row now in its place, or the last.
void ClientDataSet::placeAt(std::uint64_t key, int tieId) {
  const auto& vis = visible();
  const auto tie = static_cast<std::uint32_t>(std::max(tieId, 0));
  const auto it = std::lower_bound(vis.begin(), vis.end(), key, [&](std::uint32_t x, std::uint64_t k) {
    return store_[x].key < k || (store_[x].key == k && x < tie);
  });
  const auto n = static_cast<int>(vis.size());
  cur_ = std::min(static_cast<int>(it - vis.begin()), n - 1);
}

void ClientDataSet::createDataSet() {
  close();
  discardContent();
  rebuildLayout();
  open();
}

void ClientDataSet::setData(const DataPacket& packet) {
  if (packet.delta) throw std::invalid_argument(name_ + ": um delta não pode ser carregado como conteúdo.");

  // Plan the columns: the stored fields, then the packet's undeclared ones.
  std::vector<RowLayout::Column> cols = columns();
  std::vector<int> from;
  for (const auto& f : fields_)
    if (!f->calculated()) from.push_back(packet.fieldIndex(f->name()));
  std::vector<FieldDef> added;
  for (size_t pc = 0; pc < packet.fields.size(); ++pc) {
    const FieldDef& d = packet.fields[pc];
    const bool known = findField(d.name) != nullptr || std::any_of(added.begin(), added.end(), [&](const FieldDef& a) {
                         return equalsIgnoreCase(a.name, d.name);
                       });
    if (known) continue;
    added.push_back(d);
    cols.push_back({d.type, d.size});
    from.push_back(static_cast<int>(pc));
  }

  // Encode every row before touching the current content, so that a packet
  // that does not fit leaves the record set as it was.
  RowLayout layout(cols);
  std::vector<Record> store(packet.rows.size());
  std::vector<const Value*> ptrs(cols.size());
  std::vector<Value> converted;
  converted.reserve(cols.size());
  const Value null;
  for (size_t r = 0; r < packet.rows.size(); ++r) {
    const PacketRow& row = packet.rows[r];
    if (row.values.size() != packet.fields.size())
      throw std::invalid_argument(name_ + ": linha do pacote com número de valores errado.");
    converted.clear();
    for (size_t c = 0; c < cols.size(); ++c) {
      const Value& v = from[c] < 0 ? null : row.values[static_cast<size_t>(from[c])];
      if (layout.storable(c, v)) {
        ptrs[c] = &v;
      } else {
        converted.push_back(convertToFieldType(v, cols[c].type, cols[c].size));
        ptrs[c] = &converted.back();
      }
    }
    store[r].cur = layout.encode(ptrs.data());
    store[r].key = (r + 1) * kKeyGap;
  }

  close();
  for (const FieldDef& d : added) addField(d.name, d.type, d.size).setRequired(d.required);
  discardContent();
  layout_ = std::move(layout);
  store_ = std::move(store);
  rows_.resize(store_.size());
  for (std::uint32_t id = 0; id < rows_.size(); ++id) {
    rows_[id] = id;
    store_[id].serial = nextSerial_++;
  }
  open();
}

DataPacket ClientDataSet::data() const {
  DataPacket p;
  p.fields = fieldDefs();
  p.rows.reserve(rows_.size());
  for (std::uint32_t id : rows_) p.rows.push_back({RowKind::Unchanged, decodeRow(store_[id].cur), {}});
  return p;
}

std::vector<Value> ClientDataSet::decodeRow(const RowBuf& row) const {
  std::vector<Value> values(static_cast<size_t>(dataCount_));
  for (size_t i = 0; i < values.size(); ++i) values[i] = layout_.decode(row.get(), i);
  return values;
}

size_t ClientDataSet::storageBytes() const {
  size_t n = store_.capacity() * sizeof(Record) + steps_.capacity() * sizeof(Step) +
             (rows_.capacity() + view_.capacity() + changed_.capacity() + freeIds_.capacity()) * sizeof(std::uint32_t);
  for (const Record& r : store_) {
    if (r.cur) n += layout_.byteSize(r.cur.get());
    if (r.orig) n += layout_.byteSize(r.orig.get());
  }
  for (const Step& s : steps_)
    if (s.cur) n += layout_.byteSize(s.cur.get());
  return n;
}

// ---------------------------------------------------------------- states

void ClientDataSet::open() {
  if (active()) return;
  if (layout_.columnCount() != static_cast<size_t>(dataCount_)) {
    discardContent();
    rebuildLayout();
  }
  std::vector<Condition> conds = filtered_ ? resolveFilter(filterTerms_) : std::vector<Condition>{};
  fire(BeforeOpen);
  filterConds_ = std::move(conds);
  state_ = DataSetState::Browse;
  modified_ = false;
  edit_.assign(static_cast<size_t>(dataCount_), Value());
  rebuildView();
  cur_ = isEmpty() ? -1 : 0;
  bof_ = true;
  eof_ = isEmpty();
  computeCalc();
  notifyState();
  notifyDataSet();
  fire(AfterOpen);
  // Also when empty: what hangs on the current row (details loaded for it)
  // must learn that there is none, or the previous row's stay on screen.
  fire(AfterScroll);
}

void ClientDataSet::close() {
  if (!active()) return;
  guardEdit([&] { fire(BeforeClose); });
  state_ = DataSetState::Inactive;
  modified_ = false;
  discardContent();
  calc_.clear();
  bof_ = eof_ = true;
  notifyState();
  fire(AfterClose);
}

void ClientDataSet::checkBrowseMode() {
  requireActive();
  if (!editing()) return;
  updateRecord();
  if (modified_)
    post();
  else
    cancel();
}

void ClientDataSet::updateRecord() {
  if (!editing()) programmingError("atualização do registro sem edição ou inclusão pendente.");
  notify([](DataSource& s) { s.updateRecord(); });
}

void ClientDataSet::append() { beginInsert(true); }
void ClientDataSet::insert() { beginInsert(false); }

void ClientDataSet::beginInsert(bool atEnd) {
  requireActive();
  checkBrowseMode();
  fire(BeforeInsert);
  fire(BeforeScroll);
  insertAtEnd_ = atEnd;
  insertPos_ = atEnd ? recordCount() : std::max(cur_, 0);
  std::vector<Value> calc = std::move(calc_);
  edit_.assign(static_cast<size_t>(dataCount_), Value());
  calc_.assign(static_cast<size_t>(calcCount_), Value());
  state_ = DataSetState::Insert;
  try {
    // Controls learn of the new row only once it is ready.
    const Hold quiet(quiet_);
    fire(OnNewRecord);
  } catch (...) {
    state_ = DataSetState::Browse;
    modified_ = false;
    calc_ = std::move(calc);
    throw;
  }
  modified_ = false;
  bof_ = eof_ = false;
  computeCalc();
  notifyState();
  notifyDataSet();
  fire(AfterInsert);
  fire(AfterScroll);
}

void ClientDataSet::edit() {
  requireActive();
  if (editing()) return;
  if (isEmpty()) {
    insert();
    return;
  }
  fire(BeforeEdit);
  const int id = currentId();
  if (id < 0) return;
  for (size_t i = 0; i < edit_.size(); ++i) edit_[i] = layout_.decode(store_[id].cur.get(), i);
  modified_ = false;
  state_ = DataSetState::Edit;
  notifyState();
  notifyRecord(nullptr);
  fire(AfterEdit);
}

void ClientDataSet::checkRequired() const {
  for (const auto& f : fields_) {
    if (f->calculated() || !f->required() || f->readOnly()) continue;
    if (edit_[f->slot_].isNull()) throw UserError("O campo '" + f->displayLabel() + "' deve ser informado.");
  }
}

void ClientDataSet::post() {
  requireActive();
  if (!editing()) programmingError("gravação sem edição ou inclusão pendente.");
  updateRecord();
  guardEdit([&] {
    fire(BeforePost);
    checkRequired();
  });
  if (!editing()) return;
  std::uint32_t id;
  if (state_ == DataSetState::Insert) {
    id = writeInsert();
  } else {
    id = static_cast<std::uint32_t>(currentId());
    if (modified_) writeEdit();
    refilterRow(id);
  }
  state_ = DataSetState::Browse;
  modified_ = false;
  if (!tryPlace(static_cast<int>(id))) placeAt(store_[id].key, static_cast<int>(id));
  bof_ = eof_ = isEmpty();
  computeCalc();
  notifyState();
  notifyDataSet();
  fire(AfterPost);
}

void ClientDataSet::cancel() {
  if (!editing()) return;
  const bool dropsRow = state_ == DataSetState::Insert;
  guardEdit([&] {
    fire(BeforeCancel);
    if (dropsRow) fire(BeforeScroll);
  });
  if (!editing()) return;
  state_ = DataSetState::Browse;
  modified_ = false;
  if (dropsRow) {
    const int n = recordCount();
    cur_ = n == 0 ? -1 : std::min(insertPos_, n - 1);
    bof_ = eof_ = n == 0;
  }
  computeCalc();
  notifyState();
  notifyDataSet();
  fire(AfterCancel);
  if (dropsRow) fire(AfterScroll);
}

void ClientDataSet::remove() {
  requireActive();
  if (state_ == DataSetState::Insert) {
    cancel();
    return;
  }
  if (isEmpty()) throw UserError("Operação não permitida: não há registro.");
  guardEdit([&] {
    fire(BeforeDelete);
    fire(BeforeScroll);
  });
  const int id = currentId();
  if (id < 0) return;
  const int pos = cur_;
  const bool wasLast = pos == recordCount() - 1;
  writeDelete(static_cast<std::uint32_t>(id));
  state_ = DataSetState::Browse;
  modified_ = false;
  const int n = recordCount();
  cur_ = n == 0 ? -1 : std::min(pos, n - 1);
  bof_ = n == 0;
  eof_ = n == 0 || wasLast;
  computeCalc();
  notifyState();
  notifyDataSet();
  fire(AfterDelete);
  fire(AfterScroll);
}

// ---------------------------------------------------------------- navigation

int ClientDataSet::recordCount() const { return active() ? static_cast<int>(visible().size()) : 0; }

int ClientDataSet::recNo() const { return state_ == DataSetState::Insert ? insertPos_ + 1 : cur_ + 1; }

void ClientDataSet::afterMove() {
  computeCalc();
  notifyMoved();
  fire(AfterScroll);
}

void ClientDataSet::first() {
  requireActive();
  checkBrowseMode();
  fire(BeforeScroll);
  cur_ = isEmpty() ? -1 : 0;
  bof_ = true;
  eof_ = isEmpty();
  afterMove();
}

void ClientDataSet::last() {
  requireActive();
  checkBrowseMode();
  fire(BeforeScroll);
  cur_ = recordCount() - 1;
  bof_ = isEmpty();
  eof_ = true;
  afterMove();
}

// The end flags are set by first(), last() and by a move that runs into an
// end, as in the classic model. A move that leaves the row where it was
// (already at the end, or running into it from the last row) runs
// before-scroll but not after-scroll: after-scroll handlers reload a row's
// details from the server, and a loop that walks to the end would otherwise
// reload the last row once more.
int ClientDataSet::moveBy(int distance) {
  requireActive();
  checkBrowseMode();
  fire(BeforeScroll);
  if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_) || isEmpty()) return 0;
  const long long n = recordCount();
  long long target = static_cast<long long>(cur_) + distance;
  bof_ = eof_ = false;
  if (target < 0) {
    target = 0;
    bof_ = true;
  }
  if (target >= n) {
    target = n - 1;
    eof_ = true;
  }
  const int moved = static_cast<int>(target - cur_);
  cur_ = static_cast<int>(target);
  if (moved != 0) afterMove();
  return moved;
}

void ClientDataSet::setRecNo(int recNo) {
  requireActive();
  checkBrowseMode();
  if (recNo < 1 || recNo > recordCount())
    throw std::out_of_range(name_ + ": não existe o registro " + std::to_string(recNo) + ".");
  if (recNo - 1 == cur_) return;
  fire(BeforeScroll);
  cur_ = recNo - 1;
  bof_ = eof_ = false;
  afterMove();
}

Bookmark ClientDataSet::bookmark() const {
  const int id = currentId();
  if (id < 0 || state_ == DataSetState::Insert) return {};
  return {static_cast<std::uint32_t>(id), store_[id].serial};
}

bool ClientDataSet::bookmarkValid(const Bookmark& b) const {
  return b.record < store_.size() && store_[b.record].serial == b.serial && live(store_[b.record]);
}

bool ClientDataSet::gotoBookmark(const Bookmark& b) {
  requireActive();
  checkBrowseMode();
  auto position = [&]() -> int {
    if (!bookmarkValid(b)) return -1;
    const size_t p = lowerBound(visible(), b.record);
    return p < visible().size() && visible()[p] == b.record ? static_cast<int>(p) : -1;
  };
  if (position() < 0) return false;
  fire(BeforeScroll);
  const int p = position();
  if (p < 0) return false;
  cur_ = p;
  bof_ = eof_ = false;
  afterMove();
  return true;
}

int ClientDataSet::viewRowCount() const { return recordCount() + (state_ == DataSetState::Insert ? 1 : 0); }

int ClientDataSet::viewCurrentRow() const { return state_ == DataSetState::Insert ? insertPos_ : cur_; }

void ClientDataSet::withViewRow(int row, const std::function<void()>& read) {
  if (row < 0 || row >= viewRowCount())
    throw std::out_of_range(name_ + ": linha " + std::to_string(row) + " fora da visão.");
  struct Restore {
    ClientDataSet& ds;
    bool viewing, viewEdit;
    int rec;
    std::vector<Value> calc;
    ~Restore() {
      ds.viewing_ = viewing;
      ds.viewEdit_ = viewEdit;
      ds.viewRec_ = rec;
      ds.calc_ = std::move(calc);
    }
  } restore{*this, viewing_, viewEdit_, viewRec_, calc_};
  bool editRow = false;
  if (state_ == DataSetState::Insert) {
    if (row == insertPos_)
      editRow = true;
    else if (row > insertPos_)
      --row;
  } else if (state_ == DataSetState::Edit && row == cur_) {
    editRow = true;
  }
  viewing_ = true;
  viewEdit_ = editRow;
  viewRec_ = editRow ? currentId() : static_cast<int>(visible()[static_cast<size_t>(row)]);
  if (!editRow) computeCalc();
  read();
}

// ---------------------------------------------------------------- notifications

void ClientDataSet::attach(DataSource* s) {
  if (std::find(sources_.begin(), sources_.end(), s) == sources_.end()) sources_.push_back(s);
}

void ClientDataSet::detach(DataSource* s) { std::erase(sources_, s); }

void ClientDataSet::notifyState() {
  notify([](DataSource& s) { s.syncState(); });
}
void ClientDataSet::notifyDataSet() {
  notify([](DataSource& s) { s.dataSetChanged(); });
}
void ClientDataSet::notifyMoved() {
  notify([](DataSource& s) { s.recordMoved(); });
}
void ClientDataSet::notifyRecord(Field* f) {
  notify([f](DataSource& s) { s.recordChanged(f); });
}
void ClientDataSet::focusField(Field& f) {
  notify([&f](DataSource& s) { s.focusField(f); });
}

void ClientDataSet::disableControls() { ++disableCount_; }

void ClientDataSet::enableControls() {
  if (disableCount_ == 0 || --disableCount_ > 0) return;
  notifyState();
  if (active()) notifyDataSet();
}

}  // namespace platform
