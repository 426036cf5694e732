#pragma once
// DataSource: the link between one record set and the controls that show it
// (grids, data-aware edits, navigators, the screen's state handlers). A
// record set may feed several data sources; a data source points at one
// record set at a time and can be pointed at another (the screen's
// current-page source does so on every page change).
//
// The record set tells its data sources what happened; each data source
// passes it to its listeners and to its own OnStateChange/OnDataChange
// handlers. While the record set's controls are disabled nothing is passed
// on; enabling them again reports the state if it changed and a whole-set
// change. Record-set events (BeforePost...) are not affected.
//
// Listeners are not owned; a listener removes itself before it dies, and
// is told when the data source dies first.
// Thread-safety: none; the user-interface thread only.

#include <functional>
#include <string>
#include <vector>

#include "platform/dataset.h"

namespace platform {

class DataSource;

// What a grid model or a data-aware edit reacts to. Default: nothing.
class DataSetListener {
 public:
  // The record set's state changed (inactive, browse, edit, insert), or
  // the data source was pointed at a record set in another state.
  virtual void stateChanged(DataSource&) {}
  // Rows were added, removed, reordered or reloaded, or the source was
  // pointed at another record set: show everything again.
  virtual void dataSetChanged(DataSource&) {}
  // Another row became current.
  virtual void recordMoved(DataSource&) {}
  // Values of the current row changed: `field` when one field was
  // assigned, nullptr when the whole row may differ (edit started, an
  // aborted change was rolled back).
  virtual void recordChanged(DataSource&, Field* field) { (void)field; }
  // Before a post: write any text typed but not yet assigned to its field.
  virtual void updateRecord(DataSource&) {}
  // A validation wants the user on this field: the control showing it
  // takes the focus.
  virtual void focusField(DataSource&, Field& field) { (void)field; }
  // The data source is being destroyed: forget it (controls may outlive
  // the data sources they show).
  virtual void dataSourceDestroyed(DataSource&) {}

 protected:
  ~DataSetListener() = default;
};

class DataSource {
 public:
  explicit DataSource(std::string name = {}) : name_(std::move(name)) {}
  ~DataSource();
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  const std::string& name() const { return name_; }
  ClientDataSet* dataSet() const { return ds_; }
  // Points at another record set (or none) and tells the listeners.
  void setDataSet(ClientDataSet* ds);
  DataSetState state() const { return ds_ ? ds_->state() : DataSetState::Inactive; }

  void addListener(DataSetListener* l);
  void removeListener(DataSetListener* l);

  std::function<void(DataSource&)> OnStateChange;
  // Any data change; `field` is set only when one field was assigned.
  std::function<void(DataSource&, Field* field)> OnDataChange;

 private:
  friend class ClientDataSet;
  void syncState();
  void dataSetChanged();
  void recordMoved();
  void recordChanged(Field* field);
  void updateRecord();
  void focusField(Field& field);
  template <class F>
  void each(F&& f);

  std::string name_;
  ClientDataSet* ds_ = nullptr;
  DataSetState reported_ = DataSetState::Inactive;
  std::vector<DataSetListener*> listeners_;
};

}  // namespace platform
