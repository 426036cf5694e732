// Items rung up and cancelled during a sale: their numbering and their
// change log.

#include "platform/text.h"
#include "server/ops_sale_common.h"

using namespace platform;

namespace server::sale {
namespace {

const std::vector<std::string> kCancelledKey = {"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRSEQITVENDC"};

// cdsCodItensCanc: the number for a new cancelled item.
Value getCodItensCanc(OperationContext& ctx, std::vector<Value>& args) {
  DataPacket p;
  p.fields = {{"NRSEQITVENDC", FieldType::String, 3}};
  p.rows.push_back({RowKind::Unchanged,
                    {nextNumber(ctx.db,
                                "SELECT MAX(NRSEQITVENDC) AS M FROM ITVENDACANC "
                                "WHERE CDFILIAL = :F AND CDCAIXA = :C AND NRSEQVENDA = :N",
                                {{"F", textArg(args[0])}, {"C", textArg(args[1])}, {"N", textArg(args[2])}}, 3)},
                    {}});
  return p;
}

// The rules of a cancelled item as the screen checks them, so that a line
// total never goes negative whoever sends it. Amounts compare in cents.
void checkCancelledItem(const DataPacket& delta, const std::vector<Value>& v) {
  auto num = [&](const char* name) { return fieldOf(delta, v, name).asNumber(); };
  if (trim(fieldOf(delta, v, "CDPRODUTO").asText()).empty()) throw OperationError("Produto deve ser informado.");
  if (fieldOf(delta, v, "QTPRODVENDC").isNull()) throw OperationError("Quantidade deve ser informada.");
  if (num("QTPRODVENDC") <= 0) throw OperationError("Quantidade de produtos deve ser maior que zero.");
  if (fieldOf(delta, v, "VRUNITVENDC").isNull()) throw OperationError("Vr. Unit. deve ser informado.");
  const double unit = num("VRUNITVENDC"), client = num("VRUNITVENCLC");
  if (unit < 0) throw OperationError("Vr. Unit. deve ser maior ou igual a zero.");
  if (client < 0) throw OperationError("Vr. Cliente deve ser maior ou igual a zero.");
  if (unit + client <= 0) throw OperationError("Vr.Unit ou Vr.Cliente deve ser maior que zero.");
  const double discount = num("VRDESITVENDC"), surcharge = num("VRACRITVENDC");
  if (discount < 0) throw OperationError("Desconto deve ser maior ou igual a zero.");
  if (surcharge < 0) throw OperationError("Acréscimo deve ser maior ou igual a zero.");
  if (cents(discount) > cents(num("QTPRODVENDC") * (unit + client) + surcharge))
    throw OperationError("Valor do desconto deve ser menor que o valor total do produto.");
}

// The change log of a sale's cancelled items. Unlike the items, they may be
// corrected whatever the sale's status, while its day is still open.
Value setItensCancelados(OperationContext& ctx, std::vector<Value>& args) {
  const DataPacket delta =
      zeroNulls(packetArg(args[0]), {"VRUNITVENCLC", "VRACRITVENDC", "VRDESITVENDC", "VRPERCVENDC"});
  for (const PacketRow& row : delta.rows)
    if (row.kind == RowKind::Insert || row.kind == RowKind::Modify) checkCancelledItem(delta, row.values);
  requireChangeableSales(ctx.db, delta, false);
  applyChanges(ctx.db, "ITVENDACANC", kCancelledKey, delta);
  return Value();
}

}  // namespace

void registerCancelledItemOperations(OperationRegistry& registry) {
  registry.add("getCodItensCanc", "SSS", getCodItensCanc);
  registry.add("SetItensCancelados", "P", setItensCancelados);
}

}  // namespace server::sale
