#include "server/queries.h"

#include "platform/consiste.h"
#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "server/frame_queries.h"
#include "server/salesquery.h"
#include "server/storage.h"

using namespace platform;

namespace server {
namespace {

constexpr FieldType S = FieldType::String, D = FieldType::DateTime, F = FieldType::Float;

// Movement dates are stored at midnight, but a caller's date may carry a
// time of day: a day is matched as the half-open range [day, day + 1).
SqlParams dayParams(const std::string& filial, const std::string& caixa, DateTime day) {
  const DateTime from = dateOf(day);
  return {{"CDFILIAL", filial}, {"CDCAIXA", caixa}, {"DIA", from}, {"DIASEG", DateTime(from.days + 1)}};
}

SqlParams saleParams(const std::string& filial, const std::string& caixa, const std::string& nrSeqVenda) {
  return {{"CDFILIAL", filial}, {"CDCAIXA", caixa}, {"NRSEQVENDA", nrSeqVenda}};
}

const std::string kCancelledItemsSelect =
    "SELECT P.CDARVPROD, P.NMPRODUTO, P.SGUNIDADE, C.QTPRODVENDC, C.VRUNITVENDC, C.VRUNITVENCLC, "
    "C.VRACRITVENDC, C.VRDESITVENDC, C.CDFILIAL, C.CDCAIXA, C.NRSEQVENDA, C.NRSEQITVENDC, "
    "C.VRPERCVENDC, C.CDPRODUTO, C.CDGRUPPROD, C.CDSUBGRPROD, C.CDFISUBGRVNC "
    "FROM ITVENDACANC C LEFT JOIN PRODUTO P ON P.CDPRODUTO = C.CDPRODUTO ";

}  // namespace

const std::vector<FieldDef>& aberCaixaFields() {
  static const std::vector<FieldDef> f = {
      {"IDSITUACAO", D, 0},   {"CDFILIAL", S, 4},     {"CAIXA", S, 36},      {"DTABERCAIX", D, 0},
      {"NMOPERADOR", S, 40},  {"DTFECHCAIX", D, 0},   {"NMOPEFECHA", S, 40}, {"VRMOVIVEND", F, 0},
      {"CDTIPORECE", S, 3},   {"NMTIPORECE", S, 40},  {"CDCAIXA", S, 3},     {"NMCAIXA", S, 30},
      {"DTMOVTURCAIX", D, 0}, {"NRECFTURCAIX", S, 4}, {"CDOPERADOR", S, 12}, {"CDOPERABER", S, 12},
  };
  return f;
}

const std::vector<FieldDef>& sumVendaFields() {
  static const std::vector<FieldDef> f = {{"SOMA", F, 0}};
  return f;
}

const std::vector<FieldDef>& itensFields() {
  static const std::vector<FieldDef> f = {
      {"CDFILIAL", S, 4},     {"NRSEQVENDA", S, 10}, {"NRSEQUITVEND", S, 3}, {"NMPRODUTO", S, 50},
      {"CDARVPROD", S, 20},   {"CDPRODUTO", S, 20},  {"SGUNIDADE", S, 10},   {"QTPRODVEND", F, 0},
      {"VRUNITVEND", F, 0},   {"VRPERCVEND", F, 0},  {"VRDESITVEND", F, 0},  {"CDCAIXA", S, 3},
      {"VRUNITVENDCL", F, 0}, {"CDGRUPPROD", S, 10}, {"CDSUBGRPROD", S, 10}, {"CDFISUBGRVND", S, 4},
      {"VRACRITVEND", F, 0},
  };
  return f;
}

const std::vector<FieldDef>& impostoItemFields() {
  static const std::vector<FieldDef> f = {
      {"CDFILIAL", S, 4},
      {"CDCAIXA", S, 3},
      {"NRSEQVENDA", S, 10},
      {"NRSEQUITVEND", S, 3},
      {"NRSEQITIMPOS", S, 3},
      {"CDIMPOSTO", S, 2},
      {"VRPEALPRODIT", F, 0},
      {"VRIMPOPRODIT", F, 0},
      {"CDIMPOSTOEX", F, 0},
      {"SGIMPOSTO", S, 10},
      {"CDPRODUTO", FieldType::FixedString, 10},
  };
  return f;
}

const std::vector<FieldDef>& itensCanceladosFields() {
  static const std::vector<FieldDef> f = {
      {"CDARVPROD", S, 20},   {"NMPRODUTO", S, 50},   {"SGUNIDADE", S, 10},   {"QTPRODVENDC", F, 0},
      {"VRUNITVENDC", F, 0},  {"VRUNITVENCLC", F, 0}, {"VRACRITVENDC", F, 0}, {"VRDESITVENDC", F, 0},
      {"CDFILIAL", S, 4},     {"CDCAIXA", S, 3},      {"NRSEQVENDA", S, 10},  {"NRSEQITVENDC", S, 3},
      {"VRPERCVENDC", F, 0},  {"CDPRODUTO", S, 10},   {"CDGRUPPROD", S, 10},  {"CDSUBGRPROD", S, 10},
      {"CDFISUBGRVNC", S, 4},
  };
  return f;
}

const std::vector<FieldDef>& tipoReceFields() {
  static const std::vector<FieldDef> f = {
      {"NMTIPORECE", S, 40}, {"CDTIPORECE", S, 3},  {"VRMOVIVEND", F, 0},   {"CDFILIAL", S, 4},
      {"CDCAIXA", S, 3},     {"DTABERCAIX", D, 0},  {"NRSEQUMOVI", S, 10},  {"IDTIPOMOVIVE", S, 1},
      {"DTHRINCMOV", D, 0},  {"NRSEQVENDA", S, 10}, {"DTMOVIMCAIXA", D, 0}, {"VRMOVIVEOUT", F, 0},
      {"IDTIPORECE", S, 1},  {"CDINDICE", S, 4},    {"VRCOTINDOUT", F, 0},  {"QTPARCRECEB", F, 0},
  };
  return f;
}

const std::vector<FieldDef>& parametroFields() {
  static const std::vector<FieldDef> f = {{"IDORIGVENDA", S, 1},
                                          {"CDTABEPREC", S, 3},
                                          {"IDALTPRECO", S, 1},
                                          {"CDGRPRODPDV", S, 10},
                                          {"IDUTSUBTCONS", S, 1}};
  return f;
}

const std::vector<FieldDef>& clientePVFields() {
  static const std::vector<FieldDef> f = {{"CDCLIENTE", S, 21}, {"NMRAZSOCCLIE", S, 50}, {"NRINSJURCLIE", S, 20}};
  return f;
}

const std::vector<FieldDef>& perManutFields() {
  static const std::vector<FieldDef> f = {{"IDPERMANUTVEN", S, 1}};
  return f;
}

const std::vector<FieldDef>& vdDataAberFields() {
  static const std::vector<FieldDef> f = {{"DTPROCVND", D, 0},
                                          {"IDPERLANCANTDP", S, 1},
                                          {"IDPERLANCPOSDP", S, 1},
                                          {"NRDIAANTLANC", F, 0},
                                          {"NRDIAPOSLANC", F, 0}};
  return f;
}

const std::vector<FieldDef>& operadorFields() {
  static const std::vector<FieldDef> f = {{"CDOPERADOR", S, 30}, {"NMOPERADOR", S, 100}};
  return f;
}

const std::vector<FieldDef>& registroFields() {
  static const std::vector<FieldDef> f = {{"REGISTRO", F, 0}};
  return f;
}

const std::vector<FieldDef>& consumidorFields() {
  static const std::vector<FieldDef> f = {{"CDCONSUMIDOR", S, 21},
                                          {"NMCONSUMIDOR", S, 50},
                                          {"CDCCUSCLIE", S, 10},
                                          {"CDTIPOCONS", S, 2},
                                          {"IDVERSALDCON", S, 1}};
  return f;
}

// The openings whose movement date is the day, with the register's name and
// the names of the opening and closing operators. The situation column is
// the closing date-time itself: empty while open.
DataPacket selectAberCaixa(soci::session& db, const std::string& filial, const std::string& caixa,
                           DateTime dtMovimento) {
  return selectPacket(db,
                      "SELECT T.DTFECHCAIX AS IDSITUACAO, T.CDFILIAL, T.CDCAIXA || ' - ' || C.NMCAIXA AS CAIXA, "
                      "T.DTABERCAIX, OA.NMOPERADOR, T.DTFECHCAIX, OFC.NMOPERADOR AS NMOPEFECHA, "
                      "CAST(NULL AS DOUBLE PRECISION) AS VRMOVIVEND, CAST(NULL AS VARCHAR(3)) AS CDTIPORECE, "
                      "CAST(NULL AS VARCHAR(40)) AS NMTIPORECE, T.CDCAIXA, C.NMCAIXA, T.DTMOVTURCAIX, "
                      "T.NRECFTURCAIX, T.CDOPERADOR, T.CDOPERABER "
                      "FROM TURCAIXA T "
                      "JOIN CAIXA C ON C.CDFILIAL = T.CDFILIAL AND C.CDCAIXA = T.CDCAIXA "
                      "LEFT JOIN OPERADOR OA ON OA.CDOPERADOR = T.CDOPERABER "
                      "LEFT JOIN OPERADOR OFC ON OFC.CDOPERADOR = T.CDOPEFECHA "
                      "WHERE T.CDFILIAL = :CDFILIAL AND T.CDCAIXA = :CDCAIXA "
                      "AND T.DTMOVTURCAIX >= :DIA AND T.DTMOVTURCAIX < :DIASEG "
                      "ORDER BY T.DTABERCAIX",
                      dayParams(filial, caixa, dtMovimento), aberCaixaFields());
}

DataPacket selectPedidoVenda(soci::session& db, const std::string& filial, const std::string& caixa,
                             DateTime dtAbertura) {
  return selectPacket(db, salesOfOpeningSql(), {{"CDFILIAL", filial}, {"CDCAIXA", caixa}, {"DTABERCAIX", dtAbertura}},
                      saleFields());
}

double saleTotal(soci::session& db, const std::string& filial, const std::string& caixa,
                 const std::string& nrSeqVenda) {
  const DataPacket items =
      sqlSelect(db,
                "SELECT QTPRODVEND, VRUNITVEND, VRUNITVENDCL, VRDESITVEND, VRACRITVEND FROM ITVENDA "
                "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA",
                saleParams(filial, caixa, nrSeqVenda),
                {{"QTPRODVEND", F}, {"VRUNITVEND", F}, {"VRUNITVENDCL", F}, {"VRDESITVEND", F}, {"VRACRITVEND", F}});
  double sum = 0;
  for (const PacketRow& r : items.rows) {
    const auto& v = r.values;
    sum += ItemTotal(v[0].asNumber(), v[1].asNumber(), v[2].asNumber(), v[3].asNumber(), v[4].asNumber());
  }
  // The item totals are whole cents; rounding drops the binary noise of the sum.
  return RoundDec(sum, 2);
}

DataPacket sumVendaPacket(double total) {
  DataPacket p;
  p.fields = sumVendaFields();
  p.rows.push_back({RowKind::Unchanged, {Value(total)}, {}});
  return p;
}

DataPacket selectSumVenda(soci::session& db, const std::string& filial, const std::string& caixa,
                          const std::string& nrSeqVenda) {
  return sumVendaPacket(saleTotal(db, filial, caixa, nrSeqVenda));
}

DataPacket selectItensCancelados(soci::session& db, const std::string& filial, const std::string& caixa,
                                 const std::string& nrSeqVenda) {
  return selectPacket(db,
                      kCancelledItemsSelect +
                          "WHERE C.CDFILIAL = :CDFILIAL AND C.CDCAIXA = :CDCAIXA "
                          "AND C.NRSEQVENDA = :NRSEQVENDA ORDER BY C.NRSEQITVENDC",
                      saleParams(filial, caixa, nrSeqVenda), itensCanceladosFields());
}

DataPacket selectItensCanceladosDoDia(soci::session& db, const std::string& filial, const std::string& caixa,
                                      DateTime day) {
  return selectPacket(db,
                      kCancelledItemsSelect +
                          "JOIN VENDA V ON V.CDFILIAL = C.CDFILIAL AND V.CDCAIXA = C.CDCAIXA "
                          "AND V.NRSEQVENDA = C.NRSEQVENDA "
                          "WHERE V.CDFILIAL = :CDFILIAL AND V.CDCAIXA = :CDCAIXA "
                          "AND V.DTENTRVENDA >= :DIA AND V.DTENTRVENDA < :DIASEG "
                          "ORDER BY C.NRSEQVENDA, C.NRSEQITVENDC",
                      dayParams(filial, caixa, day), itensCanceladosFields());
}

DataPacket selectItens(soci::session& db, const std::string& filial, const std::string& caixa,
                       const std::string& nrSeqVenda) {
  return selectPacket(db,
                      "SELECT I.CDFILIAL, I.NRSEQVENDA, I.NRSEQUITVEND, P.NMPRODUTO, P.CDARVPROD, I.CDPRODUTO, "
                      "P.SGUNIDADE, I.QTPRODVEND, I.VRUNITVEND, I.VRPERCVEND, I.VRDESITVEND, I.CDCAIXA, "
                      "I.VRUNITVENDCL, I.CDGRUPPROD, I.CDSUBGRPROD, I.CDFISUBGRVND, I.VRACRITVEND "
                      "FROM ITVENDA I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
                      "WHERE I.CDFILIAL = :CDFILIAL AND I.CDCAIXA = :CDCAIXA AND I.NRSEQVENDA = :NRSEQVENDA "
                      "ORDER BY I.NRSEQUITVEND",
                      saleParams(filial, caixa, nrSeqVenda), itensFields());
}

DataPacket selectImpostoItem(soci::session& db, const std::string& filial, const std::string& caixa,
                             const std::string& nrSeqVenda) {
  return selectPacket(db,
                      "SELECT T.CDFILIAL, T.CDCAIXA, T.NRSEQVENDA, T.NRSEQUITVEND, T.NRSEQITIMPOS, T.CDIMPOSTO, "
                      "T.VRPEALPRODIT, T.VRIMPOPRODIT, T.CDIMPOSTOEX, I.SGIMPOSTO, T.CDPRODUTO "
                      "FROM ITVENDAIMPOS T LEFT JOIN IMPOSTO I ON I.CDIMPOSTO = T.CDIMPOSTO "
                      "WHERE T.CDFILIAL = :CDFILIAL AND T.CDCAIXA = :CDCAIXA AND T.NRSEQVENDA = :NRSEQVENDA "
                      "ORDER BY T.NRSEQUITVEND, T.NRSEQITIMPOS",
                      saleParams(filial, caixa, nrSeqVenda), impostoItemFields());
}

DataPacket selectTipoRece(soci::session& db, const std::string& filial, const std::string& caixa,
                          const std::string& nrSeqVenda) {
  return selectPacket(db,
                      "SELECT T.NMTIPORECE, M.CDTIPORECE, M.VRMOVIVEND, M.CDFILIAL, M.CDCAIXA, M.DTABERCAIX, "
                      "M.NRSEQUMOVI, M.IDTIPOMOVIVE, M.DTHRINCMOV, M.NRSEQVENDA, M.DTMOVIMCAIXA, M.VRMOVIVEOUT, "
                      "M.IDTIPORECE, M.CDINDICE, M.VRCOTINDOUT, M.QTPARCRECEB "
                      "FROM MOVCAIXA M LEFT JOIN TIPORECE T ON T.CDTIPORECE = M.CDTIPORECE "
                      "WHERE M.CDFILIAL = :CDFILIAL AND M.CDCAIXA = :CDCAIXA AND M.NRSEQVENDA = :NRSEQVENDA "
                      "ORDER BY M.DTABERCAIX, M.NRSEQUMOVI",
                      saleParams(filial, caixa, nrSeqVenda), tipoReceFields());
}

}  // namespace server
