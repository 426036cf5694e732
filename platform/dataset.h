#pragma once
// ClientDataSet: the in-memory record set every page of the screen edits.
// Its content arrives whole as a data packet from the server; the user
// browses, edits, inserts and deletes rows; the changes collect in a change
// log that is sent back as a delta and then merged.
//
// States and transitions follow the classic desktop data-set model:
//
//   Inactive --open/setData--> Browse --edit--> Edit --post/cancel--> Browse
//                              Browse --insert/append--> Insert --post/cancel--> Browse
//
// Navigating, inserting or filtering while a row is being edited first posts
// it if it was modified, or cancels it if not ("check browse mode"). edit()
// on an empty set inserts; remove() of a row being inserted cancels it.
//
// Events run in the classic order:
//   open    BeforeOpen, load, AfterOpen, AfterScroll (also when empty)
//   close   BeforeClose, discard, AfterClose
//   insert  check browse mode, BeforeInsert, BeforeScroll, new row,
//           OnNewRecord, state Insert, AfterInsert, AfterScroll
//   edit    BeforeEdit, state Edit, AfterEdit
//   post    BeforePost, required fields, write, state Browse, AfterPost
//   cancel  BeforeCancel, [BeforeScroll], discard, state Browse, AfterCancel,
//           [AfterScroll] (the bracketed ones when a new row is dropped)
//   delete  BeforeDelete, BeforeScroll, remove, AfterDelete, AfterScroll
//   scroll  check browse mode, BeforeScroll, move, AfterScroll. first() and
//           last() always run both; next(), prior() and moveBy() that leave
//           the row where it was run BeforeScroll only; setRecNo() of the
//           current row runs nothing; a locate() that finds nothing runs
//           BeforeScroll only; gotoBookmark() of a vanished row runs nothing.
//
// Any handler may stop the operation by throwing (SilentAbort, UserError or
// anything else). A throw from a Before* handler or OnNewRecord (or from the
// required-field check) leaves the state, the current row and every value as
// they were before the operation. A throw from an After* handler propagates
// after the operation has taken effect.
//
// Change log: each row is unchanged, inserted, modified or deleted with
// respect to the content as last loaded or merged. Several posts of one row
// make one entry; an inserted row stays an insertion however often it is
// edited; an inserted row that is deleted leaves nothing; a modified row
// that is deleted becomes a deletion carrying its original values. delta(),
// mergeChangeLog(), cancelUpdates() and undoLastChange() cost in proportion
// to the number of changes, not of rows.
//
// Rows are stored compactly (see rowstore.h); a Field decodes on read.
//
// Thread-safety: none. A record set belongs to the user-interface thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datapacket.h"
#include "platform/field.h"
#include "platform/rowstore.h"
#include "platform/value.h"

namespace platform {

class DataSource;

enum class DataSetState : std::uint8_t { Inactive, Browse, Edit, Insert, CalcFields };

struct LocateOptions {
  bool caseInsensitive = false;  // ASCII letters
  bool partialKey = false;       // text fields match by prefix
};

// A remembered row. Stays valid while the row exists; a reload invalidates
// every bookmark.
struct Bookmark {
  std::uint32_t record = UINT32_MAX;
  std::uint32_t serial = 0;
  bool empty() const { return record == UINT32_MAX; }
};

class ClientDataSet {
 public:
  using Event = std::function<void(ClientDataSet&)>;

  // `name` is the component name ("cdsPedidoVenda"); it prefixes the text
  // of programming errors.
  explicit ClientDataSet(std::string name);
  ~ClientDataSet();
  ClientDataSet(const ClientDataSet&) = delete;
  ClientDataSet& operator=(const ClientDataSet&) = delete;

  const std::string& name() const { return name_; }

  // --- Fields. Declared while inactive; they live as long as the set.
  Field& addField(std::string name, FieldType type, int size = 0, FieldKind kind = FieldKind::Data);
  int fieldCount() const { return static_cast<int>(fields_.size()); }
  Field& field(int i) const { return *fields_.at(static_cast<size_t>(i)); }
  // Case-insensitive. fieldByName throws std::out_of_range naming the field.
  Field& fieldByName(std::string_view name) const;
  Field* findField(std::string_view name) const;
  // Definitions of the stored (non-calculated) fields, in order.
  std::vector<FieldDef> fieldDefs() const;

  // --- Content and life cycle.
  // Opens an empty set with the current fields (closing it first).
  void createDataSet();
  // Replaces the whole content: closes, loads, reopens; the change log is
  // emptied. Declared fields are matched by name (case-insensitive) and keep
  // their type; packet fields not declared are added. A packet that does not
  // fit throws before anything changes.
  void setData(const DataPacket& packet);
  // The posted content as a plain packet (all rows, whatever the filter).
  DataPacket data() const;
  void copyFrom(const ClientDataSet& other) { setData(other.data()); }
  // Opening a set that holds no content opens it empty; closing discards
  // the content, any pending edit and the change log.
  void open();
  void close();
  bool active() const { return state_ != DataSetState::Inactive; }
  // CalcFields while OnCalcFields runs.
  DataSetState state() const { return inCalc_ ? DataSetState::CalcFields : state_; }
  bool editing() const { return state_ == DataSetState::Edit || state_ == DataSetState::Insert; }
  // A field of the row being edited was assigned since edit/insert.
  bool modified() const { return modified_; }

  // --- Editing.
  void append();
  void insert();
  void edit();
  void post();    // throws std::logic_error when not editing
  void cancel();  // nothing when not editing
  void remove();
  // Posts a modified row being edited, cancels an unmodified one.
  void checkBrowseMode();
  // Has the controls write text typed but not yet assigned (a cell still
  // being edited); post() and checkBrowseMode() do it first. Throws
  // std::logic_error when not editing.
  void updateRecord();

  // --- Navigation over the visible (filtered) rows.
  void first();
  void last();
  void next() { moveBy(1); }
  void prior() { moveBy(-1); }
  int moveBy(int distance);  // rows actually moved
  bool bof() const { return bof_; }
  bool eof() const { return eof_; }
  int recordCount() const;  // posted visible rows
  bool isEmpty() const { return recordCount() == 0; }
  int recNo() const;  // 1-based; 0 when empty; the new row's place while inserting
  void setRecNo(int recNo);
  Bookmark bookmark() const;
  bool bookmarkValid(const Bookmark& b) const;
  bool gotoBookmark(const Bookmark& b);  // false, with no events, when the row is gone
  // Finds the first visible row whose fields (names separated by ';') hold
  // the values, and makes it current. Before-scroll runs even when nothing
  // is found; after-scroll only when found.
  bool locate(std::string_view fieldNames, const std::vector<Value>& values, LocateOptions options = {});
  bool locate(std::string_view fieldName, const Value& value, LocateOptions options = {}) {
    return locate(fieldName, std::vector<Value>{value}, options);
  }

  // --- Filter: terms "[FIELD] = 'text'" (quotes doubled inside the text,
  // or a plain number) joined by AND. Text fields compare exactly (trailing
  // blanks of fixed-length fields ignored; null equals ''); other fields
  // compare the literal converted to their type. A malformed filter throws
  // std::invalid_argument. Changing an applied filter moves to the first row.
  void setFilter(const std::string& text);
  const std::string& filter() const { return filterText_; }
  void setFiltered(bool on);
  bool filtered() const { return filtered_; }

  // --- Change log.
  int changeCount() const { return changeCount_; }
  DataPacket delta() const;
  void mergeChangeLog();
  // Undoes every pending change; a pending edit is cancelled first.
  void cancelUpdates();
  // Undoes the last post or delete (after checking browse mode); with
  // followChange the restored row becomes current. False when there is none.
  bool undoLastChange(bool followChange = true);
  // Undoes every change of the current row (cancelling a pending edit).
  void revertRecord();
  // Change-log status of the current row (Insert while inserting).
  RowKind updateStatus() const;

  // --- Notifications to data sources (nesting).
  void disableControls();
  void enableControls();
  bool controlsDisabled() const { return disableCount_ > 0; }

  // --- Rows as a grid shows them: the visible rows plus, while inserting,
  // the new row at its place. withViewRow makes row `row` readable through
  // the fields (calculated fields computed for it) while `read` runs; the
  // current row, state and events are untouched and fields cannot be
  // assigned meanwhile.
  int viewRowCount() const;
  int viewCurrentRow() const;  // -1 when there is none
  void withViewRow(int row, const std::function<void()>& read);

  // Bytes held by the stored rows and their indexes.
  size_t storageBytes() const;

  Event BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  Event BeforeInsert, AfterInsert, OnNewRecord;
  Event BeforeEdit, AfterEdit;
  Event BeforePost, AfterPost;
  Event BeforeCancel, AfterCancel;
  Event BeforeDelete, AfterDelete;
  Event BeforeScroll, AfterScroll;
  Event OnCalcFields;

 private:
  friend class Field;
  friend class DataSource;

  enum class Status : std::uint8_t { Unchanged, Inserted, Modified, Deleted };
  struct Record {
    RowBuf cur;             // current values
    RowBuf orig;            // values as last loaded or merged, kept while modified
    std::uint64_t key = 0;  // order among rows; unique among live rows
    std::uint32_t serial = 0;
    Status status = Status::Unchanged;
    bool stored = true;  // part of the content as last loaded or merged
    bool inLog = false;
    bool free = false;
  };
  // One post or delete, enough to undo it.
  struct Step {
    std::uint32_t rec;
    Status before;
    RowBuf cur;  // values before a post of a row already changed
  };
  struct FilterTerm {
    std::string field;
    std::string literal;
    bool quoted;
  };
  struct Condition {  // a filter term or a locate key resolved to a field
    const Field* field;
    std::string text;  // text fields
    Value value;       // other fields
  };

  // Field access (Field calls these).
  Value fieldValue(const Field& f) const;
  Value oldFieldValue(const Field& f) const;
  void setFieldValue(Field& f, const Value& v);

  // Content.
  std::vector<RowLayout::Column> columns() const;
  void rebuildLayout();
  void discardContent();
  std::uint32_t allocRecord();
  void freeRecord(std::uint32_t id);
  bool live(const Record& r) const { return !r.free && r.status != Status::Deleted; }
  bool before(std::uint32_t a, std::uint32_t b) const;
  const std::vector<std::uint32_t>& visible() const { return filtered_ ? view_ : rows_; }
  size_t lowerBound(const std::vector<std::uint32_t>& v, std::uint32_t id) const;
  void linkLive(std::uint32_t id);
  void unlinkLive(std::uint32_t id);
  void refilterRow(std::uint32_t id);
  std::vector<Value> decodeRow(const RowBuf& row) const;
  std::uint64_t keyForNewRow();
  void renumberKeys();
  int currentId() const;
  bool tryPlace(int id);
  void placeAt(std::uint64_t key, int tieId);

  // Change log.
  void setStatus(std::uint32_t id, Status s);
  void writeEdit();
  std::uint32_t writeInsert();
  void writeDelete(std::uint32_t id);
  void undoStep(Step& s);

  // State machine helpers.
  void requireActive() const;
  [[noreturn]] void programmingError(const std::string& what) const;
  void beginInsert(bool append);
  void afterMove();
  void resetEdges();
  void computeCalc();
  void checkRequired() const;
  template <class F>
  void guardEdit(F&& beforeHandlers);
  void fire(const Event& e) {
    if (e) e(*this);
  }

  // Filter and locate.
  static std::vector<FilterTerm> parseFilter(const std::string& text);
  std::vector<Condition> resolveFilter(const std::vector<FilterTerm>& terms) const;
  bool matches(std::uint32_t id, const std::vector<Condition>& conds, LocateOptions o) const;
  void rebuildView();
  void applyFilter(bool on, const std::string& text, std::vector<FilterTerm> terms);

  // Notifications.
  void attach(DataSource* s);
  void detach(DataSource* s);
  template <class F>
  void notify(F&& f);
  void notifyState();
  void notifyDataSet();
  void notifyMoved();
  void notifyRecord(Field* f);
  void focusField(Field& f);

  std::string name_;
  std::vector<std::unique_ptr<Field>> fields_;
  int dataCount_ = 0;
  int calcCount_ = 0;

  RowLayout layout_;
  std::vector<Record> store_;
  std::vector<std::uint32_t> freeIds_;
  std::vector<std::uint32_t> rows_;     // live rows in order
  std::vector<std::uint32_t> view_;     // the filtered subset of rows_, when filtered
  std::vector<std::uint32_t> changed_;  // rows with inLog set, in order of first change
  std::vector<Step> steps_;
  int changeCount_ = 0;
  std::uint32_t nextSerial_ = 1;

  DataSetState state_ = DataSetState::Inactive;
  int cur_ = -1;       // index into visible(); while inserting, the row that was current
  int insertPos_ = 0;  // while inserting: where the new row goes in visible()
  bool insertAtEnd_ = false;
  bool bof_ = true, eof_ = true;
  bool modified_ = false;
  std::vector<Value> edit_;  // the row being edited or inserted
  std::vector<Value> calc_;  // calculated values of the row being read
  bool inCalc_ = false;

  bool viewing_ = false;   // inside withViewRow
  bool viewEdit_ = false;  // the viewed row is the row being edited
  int viewRec_ = -1;

  std::string filterText_;
  std::vector<FilterTerm> filterTerms_;
  std::vector<Condition> filterConds_;
  bool filtered_ = false;

  std::vector<DataSource*> sources_;
  int disableCount_ = 0;
  int quiet_ = 0;  // notifications held back while a new row is prepared
};

}  // namespace platform
