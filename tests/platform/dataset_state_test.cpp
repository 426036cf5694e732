// State machine, event order, aborts and navigation of the record set.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "dataset_testing.h"
#include "platform/abort.h"

using namespace platform;
using namespace platform::testing;

namespace {

struct Loaded : ::testing::Test {
  ClientDataSet ds{"cdsItens"};
  void SetUp() override { ds.setData(itemsPacket()); }
};

using ItemsEvents = Loaded;

TEST_F(ItemsEvents, FollowTheClassicOrder) {
  EventLog log(ds);
  const DataPacket three = itemsPacket();

  ds.setData(three);
  EXPECT_EQ(log.take(), "BeforeClose,state:Inactive,AfterClose,BeforeOpen,state:Browse,AfterOpen,AfterScroll");
  ds.setData(itemsPacket(0));
  EXPECT_EQ(log.take(), "BeforeClose,state:Inactive,AfterClose,BeforeOpen,state:Browse,AfterOpen,AfterScroll")
      << "an empty set runs its after-scroll too, so details of the previous row are dropped";

  ds.setData(three);
  log.take();
  ds.insert();
  EXPECT_EQ(log.take(), "BeforeInsert,BeforeScroll,OnNewRecord,state:Insert,AfterInsert,AfterScroll");
  ds.fieldByName("CODIGO").setValue("009");
  ds.post();
  EXPECT_EQ(log.take(), "BeforePost,state:Browse,AfterPost");

  ds.edit();
  EXPECT_EQ(log.take(), "BeforeEdit,state:Edit,AfterEdit");
  ds.cancel();
  EXPECT_EQ(log.take(), "BeforeCancel,state:Browse,AfterCancel");

  ds.append();
  log.take();
  ds.cancel();
  EXPECT_EQ(log.take(), "BeforeCancel,BeforeScroll,state:Browse,AfterCancel,AfterScroll");

  ds.remove();
  EXPECT_EQ(log.take(), "BeforeDelete,BeforeScroll,AfterDelete,AfterScroll");

  ds.close();
  EXPECT_EQ(log.take(), "BeforeClose,state:Inactive,AfterClose");
}

TEST_F(ItemsEvents, EditingRowIsPostedOrCancelledBeforeMovingOn) {
  EventLog log(ds);
  ds.edit();
  ds.fieldByName("NOME").setValue("Outro");
  log.take();
  ds.next();
  EXPECT_EQ(log.take(), "BeforePost,state:Browse,AfterPost,BeforeScroll,AfterScroll");
  EXPECT_EQ(ds.changeCount(), 1);

  ds.edit();  // unmodified: dropped
  log.take();
  ds.append();
  EXPECT_EQ(log.take(),
            "BeforeCancel,state:Browse,AfterCancel,BeforeInsert,BeforeScroll,OnNewRecord,"
            "state:Insert,AfterInsert,AfterScroll");
  EXPECT_EQ(ds.changeCount(), 1);

  // A new row holding only what OnNewRecord put in it is not modified.
  ds.OnNewRecord = [](ClientDataSet& d) { d.fieldByName("CODIGO").setValue("X"); };
  ds.cancel();
  ds.insert();
  ds.first();
  EXPECT_EQ(ds.recordCount(), 3);
}

TEST_F(ItemsEvents, EditOfEmptySetInsertsAndDeleteOfNewRowCancels) {
  ds.setData(itemsPacket(0));
  EventLog log(ds);
  ds.edit();
  EXPECT_EQ(ds.state(), DataSetState::Insert);
  EXPECT_EQ(log.take(), "BeforeInsert,BeforeScroll,OnNewRecord,state:Insert,AfterInsert,AfterScroll");
  ds.remove();
  EXPECT_EQ(log.take(), "BeforeCancel,BeforeScroll,state:Browse,AfterCancel,AfterScroll");
  EXPECT_TRUE(ds.isEmpty());
  try {
    ds.remove();
    FAIL() << "deleting from an empty set must fail";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "Operação não permitida: não há registro.");
  }
}

TEST_F(Loaded, ProgrammingErrorsAreNeverSilent) {
  EXPECT_THROW(ds.fieldByName("NOME").setValue("x"), std::logic_error);
  EXPECT_THROW(ds.post(), std::logic_error);
  EXPECT_EQ(&ds.fieldByName("codigo"), &ds.fieldByName("CODIGO"));
  try {
    ds.fieldByName("NADA");
    FAIL();
  } catch (const std::out_of_range& e) {
    EXPECT_NE(std::string(e.what()).find("NADA"), std::string::npos);
  }
  ds.close();
  EXPECT_THROW(ds.fieldByName("NOME").setValue("x"), std::logic_error);
  EXPECT_THROW(ds.edit(), std::logic_error);
  EXPECT_THROW(ds.next(), std::logic_error);
  EXPECT_TRUE(ds.fieldByName("NOME").isNull()) << "a closed set reads null";
}

// --- Aborts: a throwing Before* handler (or OnNewRecord) leaves everything
// as it was; every operation is tried on a set positioned on its second row.

struct AbortCase {
  const char* name;
  ClientDataSet::Event ClientDataSet::*handler;
  std::function<void(ClientDataSet&)> prepare;  // brings the set to the starting point
  std::function<void(ClientDataSet&)> operation;
};

void editName(ClientDataSet& d) {
  d.edit();
  d.fieldByName("NOME").setValue("Editado");
}

class Aborts : public ::testing::TestWithParam<AbortCase> {};

TEST_P(Aborts, LeaveStatePositionAndValuesUntouched) {
  const AbortCase& c = GetParam();
  for (bool silent : {true, false}) {
    ClientDataSet ds("cdsItens");
    ds.addField("TOTAL", FieldType::Float, 0, FieldKind::Calculated);
    ds.OnCalcFields = [](ClientDataSet& d) { d.fieldByName("TOTAL").setValue(d.fieldByName("QT").asFloat() * 2); };
    ds.setData(itemsPacket());
    ds.next();
    if (c.prepare) c.prepare(ds);
    const Snapshot before(ds);
    ds.*c.handler = [silent](ClientDataSet& d) {
      // A handler that changes the row before failing changes nothing.
      if (d.editing()) d.fieldByName("QT").setValue(99.0);
      if (silent) Abort();
      throw UserError("recusado");
    };
    if (silent)
      EXPECT_THROW(c.operation(ds), SilentAbort) << c.name;
    else
      EXPECT_THROW(c.operation(ds), UserError) << c.name;
    EXPECT_EQ(Snapshot(ds), before) << c.name;
  }
}

using DS = ClientDataSet;
INSTANTIATE_TEST_SUITE_P(
    EveryOperation, Aborts,
    ::
        testing::
            Values(
                AbortCase{"insert_BeforeInsert", &DS::BeforeInsert, nullptr, [](DS& d) { d.insert(); }},
                AbortCase{"insert_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.insert(); }},
                AbortCase{"insert_OnNewRecord", &DS::OnNewRecord, nullptr, [](DS& d) { d.insert(); }},
                AbortCase{"append_OnNewRecord", &DS::OnNewRecord, nullptr, [](DS& d) { d.append(); }},
                AbortCase{"edit_BeforeEdit", &DS::BeforeEdit, nullptr, [](DS& d) { d.edit(); }},
                AbortCase{"post_edit_BeforePost", &DS::BeforePost, editName, [](DS& d) { d.post(); }},
                AbortCase{"post_insert_BeforePost", &DS::BeforePost,
                          [](DS& d) {
                            d.insert();
                            d.fieldByName("CODIGO").setValue("NOVO");
                          },
                          [](DS& d) { d.post(); }},
                AbortCase{"cancel_edit_BeforeCancel", &DS::BeforeCancel, editName, [](DS& d) { d.cancel(); }},
                AbortCase{"cancel_insert_BeforeScroll", &DS::BeforeScroll, [](DS& d) { d.insert(); },
                          [](DS& d) { d.cancel(); }},
                AbortCase{"delete_BeforeDelete", &DS::BeforeDelete, nullptr, [](DS& d) { d.remove(); }},
                AbortCase{"delete_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.remove(); }},
                AbortCase{"delete_while_editing_BeforeDelete", &DS::BeforeDelete, editName, [](DS& d) { d.remove(); }},
                AbortCase{"next_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.next(); }},
                AbortCase{"prior_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.prior(); }},
                AbortCase{"first_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.first(); }},
                AbortCase{"last_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.last(); }},
                AbortCase{"recNo_BeforeScroll", &DS::BeforeScroll, nullptr, [](DS& d) { d.setRecNo(3); }},
                AbortCase{
                    "locate_BeforeScroll",
                    &DS::BeforeScroll,
                    nullptr,
                    [](DS& d) { d.locate("CODIGO", Value("003")); }},
                AbortCase{
                    "filter_BeforeScroll",
                    &DS::BeforeScroll,
                    nullptr,
                    [](DS& d) {
                      d.setFilter("[CODIGO] = '003'");
                      d.setFiltered(true);
                    }},
                AbortCase{"close_BeforeClose", &DS::BeforeClose, nullptr, [](DS& d) { d.close(); }},
                AbortCase{"setData_BeforeClose", &DS::BeforeClose, nullptr, [](DS& d) { d.setData(itemsPacket(5)); }},
                AbortCase{"open_BeforeOpen", &DS::BeforeOpen, [](DS& d) { d.close(); }, [](DS& d) { d.open(); }}),
    [](const ::testing::TestParamInfo<AbortCase>& info) { return std::string(info.param.name); });

TEST_F(Loaded, RequiredFieldFailureKeepsTheRowBeingInserted) {
  ClientDataSet d("cdsReq");
  d.addField("CODIGO", FieldType::String, 5).setRequired(true).setDisplayLabel("Código");
  d.addField("NOME", FieldType::String, 10);
  d.createDataSet();
  d.insert();
  d.fieldByName("NOME").setValue("sem código");
  try {
    d.post();
    FAIL();
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "O campo 'Código' deve ser informado.");
  }
  EXPECT_EQ(d.state(), DataSetState::Insert);
  EXPECT_EQ(d.fieldByName("NOME").asString(), "sem código");
  EXPECT_TRUE(d.isEmpty());
}

TEST_F(Loaded, AfterHandlersFailAfterTheOperationTookEffect) {
  ds.AfterPost = [](ClientDataSet&) { throw UserError("depois"); };
  editName(ds);
  EXPECT_THROW(ds.post(), UserError);
  EXPECT_EQ(ds.state(), DataSetState::Browse);
  EXPECT_EQ(ds.changeCount(), 1);

  ds.AfterDelete = [](ClientDataSet&) { Abort(); };
  EXPECT_THROW(ds.remove(), SilentAbort);
  EXPECT_EQ(ds.recordCount(), 2);

  ds.AfterInsert = [](ClientDataSet&) { Abort(); };
  EXPECT_THROW(ds.insert(), SilentAbort);
  EXPECT_EQ(ds.state(), DataSetState::Insert);
  ds.cancel();

  ds.AfterScroll = [](ClientDataSet&) { Abort(); };
  EXPECT_THROW(ds.first(), SilentAbort);
  EXPECT_EQ(ds.recNo(), 1);
}

// --- Navigation.

TEST_F(Loaded, EndFlagsFollowTheClassicLoop) {
  std::vector<std::string> seen;
  for (ds.first(); !ds.eof(); ds.next()) seen.push_back(ds.fieldByName("CODIGO").asString());
  EXPECT_EQ(seen, (std::vector<std::string>{"001", "002", "003"}));
  EXPECT_EQ(ds.recNo(), 3);

  seen.clear();
  for (ds.last(); !ds.bof(); ds.prior()) seen.push_back(ds.fieldByName("CODIGO").asString());
  EXPECT_EQ(seen, (std::vector<std::string>{"003", "002", "001"}));

  EXPECT_EQ(ds.moveBy(10), 2);
  EXPECT_TRUE(ds.eof());
  EXPECT_EQ(ds.moveBy(-10), -2);
  EXPECT_TRUE(ds.bof());
  EXPECT_THROW(ds.setRecNo(4), std::out_of_range);
}

TEST_F(Loaded, NextAtTheEndRunsOnlyBeforeScroll) {
  ds.last();
  EventLog log(ds);
  ds.next();
  EXPECT_EQ(log.take(), "BeforeScroll");
  ds.setRecNo(3);
  EXPECT_EQ(log.take(), "") << "no move, no events";
}

TEST_F(Loaded, DeletingPositionsOnTheFollowingRowAndEmptiesInALoop) {
  ds.setRecNo(2);
  ds.remove();
  EXPECT_EQ(ds.fieldByName("CODIGO").asString(), "003");
  ds.remove();
  EXPECT_EQ(ds.fieldByName("CODIGO").asString(), "001") << "deleting the last row moves back";
  EXPECT_TRUE(ds.eof());
  ds.insert();
  ds.fieldByName("CODIGO").setValue("000");
  ds.post();
  for (ds.first(); !ds.eof();) ds.remove();
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_EQ(ds.recNo(), 0);
}

TEST_F(Loaded, InsertGoesBeforeTheCurrentRowAndAppendAtTheEnd) {
  ds.setRecNo(2);
  ds.insert();
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_EQ(ds.viewRowCount(), 4);
  ds.fieldByName("CODIGO").setValue("1.5");
  ds.post();
  EXPECT_EQ(ds.recNo(), 2);
  ds.append();
  ds.fieldByName("CODIGO").setValue("fim");
  ds.post();
  EXPECT_EQ(codes(ds), (std::vector<std::string>{"001", "1.5", "002", "003", "fim"}));
  EXPECT_EQ(ds.recNo(), 5);

  ds.setRecNo(3);
  ds.append();
  ds.cancel();
  EXPECT_EQ(ds.recNo(), 5) << "a dropped append leaves the cursor on the last row";
  ds.setRecNo(3);
  ds.insert();
  ds.cancel();
  EXPECT_EQ(ds.recNo(), 3);
}

TEST_F(Loaded, ManyInsertionsAtOnePlaceKeepTheirOrder) {
  // Each insertion halves the gap between two rows; running out of room
  // must renumber, not misorder.
  std::vector<std::string> expected = {"001"};
  ds.setRecNo(2);
  for (int i = 0; i < 80; ++i) {
    ds.insert();
    ds.fieldByName("CODIGO").setValue("n" + std::to_string(i));
    ds.post();
    ds.next();  // insert after the new row next time
    expected.push_back("n" + std::to_string(i));
  }
  expected.push_back("002");
  expected.push_back("003");
  EXPECT_EQ(codes(ds), expected);
}

TEST_F(Loaded, BookmarksSurviveEditsButNotRemovalOrReload) {
  ds.setRecNo(3);
  const Bookmark b = ds.bookmark();
  ds.first();
  ds.insert();
  ds.fieldByName("CODIGO").setValue("000");
  ds.post();
  EXPECT_TRUE(ds.gotoBookmark(b));
  EXPECT_EQ(ds.fieldByName("CODIGO").asString(), "003");
  ds.remove();
  EventLog log(ds);
  EXPECT_FALSE(ds.gotoBookmark(b));
  EXPECT_EQ(log.take(), "");
  ds.first();
  const Bookmark c = ds.bookmark();
  ds.setData(itemsPacket());
  EXPECT_FALSE(ds.bookmarkValid(c));
}

// --- Content.

TEST(DataSetContent, DeclaredFieldsAreKeptAndPacketFieldsAdded) {
  ClientDataSet ds("cdsItens");
  Field& qt = ds.addField("qt", FieldType::String, 3);  // declared type wins
  ds.addField("EXTRA", FieldType::Float);
  ds.setData(itemsPacket());
  EXPECT_EQ(&ds.fieldByName("QT"), &qt);
  EXPECT_EQ(qt.asString(), "1,5");
  EXPECT_TRUE(ds.fieldByName("EXTRA").isNull());
  EXPECT_EQ(ds.fieldByName("NOME").size(), 10);
  EXPECT_EQ(ds.fieldCount(), 5);
  ds.setData(itemsPacket(1));
  EXPECT_EQ(ds.fieldCount(), 5);
  EXPECT_EQ(&ds.fieldByName("QT"), &qt);
}

TEST(DataSetContent, ABadPacketChangesNothing) {
  ClientDataSet ds("cdsItens");
  ds.setData(itemsPacket());
  ds.next();
  const Snapshot before(ds);
  DataPacket bad = itemsPacket();
  bad.rows[1].values.pop_back();
  EXPECT_THROW(ds.setData(bad), std::invalid_argument);
  DataPacket text = itemsPacket();
  text.rows[2].values[2] = Value("muito");
  EXPECT_THROW(ds.setData(text), UserError);
  DataPacket delta = itemsPacket();
  delta.delta = true;
  EXPECT_THROW(ds.setData(delta), std::invalid_argument);
  EXPECT_EQ(Snapshot(ds), before);
}

TEST(DataSetContent, CopyCreateAndReopen) {
  ClientDataSet a("cdsA"), b("cdsB");
  a.setData(itemsPacket());
  b.copyFrom(a);
  EXPECT_EQ(b.data(), itemsPacket());
  b.createDataSet();
  EXPECT_TRUE(b.active() && b.isEmpty());
  b.close();
  b.addField("NOVO", FieldType::Integer);
  b.open();
  EXPECT_EQ(b.fieldDefs().back().name, "NOVO");
  EXPECT_THROW(b.addField("X", FieldType::String, 1), std::logic_error) << "only while closed";
}

}  // namespace
