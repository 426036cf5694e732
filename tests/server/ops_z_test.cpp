#include "server/ops_zreduction.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "server/demodata.h"
#include "server/queries.h"
#include "server/zreduction_save.h"
#include "tests/testdb.h"

using namespace platform;
using namespace server;

namespace {

// The demo's register 0001/001: its reduction of 02/03/2026 is approved, the
// days up to 05/03 are closed with a Z reduction, 06/03 is open without one.
const std::string kBranch = "0001", kReg = "001", kEcf = "001";
DateTime day(int d) { return encodeDate(2026, 3, d); }

using Row = std::map<std::string, Value>;

class Server {
 public:
  explicit Server(const std::string& backend) : db_(backend) {
    createDemoDatabase(db_.connectionString());
    conn_ = db_.connect();
    registerZOperations(registry_);
  }
  soci::session& s() { return conn_->session(); }

  RemoteResult call(const std::string& op, std::vector<Value> args) {
    OperationContext ctx{s(), "000000000002", "Bruno Cardoso"};
    return registry_.call(op, args, ctx);
  }
  Value ok(const std::string& op, std::vector<Value> args) {
    const RemoteResult r = call(op, std::move(args));
    EXPECT_TRUE(r.ok) << op << ": " << r.error;
    return r.value;
  }
  double number(const std::string& sql, const SqlParams& params = {}) {
    const DataPacket p = sqlSelect(s(), sql, params, {{"N", FieldType::Float}});
    return p.rows.empty() ? 0 : p.rows[0].values[0].asNumber();
  }
  DataPacket sub(const std::string& op, int d, const std::string& reg = kReg) {
    return ok(op, {kBranch, reg, day(d), kEcf}).packet();
  }
  DataPacket reducao(int d, const std::string& reg = kReg) {
    return ok("GetReducaoZ", {kBranch, reg, day(d)}).packet();
  }

 private:
  testdb::Database db_;
  std::unique_ptr<SqlConnection> conn_;
  OperationRegistry registry_;
};

// --- building change logs as the screen sends them ---------------------------

DataPacket delta(const std::vector<FieldDef>& fields, std::vector<PacketRow> rows) {
  DataPacket d;
  d.fields = fields;
  d.delta = true;
  d.rows = std::move(rows);
  return d;
}
PacketRow inserted(const std::vector<FieldDef>& fields, const Row& values) {
  PacketRow r{RowKind::Insert, std::vector<Value>(fields.size()), {}};
  for (size_t i = 0; i < fields.size(); ++i)
    if (auto it = values.find(fields[i].name); it != values.end()) r.values[i] = it->second;
  return r;
}
PacketRow modified(const DataPacket& read, size_t row, const Row& changes) {
  PacketRow r{RowKind::Modify, read.rows[row].values, read.rows[row].values};
  for (const auto& [name, v] : changes) r.values[static_cast<size_t>(read.fieldIndex(name))] = v;
  return r;
}
PacketRow deleted(const DataPacket& read, size_t row) {
  return {RowKind::Delete, read.rows[row].values, read.rows[row].values};
}
Value deltaValue(const DataPacket& read, std::vector<PacketRow> rows) { return delta(read.fields, std::move(rows)); }

// A valid new Z reduction of 0001/001 on the open day.
Row newRecord() {
  return {{"CDFILIAL", kBranch},
          {"CDCAIXA", kReg},
          {"NRECFREDZ", kEcf},
          {"DTREDUCAOZ", day(6)},
          {"NRREINIREDZ", "0000000001"},
          {"NRREDREDZ", "0000000999"},
          {"NRPRIMCFREDZ", "0000001000"},
          {"NRULTCFREDZ", "0000001010"},
          {"VRGTREDZ", 500000.0},
          {"VRVENBRUREDZ", 110.0},
          {"VRTOTCANREDZ", 10.0},
          {"VRTOTDESREDZ", 5.0},
          {"VRVENLIQREDZ", 95.0},
          {"VRSTRIBREDZ", 10.0},
          {"VRISENCREDZ", 0.0},
          {"VRNINCIDREDZ", 0.0},
          {"IDORIGEMREDZ", "VND"},
          {"NRSERIEREDZ", "SERIE-TESTE"},
          {"CDOPERADOR", "000000000001"},
          {"DSMODMARCAECF", "Fiscalis FX-4000"}};
}
Row keyOn(int d) { return {{"CDFILIAL", kBranch}, {"CDCAIXA", kReg}, {"NRECFREDZ", kEcf}, {"DTREDUCAOZ", day(d)}}; }
Row with(Row r, const Row& more) {
  for (const auto& [k, v] : more) r[k] = v;
  return r;
}

// A tax of the ICMS class, by code and abbreviation.
std::pair<std::string, std::string> icmsTax(Server& srv) {
  const DataPacket p = sqlSelect(srv.s(),
                                 "SELECT CDIMPOSTO, SGIMPOSTO FROM IMPOSTO WHERE IDTIPOIMPOS = 'T' "
                                 "ORDER BY CDIMPOSTO",
                                 {});
  return {p.rows.at(0).values[0].asText(), p.rows.at(0).values[1].asText()};
}

// The reading tests share one demo database per backend; it is dropped
// before the process's exit handlers shut down what a PostgreSQL connection
// needs.
std::map<std::string, std::unique_ptr<Server>> sharedServers;
class DropSharedServers : public ::testing::Environment {
 public:
  void TearDown() override { sharedServers.clear(); }
};
const auto* const kDropShared = ::testing::AddGlobalTestEnvironment(new DropSharedServers);

class ZRead : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { VND_SKIP_UNAVAILABLE(GetParam()); }
  Server& srv() {
    std::unique_ptr<Server>& s = sharedServers[GetParam()];
    if (!s) s = std::make_unique<Server>(GetParam());
    return *s;
  }
};

// Each writing test gets a demo database of its own.
class ZOps : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    VND_SKIP_UNAVAILABLE(GetParam());
    srv_ = std::make_unique<Server>(GetParam());
  }
  Server& srv() { return *srv_; }
  // Inserts the valid new record of the open day.
  void insertRecord() {
    const DataPacket fields = srv().reducao(6);
    srv().ok("SetReducaoZ", {deltaValue(fields, {inserted(fields.fields, newRecord())})});
  }
  std::unique_ptr<Server> srv_;
};

std::vector<std::string> names(const DataPacket& p) {
  std::vector<std::string> out;
  for (const FieldDef& f : p.fields) out.push_back(f.name);
  return out;
}

// --- reading ----------------------------------------------------------------------

TEST_P(ZRead, ReadsTheDaysReductionsAndSubTablesAsTheRecordSetsDeclareThem) {
  const DataPacket z = srv().reducao(3);
  ASSERT_EQ(z.rows.size(), 1u);
  EXPECT_EQ(z.fields.size(), 29u);
  EXPECT_EQ(z.fields[3], (FieldDef{"DTREDUCAOZ", FieldType::DateTime, 0}));
  EXPECT_EQ(z.fields[25], (FieldDef{"NRSERIEREDZ", FieldType::String, 30}));
  EXPECT_EQ(z.fields.back().name, "DSMODMARCAECF");
  EXPECT_EQ(z.fieldIndex("VRGTREDZINI"), -1);  // calculated on the screen
  // A time of day in the date makes no difference.
  EXPECT_EQ(srv().ok("GetReducaoZ", {kBranch, kReg, DateTime(day(3).days + 0.6)}).packet(), z);
  EXPECT_TRUE(srv().reducao(6).rows.empty());

  const std::vector<std::pair<std::string, std::vector<std::string>>> subs = {
      {"GetImposto",
       {"CDFILIAL", "CDCAIXA", "DTREDUCAOZ", "SGIMPOSTO", "VRALIQIMPRZ", "VRBCALCIMPRZ", "VRIMPOSTORZ", "NRECFREDZ",
        "CDIMPOSTO"}},
      {"GetTotaliz",
       {"CDFILIAL", "CDCAIXA", "DTREDUCAOZ", "NRTOTNFISCRZ", "DSTOTNFISCRZ", "NRCONTOTNFIS", "VRACUTOTNFIS",
        "NRECFREDZ"}},
      {"GetFormaPag",
       {"CDFILIAL", "CDCAIXA", "DTREDUCAOZ", "CDTIPORECE", "VRFORMPGTORZ", "NMTIPORECE", "CDTPRECEORIG", "NMTPORIGEM",
        "NRECFREDZ"}},
      {"GetObservacao",
       {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ", "NRSEQOBSREDZ", "DTOBSERVREDZ", "DSOBSERVREDZ"}}};
  for (const auto& [op, expected] : subs) {
    EXPECT_EQ(names(srv().sub(op, 3)), expected) << op;
    // No current Z reduction: an empty printer number gives the fields only.
    const DataPacket none = srv().ok(op, {kBranch, kReg, day(3), ""}).packet();
    EXPECT_EQ(names(none), expected) << op;
    EXPECT_TRUE(none.rows.empty()) << op;
  }
  const DataPacket taxes = srv().sub("GetImposto", 3);
  ASSERT_FALSE(taxes.rows.empty());
  EXPECT_FALSE(taxes.rows[0].values[3].asText().empty());
  const DataPacket forms = srv().sub("GetFormaPag", 3);
  ASSERT_FALSE(forms.rows.empty());
  for (const PacketRow& r : forms.rows) {
    EXPECT_FALSE(r.values[5].asText().empty());
    EXPECT_EQ(r.values[7].asText(), r.values[5].asText());  // the demo's origin is the type
  }
  EXPECT_EQ(srv().sub("GetTotaliz", 3).rows.size(), 2u);
}

TEST_P(ZRead, ChecksTheScreenAsksBeforePosting) {
  // Closed, open, and a day without any opening.
  EXPECT_EQ(srv().ok("VerifAberCaixa", {kBranch, kReg, day(3)}), Value(true));
  EXPECT_EQ(srv().ok("VerifAberCaixa", {kBranch, kReg, day(6)}), Value(false));
  EXPECT_EQ(srv().ok("VerifAberCaixa", {kBranch, kReg, day(1)}), Value(false));

  // The day's sales total is what the demo's Z reductions declare as net sale,
  // and the grand total to start from is the previous reduction's final one.
  for (const std::string reg : {"001", "002", "003"})
    for (int d = 2; d <= 5; ++d) {
      const DataPacket z = srv().reducao(d, reg);
      ASSERT_EQ(z.rows.size(), 1u);
      const std::vector<Value>& rec = z.rows[0].values;
      std::vector<Value> args = {kBranch, reg, day(d), rec[3], rec[2].asText() + formatDate(day(d)), "N"};
      const Value totals = srv().ok("GetTotais", args);
      ASSERT_EQ(totals.array().size(), 2u);
      EXPECT_NEAR(totals.array()[0].packet().rows.at(0).values[0].asNumber(),
                  rec[z.fieldIndex("VRVENLIQREDZ")].asNumber(), 0.001)
          << reg << " " << d;
      const DataPacket grand = totals.array()[1].packet();
      EXPECT_EQ(grand.fields[0].name, "VALOR");
      if (d == 2 && reg != "003") EXPECT_TRUE(grand.rows.empty());
      // Register 003 has a reduction typed the day before, ending where the
      // first day's starts.
      else if (d == 2)
        EXPECT_NEAR(grand.rows.at(0).values[0].asNumber(),
                    rec[z.fieldIndex("VRGTREDZ")].asNumber() - rec[z.fieldIndex("VRVENBRUREDZ")].asNumber(), 0.001);
      else
        EXPECT_NEAR(grand.rows.at(0).values[0].asNumber(),
                    srv().reducao(d - 1, reg).rows[0].values[z.fieldIndex("VRGTREDZ")].asNumber(), 0.001);
    }
  // No sale current on the screen: the register is found by its printer
  // (field 16 is the net sale).
  const Value byPrinter = srv().ok("GetTotais", {kBranch, "", day(3), day(3), kEcf + formatDate(day(3)), "S"});
  EXPECT_NEAR(byPrinter.array()[0].packet().rows[0].values[0].asNumber(),
              srv().reducao(3).rows[0].values[16].asNumber(), 0.001);
  // A day without sales totals 0.
  EXPECT_EQ(srv().ok("GetTotais", {kBranch, kReg, day(1), day(1), "", "S"}).array()[0].packet().rows[0].values[0],
            Value(0.0));

  // A tax and rate already recorded, and one that is not.
  const DataPacket taxes = srv().sub("GetImposto", 3);
  const Value sigla = taxes.rows[0].values[3], rate = taxes.rows[0].values[4];
  EXPECT_EQ(srv().ok("GetVdImpostoZ", {kBranch, kReg, kEcf, day(3), sigla, rate}).packet().rows.size(), 1u);
  EXPECT_TRUE(
      srv().ok("GetVdImpostoZ", {kBranch, kReg, kEcf, day(3), sigla, rate.asNumber() + 1}).packet().rows.empty());

  // Payment forms against receipts: the demo's forms are exactly the receipts
  // of the day's paid sales, so the other forms of an origin plus the form
  // itself give the receipts of that type.
  const DataPacket forms = srv().sub("GetFormaPag", 3);
  for (const PacketRow& f : forms.rows) {
    const Value a = srv().ok("VdFormPgtoZ", {kBranch, kReg, f.values[3], day(3), f.values[6]});
    const double receipts = a.array()[0].packet().rows[0].values[0].asNumber();
    const double others = a.array()[1].packet().rows[0].values[0].asNumber();
    EXPECT_NEAR(others + f.values[4].asNumber(), receipts, 0.001) << f.values[3].asText();
  }
  const Value noOrigin = srv().ok("VdFormPgtoZ", {kBranch, kReg, "001", day(3), ""});
  EXPECT_EQ(noOrigin.array()[0].packet().rows[0].values[0], Value(0.0));

  // Observation numbers: the highest so far, "0" without any.
  const double withObs = srv().number(
      "SELECT COUNT(*) AS N FROM OBSREDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C AND "
      "DTREDUCAOZ = :D",
      {{"F", kBranch}, {"C", kReg}, {"D", day(3)}});
  const DataPacket next = srv().ok("GetProxCod", {kBranch, kReg, kEcf, day(3)}).packet();
  EXPECT_EQ(next.fields, (std::vector<FieldDef>{{"NRSEQOBSREDZ", FieldType::String, 4}}));
  EXPECT_EQ(next.rows.at(0).values[0], Value(withObs ? "1" : "0"));
  EXPECT_EQ(srv().ok("GetProxCod", {kBranch, kReg, kEcf, day(6)}).packet().rows.at(0).values[0], Value("0"));
}

TEST_P(ZRead, ProposesThePrinterAndTheNextReductionCounter) {
  const DataPacket ecf = selectCadastroECF(srv().s(), kBranch, kReg);
  EXPECT_EQ(names(ecf), (std::vector<std::string>{"CDFILIAL", "CDCAIXA", "NRSERIE", "NRECF"}));
  ASSERT_EQ(ecf.rows.size(), 1u);
  EXPECT_EQ(ecf.rows[0].values[3], Value(kEcf));
  EXPECT_EQ(ecf.rows[0].values[2], srv().reducao(3).rows[0].values[25]);  // NRSERIEREDZ

  // The counter after the latest earlier reduction's, at width 10.
  const long long last = std::stoll(srv().reducao(5).rows[0].values[5].asText());  // NRREDREDZ
  const DataPacket next = selectReducaoAnt(srv().s(), kBranch, kReg, day(6));
  EXPECT_EQ(next.fields, (std::vector<FieldDef>{{"NRREDREDZ", FieldType::String, 10}}));
  EXPECT_EQ(next.rows.at(0).values[0], Value(Ajusta(std::to_string(last + 1), 10)));
  EXPECT_TRUE(selectReducaoAnt(srv().s(), kBranch, kReg, day(2)).rows.empty());
}

TEST_P(ZRead, RefusesAMalformedChangeLogAndAcceptsAnEmptySave) {
  const DataPacket bad = delta({{"DSOBSERVREDZ", FieldType::String, 200}}, {{RowKind::Insert, {Value("x")}, {}}});
  EXPECT_FALSE(srv().call("GravaVendaReducao", {Value(), Value(), Value(), Value(), bad, "", ""}).ok);
  srv().ok("GravaVendaReducao", {Value(), Value(), Value(), Value(), Value(), "000000000002", "Bruno"});
}

// --- writing ---------------------------------------------------------------------

TEST_P(ZOps, SavesANewReductionWithItsSubTablesInOneCall) {
  const auto [tax, sigla] = icmsTax(srv());
  const DataPacket rec = srv().reducao(6), taxes = srv().sub("GetImposto", 6), tot = srv().sub("GetTotaliz", 6),
                   forms = srv().sub("GetFormaPag", 6), obs = srv().sub("GetObservacao", 6);
  std::vector<Value> args = {
      deltaValue(rec, {inserted(rec.fields, newRecord())}),
      deltaValue(taxes, {inserted(taxes.fields, with(keyOn(6), {{"CDIMPOSTO", ""},
                                                                {"SGIMPOSTO", sigla},
                                                                {"VRALIQIMPRZ", 7.0},
                                                                {"VRBCALCIMPRZ", 0.99},
                                                                {"VRIMPOSTORZ", 99.0}}))}),
      deltaValue(tot, {inserted(tot.fields, with(keyOn(6), {{"NRTOTNFISCRZ", "01"},
                                                            {"DSTOTNFISCRZ", "Sangria"},
                                                            {"NRCONTOTNFIS", "0001"},
                                                            {"VRACUTOTNFIS", 50.0}}))}),
      deltaValue(forms,
                 {inserted(forms.fields,
                           with(keyOn(6), {{"CDTIPORECE", "001"}, {"VRFORMPGTORZ", 95.0}, {"NMTIPORECE", "joined"}}))}),
      deltaValue(
          obs, {inserted(obs.fields,
                         with(keyOn(6), {{"NRSEQOBSREDZ", "0001"}, {"DTOBSERVREDZ", day(7)}, {"DSOBSERVREDZ", " "}}))}),
      "000000000001",
      "Ana Paula Ferraz"};
  srv().ok("GravaVendaReducao", args);

  ASSERT_EQ(srv().reducao(6).rows.size(), 1u);
  const DataPacket t = srv().sub("GetImposto", 6);
  ASSERT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(t.rows[0].values[8], Value(tax));              // found by its abbreviation
  EXPECT_DOUBLE_EQ(t.rows[0].values[6].asNumber(), 0.06);  // 7 % of 0.99, cut to cents
  EXPECT_EQ(srv().sub("GetTotaliz", 6).rows.size(), 1u);
  EXPECT_EQ(srv().sub("GetFormaPag", 6).rows.size(), 1u);
  EXPECT_EQ(srv().ok("GetProxCod", {kBranch, kReg, kEcf, day(6)}).packet().rows[0].values[0], Value("1"));
  // Stamped with the session's operator, whatever the call names.
  EXPECT_EQ(srv().number("SELECT COUNT(*) AS N FROM OBSREDUCAOZ WHERE CDOPERADOR = '000000000002' "
                         "AND DTREDUCAOZ = :D",
                         {{"D", day(6)}}),
            1);
}

TEST_P(ZOps, ApprovedDayTakesNoChangeAtAll) {
  const DataPacket rec = srv().reducao(2), taxes = srv().sub("GetImposto", 2), tot = srv().sub("GetTotaliz", 2),
                   forms = srv().sub("GetFormaPag", 2);
  ASSERT_EQ(rec.rows[0].values[rec.fieldIndex("IDSTATUS")], Value("A"));
  const Value none;
  const std::vector<std::pair<std::string, std::vector<Value>>> attempts = {
      {"SetReducaoZ", {deltaValue(rec, {modified(rec, 0, {{"NRLEITREDZ", "0000000009"}})})}},
      {"SetReducaoZ", {deltaValue(rec, {deleted(rec, 0)})}},
      {"SetImposto", {deltaValue(taxes, {deleted(taxes, 0)}), "", ""}},
      {"SetTotaliz", {deltaValue(tot, {modified(tot, 0, {{"DSTOTNFISCRZ", "Outro"}})}), "", ""}},
      {"SetFormaPag", {deltaValue(forms, {deleted(forms, 0)}), "", ""}},
      {"GravaVendaReducao",
       {none, none, none, none,
        delta(srv().sub("GetObservacao", 2).fields,
              {inserted(srv().sub("GetObservacao", 2).fields,
                        with(keyOn(2), {{"NRSEQOBSREDZ", "0009"}, {"DSOBSERVREDZ", "x"}, {"DTOBSERVREDZ", day(2)}}))}),
        "", ""}},
      // A second printer's reduction on the approved day.
      {"SetReducaoZ",
       {deltaValue(rec, {inserted(rec.fields, with(newRecord(), {{"DTREDUCAOZ", day(2)}, {"NRECFREDZ", "777"}}))})}},
  };
  for (const auto& [op, args] : attempts) {
    const RemoteResult r = srv().call(op, args);
    EXPECT_FALSE(r.ok) << op;
    EXPECT_EQ(r.error, kApprovedText) << op;
  }
  EXPECT_EQ(srv().reducao(2), rec);
  EXPECT_EQ(srv().sub("GetImposto", 2), taxes);
  EXPECT_EQ(srv().sub("GetTotaliz", 2), tot);
  EXPECT_EQ(srv().sub("GetFormaPag", 2), forms);
}

TEST_P(ZOps, ClosedDayKeepsTheFiguresTheClosingVerified) {
  const DataPacket rec = srv().reducao(3), taxes = srv().sub("GetImposto", 3), tot = srv().sub("GetTotaliz", 3);
  for (auto [op, args] : std::vector<std::pair<std::string, std::vector<Value>>>{
           {"SetReducaoZ", {deltaValue(rec, {modified(rec, 0, {{"NRLEITREDZ", "0000000009"}})})}},
           {"SetReducaoZ", {deltaValue(rec, {deleted(rec, 0)})}},
           {"SetImposto", {deltaValue(taxes, {deleted(taxes, 0)}), "", ""}}}) {
    const RemoteResult r = srv().call(op, args);
    EXPECT_EQ(r.error, kClosedText) << op;
  }
  // The totalizers were not part of the closing's verification.
  srv().ok("SetTotaliz", {deltaValue(tot, {modified(tot, 0, {{"DSTOTNFISCRZ", "Sangrias"}})}), "", ""});
  EXPECT_EQ(srv().sub("GetTotaliz", 3).rows[0].values[4], Value("Sangrias"));
}

TEST_P(ZOps, RecordRulesUseTheScreensTexts) {
  const DataPacket rec = srv().reducao(6);
  const std::vector<std::pair<Row, std::string>> cases = {
      {{{"NRECFREDZ", ""}}, "Nº do ECF deve ser informado."},
      {{{"NRULTCFREDZ", " "}}, "Cupom fiscal final deve ser informado."},
      {{{"VRGTREDZ", 109.99}}, "Totalizador Geral (Grande Total Final) deve ser maior que a Venda Bruta."},
      {{{"VRVENLIQREDZ", 95.01}},
       "Valor informado na (Venda Bruta - Cancelamentos - Descontos) deve ser igual ao valor "
       "informado na Venda Líquida."},
      {{{"NRPRIMCFREDZ", "0000001011"}}, "Cupom Fiscal Inicial deve ser menor ou igual ao Cupom Fiscal Final."},
      {{{"VRNINCIDREDZ", Value()}}, "Valor não incidência deve ser informado."},
      {{{"IDSTATUS", "A"}},
       "O status de aprovação da Redução Z é definido fora desta tela e não pode ser alterado aqui."},
  };
  for (const auto& [change, text] : cases) {
    const RemoteResult r =
        srv().call("SetReducaoZ", {deltaValue(rec, {inserted(rec.fields, with(newRecord(), change))})});
    EXPECT_EQ(r.error, text) << change.begin()->first;
  }
  EXPECT_TRUE(srv().reducao(6).rows.empty());
  // Equal grand total and gross sale pass; a surcharge takes no part in the net sale.
  srv().ok("SetReducaoZ",
           {deltaValue(rec, {inserted(rec.fields, with(newRecord(), {{"VRGTREDZ", 110.0}, {"VRTOTACRREDZ", 3.0}}))})});
  // One reduction per printer and per serial number a day, whatever its time.
  const std::string dup = "Redução Z já incluida nessa data e esse ECF.";
  EXPECT_EQ(
      srv()
          .call("SetReducaoZ",
                {deltaValue(rec, {inserted(rec.fields, with(newRecord(), {{"DTREDUCAOZ", DateTime(day(6).days + 0.5)},
                                                                          {"NRSERIEREDZ", "OUTRA"}}))})})
          .error,
      dup);
  EXPECT_EQ(
      srv()
          .call("SetReducaoZ", {deltaValue(rec, {inserted(rec.fields, with(newRecord(), {{"NRECFREDZ", "777"}}))})})
          .error,
      dup);
  // Printer, date and serial number of a stored reduction stay as they are.
  const DataPacket stored = srv().reducao(6);
  EXPECT_EQ(srv().call("SetReducaoZ", {deltaValue(stored, {modified(stored, 0, {{"NRSERIEREDZ", "X"}})})}).error,
            "O Nº do ECF, a data e o Nº de série de uma Redução Z gravada não podem ser alterados.");
  srv().ok("SetReducaoZ", {deltaValue(stored, {modified(stored, 0, {{"NRLEITREDZ", "0000000003"}})})});
}

TEST_P(ZOps, SubTableRulesUseTheScreensTexts) {
  insertRecord();
  const auto [tax, sigla] = icmsTax(srv());
  const DataPacket taxes = srv().sub("GetImposto", 6), tot = srv().sub("GetTotaliz", 6),
                   forms = srv().sub("GetFormaPag", 6), obs = srv().sub("GetObservacao", 6);
  const Row taxRow = with(keyOn(6), {{"CDIMPOSTO", tax}, {"VRALIQIMPRZ", 18.0}, {"VRBCALCIMPRZ", 10.0}});
  const Row totRow = with(
      keyOn(6), {{"NRTOTNFISCRZ", "01"}, {"DSTOTNFISCRZ", "Sangria"}, {"NRCONTOTNFIS", "1"}, {"VRACUTOTNFIS", 1.0}});
  const Row formRow = with(keyOn(6), {{"CDTIPORECE", "001"}, {"VRFORMPGTORZ", 1.0}});
  const Row obsRow =
      with(keyOn(6), {{"NRSEQOBSREDZ", "0001"}, {"DTOBSERVREDZ", day(6)}, {"DSOBSERVREDZ", "Conferida."}});
  srv().ok("SetImposto", {deltaValue(taxes, {inserted(taxes.fields, taxRow)}), "", ""});
  srv().ok("SetTotaliz", {deltaValue(tot, {inserted(tot.fields, totRow)}), "", ""});
  srv().ok("SetFormaPag", {deltaValue(forms, {inserted(forms.fields, formRow)}), "", ""});
  srv().ok("GravaVendaReducao",
           {Value(), Value(), Value(), Value(), deltaValue(obs, {inserted(obs.fields, obsRow)}), "", ""});

  const Value none;
  auto grava = [&](int part, const DataPacket& read, PacketRow row) {
    std::vector<Value> args = {none, none, none, none, none, "", ""};
    args[static_cast<size_t>(part)] = deltaValue(read, {std::move(row)});
    return srv().call("GravaVendaReducao", args).error;
  };
  EXPECT_EQ(grava(1, taxes, inserted(taxes.fields, taxRow)), "Imposto já cadastrado.");
  EXPECT_EQ(grava(1, taxes, inserted(taxes.fields, with(taxRow, {{"CDIMPOSTO", "ZZ"}}))), "Imposto não cadastrado.");
  EXPECT_EQ(grava(2, tot, inserted(tot.fields, totRow)), "Número já cadastrado.");
  EXPECT_EQ(grava(3, forms, inserted(forms.fields, with(formRow, {{"CDTIPORECE", "003"}, {"CDTPRECEORIG", "999"}}))),
            "Tipo de recebimento não cadastrado.");
  const DataPacket storedObs = srv().sub("GetObservacao", 6);
  EXPECT_EQ(grava(4, storedObs, modified(storedObs, 0, {{"DSOBSERVREDZ", "Outra"}})),
            "Observações da Redução Z não podem ser alteradas.");
  EXPECT_EQ(grava(4, obs, inserted(obs.fields, with(obsRow, {{"NRSEQOBSREDZ", "A2"}}))),
            "Código da observação inválido: 'A2' não é um número de até 4 dígitos.");
  // Another user took the number the screen was given.
  EXPECT_EQ(grava(4, obs, inserted(obs.fields, with(obsRow, {{"DSOBSERVREDZ", "Minha"}}))),
            "Código de observação já utilizado por outro usuário. Recarregue as observações e tente "
            "novamente.");
  // A row of a reduction that does not exist.
  EXPECT_EQ(grava(2, tot, inserted(tot.fields, with(totRow, {{"NRECFREDZ", "777"}}))),
            "A Redução Z do ECF 777 de 06/03/2026 não existe mais. Recarregue os dados e tente novamente.");
}

TEST_P(ZOps, TaxesAndPaymentFormsStayWithinTheNetSaleAndTheReceipts) {
  insertRecord();  // net sale 95.00, tax substitution 10.00
  const auto [tax, sigla] = icmsTax(srv());
  const DataPacket taxes = srv().sub("GetImposto", 6), forms = srv().sub("GetFormaPag", 6);
  auto taxRow = [&](double rate, double base) {
    return inserted(taxes.fields, with(keyOn(6), {{"CDIMPOSTO", tax}, {"VRALIQIMPRZ", rate}, {"VRBCALCIMPRZ", base}}));
  };
  EXPECT_EQ(srv().call("SetImposto", {deltaValue(taxes, {taxRow(18, 50), taxRow(12, 35.01)}), "", ""}).error,
            "Operação bloqueada. As bases de ICMS por alíquota somadas aos totais de substituição "
            "tributária, isenção e não incidência (95,01) ultrapassam a venda líquida da Redução Z (95,00).");
  srv().ok("SetImposto", {deltaValue(taxes, {taxRow(18, 50), taxRow(12, 35)}), "", ""});

  auto formRow = [&](const char* type, double value, Value origin) {
    return inserted(forms.fields,
                    with(keyOn(6), {{"CDTIPORECE", type}, {"VRFORMPGTORZ", value}, {"CDTPRECEORIG", origin}}));
  };
  EXPECT_EQ(srv()
                .call("SetFormaPag",
                      {deltaValue(forms, {formRow("001", 60, Value()), formRow("003", 35.01, Value())}), "", ""})
                .error,
            "Operação bloqueada. As formas de pagamento da Redução Z somam 95,01, mais que a venda "
            "líquida (95,00).");

  // With a net sale that is no limit, the cash receipts of the open day's
  // sales are: a form of cash origin may reach them, not one cent more.
  const DataPacket rec = srv().reducao(6);
  srv().ok(
      "SetReducaoZ",
      {deltaValue(
          rec, {modified(rec, 0, {{"VRGTREDZ", 900000.0}, {"VRVENBRUREDZ", 100015.0}, {"VRVENLIQREDZ", 100000.0}})})});
  const double cash = srv().number(
      "SELECT SUM(M.VRMOVIVEND) AS N FROM MOVCAIXA M JOIN VENDA V ON V.CDFILIAL = M.CDFILIAL AND "
      "V.CDCAIXA = M.CDCAIXA AND V.NRSEQVENDA = M.NRSEQVENDA WHERE M.CDFILIAL = :F AND "
      "M.CDCAIXA = :C AND M.CDTIPORECE = '001' AND V.DTENTRVENDA = :D AND V.IDSITUVENDA <> 'C'",
      {{"F", kBranch}, {"C", kReg}, {"D", day(6)}});
  ASSERT_GT(cash, 0.0);
  auto check = [&](const char* type) {
    const Value a = srv().ok("VdFormPgtoZ", {kBranch, kReg, type, day(6), "001"});
    return std::pair{a.array()[0].packet().rows.at(0).values[0].asNumber(),
                     a.array()[1].packet().rows.at(0).values[0].asNumber()};
  };
  EXPECT_NEAR(check("004").first, cash, 0.001);
  EXPECT_EQ(check("004").second, 0.0);
  srv().ok("SetFormaPag", {deltaValue(forms, {formRow("004", cash - 1, "001")}), "", ""});
  // The form being typed is left out of the other forms of its origin.
  EXPECT_EQ(check("004").second, 0.0);
  EXPECT_NEAR(check("003").second, cash - 1, 0.001);
  EXPECT_NE(srv()
                .call("SetFormaPag", {deltaValue(forms, {formRow("003", 1.01, "001")}), "", ""})
                .error.find("mais que os recebimentos desse tipo nas vendas do dia"),
            std::string::npos);
  srv().ok("SetFormaPag", {deltaValue(forms, {formRow("003", 1.0, "001")}), "", ""});
}

TEST_P(ZOps, AFailingPartLeavesNothingBehind) {
  const DataPacket rec = srv().reducao(6), obs = srv().sub("GetObservacao", 6);
  const RemoteResult r = srv().call(
      "GravaVendaReducao",
      {deltaValue(rec, {inserted(rec.fields, newRecord())}), Value(), Value(), Value(),
       deltaValue(obs, {inserted(obs.fields, with(keyOn(6), {{"NRSEQOBSREDZ", "0001"}, {"DSOBSERVREDZ", ""}}))}), "",
       ""});
  EXPECT_EQ(r.error, "Observação deve ser informada.");
  EXPECT_TRUE(srv().reducao(6).rows.empty());
}

TEST_P(ZOps, RowsChangedOrDeletedBySomeoneElseAreRefused) {
  const DataPacket taxes = srv().sub("GetImposto", 4), tot = srv().sub("GetTotaliz", 4);
  sqlExecute(srv().s(),
             "UPDATE TOTNFISCREDZ SET VRACUTOTNFIS = VRACUTOTNFIS + 1 WHERE DTREDUCAOZ = :D "
             "AND CDFILIAL = :F AND CDCAIXA = :C AND NRTOTNFISCRZ = '01'",
             {{"D", day(4)}, {"F", kBranch}, {"C", kReg}});
  const RemoteResult changed =
      srv().call("SetTotaliz", {deltaValue(tot, {modified(tot, 0, {{"DSTOTNFISCRZ", "Sangrias"}})}), "", ""});
  EXPECT_NE(changed.error.find("foi alterado por outro usuário"), std::string::npos) << changed.error;

  // Day 04/03 is closed; taxes of a day still open are used for the deletion.
  sqlExecute(srv().s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE DTMOVTURCAIX = :D "
             "AND CDFILIAL = :F AND CDCAIXA = :C",
             {{"D", day(4)}, {"F", kBranch}, {"C", kReg}});
  sqlExecute(srv().s(), "DELETE FROM IMPOSTOREDZ WHERE DTREDUCAOZ = :D AND CDFILIAL = :F AND CDCAIXA = :C",
             {{"D", day(4)}, {"F", kBranch}, {"C", kReg}});
  const RemoteResult gone = srv().call("SetImposto", {deltaValue(taxes, {deleted(taxes, 0)}), "", ""});
  EXPECT_NE(gone.error.find("foi excluído por outro usuário"), std::string::npos) << gone.error;
}

TEST_P(ZOps, DeletionsGoChildrenFirstAndMakeRoomForRetypedRows) {
  insertRecord();
  const auto [tax, sigla] = icmsTax(srv());
  DataPacket taxes = srv().sub("GetImposto", 6);
  const Row taxRow = with(keyOn(6), {{"CDIMPOSTO", tax}, {"VRALIQIMPRZ", 18.0}, {"VRBCALCIMPRZ", 10.0}});
  srv().ok("SetImposto", {deltaValue(taxes, {inserted(taxes.fields, taxRow)}), "", ""});
  taxes = srv().sub("GetImposto", 6);
  // Deleted and typed again in one save.
  srv().ok(
      "SetImposto",
      {deltaValue(taxes, {deleted(taxes, 0), inserted(taxes.fields, with(taxRow, {{"VRBCALCIMPRZ", 20.0}}))}), "", ""});
  taxes = srv().sub("GetImposto", 6);
  ASSERT_EQ(taxes.rows.size(), 1u);
  EXPECT_EQ(taxes.rows[0].values[5].asNumber(), 20.0);

  // The record and its tax row deleted together: the tax row goes first.
  const DataPacket rec = srv().reducao(6);
  srv().ok("GravaVendaReducao", {deltaValue(rec, {deleted(rec, 0)}), deltaValue(taxes, {deleted(taxes, 0)}), Value(),
                                 Value(), Value(), "", ""});
  EXPECT_TRUE(srv().reducao(6).rows.empty());
  // A deleted reduction takes its sub-tables along.
  const DataPacket open5 = srv().reducao(5);
  sqlExecute(srv().s(),
             "UPDATE TURCAIXA SET DTFECHCAIX = NULL WHERE DTMOVTURCAIX = :D AND CDFILIAL = :F "
             "AND CDCAIXA = :C",
             {{"D", day(5)}, {"F", kBranch}, {"C", kReg}});
  srv().ok("SetReducaoZ", {deltaValue(open5, {deleted(open5, 0)})});
  EXPECT_TRUE(srv().sub("GetFormaPag", 5).rows.empty());
  EXPECT_TRUE(srv().sub("GetImposto", 5).rows.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, ZRead, ::testing::ValuesIn(testdb::backends()), testdb::backendName);
INSTANTIATE_TEST_SUITE_P(Backends, ZOps, ::testing::ValuesIn(testdb::backends()), testdb::backendName);

}  // namespace
