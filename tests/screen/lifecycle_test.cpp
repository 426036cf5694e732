#include <gtest/gtest.h>

#include "platform/abort.h"
#include "platform/sqlaccess.h"
#include "screen/frmmanutvenda.h"
#include "screen/pkg_vnd02600.h"
#include "screen_fixture.h"
#include "tests/testdb.h"

namespace {

using screentest::ScreenTest;

class Lifecycle : public ScreenTest {
 protected:
  void TearDown() override {
    if (frmManutVenda) frmManutVenda->close();
    ScreenTest::TearDown();
  }
};

TEST_F(Lifecycle, OneInstanceWhileOpenAndAFreshOneAfterClose) {
  platform::LogonScope logon(screentest::logonFor(false));
  CriaManutVenda();
  screen::TfrmManutVenda* first = frmManutVenda;
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(boStCriado);
  EXPECT_TRUE(first->shown());
  IniProc();
  EXPECT_EQ(frmManutVenda, first);
  EXPECT_EQ(host.shown, 2);
  EXPECT_EQ(host.server.connects, 1);
  // The connection opened under the connecting animation, found through the
  // logon context's server address.
  ASSERT_FALSE(ui.progressKinds.empty());
  EXPECT_EQ(ui.progressKinds.front(), platform::kProgressConnecting);
  EXPECT_EQ(ui.progressDepth, 0);
  EXPECT_EQ(host.server.endpoints.at(0).serverObject, "Vnd02600.rdmManutVenda");
  EXPECT_EQ(host.server.endpoints.at(0).host, "servidor.local");
  EXPECT_EQ(host.server.endpoints.at(0).port, 8600);

  first->close();
  EXPECT_FALSE(boStCriado);
  EXPECT_EQ(frmManutVenda, nullptr);
  EXPECT_EQ(host.closedCount, 1);

  CriaManutVenda();
  ASSERT_NE(frmManutVenda, nullptr);
  EXPECT_TRUE(boStCriado);
  EXPECT_EQ(host.server.connects, 2);
}

TEST_F(Lifecycle, FirstActivationFillsTheBranchAndFocusesIt) {
  platform::LogonScope logon(screentest::logonFor(false));
  CriaManutVenda();
  screen::TfrmManutVenda& f = *frmManutVenda;
  EXPECT_FALSE(boPrimVez);
  EXPECT_EQ(f.medFilial.text(), "0001");
  EXPECT_EQ(f.edtFilial.text(), "Matriz Centro");
  EXPECT_TRUE(f.medFilial.enabled());
  EXPECT_TRUE(f.btpFilial.enabled());
  EXPECT_EQ(f.activeControl(), &f.medFilial);
  // Later activations leave the filter alone.
  f.medFilial.setText("0002");
  f.activate();
  EXPECT_EQ(f.medFilial.text(), "0002");
}

TEST_F(Lifecycle, ModuleBoundToTheBranchStartsInTheRegisterField) {
  platform::LogonScope logon(screentest::logonFor(true));
  CriaManutVenda();
  screen::TfrmManutVenda& f = *frmManutVenda;
  EXPECT_FALSE(f.medFilial.enabled());
  EXPECT_FALSE(f.btpFilial.enabled());
  EXPECT_EQ(f.activeControl(), &f.medCdCaixa);
}

TEST_F(Lifecycle, ScreenButtonsNeedPersonalisationItemThree) {
  platform::LogonScope logon(screentest::logonFor(false));
  for (const char* value : {"", "N", "S"}) {
    SCOPED_TRACE(value);
    testdb::Database db("SQLite");
    auto conn = db.connect();
    platform::sqlExecute(conn->session(),
                         "CREATE TABLE ITEMPERSON (CDFILIAL VARCHAR(4), NRITEMPERS INTEGER, DSVALORPERS VARCHAR(100))");
    if (*value)
      platform::sqlExecute(conn->session(),
                           std::string("INSERT INTO ITEMPERSON VALUES ('0001', 3, ' ") + value + " ')");
    platform::setDtmDBGeral(conn.get());
    CriaManutVenda();
    screen::TfrmManutVenda& f = *frmManutVenda;
    const bool permitted = std::string(value) == "S";
    for (platform::Button* b : {&f.btnCancelaVenda, &f.btnConcluiVenda, &f.btnFecharCaixa}) {
      EXPECT_EQ(b->permitted(), permitted) << b->name();
      // The state rules may enable it; without the permission it stays
      // unavailable.
      b->setEnabled(true);
      EXPECT_EQ(b->available(), permitted) << b->name();
    }
    f.close();
    platform::setDtmDBGeral(nullptr);
  }
}

TEST_F(Lifecycle, CreationSetsMasksAndTags) {
  platform::LogonScope logon(screentest::logonFor(false));
  CriaManutVenda();
  screen::TfrmManutVenda& f = *frmManutVenda;
  const std::string pict = platform::DBPict(0);
  EXPECT_FALSE(pict.empty());
  for (platform::ClientDataSet* s : {&f.cdsProduto, &f.cdsItens, &f.cdsItensCancelados})
    EXPECT_EQ(s->fieldByName("CDARVPROD").editMask(), pict) << s->name();
  EXPECT_EQ(f.cdsItens.fieldByName("CDARVPROD").tag(), 1);
  EXPECT_EQ(f.cdsItensCancelados.fieldByName("CDARVPROD").tag(), 1);
  EXPECT_EQ(f.cdsProduto.fieldByName("CDARVPROD").tag(), 0);
  EXPECT_EQ(f.cdsAberCaixa.fieldByName("DTABERCAIX").editMask(), "!99/99/9999 !90:00:00;1; ");
  EXPECT_EQ(f.pgcPadrao.activePage(), &f.tshAberCaixa);
  EXPECT_EQ(f.currentSet(), &f.cdsAberCaixa);
  EXPECT_EQ(f.dbgPadrao.dataSource(), &f.dtsPedidoVenda);
}

class PerManut : public Lifecycle {
 protected:
  void SetUp() override {
    Lifecycle::SetUp();
    CriaManutVenda();
    // Opening the screen already asks this stand-in server for things it
    // does not answer (the empty sale's details); only what follows counts.
    ui.progressKinds.clear();
    ui.messages.clear();
  }
  platform::LogonScope logon{screentest::logonFor(false)};
};

TEST_F(PerManut, RefusalBlocksTheChangeWithItsMessage) {
  host.server.perManut = "N";
  EXPECT_THROW(frmManutVenda->vd_PerManut(), platform::SilentAbort);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Filial não permite realizar manutenção das vendas.");
  EXPECT_EQ(host.server.calls.back(), "getPerManut(0001)");
  EXPECT_EQ(ui.progressKinds, std::vector<int>{platform::kProgressReceiving});
  EXPECT_EQ(ui.progressDepth, 0);
}

TEST_F(PerManut, YesOrEmptyLetsTheChangePass) {
  for (const char* answer : {"S", ""}) {
    host.server.perManut = answer;
    EXPECT_NO_THROW(frmManutVenda->vd_PerManut()) << answer;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PerManut, ServerFailureAbortsAndClosesTheAnimation) {
  host.server.failCalls = true;
  EXPECT_THROW(frmManutVenda->vd_PerManut(), platform::SilentAbort);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "Servidor fora do ar.");
  EXPECT_EQ(ui.progressDepth, 0);
}

}  // namespace
