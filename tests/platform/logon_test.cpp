#include "platform/logon.h"

#include <gtest/gtest.h>

#include "platform/datasource.h"
#include "platform/editmask.h"
#include "platform/form.h"
#include "platform/localquery.h"
#include "platform/lookup.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "tests/platform/controls_testing.h"

using namespace platform;
using platform::testing::ScriptedUi;

namespace {

// A local database with branches, personalisation items and a product tree
// of three levels, installed as the shared connection.
class LocalDatabase : public ::testing::Test {
 protected:
  SqlConnection db{":memory:"};
  LogonScope scope{LogonContext{"0001", "Matriz Centro", "0007", "Ana", false, "srv.local", 8211}};

  void SetUp() override {
    auto& s = db.session();
    sqlExecute(s,
               "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(30), "
               "CDSEGMER VARCHAR(5), CDEMPRESA VARCHAR(2))");
    sqlExecute(s,
               "INSERT INTO FILIAL VALUES ('0001', 'Matriz Centro', 'VAR', '01'), "
               "('0002', 'Filial Shopping Norte', 'VAR', '02')");
    sqlExecute(s,
               "CREATE TABLE ITEMPERSON (CDFILIAL VARCHAR(4), NRITEMPERS INTEGER, "
               "DSVALORPERS VARCHAR(100))");
    sqlExecute(s, "INSERT INTO ITEMPERSON VALUES ('0001', 3, 'S'), ('0002', 3, 'N'), ('0001', 4, NULL)");
    setDtmDBGeral(&db);
  }
  void TearDown() override { setDtmDBGeral(nullptr); }

  void createLevels(std::initializer_list<int> digits) {
    sqlExecute(db.session(),
               "CREATE TABLE NIVELPROD (CDNVPRODUTO INTEGER, NRDIGNIVEL INTEGER, "
               "NMNIVEL VARCHAR(30))");
    int level = 0;
    for (int d : digits)
      sqlExecute(db.session(), "INSERT INTO NIVELPROD VALUES (:L, :D, 'Nível')", {{"L", ++level}, {"D", d}});
    setDtmDBGeral(&db);  // levels are read once per connection
  }
};

TEST_F(LocalDatabase, ContextValuesAndTheirScope) {
  EXPECT_EQ(FiliProc(), "0001");
  EXPECT_EQ(NomeFiliProc(), "Matriz Centro");
  EXPECT_EQ(Operador(), "0007");
  EXPECT_EQ(NomeOperador(), "Ana");
  EXPECT_FALSE(ModuFili());
  EXPECT_EQ(WebURL(), "srv.local");
  EXPECT_EQ(WebPort(), 8211);
  {
    LogonScope inner(LogonContext{"0002", "Filial Shopping Norte", "", "", true, "", 0});
    EXPECT_TRUE(ModuFili());
    EXPECT_EQ(GetPersonal(3), "N");
  }
  EXPECT_EQ(FiliProc(), "0001");
}

TEST_F(LocalDatabase, PersonalisationOfTheProcessingBranch) {
  EXPECT_EQ(GetPersonal(3), "S");
  EXPECT_EQ(GetPersonal(4), "");  // null value
  EXPECT_EQ(GetPersonal(9), "");  // no such item
  setDtmDBGeral(nullptr);
  EXPECT_EQ(GetPersonal(3), "");  // no local database: no personalisation
}

TEST_F(LocalDatabase, ProductMaskFromTheLevelTable) {
  EXPECT_EQ(GetTtNiveis(), 3);  // no level table: the demo tree
  EXPECT_EQ(DBPict(0), "99.99.9999;0;_");
  createLevels({1, 3, 2, 5});
  EXPECT_EQ(GetTtNiveis(), 4);
  EXPECT_EQ(DBPict(0), "9.999.99.99999;0;_");
  EXPECT_EQ(DBPictObj(0), "9.999.99.99999;1;_");
  EXPECT_EQ(DBPict(1), "");
}

TEST_F(LocalDatabase, TheDemoTreeCodesGoThroughTheProductMask) {
  createLevels({2, 2, 4});
  EXPECT_EQ(DBPict(0), "99.99.9999;0;_");
  EXPECT_EQ(StripMask(DBPict(0), "01.01.0001"), "01010001");
  EXPECT_EQ(StripMask(DBPict(0), "01010001"), "01010001");
  EXPECT_EQ(ApplyMask(DBPict(0), "0101"), "01.01.____");
  EXPECT_EQ(StripMask(DBPictObj(0), "01010001"), "01.01.0001");
}

// The branch look-up of the filter panel: a query listed by the look-up
// button, its choice read through the query's fields.
TEST_F(LocalDatabase, AQueryIsARecordSetForLookUps) {
  ScriptedUi ui;
  TADOIBQuery qryFilial("qryFilial");  // runs on the shared connection
  qryFilial.SQL =
      "SELECT CDFILIAL, NMFILIAL, CDSEGMER, CDEMPRESA FROM FILIAL WHERE ((CDFILIAL = :P_CDFILIAL) "
      "OR (:P_TCDFILIAL = 'T')) ORDER BY CDFILIAL";
  qryFilial.declareField({"CDFILIAL", FieldType::String, 4, false}, "Código");
  qryFilial.declareField({"NMFILIAL", FieldType::String, 30, false}, "Nome");
  qryFilial.declareField({"CDSEGMER", FieldType::String, 5, false}, {}, false);
  qryFilial.declareField({"CDEMPRESA", FieldType::String, 2, false}, {}, false);
  DataSource dtsFilial("dtsFilial");
  dtsFilial.setDataSet(&qryFilial);

  Form form("frmTeste");
  MaskEdit& medFilial = form.add<MaskEdit>("medFilial", nullptr, ">aaaa;0; ");
  Edit& edtFilial = form.add<Edit>("edtFilial");
  LookupButton& btpFilial = form.add<LookupButton>("btpFilial");
  btpFilial.setAssociate(&medFilial);
  btpFilial.setTitle("Filial");
  btpFilial.setEmptyError("Não há filial cadastrada");
  btpFilial.setDataSource(&dtsFilial);
  btpFilial.OnBeforeDialog = [&](Control&) {
    qryFilial.setParam("P_CDFILIAL", Value());
    qryFilial.setParam("P_TCDFILIAL", "T");
    qryFilial.open();
  };
  std::string empresa;
  btpFilial.OnAfterChoice = [&](Control&) {
    medFilial.setText(qryFilial.fieldByName("CDFILIAL").asText());
    edtFilial.setText(qryFilial.fieldByName("NMFILIAL").asText());
    empresa = qryFilial.fieldByName("CDEMPRESA").asText();
  };
  ui.pickRow = 2;
  EXPECT_TRUE(btpFilial.click());
  EXPECT_EQ(ui.picks, (std::vector<std::string>{"Filial|Não há filial cadastrada|2"}));
  EXPECT_EQ(medFilial.text(), "0002");
  EXPECT_EQ(edtFilial.text(), "Filial Shopping Norte");
  EXPECT_EQ(empresa, "02");

  // What the dialog shows: labels and hidden columns as declared.
  EXPECT_EQ(qryFilial.findField("NMFILIAL")->displayLabel(), "Nome");
  EXPECT_FALSE(qryFilial.findField("CDEMPRESA")->visible());
  EXPECT_TRUE(qryFilial.findField("CDFILIAL")->readOnly());
  EXPECT_THROW(qryFilial.edit(), std::logic_error);
  EXPECT_THROW(qryFilial.append(), std::logic_error);

  // The framework's Pesquisar over the same source.
  ui.pickRow = 1;
  EXPECT_TRUE(Pesquisar(dtsFilial, "Filial|Não há filial cadastrada"));
  EXPECT_EQ(qryFilial.fieldByName("CDFILIAL").asText(), "0001");
  EXPECT_EQ(ui.picks.back(), "Filial|Não há filial cadastrada|2");
  ui.pickRow = 0;
  EXPECT_FALSE(Pesquisar(dtsFilial, "Filial"));
  EXPECT_EQ(ui.picks.back(), "Filial||2");
}

}  // namespace
