#include "server/ops_frame.h"

#include "platform/sqlaccess.h"
#include "platform/text.h"
#include "server/frame_queries.h"
#include "server/ops_frame_internal.h"
#include "server/queries.h"
#include "server/storage.h"

using namespace platform;

namespace server {

DeltaRow::DeltaRow(const DataPacket& delta, const PacketRow& row, bool original)
    : delta_(delta), values_(original && !row.original.empty() ? row.original : row.values) {}

const Value& DeltaRow::operator[](std::string_view field) const {
  static const Value null;
  const int i = delta_.fieldIndex(field);
  return i < 0 || static_cast<size_t>(i) >= values_.size() ? null : values_[static_cast<size_t>(i)];
}

DataPacket deltaRows(const DataPacket& delta, std::initializer_list<RowKind> kinds) {
  DataPacket out;
  out.fields = delta.fields;
  out.delta = true;
  for (const PacketRow& r : delta.rows)
    for (RowKind k : kinds)
      if (r.kind == k) out.rows.push_back(r);
  return out;
}

std::vector<std::string> changedColumns(const DataPacket& delta, const PacketRow& row,
                                        const std::vector<std::string>& columns) {
  std::vector<std::string> out;
  if (row.kind != RowKind::Modify || row.original.size() != delta.fields.size()) return out;
  for (size_t i = 0; i < delta.fields.size() && i < row.values.size(); ++i) {
    const FieldDef& f = delta.fields[i];
    bool isColumn = false;
    for (const std::string& c : columns) isColumn = isColumn || equalsIgnoreCase(c, f.name);
    if (isColumn && !sameFieldValue(row.values[i], row.original[i], f.type)) out.push_back(upperAscii(f.name));
  }
  return out;
}

namespace {

DataPacket selectParametro(soci::session& db, const std::string& filial) {
  return selectPacket(db,
                      "SELECT IDORIGVENDA, CDTABEPREC, IDALTPRECO, CDGRPRODPDV, IDUTSUBTCONS "
                      "FROM PARAMVENDA WHERE CDFILIAL = :F",
                      {{"F", filial}}, parametroFields());
}

DataPacket selectClientePadrao(soci::session& db, const std::string& filial) {
  return selectPacket(db,
                      "SELECT C.CDCLIENTE, C.NMRAZSOCCLIE, C.NRINSJURCLIE FROM PARAMVENDA P "
                      "JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIEPADRAO WHERE P.CDFILIAL = :F",
                      {{"F", filial}}, clientePVFields());
}

// The filter panel's load: the day's openings and everything the pages need
// before a sale is chosen. A fourth argument "T" asks for the cancelled
// items of every sale of the day; any other text names one sale of the
// register whose cancelled items are wanted.
Value getBuscaManut(OperationContext& ctx, std::vector<Value>& a) {
  const std::string filial = textArg(a[0]), caixa = textArg(a[1]), which = textArg(a[3]);
  const DateTime day = dateArg(a[2]);
  return ValueArray{
      selectAberCaixa(ctx.db, filial, caixa, day),
      selectParametro(ctx.db, filial),
      selectReducaoZ(ctx.db, filial, caixa, day),
      which == "T" ? selectItensCanceladosDoDia(ctx.db, filial, caixa, day)
                   : selectItensCancelados(ctx.db, filial, caixa, which),
      selectClientePadrao(ctx.db, filial),
      selectCadastroECF(ctx.db, filial, caixa),
      selectReducaoAnt(ctx.db, filial, caixa, day),
  };
}

// The opening's sales, and the total of the first one, which the screen
// makes current on loading (0 when there is none).
Value getPedidoVenda(OperationContext& ctx, std::vector<Value>& a) {
  const std::string filial = textArg(a[0]), caixa = textArg(a[1]);
  DataPacket sales = selectPedidoVenda(ctx.db, filial, caixa, dateArg(a[2]));
  double total = 0;
  if (!sales.rows.empty()) {
    const auto& first = sales.rows.front().values;
    total = saleTotal(ctx.db, first[sales.fieldIndex("CDFILIAL")].asText(), first[sales.fieldIndex("CDCAIXA")].asText(),
                      first[sales.fieldIndex("NRSEQVENDA")].asText());
  }
  return ValueArray{std::move(sales), sumVendaPacket(total)};
}

Value getItens(OperationContext& ctx, std::vector<Value>& a) {
  const std::string filial = textArg(a[0]), caixa = textArg(a[1]), sale = textArg(a[2]);
  return ValueArray{selectItens(ctx.db, filial, caixa, sale), selectImpostoItem(ctx.db, filial, caixa, sale),
                    selectItensCancelados(ctx.db, filial, caixa, sale)};
}

Value getPerManut(OperationContext& ctx, std::vector<Value>& a) {
  return selectPacket(ctx.db, "SELECT IDPERMANUTVEN FROM PARAMVENDA WHERE CDFILIAL = :F", {{"F", textArg(a[0])}},
                      perManutFields());
}

Value getVdDataAber(OperationContext& ctx, std::vector<Value>& a) {
  return selectPacket(ctx.db,
                      "SELECT DTPROCVND, IDPERLANCANTDP, IDPERLANCPOSDP, NRDIAANTLANC, "
                      "NRDIAPOSLANC FROM PARAMPROC WHERE CDFILIAL = :F",
                      {{"F", textArg(a[0])}}, vdDataAberFields());
}

}  // namespace

void registerFrameOperations(OperationRegistry& r) {
  r.add("GetBuscaManut", "SSDS", getBuscaManut);
  r.add("GetPedidoVenda", "SSD", getPedidoVenda);
  r.add("GetItens", "SSS", getItens);
  r.add("GetTipoRece", "SSS", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return selectTipoRece(ctx.db, textArg(a[0]), textArg(a[1]), textArg(a[2]));
  });
  r.add("GetItensCancelados", "SSS", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return selectItensCancelados(ctx.db, textArg(a[0]), textArg(a[1]), textArg(a[2]));
  });
  r.add("GetSumVenda", "SSS", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return selectSumVenda(ctx.db, textArg(a[0]), textArg(a[1]), textArg(a[2]));
  });
  r.add("getPerManut", "S", getPerManut);
  r.add("getVdDataAber", "S", getVdDataAber);
  registerRegisterOperations(r);
  registerSaleHeaderOperations(r);
}

}  // namespace server
