#include "sale/productlib.h"

#include "platform/consiste.h"
#include "platform/localquery.h"
#include "platform/logon.h"
#include "platform/messages.h"

namespace sale {

using namespace platform;

void Validacao_Produto(const std::string& branch, const std::string& code, const std::string& flag) {
  const std::string cd = AllTrim(code);
  TADOIBQuery q("qryValidacaoProduto");
  q.SQL =
      "SELECT P.CDPRODUTO, P.NMPRODUTO, P.CDNVPRODUTO, P.IDATIVO, F.IDPERVENDA\n"
      "FROM   PRODUTO P\n"
      "LEFT JOIN PRODFILIAL F ON F.CDFILIAL = :P_CDFILIAL AND F.CDPRODUTO = P.CDPRODUTO\n"
      "WHERE  P.CDARVPROD = :P_CDARVPROD";
  q.declareField({"CDPRODUTO", FieldType::String, 10});
  q.declareField({"NMPRODUTO", FieldType::String, 50});
  q.declareField({"CDNVPRODUTO", FieldType::Integer, 0});
  q.declareField({"IDATIVO", FieldType::String, 1});
  q.declareField({"IDPERVENDA", FieldType::String, 1});
  q.setParam("P_CDFILIAL", AllTrim(branch));
  q.setParam("P_CDARVPROD", cd);
  q.open();
  if (q.isEmpty()) MensErro(formatMsg("Produto %s não cadastrado.", {cd}));

  const std::string name = AllTrim(q.fieldByName("NMPRODUTO").asText());
  const std::string shown = cd + " - " + name;
  if (flag == "N" && q.fieldByName("CDNVPRODUTO").asNumber() != GetTtNiveis())
    MensErro(formatMsg("O código %s não é de um produto. Informe um produto do último nível da árvore de produtos.",
                       {shown}));
  if (q.fieldByName("IDATIVO").asText() != "S") MensErro(formatMsg("Produto %s está inativo.", {shown}));
  if (q.fieldByName("IDPERVENDA").asText() != "S")
    MensErro(formatMsg("Produto %s não pode ser vendido na filial %s.", {shown, AllTrim(branch)}));
}

}  // namespace sale
