#pragma once
// A sales packet as the server answers it for a register opening: the
// fields of cdsPedidoVenda and rows filled with realistic, deterministic
// values (fixed-width codes, names, dates with and without time, amounts,
// a few nulls). Header-only so that every benchmark can build the same load.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/datetime.h"
#include "platform/value.h"

namespace bench {

inline std::vector<platform::FieldDef> saleFields() {
  using platform::FieldType;
  constexpr FieldType S = FieldType::String;
  constexpr FieldType D = FieldType::DateTime;
  return {
      {"NRSEQVENDA", S, 10, true},    {"CDFILIAL", S, 4, true},        {"CDEMPRESA", S, 2, false},
      {"DTVENDA", D, 0, false},       {"CDCLIENTE", S, 21, false},     {"CDCONSUMIDOR", S, 21, false},
      {"CDVENDEDOR", S, 4, false},    {"DTENTRVENDA", D, 0, false},    {"IDSITUVENDA", S, 1, false},
      {"DSENDEVENDA", S, 60, false},  {"DSREFECLIE", S, 30, false},    {"NRINSJURCLIE", S, 20, false},
      {"NMRAZSOCCLIE", S, 50, false}, {"IDTPIJURCLIE", S, 1, false},   {"NMCONSUMIDOR", S, 50, false},
      {"NMRAZSOCVEN", S, 50, false},  {"NRFONECLIE", S, 25, false},    {"VRDESCVENDA", FieldType::Float, 0, false},
      {"CDCAIXA", S, 3, true},        {"DTABERTUR", D, 0, false},      {"CDFILIALTUR", S, 4, false},
      {"CDCAIXATUR", S, 3, false},    {"CDSERVFILI", S, 5, false},     {"NRVENDAEXT", S, 10, false},
      {"IDTIPOIMPV", S, 1, false},    {"DTFECHAVENDA", D, 0, false},   {"NRCUPOMFIS", S, 10, false},
      {"CDLOJA", S, 10, false},       {"IDTIPOVENDA", S, 1, false},    {"IDESTOQUE", FieldType::FixedString, 1, false},
      {"CDCCUSCLIE", S, 10, false},   {"CDTIPOCONS", S, 2, false},     {"CDOPERADOR", S, 12, false},
      {"HRVENDA", S, 10, false},      {"NMSERVICO", S, 40, false},     {"TXOBSVENDA", S, 2000, false},
      {"NRORDEMVND", S, 20, false},   {"NRSERIEVND", S, 20, false},    {"NRSUBSERIEVND", S, 20, false},
      {"NRINSCRCONS", S, 20, false},  {"ITENSCANC", S, 1, false},      {"IDORIGEMVENDA", S, 7, false},
      {"IDTPEMISVEND", S, 1, false},  {"NRSERIEIMPVND", S, 50, false},
  };
}

// Zero-padded decimal code of the given width.
inline std::string saleCode(std::size_t n, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*zu", width, n);
  return buf;
}

inline platform::DataPacket makeSalePacket(std::size_t rowCount) {
  using platform::Value;
  static const char* const clients[] = {"Padaria Pão Quente Ltda", "Mercearia São João ME",
                                        "Restaurante Sabor da Terra", "Lanchonete Açaí & Cia",
                                        "Distribuidora Boa Vista S.A."};
  static const char* const consumers[] = {"João da Silva", "Maria Conceição Souza", "José Antônio Pereira",
                                          "Ana Lúcia Gonçalves"};
  static const char* const sellers[] = {"Carlos Eduardo Lima", "Fernanda Araújo", "Ricardo Nogueira"};
  static const char* const services[] = {"Balcão", "Entrega", "Salão", "Retirada"};
  static const char* const statuses[] = {"P", "O", "O", "O", "C", "D"};

  platform::DataPacket p;
  p.fields = saleFields();
  p.rows.reserve(rowCount);
  const platform::DateTime movement = platform::encodeDate(2026, 12, 8);
  const platform::DateTime opening = platform::encodeDateTime(2026, 12, 8, 6, 0, 0);
  for (std::size_t i = 0; i < rowCount; ++i) {
    const int hour = 7 + static_cast<int>(i / 700 % 15);
    const int minute = static_cast<int>(i * 7 % 60);
    const int second = static_cast<int>(i * 13 % 60);
    const platform::DateTime sold = platform::encodeDateTime(2026, 12, 8, hour, minute, second);
    char hhmmss[16];
    std::snprintf(hhmmss, sizeof hhmmss, "%02d:%02d:%02d", hour, minute, second);
    const std::string status = statuses[i % 6];
    const bool typed = i % 10 == 0;
    const bool withConsumer = i % 3 == 0;
    const std::size_t client = i % 5;
    p.rows.push_back({platform::RowKind::Unchanged,
                      {Value(saleCode(i + 1, 10)),
                       Value("0001"),
                       Value("01"),
                       Value(sold),
                       Value(saleCode(1000 + client * 37, 21)),
                       withConsumer ? Value(saleCode(500 + i % 97, 21)) : Value(),
                       Value(saleCode(10 + i % 3, 4)),
                       Value(movement),
                       Value(status),
                       Value("Rua das Flores, " + std::to_string(10 + i % 900) + " - Centro"),
                       Value(),
                       Value(saleCode(12345678000100 + client * 1111, 14)),
                       Value(clients[client]),
                       Value("J"),
                       withConsumer ? Value(consumers[i % 4]) : Value(),
                       Value(sellers[i % 3]),
                       Value("(11) 3456-" + saleCode(i % 10000, 4)),
                       Value(i % 4 == 0 ? 2.5 * (i % 7) : 0.0),
                       Value("001"),
                       Value(opening),
                       Value("0001"),
                       Value("001"),
                       Value(saleCode(1 + i % 4, 5)),
                       typed ? Value() : Value(saleCode(900000 + i, 10)),
                       Value("F"),
                       status == "P" ? Value() : Value(sold),
                       Value(saleCode(200000 + i, 6)),
                       Value("LJ01"),
                       Value(typed ? "S" : "E"),
                       Value(status == "O" ? "S" : "N"),
                       withConsumer ? Value("CC" + saleCode(i % 50, 3)) : Value(),
                       withConsumer ? Value("01") : Value(),
                       Value("OPER01"),
                       Value(hhmmss),
                       Value(services[i % 4]),
                       typed ? Value("A venda foi inserida pelo operador \r\nOPER01-Operador Um-08/12/2026") : Value(),
                       Value("1"),
                       Value("ECF-IF 0001"),
                       Value("1"),
                       withConsumer ? Value(saleCode(12345678900 + i, 11)) : Value(),
                       Value(i % 25 == 0 ? "S" : "N"),
                       Value(typed ? "VND_MAN" : "PDV"),
                       Value("1"),
                       Value("BE091110100011200123")},
                      {}});
  }
  return p;
}

}  // namespace bench
