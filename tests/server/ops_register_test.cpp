// Register openings saved from the screen and the closing of a register's
// day: the server's refusals, concurrency, atomicity and the closing
// verdicts on the demo's days.

#include <gtest/gtest.h>

#include "platform/datetime.h"
#include "server/dayfigures.h"
#include "server/frame_queries.h"
#include "tests/server/frame_fixture.h"

using namespace platform;
using namespace server;
using frametest::Changes;

namespace {

const char* const kOp1 = "000000000001";
const char* const kApproved =
    "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, "
    "pois a Redução Z deste dia está com status de Aprovada.";

class RegisterWrites : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    demo_ = frametest::freshDemo(GetParam());
  }
  soci::session& s() { return demo_.conn->session(); }

  DataPacket openings(const std::string& filial, const std::string& caixa, DateTime day) {
    return srv_.packet(s(), "GetAberCaixa", {filial, caixa, day});
  }
  // A new opening as the screen fills it: opening at the given time, the
  // movement date its day, the operator opening it.
  Changes newOpening(const std::string& filial, const std::string& caixa, DateTime opened) {
    return {{"CDFILIAL", filial},
            {"CDCAIXA", caixa},
            {"DTABERCAIX", opened},
            {"DTMOVTURCAIX", dateOf(opened)},
            {"CDOPERADOR", kOp1},
            {"CDOPERABER", kOp1},
            {"NMOPERADOR", "Ana Paula Ferraz"},
            {"CAIXA", "(exibição)"}};
  }
  RemoteResult save(const DataPacket& delta) { return srv_.call(s(), "SetAberCaixa", {delta}); }
  RemoteResult insert(const Changes& c) {
    DataPacket d = frametest::deltaOf(aberCaixaFields());
    frametest::addInsert(d, c);
    return save(d);
  }
  RemoteResult modify(const PacketRow& read, const Changes& c) {
    DataPacket d = frametest::deltaOf(aberCaixaFields());
    frametest::addModify(d, read, c);
    return save(d);
  }
  RemoteResult remove(const PacketRow& read) {
    DataPacket d = frametest::deltaOf(aberCaixaFields());
    frametest::addDelete(d, read);
    return save(d);
  }
  double count(const std::string& sql, const SqlParams& p = {}) { return frametest::number(s(), sql, p); }

  frametest::FrameServer srv_;
  frametest::DemoDb demo_;
};

void expectRefused(const RemoteResult& r, const std::string& text) {
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, text);
}

TEST_P(RegisterWrites, NewOpeningsAndWhatTheServerRefuses) {
  const DateTime next = encodeDate(2026, 3, 7);
  ASSERT_TRUE(insert(newOpening("0001", "001", DateTime(next.days + 0.25))).ok);
  const DataPacket stored = openings("0001", "001", next);
  ASSERT_EQ(stored.rows.size(), 1u);
  EXPECT_EQ(stored.rows[0].values[stored.fieldIndex("NMOPERADOR")].text(), "Ana Paula Ferraz");
  EXPECT_TRUE(stored.rows[0].values[stored.fieldIndex("DTFECHCAIX")].isNull());
  expectRefused(insert(newOpening("0001", "001", DateTime(next.days + 0.5))),
                "Operação bloqueada. Já existe caixa aberto para esta filial, caixa e data.");

  // On a closed day a second shift is allowed, but not a duplicate moment.
  const DateTime closedDay = encodeDate(2026, 3, 5);
  auto at = [&](int h, int m) { return encodeDateTime(2026, 3, 5, h, m, 0); };
  auto with = [&](Changes c, const std::string& f, Value v) {
    c.emplace_back(f, v);  // a later value of a field wins
    return c;
  };
  const Changes shift = newOpening("0001", "001", at(23, 0));
  const std::vector<std::pair<Changes, std::string>> refusals = {
      {newOpening("0001", "001", at(6, 0)), "Data de abertura já cadastrada."},
      {with(shift, "DTMOVTURCAIX", encodeDate(2026, 3, 4)), "Data de abertura deve ser igual a data de movimento."},
      {with(shift, "DTFECHCAIX", at(23, 30)), "Uma abertura de caixa só é fechada pelo fechamento do caixa."},
      {with(shift, "CDOPERABER", ""), "Operador deve ser informado."},
      {with(shift, "CDOPERABER", "000000000077"), "Operador não cadastrado."},
      {newOpening("0001", "001", encodeDateTime(2026, 3, 2, 23, 0, 0)), kApproved},
  };
  for (const auto& [changes, text] : refusals) expectRefused(insert(changes), text);
  EXPECT_EQ(openings("0001", "001", closedDay).rows.size(), 1u);
  EXPECT_TRUE(insert(shift).ok);
  EXPECT_EQ(openings("0001", "001", closedDay).rows.size(), 2u);

  sqlExecute(s(), "UPDATE PARAMVENDA SET IDPERMANUTVEN = 'N' WHERE CDFILIAL = '0002'");
  expectRefused(insert(newOpening("0002", "001", DateTime(next.days + 0.25))),
                "Filial não permite realizar manutenção das vendas.");
}

TEST_P(RegisterWrites, CorrectingAnOpenOpeningCarriesItsSales) {
  const DateTime day = frametest::openDay();
  const PacketRow read = openings("0001", "001", day).rows.at(0);
  const DateTime was = read.values[3].dateTime();
  const double sales = count(
      "SELECT COUNT(*) AS N FROM VENDA WHERE DTABERTUR = :A AND "
      "CDFILIALTUR = '0001' AND CDCAIXATUR = '001'",
      {{"A", was}});
  ASSERT_GT(sales, 0);

  // Someone else changed the operator after this screen read the row.
  sqlExecute(s(),
             "UPDATE TURCAIXA SET CDOPERABER = '000000000003' WHERE CDFILIAL = '0001' AND "
             "CDCAIXA = '001' AND DTABERCAIX = :A",
             {{"A", was}});
  const RemoteResult stale = modify(read, {{"CDOPERABER", "000000000002"}});
  EXPECT_FALSE(stale.ok);
  EXPECT_NE(stale.error.find("foi alterado por outro usuário"), std::string::npos) << stale.error;

  const PacketRow fresh = openings("0001", "001", day).rows.at(0);
  const DateTime later = DateTime(day.days + 7.5 / 24);
  ASSERT_TRUE(modify(fresh, {{"DTABERCAIX", later}, {"CDOPERABER", "000000000002"}}).ok);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM VENDA WHERE DTABERTUR = :A AND CDFILIALTUR = '0001' "
                  "AND CDCAIXATUR = '001'",
                  {{"A", later}}),
            sales);
  const PacketRow moved = openings("0001", "001", day).rows.at(0);
  EXPECT_EQ(moved.values[3].dateTime(), later);
  EXPECT_EQ(moved.values.back().text(), "000000000002");

  const DateTime tomorrow = DateTime(day.days + 1);
  expectRefused(modify(moved, {{"DTABERCAIX", DateTime(tomorrow.days + 0.25)}, {"DTMOVTURCAIX", tomorrow}}),
                "A abertura de caixa possui vendas ou movimentos; sua data de movimento não pode "
                "ser alterada.");
  expectRefused(modify(moved, {{"DTFECHCAIX", DateTime(day.days + 0.9)}}),
                "Uma abertura de caixa só é fechada pelo fechamento do caixa.");
  const PacketRow closed = openings("0001", "001", encodeDate(2026, 3, 5)).rows.at(0);
  expectRefused(modify(closed, {{"CDOPERABER", "000000000002"}}), "Operação Bloqueada! Caixa fechado.");

  // Branch 0002 accepts movements at most two days before its processing date.
  sqlExecute(s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = NULL, CDOPEFECHA = NULL WHERE CDFILIAL = "
             "'0002' AND CDCAIXA = '001' AND DTMOVTURCAIX < :D",
             {{"D", encodeDate(2026, 3, 3)}});
  const PacketRow old = openings("0002", "001", encodeDate(2026, 3, 2)).rows.at(0);
  expectRefused(modify(old, {{"CDOPERABER", "000000000002"}}),
                "Operação não permitida. A data de movimento não se enquadra nos parâmetros "
                "definidos para a data de processamento.");
}

TEST_P(RegisterWrites, OnlyOpeningsWithoutSalesOrMovementsAreDeleted) {
  const DataPacket busy = openings("0001", "002", frametest::openDay());
  expectRefused(remove(busy.rows.at(0)), "A abertura de caixa possui vendas ou movimentos e não pode ser excluída.");
  const DateTime next = encodeDate(2026, 3, 7);
  ASSERT_TRUE(insert(newOpening("0001", "002", DateTime(next.days + 0.25))).ok);
  sqlExecute(s(), "UPDATE TURCAIXA SET DTFECHCAIX = :X WHERE DTMOVTURCAIX = :D",
             {{"X", DateTime(next.days + 0.5)}, {"D", next}});
  // A closed opening without sales may go; the day's approval would block it.
  ASSERT_TRUE(remove(openings("0001", "002", next).rows.at(0)).ok);
  EXPECT_TRUE(openings("0001", "002", next).rows.empty());
}

TEST_P(RegisterWrites, ADeltaIsSavedWholeOrNotAtAll) {
  const DateTime next = encodeDate(2026, 3, 7);
  DataPacket d = frametest::deltaOf(aberCaixaFields());
  frametest::addInsert(d, newOpening("0001", "003", DateTime(next.days + 0.25)));
  frametest::addInsert(d, newOpening("0001", "003", DateTime(next.days + 0.30)));
  expectRefused(save(d), "Operação bloqueada. Já existe caixa aberto para esta filial, caixa e data.");
  EXPECT_TRUE(openings("0001", "003", next).rows.empty());
  EXPECT_TRUE(srv_.call(s(), "SetAberCaixa", {Value()}).ok);  // nothing to save
}

// Every closed demo day agrees with its Z reductions: reopened, each closes
// again with "OK", recording the closing operator; the approved day stays
// locked.
TEST_P(RegisterWrites, EveryDemoDayClosesAgainstItsZReductions) {
  const DataPacket closed = sqlSelect(
      s(),
      "SELECT CDFILIAL, CDCAIXA, DTABERCAIX FROM TURCAIXA WHERE DTFECHCAIX IS NOT NULL "
      "ORDER BY 1, 2, 3",
      {}, {{"CDFILIAL", FieldType::String, 4}, {"CDCAIXA", FieldType::String, 3}, {"DTABERCAIX", FieldType::DateTime}});
  ASSERT_GE(closed.rows.size(), 28u);
  sqlExecute(s(), "UPDATE TURCAIXA SET DTFECHCAIX = NULL, CDOPEFECHA = NULL");
  int approved = 0;
  for (const PacketRow& r : closed.rows) {
    const auto& k = r.values;
    const RemoteResult res = srv_.call(s(), "SetFechaCaixa", {k[0], k[1], k[2]}, "000000000099");
    if (!res.ok) {
      EXPECT_EQ(res.error, kApproved) << k[0].text() << "/" << k[1].text();
      ++approved;
      continue;
    }
    EXPECT_EQ(res.value, Value("OK")) << k[0].text() << "/" << k[1].text() << " " << formatDateTime(k[2].dateTime());
  }
  EXPECT_EQ(approved, 1);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM TURCAIXA WHERE CDOPEFECHA = '000000000099' AND "
                  "DTFECHCAIX >= DTABERCAIX"),
            static_cast<double>(closed.rows.size() - 1));
  const auto& last = closed.rows.back().values;
  expectRefused(srv_.call(s(), "SetFechaCaixa", {last[0], last[1], last[2]}), "Operação Bloqueada! Caixa fechado.");
  expectRefused(srv_.call(s(), "SetFechaCaixa", {"0001", "001", encodeDate(2026, 3, 9)}),
                "Abertura de caixa não encontrada.");
}

// The open day has no Z reduction yet; a closed day whose figures are
// spoiled one at a time answers the first failing verdict and stays open.
TEST_P(RegisterWrites, ClosingVerdictsFromTheStoredFigures) {
  expectRefused(srv_.call(s(), "SetFechaCaixa", {"0001", "003", frametest::lastOpening(s(), "0001", "003")}),
                "Redução Z deve ser informada.");
  const DateTime day = encodeDate(2026, 3, 5);
  const std::string nr = sqlSelect(s(),
                                   "SELECT MIN(NRSEQVENDA) AS N FROM VENDA WHERE CDFILIAL = '0001' AND "
                                   "CDCAIXA = '003' AND DTENTRVENDA = :D AND IDSITUVENDA = 'O'",
                                   {{"D", day}}, {{"N", FieldType::String, 10}})
                             .rows.at(0)
                             .values[0]
                             .text();
  const SqlParams key = {{"D", day}, {"N", nr}};
  sqlExecute(s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = NULL, CDOPEFECHA = NULL WHERE CDFILIAL = "
             "'0001' AND CDCAIXA = '003' AND DTMOVTURCAIX = :D",
             key);
  const DateTime opened = openings("0001", "003", day).rows.at(0).values[3].dateTime();
  const std::string z = " WHERE CDFILIAL = '0001' AND CDCAIXA = '003' AND DTREDUCAOZ = :D";
  const std::string sale = " WHERE CDFILIAL = '0001' AND CDCAIXA = '003' AND NRSEQVENDA = :N";
  auto plusCent = [&](const std::string& table, const std::string& column,
                      const std::string& where = "") -> std::pair<std::string, std::string> {
    const std::string set = "UPDATE " + table + " SET " + column + " = " + column;
    return {set + " + 0.01" + z + where, set + " - 0.01" + z + where};
  };
  const auto net = plusCent("REDUCAOZ", "VRVENLIQREDZ");
  struct Case {
    std::vector<std::pair<std::string, std::string>> spoils;  // statement, its undoing
    std::string verdict;
  };
  const std::vector<Case> cases = {
      {{net}, "VENDALIQERRADA"},
      {{plusCent("REDUCAOZ", "VRTOTCANREDZ")}, "VENDACANCERRADA"},
      {{plusCent("IMPOSTOREDZ", "VRBCALCIMPRZ", " AND CDIMPOSTO = '01'")}, "ICMSERRADA"},
      {{plusCent("REDUCAOZ", "VRNINCIDREDZ")}, "NINCIDERRADA"},
      {{plusCent("REDUCAOZ", "VRISENCREDZ")}, "ISENTOERRADA"},
      {{plusCent("REDUCAOZ", "VRSTRIBREDZ")}, "SUBTRERRADA"},
      {{{"UPDATE VENDA SET NRSERIEIMPVND = 'SERIE-OUTRA'" + sale,
         "UPDATE VENDA SET NRSERIEIMPVND = (SELECT NRSERIEREDZ FROM REDUCAOZ" + z + ")" + sale}},
       "VENDASERIEERRADASERIE-OUTRA"},
      // Several faults: the first in the verdicts' order wins.
      {{net, {"UPDATE VENDA SET IDSITUVENDA = 'P'" + sale, "UPDATE VENDA SET IDSITUVENDA = 'O'" + sale}},
       "VENDASPENDENTES"},
  };
  for (const Case& c : cases) {
    for (const auto& spoil : c.spoils) sqlExecute(s(), spoil.first, key);
    EXPECT_EQ(srv_.value(s(), "SetFechaCaixa", {"0001", "003", opened}).asText(), c.verdict);
    EXPECT_TRUE(openings("0001", "003", day).rows.at(0).values[0].isNull()) << c.verdict;
    for (const auto& spoil : c.spoils) sqlExecute(s(), spoil.second, key);
  }
  EXPECT_EQ(srv_.value(s(), "SetFechaCaixa", {"0001", "003", opened}).asText(), "OK");
  EXPECT_FALSE(openings("0001", "003", day).rows.at(0).values[0].isNull());
}

// The verdict order on figures the demo cannot produce: Z columns that do
// not add up to its own net sale, and the first unmatched series in text
// order.
TEST(ClosingVerdict, ZColumnsAndSeries) {
  DaySales sales;
  sales.net = 1000;
  sales.taxes = {600, 200, 100, 100};
  sales.series = {"B-2", "A-1"};
  DayReductions z;
  z.count = 1;
  z.net = 1000;
  z.taxes = sales.taxes;
  z.series = {"A-1", "B-2"};
  EXPECT_EQ(closingVerdict(sales, z), "OK");
  sales.series.insert("C-3");
  sales.series.insert("0-0");
  EXPECT_EQ(closingVerdict(sales, z), "VENDASERIEERRADA0-0");
  sales.taxes.icms = z.taxes.icms = 500;  // both sides leave 100 unclassified
  EXPECT_EQ(closingVerdict(sales, z), "IMPOSTODIF");
  z.net = sales.net = 900;
  z.cancelled = 1;
  EXPECT_EQ(closingVerdict(sales, z), "VENDACANCERRADA");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegisterWrites, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
