#include "server/zreduction_save.h"

#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "server/audit.h"
#include "server/operation.h"
#include "server/storage.h"
#include "server/zreduction_data.h"

using namespace platform;

namespace server {

const char* const kApprovedText =
    "Operação Bloqueada. Os dados deste caixa e desta data não poderá sofrer alterações, pois a "
    "Redução Z deste dia está com status de Aprovada.";
const char* const kClosedText = "Operação Bloqueada! Caixa fechado.";

namespace {

const std::vector<std::string> kZKey = {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ"};

// The five tables in the order the screen sends them.
enum Part { Record, Taxes, Totalizers, Forms, Observations, PartCount };

struct TableDef {
  const char* table;
  std::vector<std::string> extraKey;  // after the Z reduction's key
  const char* duplicateText;
};

const std::array<TableDef, PartCount>& tables() {
  static const std::array<TableDef, PartCount> defs = {{
      {"REDUCAOZ", {}, "Redução Z já incluida nessa data e esse ECF."},
      {"IMPOSTOREDZ", {"CDIMPOSTO", "VRALIQIMPRZ"}, "Imposto já cadastrado."},
      {"TOTNFISCREDZ", {"NRTOTNFISCRZ"}, "Número já cadastrado."},
      {"FORMPGTOREDZ", {"CDTIPORECE"}, "Forma de pagamento já cadastrada"},
      {"OBSREDUCAOZ",
       {"NRSEQOBSREDZ"},
       "Código de observação já utilizado por outro usuário. Recarregue as observações e tente "
       "novamente."},
  }};
  return defs;
}

std::vector<std::string> keyOf(Part part) {
  std::vector<std::string> key = kZKey;
  for (const std::string& k : tables()[part].extraKey) key.push_back(k);
  return key;
}

struct ZKey {
  std::string filial, caixa, ecf;
  DateTime date;
  friend auto operator<=>(const ZKey&, const ZKey&) = default;
  friend bool operator==(const ZKey&, const ZKey&) = default;
  ZDay day() const { return {filial, caixa, date}; }
  SqlParams params() const { return {{"F", filial}, {"C", caixa}, {"E", ecf}, {"D", date}}; }
};
const char* const kZWhere = "CDFILIAL = :F AND CDCAIXA = :C AND NRECFREDZ = :E AND DTREDUCAOZ = :D";

// A row's values by field name; a field the delta lacks reads as null.
class RowView {
 public:
  RowView(const DataPacket& d, const std::vector<Value>& v) : d_(d), v_(v) {}
  Value operator[](std::string_view name) const {
    const int i = d_.fieldIndex(name);
    return i < 0 ? Value() : v_[static_cast<size_t>(i)];
  }
  bool blank(std::string_view name) const { return EmptyString((*this)[name].asText()); }
  ZKey zkey() const {
    return {trimRight((*this)["CDFILIAL"].asText()), trimRight((*this)["CDCAIXA"].asText()),
            trimRight((*this)["NRECFREDZ"].asText()), (*this)["DTREDUCAOZ"].asDateTime()};
  }

 private:
  const DataPacket& d_;
  const std::vector<Value>& v_;
};

const std::vector<Value>& originalOf(const PacketRow& row) { return row.original.empty() ? row.values : row.original; }

// Whether a changed value is still the stored one, as the screen holds it:
// texts without trailing blanks, an empty text as null, dates to the second.
bool sameValue(const Value& a, const Value& b) {
  if (a.isDateTime() || b.isDateTime())
    return !a.isNull() && !b.isNull() && std::fabs(a.asDateTime().days - b.asDateTime().days) * 86400.0 < 0.5;
  return trimRight(a.asText()) == trimRight(b.asText());
}

[[noreturn]] void refuse(const std::string& text) { throw OperationError(text); }

// A delta split into its deletions and its other changes.
struct Split {
  DataPacket deletes, writes;
};
Split split(const DataPacket* delta) {
  Split s;
  if (!delta) return s;
  s.deletes.fields = s.writes.fields = delta->fields;
  s.deletes.delta = s.writes.delta = true;
  for (const PacketRow& row : delta->rows) {
    if (row.kind == RowKind::Delete)
      s.deletes.rows.push_back(row);
    else if (row.kind == RowKind::Insert || row.kind == RowKind::Modify)
      s.writes.rows.push_back(row);
  }
  return s;
}

void setValue(DataPacket& d, PacketRow& row, std::string_view name, Value v) {
  const int i = d.fieldIndex(name);
  if (i >= 0) row.values[static_cast<size_t>(i)] = std::move(v);
}

bool digitsOnly(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

class Saver {
 public:
  Saver(soci::session& db, const ZReductionChanges& c, std::string op) : db_(db), op_(std::move(op)) {
    const std::array<const DataPacket*, PartCount> in = {c.record, c.taxes, c.totalizers, c.forms, c.observations};
    for (int p = 0; p < PartCount; ++p) parts_[p] = split(in[p]);
  }

  void run() {
    checkLocks();
    for (int p = PartCount - 1; p >= 0; --p) apply(static_cast<Part>(p), parts_[p].deletes);
    checkRecords();
    apply(Record, parts_[Record].writes);
    prepareTaxes();
    checkTotalizers();
    checkForms();
    checkObservations();
    for (Part p : {Taxes, Totalizers, Forms}) apply(p, parts_[p].writes);
    apply(Observations, parts_[Observations].writes);
    stampObservations();
    checkTaxTotals();
    checkFormTotals();
  }

 private:
  void apply(Part p, const DataPacket& rows) {
    if (!rows.rows.empty()) applyDelta(db_, tables()[p].table, keyOf(p), rows);
  }

  // --- rules on the stored state -------------------------------------------

  void checkLocks() {
    std::set<ZKey> inserted;
    for (const PacketRow& row : parts_[Record].writes.rows)
      if (row.kind == RowKind::Insert) inserted.insert(RowView(parts_[Record].writes, row.values).zkey());
    for (int p = 0; p < PartCount; ++p) {
      const bool verified = p == Record || p == Taxes;
      for (const DataPacket* d : {&parts_[p].deletes, &parts_[p].writes})
        for (const PacketRow& row : d->rows) {
          std::vector<ZKey> keys = {RowView(*d, originalOf(row)).zkey()};
          if (row.kind == RowKind::Modify) keys.push_back(RowView(*d, row.values).zkey());
          for (const ZKey& k : keys) {
            if (dayApproved(k)) refuse(kApprovedText);
            if (p == Record && row.kind == RowKind::Insert) continue;
            if (p != Record && !inserted.count(k) && !stored(k))
              refuse("A Redução Z do ECF " + k.ecf + " de " + formatDate(k.date) +
                     " não existe mais. Recarregue os dados e tente novamente.");
            if (verified && row.kind != RowKind::Insert && registerDayClosed(db_, k.day())) refuse(kClosedText);
          }
        }
    }
  }

  bool dayApproved(const ZKey& k) {
    const auto id = std::make_tuple(k.filial, k.caixa, dateOf(k.date).days);
    auto it = approved_.find(id);
    if (it != approved_.end()) return it->second;
    SqlParams p = dayBounds(k.date);
    p.push_back({"F", k.filial});
    p.push_back({"C", k.caixa});
    const bool a = !sqlSelect(db_,
                              "SELECT 1 AS N FROM REDUCAOZ WHERE CDFILIAL = :F AND CDCAIXA = :C "
                              "AND DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1 AND IDSTATUS = 'A'",
                              p)
                        .rows.empty();
    approved_[id] = a;
    return a;
  }

  bool stored(const ZKey& k) {
    return !sqlSelect(db_, std::string("SELECT 1 AS N FROM REDUCAOZ WHERE ") + kZWhere, k.params()).rows.empty();
  }

  // A new row, or a changed row whose key changed, must not take a key in use.
  void checkDuplicate(Part p, const DataPacket& d, const PacketRow& row) {
    const std::vector<std::string> key = keyOf(p);
    if (row.kind == RowKind::Modify) {
      bool moved = false;
      for (const std::string& k : key)
        moved = moved || !sameValue(RowView(d, row.values)[k], RowView(d, row.original)[k]);
      if (!moved) return;
    }
    std::string where;
    SqlParams params;
    for (const std::string& k : key) {
      const std::string name = "K" + std::to_string(params.size());
      where += (where.empty() ? "" : " AND ") + k + " = :" + name;
      params.push_back({name, RowView(d, row.values)[k]});
    }
    if (!sqlSelect(db_, std::string("SELECT 1 AS N FROM ") + tables()[p].table + " WHERE " + where, params)
             .rows.empty())
      refuse(tables()[p].duplicateText);
  }

  // --- the Z reduction record -----------------------------------------------

  void checkRecords() {
    const DataPacket& d = parts_[Record].writes;
    for (const PacketRow& row : d.rows) {
      const RowView r(d, row.values);
      if (r.blank("CDFILIAL") || r.blank("CDCAIXA") || r["DTREDUCAOZ"].isNull())
        refuse("Redução Z sem filial, caixa ou data.");
      checkRecordValues(r);
      if (row.kind == RowKind::Insert) {
        if (!r.blank("IDSTATUS")) refuse(kStatusText);
        checkNewRecord(r);
      } else {
        const RowView before(d, row.original);
        for (const char* f : {"CDFILIAL", "CDCAIXA", "NRECFREDZ", "DTREDUCAOZ", "NRSERIEREDZ"})
          if (!sameValue(r[f], before[f]))
            refuse(
                "O Nº do ECF, a data e o Nº de série de uma Redução Z gravada não podem ser "
                "alterados.");
        if (!sameValue(r["IDSTATUS"], before["IDSTATUS"])) refuse(kStatusText);
      }
    }
  }

  static constexpr const char* kStatusText =
      "O status de aprovação da Redução Z é definido fora desta tela e não pode ser alterado "
      "aqui.";

  void checkRecordValues(const RowView& r) {
    static const std::vector<std::pair<const char*, const char*>> texts = {
        {"NRECFREDZ", "Nº do ECF deve ser informado."},
        {"NRREINIREDZ", "Reinicio deve ser informado."},
        {"NRSERIEREDZ", "Nr. de Série deve ser informado."},
        {"NRREDREDZ", "Nr. Redução deve ser informada."},
        {"NRPRIMCFREDZ", "Cupom fiscal inicial deve ser informado."},
        {"NRULTCFREDZ", "Cupom fiscal final deve ser informado."}};
    for (const auto& [field, text] : texts)
      if (r.blank(field)) refuse(text);
    static const std::vector<std::pair<const char*, const char*>> amounts = {
        {"VRGTREDZ", "Totalizador Geral (Grande total final) deve ser informado."},
        {"VRVENBRUREDZ", "Venda bruta deve ser informada."},
        {"VRTOTCANREDZ", "Total de cancelamentos deve ser informado."},
        {"VRVENLIQREDZ", "Venda líquida deve ser informada."}};
    for (const auto& [field, text] : amounts)
      if (r[field].isNull()) refuse(text);
    if (cents(r["VRGTREDZ"]) < cents(r["VRVENBRUREDZ"]))
      refuse("Totalizador Geral (Grande Total Final) deve ser maior que a Venda Bruta.");
    if (cents(r["VRVENLIQREDZ"]) != cents(r["VRVENBRUREDZ"]) - cents(r["VRTOTCANREDZ"]) - cents(r["VRTOTDESREDZ"]))
      refuse(
          "Valor informado na (Venda Bruta - Cancelamentos - Descontos) deve ser igual ao "
          "valor informado na Venda Líquida.");
    if (r.blank("DSMODMARCAECF")) refuse("A Marca/Modelo deve ser informada.");
    if (Ajusta(r["NRPRIMCFREDZ"].asText(), 10) > Ajusta(r["NRULTCFREDZ"].asText(), 10))
      refuse("Cupom Fiscal Inicial deve ser menor ou igual ao Cupom Fiscal Final.");
    static const std::vector<std::pair<const char*, const char*>> untaxed = {
        {"VRSTRIBREDZ", "Valor de Substituição Tributária deve ser informado."},
        {"VRISENCREDZ", "Valor isenção deve ser informado."},
        {"VRNINCIDREDZ", "Valor não incidência deve ser informado."}};
    for (const auto& [field, text] : untaxed)
      if (r[field].isNull()) refuse(text);
  }

  // One Z reduction per printer number of the register, and per serial
  // number, on a day, whatever time its date carries.
  void checkNewRecord(const RowView& r) {
    const ZKey k = r.zkey();
    SqlParams p = dayBounds(k.date);
    p.push_back({"F", k.filial});
    p.push_back({"C", k.caixa});
    p.push_back({"E", k.ecf});
    p.push_back({"S", trimRight(r["NRSERIEREDZ"].asText())});
    if (!sqlSelect(db_,
                   "SELECT 1 AS N FROM REDUCAOZ WHERE DTREDUCAOZ >= :D0 AND DTREDUCAOZ < :D1 "
                   "AND ((CDFILIAL = :F AND CDCAIXA = :C AND NRECFREDZ = :E) "
                   "OR NRSERIEREDZ = :S)",
                   p)
             .rows.empty())
      refuse(tables()[Record].duplicateText);
  }

  // --- sub-tables -------------------------------------------------------------

  std::string taxCode(const RowView& r) {
    std::string code = trimRight(r["CDIMPOSTO"].asText());
    const std::string sigla = trimRight(r["SGIMPOSTO"].asText());
    if (code.empty() && sigla.empty()) refuse("Imposto deve ser informado.");
    const char* sql = code.empty() ? "SELECT CDIMPOSTO FROM IMPOSTO WHERE SGIMPOSTO = :K"
                                   : "SELECT CDIMPOSTO FROM IMPOSTO WHERE CDIMPOSTO = :K";
    const DataPacket found = sqlSelect(db_, sql, {{"K", code.empty() ? sigla : code}});
    if (found.rows.empty()) refuse("Imposto não cadastrado.");
    return found.rows[0].values[0].asText();
  }

  void prepareTaxes() {
    DataPacket& d = parts_[Taxes].writes;
    for (PacketRow& row : d.rows) {
      const std::string code = taxCode(RowView(d, row.values));
      setValue(d, row, "CDIMPOSTO", code);
      const RowView r(d, row.values);
      if (r["VRALIQIMPRZ"].isNull()) refuse("Valor percentual deve ser informado.");
      if (r["VRBCALCIMPRZ"].isNull()) refuse("Valor base deve ser informada.");
      setValue(d, row, "VRIMPOSTORZ", Trunc2(r["VRALIQIMPRZ"].asNumber() * r["VRBCALCIMPRZ"].asNumber() / 100.0));
      checkDuplicate(Taxes, d, row);
    }
  }

  void checkTotalizers() {
    const DataPacket& d = parts_[Totalizers].writes;
    static const std::vector<std::pair<const char*, const char*>> texts = {
        {"NRTOTNFISCRZ", "Número deve ser informado."},
        {"DSTOTNFISCRZ", "Descrição deve ser informada."},
        {"NRCONTOTNFIS", "Contador deve ser informado."}};
    for (const PacketRow& row : d.rows) {
      const RowView r(d, row.values);
      for (const auto& [field, text] : texts)
        if (r.blank(field)) refuse(text);
      if (r["VRACUTOTNFIS"].isNull()) refuse("Valor acumulado deve ser informado.");
      checkDuplicate(Totalizers, d, row);
    }
  }

  bool receiptTypeExists(const std::string& code) {
    return !sqlSelect(db_, "SELECT 1 AS N FROM TIPORECE WHERE CDTIPORECE = :T", {{"T", code}}).rows.empty();
  }

  void checkForms() {
    const DataPacket& d = parts_[Forms].writes;
    for (const PacketRow& row : d.rows) {
      const RowView r(d, row.values);
      if (r.blank("CDTIPORECE")) refuse("Forma de pagamento deve ser informado.");
      if (!receiptTypeExists(trimRight(r["CDTIPORECE"].asText()))) refuse("Forma de pagamento não cadastrada.");
      if (r["VRFORMPGTORZ"].isNull()) refuse("Valor deve ser informado.");
      if (!r.blank("CDTPRECEORIG") && !receiptTypeExists(trimRight(r["CDTPRECEORIG"].asText())))
        refuse("Tipo de recebimento não cadastrado.");
      checkDuplicate(Forms, d, row);
    }
  }

  void checkObservations() {
    DataPacket& d = parts_[Observations].writes;
    for (PacketRow& row : d.rows) {
      if (row.kind == RowKind::Modify) refuse("Observações da Redução Z não podem ser alteradas.");
      const RowView r(d, row.values);
      const std::string code = trim(r["NRSEQOBSREDZ"].asText());
      if (!digitsOnly(code) || code.size() > 4)
        refuse("Código da observação inválido: '" + code + "' não é um número de até 4 dígitos.");
      if (r["DSOBSERVREDZ"].asText().empty()) refuse("Observação deve ser informada.");
      if (r["DTOBSERVREDZ"].isNull()) setValue(d, row, "DTOBSERVREDZ", today());
      checkDuplicate(Observations, d, row);
    }
  }

  void stampObservations() {
    const DataPacket& d = parts_[Observations].writes;
    if (d.rows.empty() || op_.empty() ||
        sqlSelect(db_, "SELECT 1 AS N FROM OPERADOR WHERE CDOPERADOR = :O", {{"O", op_}}).rows.empty())
      return;
    for (const PacketRow& row : d.rows) {
      const RowView r(d, row.values);
      SqlParams p = r.zkey().params();
      p.push_back({"S", r["NRSEQOBSREDZ"]});
      p.push_back({"O", op_});
      const std::string where = std::string(kZWhere) + " AND NRSEQOBSREDZ = :S";
      auditedWrite(db_, "OBSREDUCAOZ", where, p,
                   [&] { sqlExecute(db_, "UPDATE OBSREDUCAOZ SET CDOPERADOR = :O WHERE " + where, p); });
    }
  }

  // --- totals after the writes ----------------------------------------------

  std::set<ZKey> written(Part p) const {
    std::set<ZKey> keys;
    for (const PacketRow& row : parts_[p].writes.rows) keys.insert(RowView(parts_[p].writes, row.values).zkey());
    return keys;
  }

  struct StoredTotals {
    long long net = 0, untaxed = 0;
  };
  StoredTotals totalsOf(const ZKey& k) {
    const DataPacket p =
        sqlSelect(db_,
                  std::string("SELECT VRVENLIQREDZ, VRSTRIBREDZ, VRISENCREDZ, VRNINCIDREDZ FROM REDUCAOZ "
                              "WHERE ") +
                      kZWhere,
                  k.params(),
                  {{"VRVENLIQREDZ", FieldType::Float},
                   {"VRSTRIBREDZ", FieldType::Float},
                   {"VRISENCREDZ", FieldType::Float},
                   {"VRNINCIDREDZ", FieldType::Float}});
    if (p.rows.empty()) return {};
    const auto& v = p.rows[0].values;
    return {cents(v[0]), cents(v[1]) + cents(v[2]) + cents(v[3])};
  }

  long long sumOf(const std::string& sql, const ZKey& k) {
    const DataPacket p = sqlSelect(db_, sql, k.params(), {{"N", FieldType::Float}});
    return p.rows.empty() ? 0 : cents(p.rows[0].values[0]);
  }

  void checkTaxTotals() {
    for (const ZKey& k : written(Taxes)) {
      const StoredTotals t = totalsOf(k);
      const long long icms = sumOf(
          "SELECT SUM(I.VRBCALCIMPRZ) AS N FROM IMPOSTOREDZ I JOIN IMPOSTO T ON T.CDIMPOSTO = "
          "I.CDIMPOSTO WHERE T.IDTIPOIMPOS = 'T' AND I.CDFILIAL = :F AND I.CDCAIXA = :C AND "
          "I.NRECFREDZ = :E AND I.DTREDUCAOZ = :D",
          k);
      if (icms + t.untaxed > t.net)
        refuse(
            "Operação bloqueada. As bases de ICMS por alíquota somadas aos totais de "
            "substituição tributária, isenção e não incidência (" +
            moneyText(icms + t.untaxed) + ") ultrapassam a venda líquida da Redução Z (" + moneyText(t.net) + ").");
    }
  }

  void checkFormTotals() {
    for (const ZKey& k : written(Forms)) {
      const long long net = totalsOf(k).net;
      const long long forms = sumOf(std::string("SELECT SUM(VRFORMPGTORZ) AS N FROM FORMPGTOREDZ WHERE ") + kZWhere, k);
      if (forms > net)
        refuse("Operação bloqueada. As formas de pagamento da Redução Z somam " + moneyText(forms) +
               ", mais que a venda líquida (" + moneyText(net) + ").");
    }
    std::set<std::tuple<std::string, std::string, double, std::string>> origins;
    const DataPacket& d = parts_[Forms].writes;
    for (const PacketRow& row : d.rows) {
      const RowView r(d, row.values);
      if (r.blank("CDTPRECEORIG")) continue;
      const ZKey k = r.zkey();
      origins.insert({k.filial, k.caixa, dateOf(k.date).days, trimRight(r["CDTPRECEORIG"].asText())});
    }
    for (const auto& [filial, caixa, day, origem] : origins) {
      const ZDay z{filial, caixa, DateTime(day)};
      const long long forms = dayFormsCents(db_, z, origem);
      const long long receipts = dayReceiptsCents(db_, z, origem);
      if (forms > receipts)
        refuse("Operação bloqueada. As formas de pagamento com recebimento origem " + origem + " somam " +
               moneyText(forms) + ", mais que os recebimentos desse tipo nas vendas do dia (" + moneyText(receipts) +
               ").");
    }
  }

  soci::session& db_;
  std::string op_;
  std::array<Split, PartCount> parts_;
  std::map<std::tuple<std::string, std::string, double>, bool> approved_;
};

}  // namespace

void saveZReduction(soci::session& db, const ZReductionChanges& changes, const std::string& operatorCode) {
  Saver(db, changes, operatorCode).run();
}

}  // namespace server
