// Data sources: what the controls are told, when, and reading rows as a
// grid does.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "dataset_testing.h"
#include "platform/abort.h"

using namespace platform;
using namespace platform::testing;

namespace {

class Recorder : public DataSetListener {
 public:
  void stateChanged(DataSource& s) override { add("state:" + std::to_string(static_cast<int>(s.state()))); }
  void dataSetChanged(DataSource&) override { add("data"); }
  void recordMoved(DataSource&) override { add("moved"); }
  void recordChanged(DataSource&, Field* f) override { add(f ? "field:" + f->name() : "record"); }
  std::string take() {
    std::string out = seen_;
    seen_.clear();
    return out;
  }

 private:
  void add(const std::string& s) { seen_ += (seen_.empty() ? "" : ",") + s; }
  std::string seen_;
};

struct Notify : ::testing::Test {
  ClientDataSet ds{"cdsItens"};
  DataSource source{"dtsItens"};
  Recorder rec;
  void SetUp() override {
    ds.setData(itemsPacket());
    source.addListener(&rec);
    source.setDataSet(&ds);
    rec.take();
  }
};

// States as numbers: 1 browse, 2 edit, 3 insert, 0 inactive.
TEST_F(Notify, ControlsHearOfStatesMovesAndValues) {
  ds.next();
  EXPECT_EQ(rec.take(), "moved");
  ds.edit();
  EXPECT_EQ(rec.take(), "state:2,record");
  ds.fieldByName("NOME").setValue("x");
  EXPECT_EQ(rec.take(), "field:NOME");
  ds.post();
  EXPECT_EQ(rec.take(), "state:1,data");
  ds.close();
  EXPECT_EQ(rec.take(), "state:0");
  ds.open();
  EXPECT_EQ(rec.take(), "state:1,data");
}

TEST_F(Notify, ANewRowIsAnnouncedOnlyWhenReady) {
  ds.OnNewRecord = [](ClientDataSet& d) { d.fieldByName("CODIGO").setValue("NOVO"); };
  ds.append();
  EXPECT_EQ(rec.take(), "state:3,data");
  EXPECT_EQ(ds.viewCurrentRow(), 3);
}

TEST_F(Notify, DisabledControlsHearNothingUntilEnabledAgain) {
  int scrolls = 0;
  ds.AfterScroll = [&](ClientDataSet&) { ++scrolls; };
  ds.disableControls();
  ds.disableControls();
  for (ds.first(); !ds.eof(); ds.next()) {
  }
  ds.edit();
  EXPECT_TRUE(ds.controlsDisabled());
  ds.enableControls();
  EXPECT_EQ(rec.take(), "") << "still disabled once";
  ds.enableControls();
  EXPECT_FALSE(ds.controlsDisabled());
  EXPECT_EQ(rec.take(), "state:2,data");
  EXPECT_EQ(scrolls, 3) << "record-set events are not suspended";
  ds.enableControls();  // unbalanced: ignored
  EXPECT_FALSE(ds.controlsDisabled());
}

TEST_F(Notify, SourcesFollowTheirRecordSet) {
  DataSource second;
  Recorder other;
  second.addListener(&other);
  second.setDataSet(&ds);
  EXPECT_EQ(other.take(), "state:1,data");
  ds.next();
  EXPECT_EQ(rec.take(), "moved");
  EXPECT_EQ(other.take(), "moved");

  ClientDataSet closed("cdsFechado");
  int stateChanges = 0;
  source.OnStateChange = [&](DataSource&) { ++stateChanges; };
  source.setDataSet(&closed);
  EXPECT_EQ(rec.take(), "state:0,data");
  EXPECT_EQ(stateChanges, 1);
  ds.next();
  EXPECT_EQ(rec.take(), "") << "no longer pointed at cdsItens";
  EXPECT_EQ(other.take(), "moved");
  second.removeListener(&other);
  ds.next();
  EXPECT_EQ(other.take(), "");
}

TEST_F(Notify, PostCollectsTextStillHeldByAControlAndFocusReachesIt) {
  struct Editor : DataSetListener {
    std::string pending;
    Field* field = nullptr;
    Field* focused = nullptr;
    void updateRecord(DataSource&) override {
      if (pending.empty()) return;
      const std::string text = std::move(pending);
      pending.clear();
      field->setText(text);
    }
    void focusField(DataSource&, Field& f) override { focused = &f; }
  } editor;
  editor.field = &ds.fieldByName("QT");
  source.addListener(&editor);

  ds.edit();
  editor.pending = "7,5";  // typed in the cell, not assigned yet
  ds.next();
  EXPECT_EQ(ds.changeCount(), 1) << "the typed text made the row modified and it was posted";
  ds.prior();
  EXPECT_DOUBLE_EQ(ds.fieldByName("QT").asFloat(), 7.5);

  ds.edit();
  editor.pending = "abc";
  EXPECT_THROW(ds.post(), UserError);
  EXPECT_EQ(ds.state(), DataSetState::Edit);

  ds.fieldByName("NOME").focusControl();
  EXPECT_EQ(editor.focused, &ds.fieldByName("NOME"));
  source.removeListener(&editor);
}

TEST(DataSourceLifetime, EitherSideMayGoFirst) {
  auto ds = std::make_unique<ClientDataSet>("cdsItens");
  ds->setData(itemsPacket());
  {
    DataSource shortLived;
    shortLived.setDataSet(ds.get());
  }
  ds->next();
  DataSource source;
  source.setDataSet(ds.get());
  ds.reset();
  EXPECT_EQ(source.dataSet(), nullptr);
  EXPECT_EQ(source.state(), DataSetState::Inactive);
}

TEST(DataSourceLifetime, AListenerMayLeaveWhileBeingTold) {
  ClientDataSet ds("cdsItens");
  ds.setData(itemsPacket());
  DataSource source;
  struct Leaver : DataSetListener {
    DataSource* s = nullptr;
    int calls = 0;
    void recordMoved(DataSource&) override {
      ++calls;
      s->removeListener(this);
    }
  } a, b;
  a.s = b.s = &source;
  source.addListener(&a);
  source.addListener(&b);
  source.setDataSet(&ds);
  ds.next();
  ds.next();
  EXPECT_EQ(a.calls + b.calls, 2);
}

TEST_F(Notify, GridReadsAnyRowWithoutMovingOrFiringEvents) {
  ClientDataSet d("cdsCalc");
  d.addField("DOBRO", FieldType::Float, 0, FieldKind::Calculated);
  d.OnCalcFields = [](ClientDataSet& s) { s.fieldByName("DOBRO").setValue(s.fieldByName("QT").asFloat() * 2); };
  d.setData(itemsPacket());
  d.setRecNo(2);
  EventLog log(d);
  d.insert();
  d.fieldByName("CODIGO").setValue("NOVO");
  log.take();

  std::vector<std::string> rows;
  for (int r = 0; r < d.viewRowCount(); ++r) {
    d.withViewRow(r, [&] {
      rows.push_back(d.fieldByName("CODIGO").asString() + "=" + d.fieldByName("DOBRO").displayText());
      EXPECT_THROW(d.fieldByName("NOME").setValue("x"), std::logic_error);
    });
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"001=3", "NOVO=0", "002=6", "003=9"}));
  EXPECT_EQ(log.take(), "");
  EXPECT_EQ(d.state(), DataSetState::Insert);
  EXPECT_EQ(d.fieldByName("CODIGO").asString(), "NOVO");
  EXPECT_EQ(d.fieldByName("DOBRO").asFloat(), 0.0);
  d.fieldByName("NOME").setValue("gravável de novo");
  EXPECT_THROW(d.withViewRow(4, [] {}), std::out_of_range);
}

}  // namespace
