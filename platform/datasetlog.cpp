// The record set's change log: what each post and delete records, the delta
// sent to the server, merging, and the three ways back (undo the last
// change, revert one row, cancel every update). Every routine here walks the
// changed rows or the recorded steps, never the whole content.

#include <algorithm>

#include "platform/dataset.h"

namespace platform {

// Counts the rows the delta carries: insertions, modifications and deletions
// of stored rows (a row inserted and deleted since the last merge carries
// nothing).
void ClientDataSet::setStatus(std::uint32_t id, Status s) {
  Record& r = store_[id];
  auto counted = [](const Record& x) {
    return x.status == Status::Inserted || x.status == Status::Modified || (x.status == Status::Deleted && x.stored);
  };
  changeCount_ -= counted(r);
  r.status = s;
  changeCount_ += counted(r);
  if (!r.inLog) {
    r.inLog = true;
    changed_.push_back(id);
  }
}

void ClientDataSet::writeEdit() {
  const auto id = static_cast<std::uint32_t>(currentId());
  RowBuf row = layout_.encode(edit_);
  Record& r = store_[id];
  if (r.status == Status::Unchanged) {
    steps_.push_back({id, Status::Unchanged, nullptr});
    r.orig = std::move(r.cur);
  } else {
    steps_.push_back({id, r.status, std::move(r.cur)});
  }
  r.cur = std::move(row);
  setStatus(id, r.status == Status::Inserted ? Status::Inserted : Status::Modified);
}

std::uint32_t ClientDataSet::writeInsert() {
  RowBuf row = layout_.encode(edit_);
  const std::uint64_t key = keyForNewRow();
  const std::uint32_t id = allocRecord();
  Record& r = store_[id];
  r.cur = std::move(row);
  r.key = key;
  r.stored = false;
  r.status = Status::Deleted;  // did not exist: undoing the insertion returns here
  steps_.push_back({id, Status::Deleted, nullptr});
  setStatus(id, Status::Inserted);
  linkLive(id);
  return id;
}

void ClientDataSet::writeDelete(std::uint32_t id) {
  steps_.push_back({id, store_[id].status, nullptr});
  setStatus(id, Status::Deleted);
  unlinkLive(id);
}

void ClientDataSet::undoStep(Step& s) {
  Record& r = store_[s.rec];
  const bool wasLive = live(r);
  if (s.cur)
    r.cur = std::move(s.cur);
  else if (s.before == Status::Unchanged && r.orig)
    r.cur = std::move(r.orig);
  setStatus(s.rec, s.before);
  const bool nowLive = live(r);
  if (wasLive && !nowLive) unlinkLive(s.rec);
  if (!wasLive && nowLive) linkLive(s.rec);
  if (wasLive && nowLive) refilterRow(s.rec);
}

DataPacket ClientDataSet::delta() const {
  DataPacket p;
  p.delta = true;
  p.fields = fieldDefs();
  for (std::uint32_t id : changed_) {
    const Record& r = store_[id];
    switch (r.status) {
      case Status::Inserted:
        p.rows.push_back({RowKind::Insert, decodeRow(r.cur), {}});
        break;
      case Status::Modified:
        p.rows.push_back({RowKind::Modify, decodeRow(r.cur), decodeRow(r.orig)});
        break;
      case Status::Deleted:
        if (r.stored) {
          std::vector<Value> stored = decodeRow(r.orig ? r.orig : r.cur);
          p.rows.push_back({RowKind::Delete, stored, stored});
        }
        break;
      case Status::Unchanged:
        break;
    }
  }
  return p;
}

// A pending edit is left alone: it is not in the log yet, and posting it
// later logs it against the merged values.
void ClientDataSet::mergeChangeLog() {
  for (std::uint32_t id : changed_) {
    Record& r = store_[id];
    if (live(r)) {
      r.status = Status::Unchanged;
      r.orig.reset();
      r.stored = true;
      r.inLog = false;
    } else {
      freeRecord(id);
    }
  }
  changed_.clear();
  steps_.clear();
  changeCount_ = 0;
}

void ClientDataSet::cancelUpdates() {
  requireActive();
  cancel();
  const int curId = currentId();
  const std::uint64_t curKey = curId >= 0 ? store_[curId].key : 0;
  for (std::uint32_t id : changed_) {
    Record& r = store_[id];
    const bool wasLive = live(r);
    if (!r.stored) {
      if (wasLive) unlinkLive(id);
      freeRecord(id);
      continue;
    }
    if (r.orig) r.cur = std::move(r.orig);
    r.status = Status::Unchanged;
    r.inLog = false;
    if (wasLive)
      refilterRow(id);
    else
      linkLive(id);
  }
  changed_.clear();
  steps_.clear();
  changeCount_ = 0;
  if (!tryPlace(curId)) placeAt(curKey, curId);
  bof_ = eof_ = isEmpty();
  computeCalc();
  notifyDataSet();
}

bool ClientDataSet::undoLastChange(bool followChange) {
  requireActive();
  checkBrowseMode();
  if (steps_.empty()) return false;
  Step s = std::move(steps_.back());
  steps_.pop_back();
  const int curId = currentId();
  const std::uint64_t curKey = curId >= 0 ? store_[curId].key : 0;
  undoStep(s);
  if (!(followChange && tryPlace(static_cast<int>(s.rec))) && !tryPlace(curId)) placeAt(curKey, curId);
  bof_ = eof_ = isEmpty();
  computeCalc();
  notifyDataSet();
  return true;
}

void ClientDataSet::revertRecord() {
  requireActive();
  cancel();
  const int id = currentId();
  if (id < 0 || store_[id].status == Status::Unchanged) return;
  const auto rec = static_cast<std::uint32_t>(id);
  std::erase_if(steps_, [rec](const Step& s) { return s.rec == rec; });
  Record& r = store_[rec];
  const std::uint64_t key = r.key;
  if (!r.stored) {
    setStatus(rec, Status::Deleted);
    unlinkLive(rec);
  } else {
    if (r.orig) r.cur = std::move(r.orig);
    setStatus(rec, Status::Unchanged);
    refilterRow(rec);
  }
  if (!tryPlace(id)) placeAt(key, id);
  bof_ = eof_ = isEmpty();
  computeCalc();
  notifyDataSet();
}

RowKind ClientDataSet::updateStatus() const {
  if (state_ == DataSetState::Insert) return RowKind::Insert;
  const int id = currentId();
  if (id < 0) return RowKind::Unchanged;
  switch (store_[id].status) {
    case Status::Inserted:
      return RowKind::Insert;
    case Status::Modified:
      return RowKind::Modify;
    default:
      return RowKind::Unchanged;
  }
}

}  // namespace platform
