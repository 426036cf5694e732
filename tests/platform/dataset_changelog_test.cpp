// Change log of the record set: delta contents for each sequence of changes,
// merging, and undoing changes of every kind.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "dataset_testing.h"

using namespace platform;
using namespace platform::testing;

namespace {

struct ChangeLog : ::testing::Test {
  ClientDataSet ds{"cdsItens"};
  void SetUp() override { ds.setData(itemsPacket()); }

  void setName(int recNo, const std::string& name) {
    ds.setRecNo(recNo);
    ds.edit();
    ds.fieldByName("NOME").setValue(name);
    ds.post();
  }
  void add(const std::string& code) {
    ds.append();
    ds.fieldByName("CODIGO").setValue(code);
    ds.post();
  }
  std::vector<Value> loaded(int row) const { return itemsPacket().rows[row].values; }
};

TEST_F(ChangeLog, SeveralEditsOfARowAreOneModification) {
  setName(2, "Primeira");
  setName(2, "Segunda");
  ASSERT_EQ(ds.changeCount(), 1);
  EXPECT_EQ(ds.updateStatus(), RowKind::Modify);
  const DataPacket d = ds.delta();
  EXPECT_TRUE(d.delta);
  ASSERT_EQ(d.rows.size(), 1u);
  EXPECT_EQ(d.rows[0].kind, RowKind::Modify);
  EXPECT_EQ(d.rows[0].original, loaded(1));
  std::vector<Value> now = loaded(1);
  now[1] = Value("Segunda");
  EXPECT_EQ(d.rows[0].values, now);
}

TEST_F(ChangeLog, AnInsertedRowStaysAnInsertionAndVanishesWhenDeleted) {
  add("004");
  setName(4, "Novo");
  EXPECT_EQ(ds.updateStatus(), RowKind::Insert);
  DataPacket d = ds.delta();
  ASSERT_EQ(d.rows.size(), 1u);
  EXPECT_EQ(d.rows[0].kind, RowKind::Insert);
  EXPECT_TRUE(d.rows[0].original.empty());
  EXPECT_EQ(d.rows[0].values[1], Value("Novo"));

  ds.remove();
  EXPECT_EQ(ds.changeCount(), 0);
  EXPECT_TRUE(ds.delta().rows.empty());
}

TEST_F(ChangeLog, AModifiedRowDeletedCarriesItsOriginalValues) {
  setName(1, "Mudado");
  ds.setRecNo(1);
  ds.remove();
  ds.setRecNo(2);  // row 003
  ds.remove();
  const DataPacket d = ds.delta();
  ASSERT_EQ(d.rows.size(), 2u);
  EXPECT_EQ(d.rows[0].kind, RowKind::Delete);
  EXPECT_EQ(d.rows[0].original, loaded(0));
  EXPECT_EQ(d.rows[0].values, loaded(0));
  EXPECT_EQ(d.rows[1].kind, RowKind::Delete);
  EXPECT_EQ(d.rows[1].original, loaded(2));
  EXPECT_EQ(ds.changeCount(), 2);
}

TEST_F(ChangeLog, PostingAnUntouchedEditLogsNothingAndCalculatedFieldsStayOut) {
  ClientDataSet d("cdsCalc");
  d.addField("TOTAL", FieldType::Float, 0, FieldKind::Calculated);
  d.setData(itemsPacket());
  d.edit();
  d.post();
  EXPECT_EQ(d.changeCount(), 0);
  d.edit();
  d.fieldByName("QT").setValue(7.0);
  d.post();
  const DataPacket delta = d.delta();
  EXPECT_EQ(delta.fields, itemsPacket().fields);
  EXPECT_EQ(delta.rows[0].values.size(), 4u);
}

TEST_F(ChangeLog, MergeMakesCurrentValuesTheStoredOnes) {
  setName(1, "Mudado");
  add("004");
  ds.setRecNo(2);
  ds.remove();
  ds.mergeChangeLog();
  EXPECT_EQ(ds.changeCount(), 0);
  EXPECT_TRUE(ds.delta().rows.empty());
  EXPECT_FALSE(ds.undoLastChange());
  EXPECT_EQ(codes(ds), (std::vector<std::string>{"001", "003", "004"}));

  ds.setRecNo(3);
  EXPECT_EQ(ds.fieldByName("CODIGO").oldValue(), Value("004")) << "merged insertions are stored";
  setName(1, "Outra vez");
  const DataPacket d = ds.delta();
  ASSERT_EQ(d.rows.size(), 1u);
  EXPECT_EQ(d.rows[0].original[1], Value("Mudado"));
}

TEST_F(ChangeLog, MergeDuringAnEditKeepsTheEditPending) {
  setName(1, "Antes");
  ds.edit();
  ds.fieldByName("NOME").setValue("Durante");
  ds.mergeChangeLog();
  EXPECT_EQ(ds.state(), DataSetState::Edit);
  ds.post();
  const DataPacket d = ds.delta();
  ASSERT_EQ(d.rows.size(), 1u);
  EXPECT_EQ(d.rows[0].original[1], Value("Antes"));
  EXPECT_EQ(d.rows[0].values[1], Value("Durante"));
}

TEST_F(ChangeLog, OldValueIsTheValueAsLastLoadedOrMerged) {
  Field& nome = ds.fieldByName("NOME");
  ds.edit();
  nome.setValue("Um");
  EXPECT_EQ(nome.oldValue(), Value("Item 1"));
  EXPECT_EQ(nome.newValue(), Value("Um"));
  ds.post();
  ds.edit();
  nome.setValue("Dois");
  EXPECT_EQ(nome.oldValue(), Value("Item 1"));
  ds.cancel();
  ds.append();
  EXPECT_TRUE(nome.oldValue().isNull());
}

TEST_F(ChangeLog, CancelUpdatesRestoresEveryRowInItsPlace) {
  setName(1, "Mudado");
  ds.setRecNo(2);
  ds.remove();
  add("004");
  ds.first();
  ds.insert();
  ds.fieldByName("CODIGO").setValue("000");
  ds.post();
  ds.setRecNo(2);
  ds.edit();
  ds.fieldByName("NOME").setValue("pendente");

  ds.cancelUpdates();
  EXPECT_EQ(ds.state(), DataSetState::Browse);
  EXPECT_EQ(ds.changeCount(), 0);
  EXPECT_EQ(ds.data(), itemsPacket());
  EXPECT_EQ(ds.fieldByName("CODIGO").asString(), "001") << "the current row is kept";
  EXPECT_FALSE(ds.undoLastChange());
}

TEST_F(ChangeLog, CancelUpdatesAfterAFailedDeleteBringsTheRowBack) {
  // As the screens do when the server refuses a deletion.
  ds.AfterDelete = [](ClientDataSet& d) { d.cancelUpdates(); };
  ds.setRecNo(2);
  ds.remove();
  EXPECT_EQ(ds.data(), itemsPacket());
  EXPECT_EQ(ds.changeCount(), 0);
}

TEST_F(ChangeLog, UndoLastChangeStepsBackOneChangeAtATime) {
  const DataPacket loadedContent = ds.data();
  setName(1, "A");
  const DataPacket afterFirst = ds.data();
  setName(1, "B");
  const DataPacket afterSecond = ds.data();
  ds.setRecNo(2);
  ds.remove();
  const DataPacket afterDelete = ds.data();
  add("004");

  ds.first();
  EXPECT_TRUE(ds.undoLastChange());
  EXPECT_EQ(ds.data(), afterDelete);
  EXPECT_TRUE(ds.undoLastChange(true));
  EXPECT_EQ(ds.data(), afterSecond);
  EXPECT_EQ(ds.fieldByName("CODIGO").asString(), "002") << "follows the change";
  EXPECT_TRUE(ds.undoLastChange(false));
  EXPECT_EQ(ds.data(), afterFirst);
  EXPECT_EQ(ds.fieldByName("CODIGO").asString(), "002") << "stays put";
  EXPECT_EQ(ds.changeCount(), 1);
  EXPECT_TRUE(ds.undoLastChange());
  EXPECT_EQ(ds.data(), loadedContent);
  EXPECT_EQ(ds.changeCount(), 0);
  EXPECT_FALSE(ds.undoLastChange());
}

TEST_F(ChangeLog, RevertRecordUndoesOneRowOnly) {
  setName(1, "Mudado");
  setName(2, "Outro");
  add("004");
  ds.setRecNo(2);
  ds.revertRecord();
  EXPECT_EQ(ds.fieldByName("NOME").asString(), "Item 2");
  EXPECT_EQ(ds.changeCount(), 2);
  ds.last();
  ds.revertRecord();
  EXPECT_EQ(codes(ds), (std::vector<std::string>{"001", "002", "003"}));
  EXPECT_EQ(ds.recNo(), 3);
  EXPECT_EQ(ds.changeCount(), 1);
  EXPECT_TRUE(ds.undoLastChange());  // the edit of row 1 is still undoable
  EXPECT_EQ(ds.data(), itemsPacket());
}

// Random sequences of inserts, edits, deletes, undos, merges, cancels and
// filters against a plain model: a list of rows in order, deleted rows
// keeping their place, and whole copies of it for undo.
TEST(ChangeLogModel, RandomSequencesMatchAPlainModel) {
  struct Row {
    std::string k;
    int v;
    bool deleted = false, stored = true, modified = false;
    std::string ok;
    int ov = 0;
  };
  using Model = std::vector<Row>;
  auto shown = [](const Model& m, bool filtered, const std::string& key) {
    std::vector<size_t> out;
    for (size_t i = 0; i < m.size(); ++i)
      if (!m[i].deleted && (!filtered || m[i].k == key)) out.push_back(i);
    return out;
  };
  auto content = [](const Model& m) {
    std::string s;
    for (const Row& r : m)
      if (!r.deleted) s += r.k + std::to_string(r.v) + " ";
    return s;
  };
  auto modelDelta = [](const Model& m) {
    std::multiset<std::string> d;
    for (const Row& r : m) {
      if (!r.stored && !r.deleted)
        d.insert("I" + r.k + std::to_string(r.v));
      else if (r.stored && r.deleted)
        d.insert("D" + (r.modified ? r.ok + std::to_string(r.ov) : r.k + std::to_string(r.v)));
      else if (r.stored && r.modified)
        d.insert("M" + r.k + std::to_string(r.v) + r.ok + std::to_string(r.ov));
    }
    return d;
  };
  auto setDelta = [](const ClientDataSet& ds) {
    std::multiset<std::string> d;
    auto text = [](const std::vector<Value>& v) {
      return v[0].asText() + std::to_string(static_cast<int>(v[1].asNumber()));
    };
    for (const PacketRow& r : ds.delta().rows)
      d.insert(r.kind == RowKind::Insert   ? "I" + text(r.values)
               : r.kind == RowKind::Delete ? "D" + text(r.original)
                                           : "M" + text(r.values) + text(r.original));
    return d;
  };
  auto setContent = [](const ClientDataSet& ds) {
    std::string s;
    for (const PacketRow& r : ds.data().rows)
      s += r.values[0].asText() + std::to_string(static_cast<int>(r.values[1].asNumber())) + " ";
    return s;
  };

  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    ClientDataSet ds("cdsModelo");
    ds.addField("K", FieldType::String, 1);
    ds.addField("V", FieldType::Integer);
    ds.createDataSet();
    Model m, stored;
    std::vector<Model> undo;
    bool filtered = false;
    std::string key = "a";
    int counter = 0;
    for (int step = 0; step < 300; ++step) {
      const auto vis = shown(m, filtered, key);
      const std::string k(1, static_cast<char>('a' + rng() % 3));
      const unsigned op = rng() % 11;
      const size_t pos = vis.empty() ? 0 : rng() % vis.size();
      if (op <= 2) {
        const bool atEnd = op == 2 || vis.empty();
        if (!atEnd) ds.setRecNo(static_cast<int>(pos) + 1);
        atEnd ? ds.append() : ds.insert();
        ds.fieldByName("K").setValue(k);
        ds.fieldByName("V").setValue(++counter);
        ds.post();
        undo.push_back(m);
        m.insert(atEnd ? m.end() : m.begin() + static_cast<long>(vis[pos]),
                 Row{k, counter, false, false, false, {}, 0});
      } else if (op <= 4 && !vis.empty()) {
        ds.setRecNo(static_cast<int>(pos) + 1);
        ds.edit();
        ds.fieldByName("K").setValue(k);
        ds.fieldByName("V").setValue(++counter);
        ds.post();
        undo.push_back(m);
        Row& r = m[vis[pos]];
        if (r.stored && !r.modified) r.modified = true, r.ok = r.k, r.ov = r.v;
        r.k = k;
        r.v = counter;
      } else if (op <= 6 && !vis.empty()) {
        ds.setRecNo(static_cast<int>(pos) + 1);
        ds.remove();
        undo.push_back(m);
        if (m[vis[pos]].stored)
          m[vis[pos]].deleted = true;
        else
          m.erase(m.begin() + static_cast<long>(vis[pos]));
      } else if (op == 7) {
        ASSERT_EQ(ds.undoLastChange(rng() % 2), !undo.empty());
        if (!undo.empty()) m = undo.back(), undo.pop_back();
      } else if (op == 8 && rng() % 3 == 0) {
        ds.mergeChangeLog();
        std::erase_if(m, [](const Row& r) { return r.deleted; });
        for (Row& r : m) r.stored = true, r.modified = false;
        stored = m;
        undo.clear();
      } else if (op == 9 && rng() % 4 == 0) {
        ds.cancelUpdates();
        m = stored;
        undo.clear();
      } else if (op == 10) {
        filtered = rng() % 2;
        key = k;
        ds.setFilter("[K] = '" + key + "'");
        ds.setFiltered(filtered);
      }
      ASSERT_EQ(setContent(ds), content(m)) << "seed " << seed << " step " << step;
      ASSERT_EQ(setDelta(ds), modelDelta(m)) << "seed " << seed << " step " << step;
      ASSERT_EQ(ds.changeCount(), static_cast<int>(modelDelta(m).size()));
      ASSERT_EQ(ds.recordCount(), static_cast<int>(shown(m, filtered, key).size()));
    }
  }
}

}  // namespace
