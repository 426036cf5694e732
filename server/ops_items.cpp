// Sale items: next item number, price, product pick list, item deletion,
// and the tax rows of an item.

#include <algorithm>
#include <cctype>

#include "platform/format.h"
#include "platform/text.h"
#include "server/ops_sale_common.h"
#include "server/queries.h"

using namespace platform;

namespace server::sale {
namespace {

const std::vector<std::string> kItemKey = {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND"};
const std::vector<std::string> kItemTaxKey = {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQUITVEND", "NRSEQITIMPOS"};

// cdsProduto: the product pick list.
const std::vector<FieldDef>& productFields() {
  static const std::vector<FieldDef> f = {{"CDARVPROD", FieldType::String, 20},
                                          {"CDPRODUTO", FieldType::String, 10},
                                          {"CDPRODINTE", FieldType::String, 20},
                                          {"NMPRODUTO", FieldType::String, 50},
                                          {"SGUNIDADE", FieldType::String, 10}};
  return f;
}

// cdsAliq: the taxes worked out for a new item.
const std::vector<FieldDef>& itemTaxFields() {
  static const std::vector<FieldDef> f = {{"VRPEALIMPFIS", FieldType::Float, 0},
                                          {"VRIMPOSTO", FieldType::Float, 0},
                                          {"CDIMPOSTO", FieldType::String, 2},
                                          {"CDIMPOSTOEX", FieldType::String, 2},
                                          {"SGIMPOSTO", FieldType::String, 10}};
  return f;
}

// cdsAliqImpFis: a product's fiscal rates in a branch.
const std::vector<FieldDef>& fiscalRateFields() {
  static const std::vector<FieldDef> f = {{"VRPEALIMPFIS", FieldType::Float, 0},
                                          {"CDINTIMPOSTO", FieldType::String, 10},
                                          {"CDIMPOSTO", FieldType::String, 2},
                                          {"SGIMPOSTO", FieldType::String, 10}};
  return f;
}

// The branch's price table gives the unit price and the client's share of
// it. A product without a price there (or no product at all, as when the
// code cell was left empty) is priced 0.00 so that the user types the price;
// the screen refuses to post an item whose prices are both zero.
Value retornaPrecoLib(OperationContext& ctx, std::vector<Value>& args) {
  const DataPacket p = sqlSelect(ctx.db,
                                 "SELECT T.VRPRECITEM, T.VRPRECCLIE FROM PARAMVENDA P "
                                 "JOIN ITTABEPREC T ON T.CDTABEPREC = P.CDTABEPREC "
                                 "WHERE P.CDFILIAL = :F AND T.CDPRODUTO = :P",
                                 {{"F", textArg(args[0])}, {"P", textArg(args[2])}},
                                 {{"VRPRECITEM", FieldType::Float}, {"VRPRECCLIE", FieldType::Float}});
  const double unit = p.rows.empty() ? 0.0 : p.rows[0].values[0].asNumber();
  const double client = p.rows.empty() ? 0.0 : p.rows[0].values[1].asNumber();
  // Point-decimal texts without grouping: the screen reads them whatever
  // its decimal separator.
  return ValueArray{formatFixed(unit, 2), formatFixed(client, 2)};
}

int productLevel(soci::session& db, const std::string& text) {
  const std::string t = trim(text);
  if (t.empty()) {
    const DataPacket p = sqlSelect(db, "SELECT MAX(CDNVPRODUTO) AS N FROM NIVELPROD", {}, {{"N", FieldType::Integer}});
    return static_cast<int>(p.rows[0].values[0].asNumber());
  }
  if (t.size() > 3 || !std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); }))
    throw OperationError("Número de níveis do produto inválido: '" + t + "'.");
  return std::stoi(t);
}

// Active products of the given tree level that the branch may sell.
Value getPesquisaProd(OperationContext& ctx, std::vector<Value>& args) {
  const DataPacket p =
      selectPacket(ctx.db,
                   "SELECT P.CDARVPROD, P.CDPRODUTO, P.CDPRODINTE, P.NMPRODUTO, P.SGUNIDADE FROM PRODUTO P "
                   "WHERE P.CDNVPRODUTO = :N AND P.IDATIVO = 'S' AND EXISTS (SELECT 1 FROM PRODFILIAL F "
                   "WHERE F.CDFILIAL = :F AND F.CDPRODUTO = P.CDPRODUTO AND F.IDPERVENDA = 'S') "
                   "ORDER BY P.CDARVPROD",
                   {{"N", productLevel(ctx.db, textArg(args[1]))}, {"F", textArg(args[0])}}, productFields());
  return ValueArray{Value(p), Value("Não há produto cadastrado para a filial.")};
}

Value prxItemVenda(OperationContext& ctx, std::vector<Value>& args) {
  const std::string f = textArg(args[0]), c = textArg(args[1]), n = textArg(args[2]);
  return reserveNumber(ctx.db, "ITVENDA", f + "|" + c + "|" + n,
                       "SELECT MAX(NRSEQUITVEND) AS M FROM ITVENDA "
                       "WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N",
                       {{"F", f}, {"C", c}, {"N", n}}, 3);
}

// Deletes items of one pending sale (their tax rows go with them) and
// answers the sale's new total.
Value deletaItens(OperationContext& ctx, std::vector<Value>& args) {
  const std::string filial = textArg(args[0]), caixa = textArg(args[1]);
  const DataPacket& delta = packetArg(args[2]);
  for (const PacketRow& row : delta.rows)
    if (row.kind != RowKind::Delete && row.kind != RowKind::Unchanged)
      throw OperationError(
          "A exclusão de itens recebeu itens incluídos ou alterados; "
          "grave-os antes de excluir.");
  const std::vector<SaleInfo> sales = requireChangeableSales(ctx.db, delta, true);
  if (sales.size() > 1) throw OperationError("Os itens excluídos devem ser de uma só venda.");
  for (const SaleInfo& s : sales)
    if (s.key.filial != filial || s.key.caixa != caixa)
      throw OperationError("Os itens excluídos não são do caixa " + caixa + " da filial " + filial + ".");
  applyChanges(ctx.db, "ITVENDA", kItemKey, delta);
  return selectSumVenda(ctx.db, filial, caixa, sales.empty() ? "" : sales[0].key.nrSeq);
}

// The taxes of a new item: one row per fiscal rate of the product (found by
// its tree code) in the branch, with the tax on the item's total. The date,
// sale and client arguments complete the call the screen makes; rates are
// not dated nor client-specific here.
Value getcriaImpostos(OperationContext& ctx, std::vector<Value>& args) {
  DataPacket p = selectPacket(ctx.db,
                              "SELECT A.VRPEALIMPFIS, 0 AS VRIMPOSTO, I.CDIMPOSTO, I.CDIMPOSTOEX, I.SGIMPOSTO "
                              "FROM PRODUTO P JOIN ALIQIMPFIS A ON A.CDPRODUTO = P.CDPRODUTO "
                              "JOIN IMPOSTO I ON I.CDIMPOSTO = A.CDIMPOSTO "
                              "WHERE A.CDFILIAL = :F AND P.CDARVPROD = :A ORDER BY I.CDIMPOSTO",
                              {{"F", textArg(args[0])}, {"A", trim(textArg(args[4]))}}, itemTaxFields());
  const double base = args[5].asNumber();
  for (PacketRow& row : p.rows) row.values[1] = cents(base * row.values[0].asNumber() / 100.0);
  return p;
}

Value getAliqImpFis(OperationContext& ctx, std::vector<Value>& args) {
  return selectPacket(ctx.db,
                      "SELECT A.VRPEALIMPFIS, A.CDINTIMPOSTO, A.CDIMPOSTO, I.SGIMPOSTO "
                      "FROM ALIQIMPFIS A JOIN IMPOSTO I ON I.CDIMPOSTO = A.CDIMPOSTO "
                      "WHERE A.CDFILIAL = :F AND A.CDPRODUTO = :P ORDER BY A.CDIMPOSTO",
                      {{"F", textArg(args[0])}, {"P", textArg(args[1])}}, fiscalRateFields());
}

// The suite-wide block on selling products that have no tax; "N" when the
// parameter was never set.
Value getBloqSemImp(OperationContext& ctx, std::vector<Value>&) {
  return selectPacket(ctx.db,
                      "SELECT COALESCE(MAX(IDBLOQSEMIMP), 'N') AS IDBLOQSEMIMP FROM PARAMGERAL "
                      "WHERE NRPARAMGER = 1",
                      {}, {{"IDBLOQSEMIMP", FieldType::String, 1}});
}

// The change log of the item taxes: deleted rows, and any rate edited or
// row inserted but not yet sent, of pending sales.
Value delImpostoItem(OperationContext& ctx, std::vector<Value>& args) {
  const DataPacket& delta = packetArg(args[0]);
  for (const PacketRow& row : delta.rows) {
    if (row.kind != RowKind::Insert && row.kind != RowKind::Modify) continue;
    const Value rate = fieldOf(delta, row.values, "VRPEALPRODIT");
    if (rate.isNull() || rate.asNumber() < 0)
      throw OperationError("A alíquota do imposto deve ser informada e maior ou igual a zero.");
  }
  requireChangeableSales(ctx.db, delta, true);
  applyChanges(ctx.db, "ITVENDAIMPOS", kItemTaxKey, delta);
  return Value();
}

}  // namespace

void registerItemOperations(OperationRegistry& registry) {
  registry.add("PrxItemVenda", "SSS", Access::Write, prxItemVenda);
  registry.add("RetornaPrecoLib", "SSSSSS", retornaPrecoLib);
  registry.add("getPesquisaProd", "SS", getPesquisaProd);
  registry.add("DeletaItens", "SSP", deletaItens);
  registry.add("GetcriaImpostos", "SDSSSF", getcriaImpostos);
  registry.add("getAliqImpFis", "SS", getAliqImpFis);
  registry.add("getBloqSemImp", "", getBloqSemImp);
  registry.add("DelImpostoItem", "P", delImpostoItem);
}

}  // namespace server::sale
