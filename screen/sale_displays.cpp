// The sale's one-letter and short codes are stored as codes and shown as
// words; every control showing these fields shows the word.
#include <string_view>

#include "screen/frmmanutvenda.h"

namespace screen {

using namespace platform;

namespace {

// Origins of a sale, in the order they are recognised; each code is also
// the catalogue key of its text.
constexpr std::string_view kOrigins[] = {
    "BAL_TLR", "BAL_AUT", "BAL_BAN", "MES_PKR", "MES_TLR", "MES_MOB", "CMD_PKC", "CMD_TLR", "CMD_MOB",
    "CMD_MIC", "DLV_TLR", "DLV_SIT", "DLV_CAL", "TLR_MAN", "VND_MAN", "VND_CAT", "INDEFIN", "BAL_FNC",
    "MES_FNC", "CMD_FNC", "DLV_FNC", "QKV",     "AJU_TLR", "BAL_SAT", "MES_SAT", "CMD_SAT", "DLV_SAT",
};

}  // namespace

void SalePart::wireDisplays() {
  ClientDataSet& s = f.cdsPedidoVenda;
  using Display = std::string (SalePart::*)(const Field&) const;
  const std::pair<const char*, Display> displays[] = {
      {"IDSITUVENDA", &SalePart::cdsPedidoVendaIDSITUVENDAGetText},
      {"IDTIPOVENDA", &SalePart::cdsPedidoVendaIDTIPOVENDAGetText},
      {"IDESTOQUE", &SalePart::cdsPedidoVendaIDESTOQUEGetText},
      {"IDTPEMISVEND", &SalePart::cdsPedidoVendaIDTPEMISVENDGetText},
      {"IDORIGEMVENDA", &SalePart::cdsPedidoVendaIDORIGEMVENDAGetText},
  };
  for (const auto& [name, display] : displays)
    s.fieldByName(name).OnGetText = [this, display](Field& field, std::string& text, bool) {
      text = (this->*display)(field);
    };
}

std::string SalePart::cdsPedidoVendaIDSITUVENDAGetText(const Field& field) const {
  const std::string code = field.isNull() ? std::string() : field.asString();
  if (code == "P") return f.Msg("PENDENTE");
  if (code == "O") return f.Msg("CONCLUIDA");
  if (code == "D") return f.Msg("DEVOLVIDA");
  return f.Msg("CANCELADA");
}

std::string SalePart::cdsPedidoVendaIDTIPOVENDAGetText(const Field& field) const {
  // A sale being inserted counts as a row.
  if (field.dataSet().isEmpty() && field.dataSet().state() != DataSetState::Insert) return {};
  const std::string code = field.asString();
  if (code == "S") return f.Msg("Sistema");
  if (code == "I") return f.Msg("Importada");
  if (code == "C") return f.Msg("Caixa");
  if (code == "D") return f.Msg("Tillora");
  return {};
}

std::string SalePart::cdsPedidoVendaIDESTOQUEGetText(const Field& field) const {
  return field.asString() == "S" ? "Atualizado" : "Não atualizado";
}

std::string SalePart::cdsPedidoVendaIDTPEMISVENDGetText(const Field& field) const {
  const std::string code = field.asString();
  if (code == "N") return f.Msg("NFCE");
  if (code == "S") return f.Msg("SAT");
  return f.Msg("ECF");
}

std::string SalePart::cdsPedidoVendaIDORIGEMVENDAGetText(const Field& field) const {
  const std::string code = field.asString();
  for (std::string_view origin : kOrigins)
    if (code == origin) return f.Msg(origin);
  return {};
}

}  // namespace screen
