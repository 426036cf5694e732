// The day check on the demo's days: clean where the closing answers "OK",
// and every problem of a spoiled day listed at once with its figures.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "platform/datetime.h"
#include "server/dayfigures.h"
#include "server/daycheck.h"
#include "tests/server/frame_fixture.h"

using namespace platform;
using namespace server;

namespace {

class DayCheck : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    demo_ = frametest::freshDemo(GetParam());
    registerDayCheckOperations(registry_);
  }
  soci::session& s() { return demo_.conn->session(); }

  DataPacket check(const std::string& filial, const std::string& caixa, DateTime day) {
    std::vector<Value> args{filial, caixa, day};
    OperationContext ctx{s(), "000000000001", "Ana Paula Ferraz"};
    const RemoteResult r = registry_.call("GetConfereCaixa", args, ctx);
    EXPECT_TRUE(r.ok) << r.error;
    return r.value.isPacket() ? r.value.packet() : DataPacket{};
  }
  std::string text(const std::string& sql, const SqlParams& p = {}) {
    return sqlSelect(s(), sql, p, {{"N", FieldType::String, 30}}).rows.at(0).values[0].asText();
  }

  frametest::DemoDb demo_;
  OperationRegistry registry_;
};

// A line of the answer by check and detail, as name -> display value.
struct Line {
  bool found = false;
  std::map<std::string, Value> v;
};
Line lineOf(const DataPacket& p, const std::string& check, const std::string& detail = "") {
  for (const PacketRow& r : p.rows) {
    if (r.values[0].asText() != check || r.values[1].asText() != detail) continue;
    Line l{true, {}};
    for (size_t i = 0; i < p.fields.size(); ++i) l.v[p.fields[i].name] = r.values[i];
    return l;
  }
  return {};
}

// Every closed demo day checks clean: the day check and the closing read
// the same figures, and the demo's printers continue from day to day.
TEST_P(DayCheck, EveryClosedDemoDayChecksClean) {
  const DataPacket days = sqlSelect(
      s(), "SELECT DISTINCT CDFILIAL, CDCAIXA, DTREDUCAOZ FROM REDUCAOZ ORDER BY 1, 2, 3", {},
      {{"CDFILIAL", FieldType::String, 4}, {"CDCAIXA", FieldType::String, 3}, {"DTREDUCAOZ", FieldType::DateTime}});
  ASSERT_GE(days.rows.size(), 28u);
  int continued = 0;
  for (const PacketRow& d : days.rows) {
    const DataPacket p = check(d.values[0].asText(), d.values[1].asText(), d.values[2].asDateTime());
    for (const PacketRow& r : p.rows) {
      EXPECT_EQ(r.values[2].asText(), "S")
          << d.values[0].asText() << "/" << d.values[1].asText() << " " << formatDate(d.values[2].asDateTime()) << ": "
          << r.values[0].asText() << " " << r.values[1].asText();
      if (r.values[0].asText() == "CONTREDUCAO") ++continued;
    }
  }
  EXPECT_GE(continued, 20);
}

// One day spoiled in six ways at once: each problem has its line with the
// right figures and target, and nothing is changed by looking.
TEST_P(DayCheck, ListsEveryProblemOfTheDayWithItsFigures) {
  const DateTime day = encodeDate(2026, 3, 5);
  const SqlParams d = {{"D", day}};
  const std::string ofDay = " WHERE CDFILIAL = '0001' AND CDCAIXA = '003' AND DTENTRVENDA = :D";
  const std::string z = " WHERE CDFILIAL = '0001' AND CDCAIXA = '003' AND DTREDUCAOZ = :D";
  const std::string pending = text("SELECT MIN(NRSEQVENDA) AS N FROM VENDA" + ofDay + " AND IDSITUVENDA = 'O'", d);
  const std::string paid = text("SELECT MAX(NRSEQVENDA) AS N FROM VENDA" + ofDay +
                                    " AND IDSITUVENDA = 'O' AND EXISTS (SELECT 1 FROM MOVCAIXA M WHERE "
                                    "M.CDFILIAL = VENDA.CDFILIAL AND M.CDCAIXA = VENDA.CDCAIXA AND "
                                    "M.NRSEQVENDA = VENDA.NRSEQVENDA)",
                                d);
  const std::string receipt =
      text("SELECT MIN(NRSEQUMOVI) AS N FROM MOVCAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = '003' AND NRSEQVENDA = :N",
           {{"N", paid}});
  const std::string type = text(
      "SELECT CDTIPORECE AS N FROM MOVCAIXA WHERE CDFILIAL = '0001' AND CDCAIXA = '003' "
      "AND NRSEQUMOVI = :M",
      {{"M", receipt}});
  const std::string ecf = text("SELECT NRECFREDZ AS N FROM REDUCAOZ" + z, d);
  const std::string reduction = text("SELECT NRREDREDZ AS N FROM REDUCAOZ" + z, d);
  const DataPacket before = check("0001", "003", day);

  sqlExecute(s(), "UPDATE REDUCAOZ SET VRVENLIQREDZ = VRVENLIQREDZ + 0.01, NRREDREDZ = '0000009999'" + z, d);
  sqlExecute(s(), "UPDATE VENDA SET IDSITUVENDA = 'P' WHERE CDFILIAL = '0001' AND CDCAIXA = '003' AND NRSEQVENDA = :N",
             {{"N", pending}});
  sqlExecute(s(),
             "UPDATE MOVCAIXA SET VRMOVIVEND = VRMOVIVEND + 1 WHERE CDFILIAL = '0001' AND CDCAIXA = '003' "
             "AND NRSEQUMOVI = :M",
             {{"M", receipt}});
  sqlExecute(s(),
             "UPDATE VENDA SET NRSERIEIMPVND = 'SERIE-OUTRA' WHERE CDFILIAL = '0001' AND CDCAIXA = '003' "
             "AND NRSEQVENDA = :N",
             {{"N", paid}});
  const DataPacket p = check("0001", "003", day);

  Line pend = lineOf(p, "PENDENTE", pending);
  ASSERT_TRUE(pend.found);
  EXPECT_EQ(pend.v["NRSEQVENDA"], Value(pending));
  EXPECT_FALSE(pend.v["DTABERTUR"].isNull());
  EXPECT_EQ(lineOf(p, "VENDASPENDENTES").v["VRENCONTRADO"], Value(1.0));

  Line unpaid = lineOf(p, "RECEBVENDA", paid);
  ASSERT_TRUE(unpaid.found);
  EXPECT_NEAR(unpaid.v["VRENCONTRADO"].asNumber() - unpaid.v["VRESPERADO"].asNumber(), 1.0, 1e-9);
  EXPECT_NEAR(unpaid.v["VRDIFERENCA"].asNumber(), 1.0, 1e-9);
  EXPECT_EQ(unpaid.v["NRSEQVENDA"], Value(paid));

  // The pending sale left the net sale; the Z gained a cent.
  Line net = lineOf(p, "VENDALIQERRADA");
  EXPECT_EQ(net.v["IDCONFERE"], Value("N"));
  EXPECT_EQ(net.v["IDPAGINAZ"], Value("F"));
  EXPECT_EQ(net.v["NRECFREDZ"], Value(ecf));
  Line netBefore = lineOf(before, "VENDALIQERRADA");
  EXPECT_NEAR(net.v["VRENCONTRADO"].asNumber(), netBefore.v["VRENCONTRADO"].asNumber() + 0.01, 1e-9);
  EXPECT_LT(net.v["VRESPERADO"].asNumber(), netBefore.v["VRESPERADO"].asNumber());

  Line form = lineOf(p, "FORMAPAG", type);
  EXPECT_EQ(form.v["IDCONFERE"], Value("N"));
  EXPECT_EQ(form.v["IDPAGINAZ"], Value("P"));

  EXPECT_EQ(lineOf(p, "VENDASERIEERRADA", "SERIE-OUTRA").v["IDCONFERE"], Value("N"));

  Line counter = lineOf(p, "CONTREDUCAO", ecf);
  EXPECT_EQ(counter.v["IDCONFERE"], Value("N"));
  EXPECT_EQ(counter.v["VRESPERADO"], Value(std::stod(reduction)));
  EXPECT_EQ(counter.v["VRENCONTRADO"], Value(9999.0));
  EXPECT_EQ(lineOf(p, "CONTGT", ecf).v["IDCONFERE"], Value("S"));

  // The ICMS by rate still agrees: the pending sale's ICMS items left both
  // the ICMS line and their rates' lines by the same amounts.
  long long icmsRates = 0;
  for (const PacketRow& r : p.rows)
    if (r.values[0].asText() == "ALIQUOTA") icmsRates += std::llround(r.values[4].asNumber() * 100);
  EXPECT_EQ(icmsRates, std::llround(lineOf(p, "ICMSERRADA").v["VRESPERADO"].asNumber() * 100));

  // Looking changed nothing; the closing still answers its first verdict.
  EXPECT_EQ(text("SELECT NRREDREDZ AS N FROM REDUCAOZ" + z, d), "0000009999");
  EXPECT_EQ(p.rows.size(), check("0001", "003", day).rows.size());
}

// Sales and items are matched with their fiscal taxes by number: a sale
// numbered with digits and one whose number is not all digits (as an
// import may write) count alike, in the net sale, the ICMS column and their
// own totals.
TEST_P(DayCheck, SaleNumbersOfAnyShapeCountAlike) {
  const DateTime day = encodeDate(2026, 3, 5);
  const DateTime opening = frametest::lastOpening(s(), "0001", "003");
  const std::string icms = text("SELECT MIN(CDIMPOSTO) AS N FROM IMPOSTO WHERE IDTIPOIMPOS = 'T'");
  DaySales before = daySales(s(), "0001", "003", day);
  for (const char* nr : {"0000099991", "IMP-7"}) {
    frametest::insertSale(s(), "0001", "003", nr, opening, "O", day);
    frametest::insertItems(s(), "0001", "003", nr, {{2, 10, 0, 0, 0}});
    sqlExecute(s(),
               "INSERT INTO ITVENDAIMPOS (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, NRSEQITIMPOS, CDIMPOSTO, "
               "VRPEALPRODIT, VRIMPOPRODIT) VALUES ('0001', '003', :N, '001', '001', :T, 18, 3.6)",
               {{"N", nr}, {"T", icms}});
  }
  DaySales after = daySales(s(), "0001", "003", day);
  EXPECT_EQ(after.net - before.net, 4000);
  EXPECT_EQ(after.taxes.icms - before.taxes.icms, 4000);
  EXPECT_EQ((after.icmsByRate[{icms, 1800}] - before.icmsByRate[{icms, 1800}]), 4000);
  int found = 0;
  for (const DaySale& sale : after.concludedSales)
    if (sale.number == "0000099991" || sale.number == "IMP-7") {
      EXPECT_EQ(sale.total, 2000) << sale.number;
      ++found;
    }
  EXPECT_EQ(found, 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, DayCheck, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
