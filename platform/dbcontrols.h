#pragma once
// Data-aware controls: edits, a text, a navigator and the grid, each bound
// to a DataSource and (but the navigator) to fields of its record set. They
// listen to the data source and announce through `changed` what a view must
// show again (Prop::Text, Data, CurrentRow, State); the user's typing goes
// into the record as the classic toolkit did: the first character typed
// starts an edit of the record (its before-edit guards may refuse it), the
// typed text is assigned to the field through Field::setText when the
// control is left, when the grid's column or row changes, and before a
// post. A field whose display is masked (Field::editMask) is typed through
// the mask and stored without what the mask does not save.
//
// Field::focusControl (a validation putting the user on the offending
// field) lands on the control showing that field: the data-aware edit, or
// the grid, with that field's column selected.
//
// Thread-safety: none; the user-interface thread only.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/datasource.h"

namespace platform {

class Field;
class ClientDataSet;

// Common link of a control to one field of a data source's record set.
class FieldLink : private DataSetListener {
 public:
  FieldLink(const FieldLink&) = delete;
  FieldLink& operator=(const FieldLink&) = delete;

  DataSource* dataSource() const { return source_; }
  void setDataSource(DataSource* source);
  const std::string& fieldName() const { return fieldName_; }
  void setFieldName(std::string name);
  // The bound field, when the data source has a record set with that field.
  Field* field() const;
  ClientDataSet* dataSet() const;

 protected:
  FieldLink() = default;
  ~FieldLink();
  // The data to show may have changed.
  virtual void dataChanged() = 0;
  // Before a post: write what was typed.
  virtual void flush() {}
  // A validation asks for this field.
  virtual void focusRequested() {}
  // The record set's state changed.
  virtual void stateSwitched() { dataChanged(); }

 private:
  void stateChanged(DataSource&) override { stateSwitched(); }
  void dataSetChanged(DataSource&) override { dataChanged(); }
  void recordMoved(DataSource&) override { dataChanged(); }
  void recordChanged(DataSource&, Field* f) override;
  void updateRecord(DataSource&) override { flush(); }
  void focusField(DataSource&, Field& f) override;
  void dataSourceDestroyed(DataSource&) override;

  DataSource* source_ = nullptr;
  std::string fieldName_;
};

// An edit showing one field's text (Field::text()). Typing starts an edit
// of the record and keeps the typed text until it is written through
// Field::setText: on leaving the control (a failing assignment keeps the
// focus here), before a post, or by updateRecord(). A move to another row
// or a reload drops what was typed and shows the field again. Typing is
// refused while the edit or the field is read-only, without a field, or
// when the record set is closed.
class DBEdit : public Edit, public FieldLink {
 public:
  explicit DBEdit(std::string name) : Edit(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::DBEdit; }
  std::string text() const override;
  std::string displayText() const override;
  bool editable() const override;
  // Text typed and not yet written to the field.
  bool modified() const { return modified_; }
  // Writes what was typed to the field now.
  void updateRecord();

 protected:
  std::optional<std::string> typed(const std::string& raw, char32_t ch) const override;
  void beginTyping() override;
  void userChanged() override { modified_ = true; }
  void leaving() override { updateRecord(); }
  void dataChanged() override;
  void flush() override { updateRecord(); }
  void focusRequested() override;

 private:
  std::string fieldText() const;
  bool modified_ = false;
};

// A multi-line data-aware edit: Enter types a line break.
class DBMemo : public DBEdit {
 public:
  explicit DBMemo(std::string name) : DBEdit(std::move(name)) { setMultiLine(true); }
  ControlKind kind() const override { return ControlKind::DBMemo; }
};

// A label showing one field's display text.
class DBText : public Control, public FieldLink {
 public:
  explicit DBText(std::string name) : Control(std::move(name)) {}
  ControlKind kind() const override { return ControlKind::DBText; }
  std::string text() const;

 protected:
  void dataChanged() override { notify(Prop::Text); }
};

enum class NavButton : std::uint8_t { First, Prior, Next, Last };

// Moves through the rows of its data source's record set. A button is
// usable while the navigator is enabled and the record set is open and
// not at the end the button moves to; click() moves, then runs OnClick.
class DBNavigator : public Control, private DataSetListener {
 public:
  explicit DBNavigator(std::string name) : Control(std::move(name)) {}
  ~DBNavigator() override;
  ControlKind kind() const override { return ControlKind::DBNavigator; }
  DataSource* dataSource() const { return source_; }
  void setDataSource(DataSource* source);
  bool buttonEnabled(NavButton b) const;
  // True when the move ran.
  bool click(NavButton b);

  std::function<void(Control& sender, NavButton button)> OnClick;

 private:
  void stateChanged(DataSource&) override { notify(Prop::State); }
  void dataSetChanged(DataSource&) override { notify(Prop::Data); }
  void recordMoved(DataSource&) override { notify(Prop::CurrentRow); }
  void dataSourceDestroyed(DataSource&) override { source_ = nullptr; }
  DataSource* source_ = nullptr;
};

class DBGrid;

enum class ButtonStyle : std::uint8_t { None, Ellipsis };

// A grid column: the field it shows and how. Changing a property announces
// Prop::Columns on the grid.
class Column {
 public:
  Column(const Column&) = delete;
  Column& operator=(const Column&) = delete;

  DBGrid& grid() const { return *grid_; }
  int index() const;
  const std::string& fieldName() const { return fieldName_; }
  // The field, when the grid's record set has it.
  Field* field() const;
  // The own title, else the field's display label, else the field name.
  std::string title() const;
  void setTitle(std::string t);
  // 0 lets the view size it from the field.
  int width() const { return width_; }
  void setWidth(int w);
  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool on);
  bool visible() const { return visible_; }
  void setVisible(bool on);
  // Ellipsis: the cell offers its look-up button (OnEditButtonClick).
  ButtonStyle buttonStyle() const { return buttonStyle_; }
  void setButtonStyle(ButtonStyle s);
  // How the title sits in its header cell; left unless set.
  Alignment titleAlignment() const { return titleAlignment_; }
  void setTitleAlignment(Alignment a);

 private:
  friend class DBGrid;
  Column(DBGrid& grid, std::string fieldName, std::string title, int width)
      : grid_(&grid), fieldName_(std::move(fieldName)), title_(std::move(title)), width_(width) {}
  template <class T>
  void set(T& member, T value);
  DBGrid* grid_;
  std::string fieldName_;
  std::string title_;
  int width_;
  bool readOnly_ = false;
  bool visible_ = true;
  ButtonStyle buttonStyle_ = ButtonStyle::None;
  Alignment titleAlignment_ = Alignment::Left;
};

struct GridOptions {
  bool editing = true;  // cells may be typed into
  bool titles = true;
  bool columnResize = true;
  bool colLines = true;
  bool rowLines = true;
  bool tabs = true;                  // Tab moves between cells
  bool alwaysShowSelection = false;  // the current cell shows as selected without focus
  bool confirmDelete = true;         // Ctrl+Delete asks before deleting
  bool rowSelect = false;            // the whole current row is selected
  bool indicator = true;
  // The first visible columns stay in view while the grid scrolls sideways
  // (the columns that say which row this is).
  int frozenColumns = 0;
  friend bool operator==(const GridOptions&, const GridOptions&) = default;
};

// What the drawing rule is told about a cell. The record set reads the
// cell's row meanwhile (fields give that row's values).
struct CellContext {
  int row;  // view row (ClientDataSet::withViewRow)
  int columnIndex;
  const Column& column;
  Field* field;     // nullptr when the column's field is missing
  bool selected;    // the current cell (row, with rowSelect), shown as selected
  bool focused;     // the selected cell while the grid has the focus and no editor is open
  bool editorCell;  // the cell under the in-place editor (selected, not focused)
};

// What the drawing rule may change: the font colour (nullopt: the view's
// default) and the text (nullopt: the field's display text, or under the
// in-place editor the text being typed).
struct CellAppearance {
  std::optional<Color> fontColor;
  std::optional<std::string> text;
  // A cue besides the colour, for two meanings that share one colour.
  bool italic = false;
  // What the cell's look means, for a view's tool tip ("" = nothing to add).
  std::string hint;
};

// What a view paints for a cell.
struct CellPaint {
  std::string text;
  std::optional<Color> fontColor;
  bool italic = false;
  std::string hint;
  bool selected = false;
  bool focused = false;
  bool editorCell = false;
};

// One line of a grid's legend: rows painted in `color` (the view's own
// colour when none) and, when `italic`, in italics mean `text`.
struct LegendEntry {
  std::optional<Color> color;
  std::string text;
  bool italic = false;
};

// The data grid. Rows are the record set's rows (its current row is the
// grid's), columns are declared with addColumn. The selected column is the
// grid's; selectColumn() is the user's move (the typed text is written to
// the field, then OnColExit runs only when the column actually changes; if
// it throws, the selection stays and the exception propagates), while
// setSelectedIndex()/setSelectedField() are the program's (no OnColExit).
//
// Typing (typeText, pressKey) happens in the selected cell: the grid takes
// the focus, each character runs OnKeyDown with its key code (a cancelled
// key types nothing) and OnKeyPress (0 swallows it), and is refused when
// the grid is read-only or not editing-enabled, the column or the field is
// read-only, or the record set is closed. The first accepted character
// starts an edit of the record (an empty record set inserts) and opens the
// in-place editor on the empty cell; further characters are appended. The
// editor's text is written through Field::setText on a column change, a
// row change, leaving the grid, Enter, and before a post.
//
// Keys (pressKey runs OnKeyDown first; a cancelled key does nothing; Tab,
// Enter, Backspace and Escape then run OnKeyPress with their character):
//   Tab / Shift+Tab     next / previous visible column (with the options'
//                       tabs), wrapping to the next / previous row; never
//                       appends
//   Left / Right        previous / next visible column
//   Up / Down           previous / next row; Down on the last row appends a
//                       row when the grid is editable (the base screen
//                       routes it through its include action)
//   Home / End          first / last visible column; with Ctrl first / last row
//   Insert              inserts a row when editable
//   Ctrl+Delete         deletes the current row, after the confirmation
//                       "CONF_EXCL" of the standard catalogue when the
//                       options ask for it
//   Delete, Backspace   clear the editor's text / remove its last character
//   Enter               writes the editor's text and closes the editor; when
//                       closed, opens it on the cell's text (as F2)
//   Escape              closes the editor dropping its text; when closed,
//                       cancels the record's edit
//   Ctrl+Enter          the look-up button of the selected cell
//
// Drawing: drawCell(row, column) gives a view the text and colour of a
// cell, reading the row without moving the cursor; OnDrawColumnCell may
// change them.
class DBGrid : public Control, private DataSetListener {
 public:
  explicit DBGrid(std::string name) : Control(std::move(name)) {}
  ~DBGrid() override;
  ControlKind kind() const override { return ControlKind::DBGrid; }
  bool focusable() const override { return true; }

  DataSource* dataSource() const { return source_; }
  void setDataSource(DataSource* source);
  ClientDataSet* dataSet() const;

  // --- Columns.
  Column& addColumn(std::string fieldName, std::string title = {}, int width = 0);
  void clearColumns();
  int columnCount() const { return static_cast<int>(columns_.size()); }
  Column& column(int i) const { return *columns_.at(static_cast<size_t>(i)); }
  // The first column showing the field (ASCII case ignored), or nullptr.
  Column* columnByField(std::string_view fieldName) const;
  int columnIndex(std::string_view fieldName) const;  // -1 when none

  int selectedIndex() const { return selected_; }
  Column* selectedColumn() const;
  Field* selectedField() const;
  // The program's selection: no OnColExit; what was typed is written first.
  void setSelectedIndex(int i);
  bool setSelectedField(const Field& f);
  // The user's move to another column; false when the column does not
  // exist or is hidden. Throws what OnColExit or the field's assignment
  // throws, the selection staying where it was.
  bool selectColumn(std::string_view fieldName);
  bool selectColumnAt(int index);

  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool on);
  const GridOptions& options() const { return options_; }
  void setOptions(const GridOptions& o);

  // --- The in-place editor.
  bool editorMode() const { return editorMode_; }
  const std::string& editText() const { return editText_; }
  // Whether the selected cell accepts typing now.
  bool cellEditable() const;
  // Writes the editor's text to the field (if typed) and keeps the editor.
  void updateData();
  // Opens the editor on the selected cell's text (when it is editable), or
  // writes what was typed and closes it.
  void setEditorMode(bool on);

  // --- Rows and drawing.
  int rowCount() const;
  int currentRow() const;  // -1 when none
  CellPaint drawCell(int row, int column);
  std::function<void(DBGrid& sender, const CellContext& cell, CellAppearance& look)> OnDrawColumnCell;
  // What the drawing rule's colours mean, for a view to show beside the
  // grid; set before the grid is shown.
  const std::vector<LegendEntry>& legend() const { return legend_; }
  void setLegend(std::vector<LegendEntry> entries) { legend_ = std::move(entries); }
  // What a view shows in place of the rows while the open record set has
  // none ("" shows nothing); set before the grid is shown.
  const std::string& emptyText() const { return emptyText_; }
  void setEmptyText(std::string text) { emptyText_ = std::move(text); }

  // --- The user's gestures.
  int typeText(std::string_view utf8);
  // A paste into the selected cell: pastedText(clipboard) typed, whole even
  // where it does not fit the field's optional mask (a bar code).
  int paste(std::string_view clipboard) { return typeText(pastedText(clipboard)); }
  bool pressKey(int key, ShiftState shift = ssNone);
  // The look-up button of the selected cell: runs OnEditButtonClick when
  // the column offers it (ButtonStyle::Ellipsis). True when it ran.
  bool clickEditButton();

  NotifyEvent OnColEnter, OnColExit, OnEditButtonClick;
  KeyPressEvent OnKeyPress;
  KeyDownEvent OnKeyDown;

 protected:
  void leaving() override;

 private:
  friend class Column;
  // DataSetListener.
  void stateChanged(DataSource&) override;
  void dataSetChanged(DataSource&) override;
  void recordMoved(DataSource&) override;
  void recordChanged(DataSource&, Field* f) override;
  void updateRecord(DataSource&) override { updateData(); }
  void focusField(DataSource&, Field& f) override;
  void dataSourceDestroyed(DataSource&) override;

  bool canModify() const;
  bool typeChar(char32_t ch);
  void closeEditor();
  bool moveToColumn(int index);
  int nextVisibleColumn(int from, int step) const;
  void deleteRow();
  void appendRow();
  std::string cellText(const Column& c) const;

  DataSource* source_ = nullptr;
  std::vector<std::unique_ptr<Column>> columns_;
  int selected_ = 0;
  bool readOnly_ = false;
  GridOptions options_;
  bool editorMode_ = false;
  bool editModified_ = false;
  std::string editText_;
  std::vector<LegendEntry> legend_;
  std::string emptyText_;
};

}  // namespace platform
