// Every remote operation the screen calls is served, under its exact name
// and with its argument kinds in order, by the registry the application
// server builds at start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/operation.h"
#include "server/operations_all.h"

namespace {

struct Expected {
  const char* name;
  const char* signature;
};

const Expected kOperations[] = {
    {"GetAberCaixa", "SSD"},       {"GetPedidoVenda", "SSD"},
    {"GetReducaoZ", "SSD"},        {"getAbertura", "SSD"},
    {"getCaixaAberto", "SSD"},     {"VerifAberCaixa", "SSD"},
    {"SetFechaCaixa", "SSD"},      {"PrxMovCaixa", "SSD"},
    {"GetTipReceOrig", "SSD"},     {"GetItens", "SSS"},
    {"GetTipoRece", "SSS"},        {"GetItensCancelados", "SSS"},
    {"GetSumVenda", "SSS"},        {"GetVerifValorPag", "SSS"},
    {"GetHistoricoVenda", "SSS"},
    {"PrxItemVenda", "SSS"},       {"getCodItensCanc", "SSS"},
    {"getConsumidor", "SSS"},      {"GetImposto", "SSDS"},
    {"GetTotaliz", "SSDS"},        {"GetFormaPag", "SSDS"},
    {"GetObservacao", "SSDS"},     {"GetBuscaManut", "SSDS"},
    {"GetProxCod", "SSSD"},        {"PrxPedidoVenda", "SS"},
    {"GetSaldoCons", "SS"},        {"getAliqImpFis", "SS"},
    {"getPesquisaProd", "SS"},     {"GetIndice", "SD"},
    {"getPerManut", "S"},          {"getVdDataAber", "S"},
    {"GetOperador", ""},           {"getBloqSemImp", ""},
    {"RetornaPrecoLib", "SSSSSS"}, {"GetcriaImpostos", "SDSSSF"},
    {"GetVdImpostoZ", "SSSDSF"},   {"GetTotais", "SSDDSS&"},
    {"VdFormPgtoZ", "SSSDS"},      {"ConcluiVenda", "SSSDFS"},
    {"CancelaVenda", "SSSSS"},     {"DelPedidoVenda", "P"},
    {"DelImpostoItem", "P"},       {"SetReducaoZ", "P"},
    {"SetItensCancelados", "P"},   {"SetAberCaixa", "P"},
    {"DelTipoRece", "PS"},         {"DeletaItens", "SSP"},
    {"SetImposto", "PSS"},         {"SetTotaliz", "PSS"},
    {"SetFormaPag", "PSS"},        {"GravaVenda", "P&P&P&S"},
    {"GravaTipoRece", "P&S"},      {"GravaVendaReducao", "P&P&P&P&P&SS"},
    // The day check and the Z form's continuity warnings.
    {"GetConfereCaixa", "SSD"},    {"GetReducaoZAnterior", "SSSD"},
};

TEST(Registry, ServesEveryOperationOfTheScreenWithItsSignature) {
  server::OperationRegistry registry;
  server::registerAllOperations(registry);
  for (const Expected& e : kOperations) {
    const server::OperationSpec* spec = registry.find(e.name);
    ASSERT_NE(spec, nullptr) << e.name << " is not registered";
    EXPECT_EQ(spec->name, e.name);
    const std::vector<server::ParamSpec> want = server::parseSignature(e.signature);
    ASSERT_EQ(spec->params.size(), want.size()) << e.name;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(spec->params[i].kind, want[i].kind) << e.name << " argument " << i + 1;
      EXPECT_EQ(spec->params[i].byRef, want[i].byRef) << e.name << " argument " << i + 1;
    }
  }
  EXPECT_EQ(registry.names().size(), std::size(kOperations));
}

TEST(Registry, OnlyTheAskingOperationsRunAsReads) {
  EXPECT_EQ(server::defaultAccess("GetPedidoVenda"), server::Access::Read);
  EXPECT_EQ(server::defaultAccess("getPerManut"), server::Access::Read);
  EXPECT_EQ(server::defaultAccess("PrxItemVenda"), server::Access::Read);
  EXPECT_EQ(server::defaultAccess("VdFormPgtoZ"), server::Access::Read);
  EXPECT_EQ(server::defaultAccess("GravaVenda"), server::Access::Write);
  EXPECT_EQ(server::defaultAccess("ConcluiVenda"), server::Access::Write);
  EXPECT_EQ(server::defaultAccess("SetFechaCaixa"), server::Access::Write);
}

}  // namespace
