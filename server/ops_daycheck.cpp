// The day check and the previous reduction of a printer, for the Z form's
// continuity warnings.

#include "server/daycheck.h"
#include "server/operation.h"
#include "server/ops_frame_internal.h"

using namespace platform;

namespace server {

void registerDayCheckOperations(OperationRegistry& r) {
  r.add("GetConfereCaixa", "SSD", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    return dayCheckPacket(dayCheck(ctx.db, textArg(a[0]), textArg(a[1]), dateArg(a[2])));
  });
  r.add("GetReducaoZAnterior", "SSSD", [](OperationContext& ctx, std::vector<Value>& a) -> Value {
    DataPacket p;
    p.fields = {{"NRREINIREDZ", FieldType::String, 10},  {"NRREDREDZ", FieldType::String, 10},
                {"NRPRIMCFREDZ", FieldType::String, 10}, {"NRULTCFREDZ", FieldType::String, 10},
                {"VRGTREDZ", FieldType::Float},          {"VRVENBRUREDZ", FieldType::Float}};
    if (const auto z = previousReduction(ctx.db, textArg(a[0]), textArg(a[1]), textArg(a[2]), dateArg(a[3]))) {
      const auto amount = [](const std::optional<double>& v) { return v ? Value(*v) : Value(); };
      p.rows.push_back({RowKind::Unchanged,
                        {Value(z->restart), Value(z->reduction), Value(z->firstCoupon), Value(z->lastCoupon),
                         amount(z->grandTotal), amount(z->grossSale)},
                        {}});
    }
    return p;
  });
}

}  // namespace server
