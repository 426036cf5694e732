#include "server/ops_zreduction.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/text.h"
#include "server/queries.h"
#include "server/zreduction_data.h"
#include "server/zreduction_save.h"

using namespace platform;

namespace server {
namespace {

using Args = std::vector<Value>;

// Codes arrive at their column widths; a fixed-width client field may add
// trailing blanks, which the stored codes never have.
std::string code(const Value& v) { return trimRight(v.asText()); }

ZDay zday(const Args& a) { return {code(a[0]), code(a[1]), a[2].asDateTime()}; }

const DataPacket* deltaOf(const Value& v) { return v.isPacket() ? &v.packet() : nullptr; }

// A one-field packet with one row holding `value`, or no row without one.
DataPacket single(const char* field, FieldType type, int size, std::optional<Value> value) {
  DataPacket p;
  p.fields = {{field, type, size}};
  if (value) p.rows.push_back({RowKind::Unchanged, {*value}, {}});
  return p;
}

DataPacket amount(const char* field, std::optional<double> value) {
  return single(field, FieldType::Float, 0, value ? std::optional<Value>(Value(*value)) : std::nullopt);
}

// Who stamps what this call writes: the session's logged-on operator, or the
// operator the call names when the session carries none.
std::string operatorOf(const OperationContext& ctx, const Value& named) {
  return ctx.operatorCode.empty() ? code(named) : ctx.operatorCode;
}

// The screen sends the printer number immediately followed by the display
// text of the reduction's date; the printer number is what precedes that text.
std::string printerOf(const std::string& key, DateTime date) {
  for (const std::string& shown : {formatDateTime(date), formatDate(date)})
    if (key.size() > shown.size() && key.ends_with(shown)) return trim(key.substr(0, key.size() - shown.size()));
  return {};
}

// The register of the sale current on the screen is empty when the opening
// has no sale; the register whose active printer has that number stands in.
std::string registerOf(soci::session& db, const std::string& filial, const std::string& caixa, const std::string& ecf) {
  if (!caixa.empty() || ecf.empty()) return caixa;
  const DataPacket p = sqlSelect(db,
                                 "SELECT CDCAIXA FROM ECFCAIXA WHERE CDFILIAL = :F AND NRECF = :E "
                                 "AND IDATIVO = 'S'",
                                 {{"F", filial}, {"E", ecf}});
  return p.rows.size() == 1 ? p.rows[0].values[0].asText() : caixa;
}

// GetTotais: element 0 (cdsValorTotal) the day's sales total VRTOTAL;
// element 1 (cdsGrandeTotal) VALOR, the printer's final grand total at its
// previous Z reduction, i.e. the grand total this reduction must start from
// (no row when there is none). The date is the reduction's own, or the one
// shown on the screen while the record has none; the sixth argument (grand
// total not typed) changes nothing and is handed back as it came.
Value getTotais(OperationContext& ctx, Args& a) {
  const DateTime date = a[3].isNull() || a[3].asDateTime().days == 0 ? a[2].asDateTime() : a[3].asDateTime();
  const std::string filial = code(a[0]);
  const std::string ecf = printerOf(a[4].asText(), date);
  const ZDay z{filial, registerOf(ctx.db, filial, code(a[1]), ecf), date};
  const long long sales = z.caixa.empty() ? 0 : daySalesCents(ctx.db, z);
  return ValueArray{amount("VRTOTAL", static_cast<double>(sales) / 100.0),
                    amount("VALOR", previousGrandTotal(ctx.db, z, ecf))};
}

// VdFormPgtoZ: element 0 (cdsSoma) VRMOVIVEND, the receipts of the day's
// sales paid with the origin receipt type; element 1 (cdsSomaForma) VALOR,
// the day's other payment forms of that origin (the form being typed, by its
// payment type, left out). Both 0 without an origin.
Value vdFormPgtoZ(OperationContext& ctx, Args& a) {
  const ZDay z{code(a[0]), code(a[1]), a[3].asDateTime()};
  const std::string tipo = code(a[2]), origem = code(a[4]);
  const bool known = !origem.empty() && !z.caixa.empty();
  const long long receipts = known ? dayReceiptsCents(ctx.db, z, origem) : 0;
  const long long forms = known ? dayFormsCents(ctx.db, z, origem, tipo) : 0;
  return ValueArray{amount("VRMOVIVEND", static_cast<double>(receipts) / 100.0),
                    amount("VALOR", static_cast<double>(forms) / 100.0)};
}

// GetProxCod: the highest observation number of the Z reduction so far, as
// numeric text ("0" when it has none); the screen adds one.
Value getProxCod(OperationContext& ctx, Args& a) {
  const ZDay z{code(a[0]), code(a[1]), a[3].asDateTime()};
  long long highest = 0;
  for (const PacketRow& row : selectObservacaoRedZ(ctx.db, z, code(a[2])).rows) {
    const std::string n = trim(row.values[4].asText());
    if (!n.empty() && n.size() <= 9 &&
        std::all_of(n.begin(), n.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      highest = std::max(highest, std::stoll(n));
  }
  return single("NRSEQOBSREDZ", FieldType::String, 4, Value(std::to_string(highest)));
}

Value gravaVendaReducao(OperationContext& ctx, Args& a) {
  saveZReduction(ctx.db, {deltaOf(a[0]), deltaOf(a[1]), deltaOf(a[2]), deltaOf(a[3]), deltaOf(a[4])},
                 operatorOf(ctx, a[5]));
  return Value();
}

}  // namespace

void registerZOperations(OperationRegistry& r) {
  r.add("GetReducaoZ", "SSD", [](OperationContext& ctx, Args& a) -> Value {
    return selectReducaoZ(ctx.db, code(a[0]), code(a[1]), a[2].asDateTime());
  });
  r.add("GetImposto", "SSDS",
        [](OperationContext& ctx, Args& a) -> Value { return selectImpostoRedZ(ctx.db, zday(a), code(a[3])); });
  r.add("GetTotaliz", "SSDS",
        [](OperationContext& ctx, Args& a) -> Value { return selectTotalizRedZ(ctx.db, zday(a), code(a[3])); });
  r.add("GetFormaPag", "SSDS",
        [](OperationContext& ctx, Args& a) -> Value { return selectFormaPagRedZ(ctx.db, zday(a), code(a[3])); });
  r.add("GetObservacao", "SSDS",
        [](OperationContext& ctx, Args& a) -> Value { return selectObservacaoRedZ(ctx.db, zday(a), code(a[3])); });
  r.add("VerifAberCaixa", "SSD",
        [](OperationContext& ctx, Args& a) -> Value { return registerDayClosed(ctx.db, zday(a)); });
  r.add("GetTotais", "SSDDSS&", getTotais);
  r.add("GetVdImpostoZ", "SSSDSF", [](OperationContext& ctx, Args& a) -> Value {
    const ZDay z{code(a[0]), code(a[1]), a[3].asDateTime()};
    return selectImpostoTaxa(ctx.db, z, code(a[2]), code(a[4]), a[5].asNumber());
  });
  r.add("VdFormPgtoZ", "SSSDS", vdFormPgtoZ);
  r.add("GetProxCod", "SSSD", getProxCod);
  r.add("SetReducaoZ", "P", [](OperationContext& ctx, Args& a) -> Value {
    saveZReduction(ctx.db, {.record = deltaOf(a[0])}, ctx.operatorCode);
    return Value();
  });
  r.add("SetImposto", "PSS", [](OperationContext& ctx, Args& a) -> Value {
    saveZReduction(ctx.db, {.taxes = deltaOf(a[0])}, operatorOf(ctx, a[1]));
    return Value();
  });
  r.add("SetTotaliz", "PSS", [](OperationContext& ctx, Args& a) -> Value {
    saveZReduction(ctx.db, {.totalizers = deltaOf(a[0])}, operatorOf(ctx, a[1]));
    return Value();
  });
  r.add("SetFormaPag", "PSS", [](OperationContext& ctx, Args& a) -> Value {
    saveZReduction(ctx.db, {.forms = deltaOf(a[0])}, operatorOf(ctx, a[1]));
    return Value();
  });
  r.add("GravaVendaReducao", "P&P&P&P&P&SS", gravaVendaReducao);
}

}  // namespace server
