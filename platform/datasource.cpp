#include "platform/datasource.h"

#include <algorithm>

namespace platform {

DataSource::~DataSource() {
  if (ds_) ds_->detach(this);
  const std::vector<DataSetListener*> listeners = std::move(listeners_);
  listeners_.clear();
  for (DataSetListener* l : listeners) l->dataSourceDestroyed(*this);
}

void DataSource::setDataSet(ClientDataSet* ds) {
  if (ds == ds_) return;
  if (ds_) ds_->detach(this);
  ds_ = ds;
  if (ds_) ds_->attach(this);
  syncState();
  dataSetChanged();
}

void DataSource::addListener(DataSetListener* l) {
  if (std::find(listeners_.begin(), listeners_.end(), l) == listeners_.end()) listeners_.push_back(l);
}

void DataSource::removeListener(DataSetListener* l) { std::erase(listeners_, l); }

// Listeners may add or remove listeners while being told.
template <class F>
void DataSource::each(F&& f) {
  const std::vector<DataSetListener*> listeners = listeners_;
  for (DataSetListener* l : listeners)
    if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) f(*l);
}

void DataSource::syncState() {
  const DataSetState s = state();
  if (s == DataSetState::CalcFields || s == reported_) return;
  reported_ = s;
  each([this](DataSetListener& l) { l.stateChanged(*this); });
  if (OnStateChange) OnStateChange(*this);
}

void DataSource::dataSetChanged() {
  each([this](DataSetListener& l) { l.dataSetChanged(*this); });
  if (OnDataChange) OnDataChange(*this, nullptr);
}

void DataSource::recordMoved() {
  each([this](DataSetListener& l) { l.recordMoved(*this); });
  if (OnDataChange) OnDataChange(*this, nullptr);
}

void DataSource::recordChanged(Field* field) {
  each([&](DataSetListener& l) { l.recordChanged(*this, field); });
  if (OnDataChange) OnDataChange(*this, field);
}

void DataSource::updateRecord() {
  each([this](DataSetListener& l) { l.updateRecord(*this); });
}

void DataSource::focusField(Field& field) {
  each([&](DataSetListener& l) { l.focusField(*this, field); });
}

}  // namespace platform
