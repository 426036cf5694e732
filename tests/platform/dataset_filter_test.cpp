// Filtering and locating rows.

#include <gtest/gtest.h>

#include <stdexcept>

#include "dataset_testing.h"
#include "platform/abort.h"

using namespace platform;
using namespace platform::testing;

namespace {

// Item taxes of a sale: the screen filters them by item number.
struct Taxes : ::testing::Test {
  ClientDataSet ds{"cdsImpostoItem"};
  DataPacket p;
  void SetUp() override {
    p.fields = {{"NRSEQUITVEND", FieldType::String, 3, false},
                {"CDIMPOSTO", FieldType::FixedString, 4, false},
                {"VRIMPOSTO", FieldType::Float, 0, false}};
    auto row = [&](const char* item, const char* tax, double v) {
      p.rows.push_back({RowKind::Unchanged, {Value(item), Value(tax), Value(v)}, {}});
    };
    row("001", "ICMS", 1.5);
    row("002", "ICMS", 2.5);
    row("001", "PIS", 0.25);
    row("002", "D'A", 3);
    row("001", "COF", 0.5);
    ds.setData(p);
  }
  std::vector<std::string> visibleTaxes() {
    std::vector<std::string> out;
    for (int r = 0; r < ds.viewRowCount(); ++r)
      ds.withViewRow(r, [&] { out.push_back(ds.fieldByName("CDIMPOSTO").asString()); });
    return out;
  }
};

TEST_F(Taxes, FilterShowsOnlyMatchingRows) {
  ds.last();
  EventLog log(ds);
  ds.setFilter("[NRSEQUITVEND] = '001'");
  EXPECT_EQ(log.take(), "") << "an unapplied filter is only kept";
  ds.setFiltered(true);
  EXPECT_EQ(log.take(), "BeforeScroll,AfterScroll");
  EXPECT_EQ(ds.recordCount(), 3);
  EXPECT_EQ(ds.recNo(), 1);
  EXPECT_EQ(visibleTaxes(), (std::vector<std::string>{"ICMS", "PIS ", "COF "}));

  ds.setFilter("[NRSEQUITVEND] = '002' AND [CDIMPOSTO] = 'D''A'");
  ASSERT_EQ(ds.recordCount(), 1);
  EXPECT_DOUBLE_EQ(ds.fieldByName("VRIMPOSTO").asFloat(), 3.0);

  ds.setFilter("VRIMPOSTO = 2.5");
  EXPECT_EQ(ds.recordCount(), 1);
  ds.setFilter("[VRIMPOSTO] = '0,25'");
  EXPECT_EQ(ds.fieldByName("CDIMPOSTO").asString(), "PIS ");

  ds.setFiltered(false);
  EXPECT_EQ(ds.recordCount(), 5);
}

TEST_F(Taxes, RowsEnterAndLeaveTheFilterAsTheyChange) {
  ds.setFilter("[NRSEQUITVEND] = '001'");
  ds.setFiltered(true);
  ds.setRecNo(2);  // PIS
  ds.edit();
  ds.fieldByName("NRSEQUITVEND").setValue("003");
  ds.post();
  EXPECT_EQ(ds.recordCount(), 2);
  EXPECT_EQ(ds.fieldByName("CDIMPOSTO").asString(), "COF ") << "the row in its place becomes current";

  ds.append();
  ds.fieldByName("NRSEQUITVEND").setValue("002");
  ds.post();
  EXPECT_EQ(ds.recordCount(), 2);
  ds.append();
  ds.fieldByName("NRSEQUITVEND").setValue("001");
  ds.fieldByName("CDIMPOSTO").setValue("IPI");
  ds.post();
  EXPECT_EQ(visibleTaxes(), (std::vector<std::string>{"ICMS", "COF ", "IPI "}));

  ds.cancelUpdates();
  EXPECT_EQ(visibleTaxes(), (std::vector<std::string>{"ICMS", "PIS ", "COF "}));
  EXPECT_EQ(ds.data().rows.size(), 5u) << "the content ignores the filter";
}

TEST_F(Taxes, AFilterSetWhileClosedAppliesOnOpen) {
  ds.close();
  ds.setFilter("[CDIMPOSTO] = 'ICMS'");
  ds.setFiltered(true);
  EventLog log(ds);
  ds.setData(p);
  EXPECT_EQ(ds.recordCount(), 2);
  EXPECT_EQ(log.take(), "BeforeOpen,state:Browse,AfterOpen,AfterScroll");
  ds.setFilter("[CDIMPOSTO] = 'NADA'");
  EXPECT_TRUE(ds.isEmpty());
  EXPECT_THROW(ds.setFilter("[NAOEXISTE] = 'x'"), std::out_of_range);
  EXPECT_EQ(ds.filter(), "[CDIMPOSTO] = 'NADA'");
}

TEST_F(Taxes, MalformedFiltersAreRefusedClearly) {
  for (const char* bad : {"[CDIMPOSTO] 'ICMS'", "[CDIMPOSTO] = 'ICMS", "[CDIMPOSTO] = 'A' OR [CDIMPOSTO] = 'B'",
                          "= 'x'", "[CDIMPOSTO = 'x'", "[CDIMPOSTO] = ICMS", "[CDIMPOSTO] = 'A' AND"}) {
    try {
      ds.setFilter(bad);
      ADD_FAILURE() << bad;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("Filtro inválido"), std::string::npos) << e.what();
    }
  }
  ds.setFiltered(true);
  EXPECT_THROW(ds.setFilter("[VRIMPOSTO] = 'muito'"), std::invalid_argument);
  EXPECT_EQ(ds.recordCount(), 5) << "an empty filter shows everything";
}

TEST_F(Taxes, LocateByOneOrSeveralFields) {
  EXPECT_TRUE(ds.locate("NRSEQUITVEND;CDIMPOSTO", {Value("002"), Value("ICMS")}));
  EXPECT_EQ(ds.recNo(), 2);
  EXPECT_TRUE(ds.locate("CDIMPOSTO", Value("pis"), {.caseInsensitive = true}));
  EXPECT_EQ(ds.recNo(), 3);
  EXPECT_TRUE(ds.locate("CDIMPOSTO", Value("CO"), {.partialKey = true}));
  EXPECT_EQ(ds.recNo(), 5);
  EXPECT_TRUE(ds.locate("VRIMPOSTO", Value("2,5")));
  EXPECT_EQ(ds.recNo(), 2);

  EventLog log(ds);
  EXPECT_FALSE(ds.locate("CDIMPOSTO", Value("ISS")));
  EXPECT_EQ(log.take(), "BeforeScroll");
  EXPECT_EQ(ds.recNo(), 2);

  EXPECT_THROW(ds.locate("CDIMPOSTO;VRIMPOSTO", {Value("x")}), std::invalid_argument);
  EXPECT_THROW(ds.locate("VRIMPOSTO", Value("x")), UserError);
}

TEST_F(Taxes, LocatePostsAPendingEditFirst) {
  ds.edit();
  ds.fieldByName("CDIMPOSTO").setValue("ISS");
  EXPECT_TRUE(ds.locate("CDIMPOSTO", Value("ISS")));
  EXPECT_EQ(ds.state(), DataSetState::Browse);
  EXPECT_EQ(ds.changeCount(), 1);
}

}  // namespace
