#include "platform/dbcontrols.h"

#include "platform/dataset.h"
#include "platform/editmask.h"
#include "platform/field.h"
#include "platform/form.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace platform {
namespace {

std::string maskedValue(const std::string& mask, const std::string& raw) {
  return mask.empty() ? raw : StripMask(mask, raw);
}

std::string maskedDisplay(const std::string& mask, const std::string& raw) {
  return mask.empty() ? raw : ApplyMask(mask, raw);
}

std::string fieldMask(const Field* f) { return f ? f->editMask() : std::string(); }

// The mask a grid cell applies to its typed text: none once the text has a
// character the field's optional mask refuses.
std::string cellMask(const Field* f, const std::string& typed) {
  std::string mask = fieldMask(f);
  if (mask.empty() || !f->maskOptional()) return mask;
  std::string fitted;
  for (char32_t ch : utf8Decode(typed)) {
    std::optional<std::string> next = MaskEdit::typeThrough(mask, fitted, ch);
    if (!next) return {};
    fitted = std::move(*next);
  }
  return mask;
}

// Opens the in-place editor, on the cell's text or empty.
void openEditor(bool& mode, std::string& text, std::string initial) {
  mode = true;
  text = std::move(initial);
}

}  // namespace

// ------------------------------------------------------------------ FieldLink

FieldLink::~FieldLink() {
  if (source_) source_->removeListener(this);
}

void FieldLink::setDataSource(DataSource* source) {
  if (source == source_) return;
  if (source_) source_->removeListener(this);
  source_ = source;
  if (source_) source_->addListener(this);
  dataChanged();
}

void FieldLink::setFieldName(std::string name) {
  if (name == fieldName_) return;
  fieldName_ = std::move(name);
  dataChanged();
}

ClientDataSet* FieldLink::dataSet() const { return source_ ? source_->dataSet() : nullptr; }

Field* FieldLink::field() const {
  ClientDataSet* ds = dataSet();
  return ds && !fieldName_.empty() ? ds->findField(fieldName_) : nullptr;
}

void FieldLink::recordChanged(DataSource&, Field* f) {
  if (!f || equalsIgnoreCase(f->name(), fieldName_)) dataChanged();
}

void FieldLink::focusField(DataSource&, Field& f) {
  if (&f == field()) focusRequested();
}

// Runs while the screen that owned the data source is being destroyed: no
// event may reach its handlers any more.
void FieldLink::dataSourceDestroyed(DataSource&) { source_ = nullptr; }

// ------------------------------------------------------------------ DBEdit

std::string DBEdit::fieldText() const {
  const Field* f = field();
  ClientDataSet* ds = dataSet();
  return f && ds && ds->active() ? f->text() : std::string();
}

std::string DBEdit::text() const { return maskedValue(fieldMask(field()), raw()); }
std::string DBEdit::displayText() const { return maskedDisplay(fieldMask(field()), raw()); }

bool DBEdit::editable() const {
  const Field* f = field();
  const ClientDataSet* ds = dataSet();
  return Edit::editable() && f && !f->readOnly() && !f->calculated() && ds && ds->active();
}

std::optional<std::string> DBEdit::typed(const std::string& raw, char32_t ch) const {
  const Field* f = field();
  std::optional<std::string> next = MaskEdit::typeThrough(fieldMask(f), raw, ch);
  // Text fields hold at most their size.
  if (next && f && f->type() == FieldType::String && f->size() > 0 &&
      utf8Length(maskedValue(fieldMask(f), *next)) > static_cast<size_t>(f->size()))
    return std::nullopt;
  return next;
}

void DBEdit::beginTyping() {
  ClientDataSet* ds = dataSet();
  if (ds && !ds->editing()) ds->edit();
}

void DBEdit::updateRecord() {
  if (!modified_) return;
  Field* f = field();
  ClientDataSet* ds = dataSet();
  if (!f || !ds || !ds->editing()) {
    modified_ = false;
    return;
  }
  f->setText(text());
  modified_ = false;
  dataChanged();
}

void DBEdit::dataChanged() {
  modified_ = false;
  setRaw(fieldText());
  notify(Prop::Data);
}

void DBEdit::focusRequested() {
  Form* f = form();
  if (f && f->activeControl() != this) f->setFocus(*this);
}

std::string DBText::text() const {
  const Field* f = field();
  const ClientDataSet* ds = dataSet();
  return f && ds && ds->active() ? f->displayText() : std::string();
}

// ------------------------------------------------------------------ DBNavigator

DBNavigator::~DBNavigator() {
  if (source_) source_->removeListener(this);
}

void DBNavigator::setDataSource(DataSource* source) {
  if (source == source_) return;
  if (source_) source_->removeListener(this);
  source_ = source;
  if (source_) source_->addListener(this);
  notify(Prop::DataSource);
}

bool DBNavigator::buttonEnabled(NavButton b) const {
  const ClientDataSet* ds = source_ ? source_->dataSet() : nullptr;
  if (!ds || !ds->active() || ds->isEmpty() || !effectiveEnabled()) return false;
  return b == NavButton::First || b == NavButton::Prior ? !ds->bof() : !ds->eof();
}

bool DBNavigator::click(NavButton b) {
  if (!buttonEnabled(b) || !showing()) return false;
  ClientDataSet& ds = *source_->dataSet();
  switch (b) {
    case NavButton::First:
      ds.first();
      break;
    case NavButton::Prior:
      ds.prior();
      break;
    case NavButton::Next:
      ds.next();
      break;
    case NavButton::Last:
      ds.last();
      break;
  }
  if (OnClick) OnClick(*this, b);
  return true;
}

// ------------------------------------------------------------------ Column

int Column::index() const {
  for (int i = 0; i < grid_->columnCount(); ++i)
    if (&grid_->column(i) == this) return i;
  return -1;
}

Field* Column::field() const {
  ClientDataSet* ds = grid_->dataSet();
  return ds ? ds->findField(fieldName_) : nullptr;
}

std::string Column::title() const {
  if (!title_.empty()) return title_;
  const Field* f = field();
  return f ? f->displayLabel() : fieldName_;
}

template <class T>
void Column::set(T& member, T value) {
  if (member == value) return;
  member = std::move(value);
  grid_->notify(Prop::Columns);
}

void Column::setTitle(std::string t) { set(title_, std::move(t)); }
void Column::setWidth(int w) { set(width_, w); }
void Column::setReadOnly(bool on) { set(readOnly_, on); }
void Column::setVisible(bool on) { set(visible_, on); }
void Column::setButtonStyle(ButtonStyle s) { set(buttonStyle_, s); }
void Column::setTitleAlignment(Alignment a) { set(titleAlignment_, a); }

// ------------------------------------------------------------------ DBGrid

DBGrid::~DBGrid() {
  if (source_) source_->removeListener(this);
}

void DBGrid::setDataSource(DataSource* source) {
  if (source == source_) return;
  closeEditor();
  if (source_) source_->removeListener(this);
  source_ = source;
  if (source_) source_->addListener(this);
  notify(Prop::DataSource);
  notify(Prop::Data);
}

ClientDataSet* DBGrid::dataSet() const { return source_ ? source_->dataSet() : nullptr; }

Column& DBGrid::addColumn(std::string fieldName, std::string title, int width) {
  columns_.push_back(std::unique_ptr<Column>(new Column(*this, std::move(fieldName), std::move(title), width)));
  notify(Prop::Columns);
  return *columns_.back();
}

void DBGrid::clearColumns() {
  closeEditor();
  columns_.clear();
  selected_ = 0;
  notify(Prop::Columns);
}

Column* DBGrid::columnByField(std::string_view fieldName) const {
  const int i = columnIndex(fieldName);
  return i < 0 ? nullptr : columns_[static_cast<size_t>(i)].get();
}

int DBGrid::columnIndex(std::string_view fieldName) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (equalsIgnoreCase(columns_[i]->fieldName(), fieldName)) return static_cast<int>(i);
  return -1;
}

Column* DBGrid::selectedColumn() const {
  return selected_ >= 0 && selected_ < columnCount() ? columns_[static_cast<size_t>(selected_)].get() : nullptr;
}

Field* DBGrid::selectedField() const {
  const Column* c = selectedColumn();
  return c ? c->field() : nullptr;
}

void DBGrid::setSelectedIndex(int i) {
  if (i < 0 || i >= columnCount() || i == selected_) return;
  updateData();
  closeEditor();
  selected_ = i;
  notify(Prop::SelectedColumn);
}

bool DBGrid::setSelectedField(const Field& f) {
  for (int i = 0; i < columnCount(); ++i)
    if (column(i).field() == &f) {
      setSelectedIndex(i);
      return true;
    }
  return false;
}

bool DBGrid::selectColumn(std::string_view fieldName) { return selectColumnAt(columnIndex(fieldName)); }

bool DBGrid::selectColumnAt(int index) {
  if (index < 0 || index >= columnCount() || !column(index).visible()) return false;
  if (!focused() && !setFocus()) return false;
  return moveToColumn(index);
}

bool DBGrid::moveToColumn(int index) {
  if (index == selected_) return true;
  updateData();
  const int before = selected_;
  if (OnColExit) OnColExit(*this);
  if (selected_ != before) return selected_ == index;
  closeEditor();
  selected_ = index;
  notify(Prop::SelectedColumn);
  if (OnColEnter) OnColEnter(*this);
  return true;
}

int DBGrid::nextVisibleColumn(int from, int step) const {
  for (int i = from + step; i >= 0 && i < columnCount(); i += step)
    if (column(i).visible()) return i;
  return -1;
}

void DBGrid::setReadOnly(bool on) { assign(readOnly_, on, Prop::ReadOnly); }
void DBGrid::setOptions(const GridOptions& o) { assign(options_, o, Prop::Options); }

bool DBGrid::canModify() const {
  const ClientDataSet* ds = dataSet();
  return ds && ds->active() && options_.editing && !readOnly_ && effectiveEnabled();
}

bool DBGrid::cellEditable() const {
  const Column* c = selectedColumn();
  const Field* f = c ? c->field() : nullptr;
  return c && f && canModify() && c->visible() && !c->readOnly() && !f->readOnly() && !f->calculated();
}

std::string DBGrid::cellText(const Column& c) const {
  const Field* f = c.field();
  return f ? f->text() : std::string();
}

void DBGrid::updateData() {
  if (!editorMode_ || !editModified_) return;
  Field* f = selectedField();
  ClientDataSet* ds = dataSet();
  if (f && ds && ds->editing()) f->setText(maskedValue(cellMask(f, editText_), editText_));
  editModified_ = false;
}

void DBGrid::setEditorMode(bool on) {
  if (on == editorMode_) return;
  if (!on) {
    updateData();
    closeEditor();
  } else if (cellEditable()) {
    openEditor(editorMode_, editText_, cellText(*selectedColumn()));
    notify(Prop::EditorMode);
  }
}

void DBGrid::closeEditor() {
  if (!editorMode_) return;
  editorMode_ = false;
  editModified_ = false;
  editText_.clear();
  notify(Prop::EditorMode);
}

bool DBGrid::typeChar(char32_t ch) {
  int key = keyCodeForChar(ch);
  if (OnKeyDown) OnKeyDown(*this, key, ssNone);
  if (key == 0) return false;
  if (OnKeyPress) OnKeyPress(*this, ch);
  if (ch == 0 || !cellEditable()) return false;
  const Field* f = selectedField();
  auto through = [f](const std::string& typed, char32_t c) -> std::optional<std::string> {
    std::optional<std::string> next = MaskEdit::typeThrough(cellMask(f, typed), typed, c);
    if (!next && f->maskOptional()) next = typed + utf8Encode(c);
    return next;
  };
  if (!through(editorMode_ ? editText_ : std::string(), ch)) return false;
  ClientDataSet* ds = dataSet();
  if (!ds->editing()) ds->edit();
  const bool opening = !editorMode_;
  if (opening) openEditor(editorMode_, editText_, {});
  std::optional<std::string> next = through(editText_, ch);
  if (!next) return false;
  if (f->type() == FieldType::String && f->size() > 0 &&
      utf8Length(maskedValue(cellMask(f, *next), *next)) > static_cast<size_t>(f->size()))
    return false;
  editText_ = std::move(*next);
  editModified_ = true;
  if (opening) notify(Prop::EditorMode);
  notify(Prop::Text);
  return true;
}

int DBGrid::typeText(std::string_view utf8) {
  if (!focused() && !setFocus()) return 0;
  return typeThrough(
      utf8, [this](int key) { return pressKey(key); }, [this](char32_t ch) { return typeChar(ch); });
}

void DBGrid::deleteRow() {
  ClientDataSet* ds = dataSet();
  if (!canModify() || ds->isEmpty()) return;
  if (options_.confirmDelete &&
      msgMensagensPadroes().ShowMsg("CONF_EXCL", MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes)
    return;
  closeEditor();
  ds->remove();
}

void DBGrid::appendRow() {
  closeEditor();
  dataSet()->append();
}

bool DBGrid::pressKey(int key, ShiftState shift) {
  if (!focused() && !setFocus()) return false;
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (key == 0) return false;
  const bool plain = !(shift & (ssCtrl | ssAlt));
  char32_t ch = 0;
  if (plain) {
    if (key == vk::Tab) ch = '\t';
    if (key == vk::Return) ch = '\r';
    if (key == vk::Back) ch = '\b';
    if (key == vk::Escape) ch = 27;
  }
  if (ch != 0) {
    if (OnKeyPress) OnKeyPress(*this, ch);
    if (ch == 0) return false;
  }
  ClientDataSet* ds = dataSet();
  const bool open = ds && ds->active();
  const int last = rowCount() - 1;
  switch (key) {
    case vk::Tab: {
      if (!options_.tabs) {
        if (form()) form()->focusNext(!(shift & ssShift));
        break;
      }
      const int step = (shift & ssShift) ? -1 : 1;
      const int next = nextVisibleColumn(selected_, step);
      if (next >= 0) {
        moveToColumn(next);
      } else if (open && currentRow() + step >= 0 && currentRow() + step <= last) {
        const int wrap = nextVisibleColumn(step > 0 ? -1 : columnCount(), step);
        if (wrap >= 0 && moveToColumn(wrap)) ds->moveBy(step);
      }
      break;
    }
    case vk::Left:
    case vk::Right: {
      const int next = nextVisibleColumn(selected_, key == vk::Left ? -1 : 1);
      if (next >= 0) moveToColumn(next);
      break;
    }
    case vk::Up:
      if (open) ds->prior();
      break;
    case vk::Down:
      if (!open) break;
      if (ds->state() == DataSetState::Insert && !ds->modified() && !editModified_) {
        if (currentRow() < last) ds->cancel();
      } else if (currentRow() < last) {
        ds->next();
      } else if (canModify()) {
        updateData();
        appendRow();
      }
      break;
    case vk::Home:
    case vk::End:
      if (shift & ssCtrl) {
        if (open) key == vk::Home ? ds->first() : ds->last();
      } else {
        const int to = nextVisibleColumn(key == vk::Home ? -1 : columnCount(), key == vk::Home ? 1 : -1);
        if (to >= 0) moveToColumn(to);
      }
      break;
    case vk::Insert:
      if (plain && !(shift & ssShift) && canModify()) {
        updateData();
        closeEditor();
        ds->insert();
      }
      break;
    case vk::Delete:
      if (shift & ssCtrl) {
        deleteRow();
      } else if (plain && cellEditable()) {
        if (!ds->editing()) ds->edit();
        if (!editorMode_) notify(Prop::EditorMode);
        openEditor(editorMode_, editText_, {});
        editModified_ = true;
        notify(Prop::Text);
      }
      break;
    case vk::Back:
      if (cellEditable()) {
        std::string base = editorMode_ ? editText_ : cellText(*selectedColumn());
        if (base.empty()) break;
        if (!ds->editing()) ds->edit();
        if (!editorMode_) notify(Prop::EditorMode);
        openEditor(editorMode_, editText_, utf8DropLast(base));
        editModified_ = true;
        notify(Prop::Text);
      }
      break;
    case vk::Return:
      if (shift & ssCtrl) {
        clickEditButton();
      } else {
        setEditorMode(!editorMode_);
      }
      break;
    case vk::F2:
      setEditorMode(true);
      break;
    case vk::Escape:
      if (editorMode_)
        closeEditor();
      else if (open && ds->editing())
        ds->cancel();
      break;
    default:
      break;
  }
  return true;
}

bool DBGrid::clickEditButton() {
  const Column* c = selectedColumn();
  if (!c || c->buttonStyle() != ButtonStyle::Ellipsis || !effectiveEnabled() || !showing()) return false;
  if (!focused() && !setFocus()) return false;
  if (OnEditButtonClick) OnEditButtonClick(*this);
  return true;
}

void DBGrid::leaving() {
  updateData();
  closeEditor();
}

int DBGrid::rowCount() const {
  const ClientDataSet* ds = dataSet();
  return ds && ds->active() ? ds->viewRowCount() : 0;
}

int DBGrid::currentRow() const {
  const ClientDataSet* ds = dataSet();
  return ds && ds->active() ? ds->viewCurrentRow() : -1;
}

CellPaint DBGrid::drawCell(int row, int columnIndex) {
  CellPaint p;
  ClientDataSet* ds = dataSet();
  if (!ds || !ds->active() || row < 0 || row >= rowCount() || columnIndex < 0 || columnIndex >= columnCount()) return p;
  const Column& col = column(columnIndex);
  Field* f = col.field();
  const bool current = row == currentRow();
  const bool gridFocused = focused();
  const bool currentCell = current && columnIndex == selected_;
  p.editorCell = currentCell && editorMode_;
  p.focused = currentCell && gridFocused && !editorMode_;
  p.selected = p.editorCell ||
               ((currentCell || (current && options_.rowSelect)) && (gridFocused || options_.alwaysShowSelection));
  ds->withViewRow(row, [&] {
    p.text = p.editorCell ? maskedDisplay(cellMask(f, editText_), editText_) : f ? f->displayText() : std::string();
    if (!OnDrawColumnCell) return;
    const CellContext cell{row, columnIndex, col, f, p.selected, p.focused, p.editorCell};
    CellAppearance look;
    OnDrawColumnCell(*this, cell, look);
    if (look.fontColor) p.fontColor = look.fontColor;
    p.italic = look.italic;
    if (look.text) p.text = std::move(*look.text);
    p.hint = std::move(look.hint);
  });
  return p;
}

void DBGrid::stateChanged(DataSource& s) {
  if (!s.dataSet() || !s.dataSet()->editing()) closeEditor();
  notify(Prop::State);
}

void DBGrid::dataSetChanged(DataSource&) {
  closeEditor();
  notify(Prop::Data);
}

void DBGrid::recordMoved(DataSource&) {
  closeEditor();
  notify(Prop::CurrentRow);
}

void DBGrid::recordChanged(DataSource&, Field*) { notify(Prop::Data); }

void DBGrid::focusField(DataSource&, Field& f) {
  int index = -1;
  for (int i = 0; i < columnCount() && index < 0; ++i)
    if (column(i).field() == &f) index = i;
  if (index < 0) return;
  Form* fm = form();
  if (fm && fm->activeControl() != this) fm->setFocus(*this);
  setSelectedIndex(index);
}

void DBGrid::dataSourceDestroyed(DataSource&) {
  source_ = nullptr;
  closeEditor();
  notify(Prop::DataSource);
}

}  // namespace platform
