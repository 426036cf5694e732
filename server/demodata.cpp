#include "server/demodata.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "platform/datetime.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "platform/text.h"
#include "server/password.h"
#include "server/schema.h"
#include "server/storage.h"

using namespace platform;

namespace server {
namespace {

// splitmix64: a tiny generator whose sequence is fixed by its definition,
// unlike the standard distributions, so the demo is the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  long long between(long long lo, long long hi) {  // inclusive
    return lo + static_cast<long long>(next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool chance(int percent) { return between(1, 100) <= percent; }
  template <class T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<size_t>(between(0, static_cast<long long>(v.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

std::string pad(long long n, int width) {
  std::string s = std::to_string(n);
  return s.size() >= static_cast<size_t>(width) ? s : std::string(width - s.size(), '0') + s;
}

Value money(long long cents) { return Value(static_cast<double>(cents) / 100.0); }
long long cents(const Value& v) { return std::llround(v.asNumber() * 100.0); }
Value textOrNull(const std::string& s) { return s.empty() ? Value() : Value(s); }

DateTime at(DateTime day, int hour, int minute, int second = 0) {
  const CivilDate c = decodeDate(day);
  return encodeDateTime(c.year, c.month, c.day, hour, minute, second);
}

std::string hourText(int secondsOfDay) {
  return pad(secondsOfDay / 3600, 2) + ":" + pad(secondsOfDay / 60 % 60, 2) + ":" + pad(secondsOfDay % 60, 2);
}

// A prepared INSERT of the given columns; types are one letter per column:
// S text, F float, I integer, D date-time.
class Inserter {
 public:
  Inserter(soci::session& s, const std::string& table, const std::string& columns, const std::string& types) {
    std::vector<std::string> names;
    for (size_t p = 0; p < columns.size();) {
      const size_t e = std::min(columns.find(' ', p), columns.size());
      if (e > p) names.push_back(columns.substr(p, e - p));
      p = e + 1;
    }
    if (names.size() != types.size()) throw SqlError("Colunas e tipos não conferem em " + table);
    std::string cols, marks;
    std::vector<FieldType> ft;
    for (size_t i = 0; i < names.size(); ++i) {
      cols += (i ? ", " : "") + names[i];
      marks += (i ? ", :" : ":") + names[i];
      ft.push_back(types[i] == 'F'   ? FieldType::Float
                   : types[i] == 'I' ? FieldType::Integer
                   : types[i] == 'D' ? FieldType::DateTime
                                     : FieldType::String);
    }
    cmd_ = std::make_unique<SqlCommand>(s, "INSERT INTO " + table + " (" + cols + ") VALUES (" + marks + ")", ft);
  }
  void add(const std::vector<Value>& values) { cmd_->execute(values); }

 private:
  std::unique_ptr<SqlCommand> cmd_;
};

// --- reference data -------------------------------------------------------

struct GroupDef {
  const char* name;
  bool kg;
  int minPrice, maxPrice;  // cents
  const char* tax;         // the item's ICMS-class tax code
  std::vector<const char*> items;
  std::vector<const char*> variants;
};
struct DeptDef {
  const char* name;
  std::vector<GroupDef> groups;
};

const std::vector<DeptDef>& productTree() {
  static const std::vector<DeptDef> tree = {
      {"Bebidas",
       {{"Refrigerantes",
         false,
         350,
         1190,
         "04",
         {"Refrigerante cola", "Refrigerante guaraná", "Refrigerante limão", "Refrigerante laranja", "Água tônica"},
         {"lata 350ml", "garrafa 600ml", "garrafa 2L"}},
        {"Sucos",
         false,
         450,
         1290,
         "01",
         {"Suco de uva", "Suco de laranja", "Suco de pêssego", "Suco de maracujá", "Néctar de manga"},
         {"200ml", "1L", "1,5L"}},
        {"Águas e isotônicos",
         false,
         150,
         590,
         "04",
         {"Água mineral sem gás", "Água mineral com gás", "Água de coco", "Isotônico limão", "Isotônico laranja"},
         {"500ml", "1,5L", "5L"}},
        {"Cervejas",
         false,
         390,
         1490,
         "04",
         {"Cerveja pilsen", "Cerveja puro malte", "Cerveja weiss", "Cerveja IPA", "Cerveja sem álcool"},
         {"lata 350ml", "long neck 355ml", "garrafa 600ml"}}}},
      {"Mercearia",
       {{"Grãos e cereais",
         false,
         390,
         2490,
         "03",
         {"Arroz branco", "Arroz integral", "Feijão carioca", "Feijão preto", "Lentilha"},
         {"1kg", "2kg", "5kg"}},
        {"Massas",
         false,
         290,
         990,
         "02",
         {"Espaguete", "Penne", "Parafuso", "Lasanha", "Talharim"},
         {"500g", "1kg", "integral 500g"}},
        {"Enlatados",
         false,
         250,
         1290,
         "01",
         {"Milho verde", "Ervilha", "Atum sólido", "Sardinha", "Extrato de tomate"},
         {"lata 170g", "lata 300g", "sachê 200g"}},
        {"Biscoitos",
         false,
         199,
         699,
         "01",
         {"Biscoito cream cracker", "Biscoito maisena", "Biscoito recheado chocolate", "Biscoito de polvilho",
          "Rosquinha de coco"},
         {"200g", "400g", "pacote família"}}}},
      {"Padaria",
       {{"Pães",
         true,
         990,
         2990,
         "05",
         {"Pão francês", "Pão de leite", "Pão integral", "Pão de queijo", "Pão sírio"},
         {"tradicional", "fatiado", "mini"}},
        {"Bolos e tortas",
         false,
         1290,
         3990,
         "01",
         {"Bolo de cenoura", "Bolo de chocolate", "Bolo de fubá", "Bolo de laranja", "Torta de limão"},
         {"inteiro", "fatia", "mini"}},
        {"Salgados",
         false,
         350,
         890,
         "03",
         {"Coxinha", "Esfiha de carne", "Empada de frango", "Pastel de queijo", "Quibe"},
         {"unidade", "mini", "assado"}}}},
      {"Hortifrúti",
       {{"Frutas",
         true,
         390,
         1590,
         "05",
         {"Banana prata", "Maçã gala", "Laranja pera", "Mamão formosa", "Manga palmer"},
         {"", "orgânica", "selecionada"}},
        {"Legumes",
         true,
         290,
         990,
         "05",
         {"Tomate", "Batata", "Cenoura", "Cebola", "Abobrinha"},
         {"", "orgânica", "selecionada"}},
        {"Verduras",
         false,
         190,
         590,
         "06",
         {"Alface crespa", "Rúcula", "Couve", "Espinafre", "Cheiro-verde"},
         {"maço", "hidropônica", "orgânica"}}}},
      {"Frios e laticínios",
       {{"Queijos",
         true,
         2990,
         8990,
         "02",
         {"Queijo mussarela", "Queijo prato", "Queijo minas frescal", "Queijo parmesão", "Queijo coalho"},
         {"fatiado", "peça", "ralado"}},
        {"Embutidos",
         true,
         1990,
         6990,
         "02",
         {"Presunto", "Mortadela", "Salame", "Peito de peru", "Linguiça calabresa"},
         {"fatiado", "peça", "defumado"}},
        {"Iogurtes",
         false,
         290,
         1290,
         "01",
         {"Iogurte natural", "Iogurte de morango", "Bebida láctea", "Coalhada", "Iogurte grego"},
         {"170g", "500g", "1L"}},
        {"Leites",
         false,
         399,
         899,
         "03",
         {"Leite integral", "Leite desnatado", "Leite semidesnatado", "Leite zero lactose", "Leite em pó"},
         {"1L", "caixa 12x1L", "400g"}}}},
      {"Limpeza",
       {{"Roupas",
         false,
         590,
         3490,
         "01",
         {"Sabão em pó", "Sabão líquido", "Amaciante", "Alvejante", "Tira-manchas"},
         {"500g", "1kg", "2L"}},
        {"Cozinha",
         false,
         199,
         1290,
         "01",
         {"Detergente neutro", "Esponja dupla face", "Desengordurante", "Limpador multiuso", "Pano de prato"},
         {"500ml", "kit 3 unidades", "refil"}},
        {"Banheiro",
         false,
         399,
         1990,
         "01",
         {"Desinfetante pinho", "Desinfetante lavanda", "Água sanitária", "Limpador de vaso", "Papel higiênico"},
         {"1L", "2L", "pacote 12 rolos"}}}},
      {"Lanchonete",
       {{"Lanches",
         false,
         790,
         2490,
         "03",
         {"X-burguer", "X-salada", "Misto quente", "Sanduíche natural", "Cachorro-quente"},
         {"simples", "duplo", "combo"}},
        {"Pratos",
         false,
         1890,
         3990,
         "03",
         {"Prato feito", "Filé de frango grelhado", "Bife acebolado", "Peixe grelhado", "Strogonoff de frango"},
         {"individual", "executivo", "kids"}},
        {"Sobremesas",
         false,
         490,
         1490,
         "01",
         {"Pudim", "Mousse de maracujá", "Sorvete", "Salada de frutas", "Brigadeiro"},
         {"porção", "taça", "para viagem"}}}},
  };
  return tree;
}

struct TaxDef {
  const char* code;
  const char* sigla;
  const char* name;
  char kind;  // T ICMS, F tax substitution, I exempt, N non-incidence, S ISS, O other
  double rate;
};
const std::vector<TaxDef>& taxes() {
  static const std::vector<TaxDef> all = {
      {"01", "ICMS18", "ICMS 18%", 'T', 18}, {"02", "ICMS12", "ICMS 12%", 'T', 12},
      {"03", "ICMS7", "ICMS 7%", 'T', 7},    {"04", "ST", "Substituição tributária", 'F', 0},
      {"05", "ISENTO", "Isento", 'I', 0},    {"06", "NI", "Não incidência", 'N', 0},
      {"07", "ISS", "ISS 5%", 'S', 5},       {"08", "PIS", "PIS 0,65%", 'O', 0.65},
      {"09", "COFINS", "COFINS 3%", 'O', 3},
  };
  return all;
}
const TaxDef& taxDef(const std::string& code) {
  for (const TaxDef& t : taxes())
    if (code == t.code) return t;
  throw SqlError("Imposto desconhecido " + code);
}

struct BranchDef {
  const char* code;
  const char* name;
  std::vector<std::pair<const char*, const char*>> shops;
  std::vector<const char*> registers;
  const char* priceTable;
};
const std::vector<BranchDef>& branches() {
  static const std::vector<BranchDef> all = {
      {"0001",
       "Matriz Centro",
       {{"0000000001", "Loja térreo"}, {"0000000002", "Praça de alimentação"}},
       {"Frente de loja 1", "Frente de loja 2", "Lanchonete", "Padaria"},
       "001"},
      {"0002",
       "Filial Shopping Norte",
       {{"0000000001", "Loja piso L1"}, {"0000000002", "Quiosque piso L2"}},
       {"Frente de loja", "Quiosque", "Autoatendimento"},
       "002"},
  };
  return all;
}

std::string checkDigits(const std::string& base, const std::vector<int>& w1, const std::vector<int>& w2) {
  auto digit = [](const std::string& s, const std::vector<int>& w) {
    int sum = 0;
    for (size_t i = 0; i < s.size(); ++i) sum += (s[i] - '0') * w[i];
    const int r = sum % 11;
    return r < 2 ? '0' : static_cast<char>('0' + 11 - r);
  };
  std::string s = base;
  s += digit(s, w1);
  s += digit(s, w2);
  return s;
}
std::string cpf(Random& r) {
  std::string b;
  for (int i = 0; i < 9; ++i) b += static_cast<char>('0' + r.between(0, 9));
  return checkDigits(b, {10, 9, 8, 7, 6, 5, 4, 3, 2}, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2});
}
std::string cnpj(Random& r) {
  std::string b;
  for (int i = 0; i < 8; ++i) b += static_cast<char>('0' + r.between(0, 9));
  b += "0001";
  return checkDigits(b, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2});
}
std::string ean13(long long n) {
  std::string s = "789" + pad(n, 9);
  int sum = 0;
  for (size_t i = 0; i < 12; ++i) sum += (s[i] - '0') * (i % 2 ? 3 : 1);
  return s + static_cast<char>('0' + (10 - sum % 10) % 10);
}

const std::vector<const char*> kFirstNames = {"Ana",      "Bruno",    "Carla",    "Diego",  "Elisa",   "Fábio",
                                              "Gabriela", "Henrique", "Isabela",  "João",   "Larissa", "Marcos",
                                              "Natália",  "Otávio",   "Patrícia", "Rafael", "Sabrina", "Tiago"};
const std::vector<const char*> kSurnames = {"Almeida", "Barbosa", "Cardoso", "Duarte",   "Esteves",
                                            "Ferraz",  "Gomes",   "Lacerda", "Moreira",  "Nogueira",
                                            "Pacheco", "Queiroz", "Rezende", "Siqueira", "Teixeira"};
const std::vector<const char*> kCompanyKinds = {"Comercial",      "Distribuidora", "Restaurante", "Construtora",
                                                "Transportadora", "Clínica",       "Escritório",  "Oficina"};
const std::vector<const char*> kCompanyNames = {"Horizonte", "Bela Vista",    "São Jorge", "Três Irmãos", "Aurora",
                                                "do Vale",   "Boa Esperança", "Primavera", "Serra Azul"};

void writeReference(soci::session& s, Random& r) {
  const DateTime first = demoFirstDay();
  const DateTime last(first.days + kDemoDays - 1);
  Inserter filial(s, "FILIAL", "CDFILIAL NMFILIAL CDSEGMER CDEMPRESA", "SSSS");
  Inserter loja(s, "LOJA", "CDFILIAL CDLOJA NMLOJA", "SSS");
  Inserter caixa(s, "CAIXA", "CDFILIAL CDCAIXA NMCAIXA CDLOJA", "SSSS");
  Inserter ecf(s, "ECFCAIXA", "CDFILIAL CDCAIXA NRSERIE NRECF DSMODMARCAECF IDATIVO", "SSSSSS");
  for (const BranchDef& b : branches()) {
    filial.add({b.code, b.name, "VAREJ", "01"});
    for (const auto& [code, name] : b.shops) loja.add({b.code, code, name});
    for (size_t i = 0; i < b.registers.size(); ++i) {
      const std::string reg = pad(static_cast<long long>(i) + 1, 3);
      caixa.add({b.code, reg, "Caixa " + reg + " - " + b.registers[i], b.shops[i % 2].first});
      ecf.add({b.code, reg, "FX" + std::string(b.code) + reg + pad(r.between(0, 99999999999), 11), reg,
               i % 2 ? "Impressa ECF-300" : "Fiscalis FX-4000", "S"});
    }
  }

  Inserter oper(s, "OPERADOR", "CDOPERADOR NMOPERADOR DSHASHSENHA IDATIVO", "SSSS");
  for (const DemoOperator& o : demoOperators()) {
    std::string salt;
    for (int i = 0; i < 16; ++i) salt += static_cast<char>(r.between(0, 255));
    oper.add({o.code, o.name, hashPassword(o.password, salt), o.active ? "S" : "N"});
  }

  Inserter vend(s, "VENDEDOR", "CDVENDEDOR NMRAZSOCVEN", "SS");
  for (int i = 1; i <= 8; ++i) vend.add({pad(i, 4), std::string(r.pick(kFirstNames)) + " " + r.pick(kSurnames)});

  Inserter cli(s, "CLIENTE", "CDCLIENTE NMRAZSOCCLIE NRINSJURCLIE IDTPIJURCLIE NRFONECLIE DSENDECLIE", "SSSSSS");
  Inserter clifil(s, "CLIENFILIAL", "CDFILIAL CDCLIENTE", "SS");
  Inserter cons(s, "CONSUMIDOR", "CDCLIENTE CDCONSUMIDOR NMCONSUMIDOR NRINSCRCONS CDCCUSCLIE CDTIPOCONS IDVERSALDCON",
                "SSSSSSS");
  Inserter saldo(s, "SALDOCONS", "CDCLIENTE CDCONSUMIDOR VRSALDOCONS VRSALDPECONS DTULTMOVCONS", "SSFFD");
  int consumerNo = 0;
  for (int i = 1; i <= 40; ++i) {
    const std::string code = pad(i, 21);
    const bool company = i > 1 && i % 2 == 0;
    const std::string name = i == 1 ? "Consumidor final"
                             : company
                                 ? std::string(r.pick(kCompanyKinds)) + " " + r.pick(kCompanyNames) + " Ltda"
                                 : std::string(r.pick(kFirstNames)) + " " + r.pick(kSurnames) + " " + r.pick(kSurnames);
    cli.add({code, name,
             i == 1    ? "00000000000"
             : company ? cnpj(r)
                       : cpf(r),
             company ? "J" : "F", "(11) 9" + pad(r.between(1000, 9999), 4) + "-" + pad(r.between(0, 9999), 4),
             "Rua " + std::string(r.pick(kSurnames)) + ", " + std::to_string(r.between(10, 2500))});
    if (i == 1 || i % 3 == 0) {
      clifil.add({"0001", code});
      clifil.add({"0002", code});
    } else {
      clifil.add({i % 2 ? "0001" : "0002", code});
    }
    if (!company) continue;
    const int n = static_cast<int>(r.between(1, 4));
    for (int k = 1; k <= n; ++k) {
      ++consumerNo;
      const std::string c = pad(k, 21);
      // The first consumer is kept short of balance, for the balance check.
      const bool checked = consumerNo == 1 || r.chance(50);
      cons.add({code, c, std::string(r.pick(kFirstNames)) + " " + r.pick(kSurnames) + " " + r.pick(kSurnames), cpf(r),
                "CC" + pad(r.between(1, 999), 3), k == 1 ? "01" : "02", checked ? "S" : "N"});
      saldo.add({code, c, money(consumerNo == 1 ? 2000 : r.between(500, 1500) * 100),
                 money(consumerNo == 1 ? 0 : r.between(0, 100) * 100), at(first, 0, 0)});
    }
  }

  Inserter serv(s, "SERVICO", "CDFILIAL CDSERVFILI NMSERVICO", "SSS");
  for (const BranchDef& b : branches()) {
    int n = 0;
    for (const char* name : {"Balcão", "Mesa", "Delivery", "Viagem"}) serv.add({b.code, pad(++n, 5), name});
  }

  Inserter nivel(s, "NIVELPROD", "CDNVPRODUTO NRDIGNIVEL NMNIVEL", "IIS");
  nivel.add({1, 2, "Departamento"});
  nivel.add({2, 2, "Grupo"});
  nivel.add({3, 4, "Produto"});

  for (const TaxDef& t : taxes()) {
    sqlExecute(s,
               "INSERT INTO IMPOSTO (CDIMPOSTO, SGIMPOSTO, NMIMPOSTO, CDIMPOSTOEX, IDTIPOIMPOS) "
               "VALUES (:C, :S, :N, :E, :K)",
               {{"C", t.code}, {"S", t.sigla}, {"N", t.name}, {"E", t.code}, {"K", std::string(1, t.kind)}});
  }
  Inserter tab(s, "TABEPREC", "CDTABEPREC NMTABEPREC", "SS");
  tab.add({"001", "Tabela varejo"});
  tab.add({"002", "Tabela shopping"});

  Inserter prod(s, "PRODUTO",
                "CDPRODUTO CDARVPROD CDNVPRODUTO NMPRODUTO SGUNIDADE CDBARPRODUTO CDPRODINTE "
                "CDGRUPPROD CDSUBGRPROD CDFISUBGRVND",
                "SSISSSSSSS");
  Inserter prodfil(s, "PRODFILIAL", "CDFILIAL CDPRODUTO IDPERVENDA", "SSS");
  Inserter preco(s, "ITTABEPREC", "CDTABEPREC CDPRODUTO VRPRECITEM VRPRECCLIE", "SSFF");
  Inserter aliq(s, "ALIQIMPFIS", "CDFILIAL CDPRODUTO CDIMPOSTO VRPEALIMPFIS CDINTIMPOSTO", "SSSFS");
  int productNo = 0, leafNo = 0;
  for (size_t d = 0; d < productTree().size(); ++d) {
    const DeptDef& dept = productTree()[d];
    const std::string deptArv = pad(static_cast<long long>(d) + 1, 2);
    prod.add({pad(++productNo, 10), deptArv, 1, dept.name, Value(), Value(), Value(), Value(), Value(), Value()});
    for (size_t g = 0; g < dept.groups.size(); ++g) {
      const GroupDef& grp = dept.groups[g];
      const std::string grpArv = deptArv + pad(static_cast<long long>(g) + 1, 2);
      prod.add({pad(++productNo, 10), grpArv, 2, grp.name, Value(), Value(), Value(), deptArv, Value(), Value()});
      int n = 0;
      for (const char* item : grp.items)
        for (const char* variant : grp.variants) {
          const std::string code = pad(++productNo, 10);
          const std::string name = *variant ? std::string(item) + " " + variant : item;
          ++leafNo;
          prod.add({code, grpArv + pad(++n, 4), 3, name, grp.kg ? "KG" : "UN", ean13(leafNo), "EX" + pad(leafNo, 5),
                    deptArv, grpArv, pad(static_cast<long long>(g) + 1, 4)});
          // The last products of the tree are not sold in the second branch
          // and have no tax registered there.
          const bool soldEverywhere = leafNo < 358;
          prodfil.add({"0001", code, "S"});
          prodfil.add({"0002", code, soldEverywhere ? "S" : "N"});
          long long price = r.between(grp.minPrice, grp.maxPrice);
          price = grp.kg ? price / 10 * 10 : price / 10 * 10 + 9;
          const long long clientShare = std::string(grp.name) == "Pratos" ? (price * 4 / 10) / 10 * 10 : 0;
          preco.add({"001", code, money(price - clientShare), money(clientShare)});
          const long long shop = grp.kg ? price * 108 / 100 / 10 * 10 : price * 108 / 100 / 10 * 10 + 9;
          const long long shopClient = clientShare ? (shop * 4 / 10) / 10 * 10 : 0;
          preco.add({"002", code, money(shop - shopClient), money(shopClient)});
          for (const BranchDef& b : branches()) {
            if (!soldEverywhere && std::string(b.code) == "0002") continue;
            const TaxDef& t = taxDef(grp.tax);
            aliq.add({b.code, code, t.code, t.rate, std::to_string(std::stoi(t.code))});
            if (t.kind != 'T') continue;
            for (const char* extra : {"08", "09"})
              aliq.add({b.code, code, extra, taxDef(extra).rate, std::to_string(std::stoi(extra))});
          }
        }
    }
  }

  Inserter indice(s, "INDICE", "CDINDICE NMINDICE CDTPINDICE IDPERVALOR", "SSSS");
  indice.add({"0001", "Dólar americano", "M", "D"});
  indice.add({"0002", "Euro", "M", "D"});
  Inserter movind(s, "MOVINDICE", "CDINDICE DTREFIND CDTPINDICE IDPERVALOR VRINDICE", "SDSSF");
  long long usd = 51800, eur = 56300;  // ten-thousandths
  for (int d = -7; d < kDemoDays; ++d) {
    const DateTime day(first.days + d);
    usd += r.between(-150, 150);
    eur += r.between(-150, 150);
    movind.add({"0001", day, "M", "D", static_cast<double>(usd) / 10000.0});
    // The euro has no quotation on the last day: a foreign-currency receipt
    // in euros on that day finds none.
    if (day < last) movind.add({"0002", day, "M", "D", static_cast<double>(eur) / 10000.0});
  }

  Inserter tipo(s, "TIPORECE", "CDTIPORECE NMTIPORECE IDTIPORECE CDINDICE CDFPIMPFIS", "SSSSS");
  tipo.add({"001", "Dinheiro", "1", Value(), "01"});
  tipo.add({"002", "Cheque", "2", Value(), "02"});
  tipo.add({"003", "Cartão de crédito", "3", Value(), "03"});
  tipo.add({"004", "Cartão de débito", "4", Value(), "04"});
  tipo.add({"005", "Conta do consumidor", "A", Value(), "05"});
  tipo.add({"006", "Dólar", "6", "0001", "06"});
  tipo.add({"007", "Euro", "6", "0002", "07"});
  tipo.add({"008", "Vale-refeição", "5", Value(), "08"});

  Inserter param(s, "PARAMVENDA",
                 "CDFILIAL IDORIGVENDA CDTABEPREC IDALTPRECO CDGRPRODPDV IDUTSUBTCONS "
                 "CDCLIEPADRAO IDPERMANUTVEN",
                 "SSSSSSSS");
  param.add({"0001", "1", "001", "1", "0000000001", "S", pad(1, 21), "S"});
  param.add({"0002", "1", "002", "2", "0000000002", "N", pad(1, 21), "S"});
  Inserter proc(s, "PARAMPROC", "CDFILIAL DTPROCVND IDPERLANCANTDP IDPERLANCPOSDP NRDIAANTLANC NRDIAPOSLANC", "SDSSII");
  proc.add({"0001", last, "S", "S", 7, 1});
  proc.add({"0002", last, "S", "N", 2, 0});
  Inserter pers(s, "ITEMPERSON", "CDFILIAL NRITEMPERS DSVALORPERS", "SIS");
  for (const BranchDef& b : branches()) {
    pers.add({b.code, 1, "N"});
    pers.add({b.code, 3, "S"});
  }
  sqlExecute(s, "INSERT INTO PARAMGERAL (NRPARAMGER, IDBLOQSEMIMP) VALUES (1, 'N')");
}

// --- sales ------------------------------------------------------------------

struct TaxRate {
  std::string code;
  double rate;
  std::string external;
  char kind;
};
struct Product {
  std::string code, group, subgroup, fiscalGroup;
  bool kg = false;
  long long price = 0, clientShare = 0;  // cents
  std::vector<TaxRate> taxes;
  const TaxRate* icms = nullptr;  // the one tax that classifies the item for the Z reduction
};
struct Consumer {
  std::string client, code, costCentre, type, document;
  bool debitable = false;
};

// What the day's sales add up to on one fiscal printer, for its Z reduction.
struct DayTotals {
  long long net = 0, cancelled = 0, discounts = 0, surcharges = 0;
  long long substitution = 0, exempt = 0, nonIncidence = 0;
  std::map<std::string, long long> icmsBase;  // tax code -> base
  std::map<std::string, long long> forms;     // receipt type -> amount
  int cancelledCount = 0, withdrawals = 0;
  long long withdrawn = 0;
  std::string firstCoupon, lastCoupon;
};

struct Opening {
  std::string branch, reg, shop, series, operatorCode, operatorName;
  DateTime opened, day;
  int secondsFrom = 6 * 3600, secondsTo = 22 * 3600;
};

// Writes sales with everything they are made of; reads the branch's catalogue
// and people once, and continues the numbering already stored.
class SaleWriter {
 public:
  SaleWriter(soci::session& s, Random& r, const std::string& branch)
      : s_(s),
        r_(r),
        branch_(branch),
        venda_(s, "VENDA",
               "CDFILIAL CDCAIXA NRSEQVENDA CDEMPRESA DTVENDA CDCLIENTE CDCONSUMIDOR CDVENDEDOR "
               "DTENTRVENDA IDSITUVENDA VRDESCVENDA DTABERTUR CDFILIALTUR CDCAIXATUR CDSERVFILI "
               "DTFECHAVENDA NRCUPOMFIS CDLOJA IDTIPOVENDA IDESTOQUE CDCCUSCLIE CDTIPOCONS "
               "CDOPERADOR HRVENDA TXOBSVENDA NRORDEMVND NRSERIEVND NRSUBSERIEVND NRINSCRCONS "
               "IDORIGEMVENDA IDTPEMISVEND NRSERIEIMPVND",
               "SSSSDSSSDSFDSSSDSSSSSSSSSSSSSSSS"),
        item_(s, "ITVENDA",
              "CDFILIAL CDCAIXA NRSEQVENDA NRSEQUITVEND CDPRODUTO QTPRODVEND VRUNITVEND "
              "VRUNITVENDCL VRPERCVEND VRDESITVEND VRACRITVEND CDGRUPPROD CDSUBGRPROD CDFISUBGRVND",
              "SSSSSFFFFFFSSS"),
        tax_(s, "ITVENDAIMPOS",
             "CDFILIAL CDCAIXA NRSEQVENDA NRSEQUITVEND NRSEQITIMPOS CDIMPOSTO VRPEALPRODIT "
             "VRIMPOPRODIT CDIMPOSTOEX CDPRODUTO",
             "SSSSSSFFIS"),
        cancelled_(s, "ITVENDACANC",
                   "CDFILIAL CDCAIXA NRSEQVENDA NRSEQITVENDC CDPRODUTO QTPRODVENDC VRUNITVENDC "
                   "VRUNITVENCLC VRACRITVENDC VRDESITVENDC VRPERCVENDC CDGRUPPROD CDSUBGRPROD "
                   "CDFISUBGRVNC",
                   "SSSSSFFFFFFSSS"),
        movement_(s, "MOVCAIXA",
                  "CDFILIAL CDCAIXA DTABERCAIX NRSEQUMOVI CDTIPORECE VRMOVIVEND IDTIPOMOVIVE "
                  "DTHRINCMOV NRSEQVENDA DTMOVIMCAIXA VRMOVIVEOUT IDTIPORECE CDINDICE VRCOTINDOUT "
                  "QTPARCRECEB CDOPERADOR",
                  "SSDSSFSDSDFSSFIS"),
        debit_(s, "MOVCONS",
               "CDCLIENTE CDCONSUMIDOR NRSEQMOVCONS DTMOVCONS IDTIPOMOVCONS VRMOVCONS DSMOVCONS "
               "CDFILIAL CDCAIXA NRSEQVENDA CDOPERADOR",
               "SSIDSFSSSSS"),
        balance_(s,
                 "UPDATE SALDOCONS SET VRSALDOCONS = VRSALDOCONS - :V, DTULTMOVCONS = :D "
                 "WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K",
                 {FieldType::Float, FieldType::DateTime, FieldType::String, FieldType::String}) {
    loadCatalogue();
  }

  // Writes one opening row (open when `closed` is null).
  void openRegister(const Opening& o, const Value& closed) {
    sqlExecute(s_,
               "INSERT INTO TURCAIXA (CDFILIAL, CDCAIXA, DTABERCAIX, DTMOVTURCAIX, DTFECHCAIX, "
               "NRECFTURCAIX, CDOPERADOR, CDOPERABER, CDOPEFECHA) "
               "VALUES (:F, :C, :A, :M, :X, :E, :O, :O, :P)",
               {{"F", o.branch},
                {"C", o.reg},
                {"A", o.opened},
                {"M", o.day},
                {"X", closed},
                {"E", o.reg},
                {"O", o.operatorCode},
                {"P", closed.isNull() ? Value() : Value(o.operatorCode)}});
  }

  // A cash withdrawal of the opening, not tied to any sale.
  void withdrawal(const Opening& o, DayTotals& totals) {
    const long long amount = r_.between(1, 3) * 10000;
    movement_.add({o.branch, o.reg, o.opened, nextMovement(o), "001", money(amount), "S", at(o.day, 15, 0), Value(),
                   o.day, Value(), "1", Value(), Value(), 1, o.operatorCode});
    ++totals.withdrawals;
    totals.withdrawn += amount;
  }

  void sale(const Opening& o, char status, int secondOfDay, bool stockDone, DayTotals& totals) {
    const std::string number = nextNumber(o.branch + o.reg, "NRSEQVENDA", 10, 0);
    const std::string coupon = nextNumber(o.branch + o.reg + "#", "NRCUPOMFIS", 6, 1000);
    const bool typed = r_.chance(25);
    static const std::vector<std::string> origins = {"BAL_TLR", "MES_TLR", "CMD_TLR", "DLV_TLR",
                                                     "BAL_FNC", "MES_PKR", "BAL_AUT"};
    const std::string origin = typed ? "VND_MAN" : r_.pick(origins);
    const DateTime when = at(o.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);

    std::string client = defaultClient_;
    const Consumer* consumer = nullptr;
    if (r_.chance(40)) client = r_.pick(clients_);
    std::vector<const Consumer*> ofClient;
    for (const Consumer& c : consumers_)
      if (c.client == client) ofClient.push_back(&c);
    if (!ofClient.empty() && r_.chance(70)) consumer = r_.pick(ofClient);

    std::string observation;
    if (typed)
      observation =
          "A venda foi inserida pelo operador \r\n" + o.operatorCode + "-" + o.operatorName + "-" + formatDate(o.day);
    if (typed && status == 'C')
      observation += "\r\nA venda foi cancelada pelo operador \r\n" + o.operatorCode + "-" + o.operatorName + "-" +
                     formatDate(o.day);
    venda_.add({o.branch,
                o.reg,
                number,
                "01",
                when,
                client,
                consumer ? Value(consumer->code) : Value(),
                r_.chance(70) ? Value(r_.pick(sellers_)) : Value(),
                o.day,
                std::string(1, status),
                0.0,
                o.opened,
                o.branch,
                o.reg,
                r_.chance(50) ? Value(r_.pick(services_)) : Value(),
                status == 'O' || status == 'D' ? Value(DateTime(when.days + 3.0 / 1440)) : Value(),
                coupon,
                o.shop,
                typed ? "S" : "D",
                stockDone ? Value("S") : Value(),
                consumer ? Value(consumer->costCentre) : Value(),
                consumer ? Value(consumer->type) : Value(),
                o.operatorCode,
                hourText(secondOfDay),
                textOrNull(observation),
                "1",
                o.series,
                "1",
                consumer ? Value(consumer->document) : Value(),
                origin,
                origin.find("FNC") != std::string::npos ? Value("N") : Value(),
                o.series});

    long long total = 0;
    const int items = static_cast<int>(r_.between(1, 5));
    std::vector<std::pair<const Product*, long long>> lines;  // product, line total
    for (int i = 1; i <= items; ++i) {
      const Product& p = r_.pick(products_);
      const long long qty = p.kg ? r_.between(1, 25) * 100 : (r_.chance(90) ? r_.between(1, 4) : 12) * 1000;
      const long long gross = qty * (p.price + p.clientShare) / 1000;
      const long long discount = r_.chance(10) ? gross * r_.between(1, 10) / 100 : 0;
      const long long surcharge = r_.chance(5) ? r_.between(50, 200) : 0;
      const double percent = gross ? std::round(discount * 10000.0 / gross) / 100.0 : 0.0;
      const std::string itemNo = pad(i, 3);
      item_.add({o.branch, o.reg, number, itemNo, p.code, qty / 1000.0, money(p.price), money(p.clientShare), percent,
                 money(discount), money(surcharge), p.group, p.subgroup, p.fiscalGroup});
      int taxNo = 0;
      for (const TaxRate& t : p.taxes)
        tax_.add({o.branch, o.reg, number, itemNo, pad(++taxNo, 3), t.code, t.rate,
                  (p.price + p.clientShare) / 100.0 * (qty / 1000.0) * t.rate / 100.0, std::stoi(t.external), p.code});
      const long long line = gross - discount + surcharge;
      total += line;
      lines.push_back({&p, line});
      if (status == 'O' || status == 'D') {
        totals.discounts += discount;
        totals.surcharges += surcharge;
      }
    }
    if (r_.chance(15)) {
      const Product& p = r_.pick(products_);
      const long long qty = p.kg ? 500 : 1000;
      cancelled_.add({o.branch, o.reg, number, "001", p.code, qty / 1000.0, money(p.price), money(p.clientShare), 0.0,
                      0.0, 0.0, p.group, p.subgroup, p.fiscalGroup});
    }

    if (status == 'C') {
      totals.cancelled += total;
      ++totals.cancelledCount;
    } else if (status == 'O' || status == 'D') {
      totals.net += total;
      for (const auto& [p, line] : lines) {
        switch (p->icms->kind) {
          case 'F':
            totals.substitution += line;
            break;
          case 'I':
            totals.exempt += line;
            break;
          case 'N':
            totals.nonIncidence += line;
            break;
          default:
            totals.icmsBase[p->icms->code] += line;
        }
      }
      if (totals.firstCoupon.empty()) totals.firstCoupon = coupon;
      totals.lastCoupon = coupon;
    }
    if (status == 'C' || (status == 'P' && r_.chance(50))) return;
    // A pending sale is paid in part; the others exactly.
    receipts(o, number, when, consumer, status == 'P' ? total / 2 : total, status == 'P' ? nullptr : &totals);
  }

 private:
  void receipts(const Opening& o, const std::string& sale, DateTime when, const Consumer* consumer, long long amount,
                DayTotals* totals) {
    const DateTime booked(when.days + 1.0 / 1440);
    auto book = [&](const std::string& type, const std::string& kind, long long value, Value index, Value quote,
                    int instalments) {
      const Value other = quote.isNull() ? Value() : Value(value / 100.0 * quote.asNumber());
      movement_.add({o.branch, o.reg, o.opened, nextMovement(o), type, money(value), "E", booked, sale, o.day, other,
                     kind, index, quote, instalments, o.operatorCode});
      if (totals) totals->forms[type] += value;
    };
    if (consumer && consumer->debitable && r_.chance(40)) {
      book("005", "A", amount, Value(), Value(), 1);
      const int seq = nextConsumerMove(consumer->client + "|" + consumer->code);
      debit_.add({consumer->client, consumer->code, seq, booked, "D", money(amount),
                  "Inclusão de débito realizada pelo operador.", o.branch, o.reg, sale, o.operatorCode});
      balance_.execute({money(amount), booked, consumer->client, consumer->code});
      return;
    }
    const auto quote = usdQuotes_.find(static_cast<long long>(o.day.days));
    if (r_.chance(5) && quote != usdQuotes_.end()) {
      book("006", "6", amount, "0001", quote->second, 1);
      return;
    }
    long long cash = amount;
    if (amount >= 2000 && r_.chance(30)) {
      const long long card = amount * r_.between(30, 70) / 100;
      book(r_.chance(50) ? "003" : "004", r_.chance(50) ? "3" : "4", card, Value(), Value(),
           static_cast<int>(r_.between(1, 3)));
      cash -= card;
    }
    static const std::vector<std::string> kinds = {"001", "001", "003", "004", "008"};
    const std::string type = r_.pick(kinds);
    book(type, type == "001" ? "1" : type == "003" ? "3" : type == "004" ? "4" : "5", cash, Value(), Value(), 1);
  }

  // Continues a zero-padded numbering from the highest value stored.
  std::string nextNumber(const std::string& key, const std::string& column, int width, long long start) {
    auto it = counters_.find(key);
    if (it == counters_.end()) {
      const std::string reg = key.substr(4, 3);
      const DataPacket p =
          sqlSelect(s_, "SELECT MAX(" + column + ") AS M FROM VENDA WHERE CDFILIAL = :F AND CDCAIXA = :C",
                    {{"F", branch_}, {"C", reg}}, {{"M", FieldType::String, 20}});
      const std::string top = p.rows[0].values[0].asText();
      it = counters_.emplace(key, top.empty() ? start + r_.between(0, 500) * (start > 0) : std::stoll(top)).first;
    }
    return pad(++it->second, width);
  }

  std::string nextMovement(const Opening& o) {
    const std::string key = o.reg + formatDateTime(o.opened);
    auto it = movements_.find(key);
    if (it == movements_.end()) it = movements_.emplace(key, 0).first;
    return pad(++it->second, 10);
  }

  int nextConsumerMove(const std::string& key) {
    auto it = consumerMoves_.find(key);
    if (it == consumerMoves_.end()) {
      const size_t bar = key.find('|');
      const DataPacket p =
          sqlSelect(s_, "SELECT MAX(NRSEQMOVCONS) AS M FROM MOVCONS WHERE CDCLIENTE = :C AND CDCONSUMIDOR = :K",
                    {{"C", key.substr(0, bar)}, {"K", key.substr(bar + 1)}}, {{"M", FieldType::Integer}});
      it = consumerMoves_.emplace(key, static_cast<int>(p.rows[0].values[0].asNumber())).first;
    }
    return ++it->second;
  }

  void loadCatalogue() {
    const SqlParams b = {{"F", branch_}};
    const DataPacket prods =
        sqlSelect(s_,
                  "SELECT P.CDPRODUTO, P.SGUNIDADE, P.CDGRUPPROD, P.CDSUBGRPROD, P.CDFISUBGRVND, "
                  "T.VRPRECITEM, T.VRPRECCLIE FROM PRODUTO P "
                  "JOIN PARAMVENDA PV ON PV.CDFILIAL = :F "
                  "JOIN ITTABEPREC T ON T.CDTABEPREC = PV.CDTABEPREC AND T.CDPRODUTO = P.CDPRODUTO "
                  "JOIN PRODFILIAL PF ON PF.CDFILIAL = :F AND PF.CDPRODUTO = P.CDPRODUTO "
                  "WHERE P.CDNVPRODUTO = 3 AND PF.IDPERVENDA = 'S' ORDER BY P.CDPRODUTO",
                  b);
    std::map<std::string, std::vector<TaxRate>> rates;
    const DataPacket taxRows =
        sqlSelect(s_,
                  "SELECT A.CDPRODUTO, A.CDIMPOSTO, A.VRPEALIMPFIS, A.CDINTIMPOSTO, I.IDTIPOIMPOS "
                  "FROM ALIQIMPFIS A JOIN IMPOSTO I ON I.CDIMPOSTO = A.CDIMPOSTO "
                  "WHERE A.CDFILIAL = :F ORDER BY A.CDPRODUTO, A.CDIMPOSTO",
                  b);
    for (const PacketRow& t : taxRows.rows)
      rates[t.values[0].asText()].push_back(
          {t.values[1].asText(), t.values[2].asNumber(), t.values[3].asText(), t.values[4].asText()[0]});
    for (const PacketRow& row : prods.rows) {
      Product p;
      p.code = row.values[0].asText();
      p.kg = row.values[1].asText() == "KG";
      p.group = row.values[2].asText();
      p.subgroup = row.values[3].asText();
      p.fiscalGroup = row.values[4].asText();
      p.price = cents(row.values[5]);
      p.clientShare = cents(row.values[6]);
      p.taxes = rates[p.code];
      products_.push_back(std::move(p));
    }
    // Only products with exactly one ICMS-class tax are sold, so that every
    // sold amount falls in one column of the Z reduction.
    auto classifies = [](const TaxRate& t) { return std::string("TFIN").find(t.kind) != std::string::npos; };
    std::erase_if(products_,
                  [&](const Product& p) { return std::count_if(p.taxes.begin(), p.taxes.end(), classifies) != 1; });
    if (products_.empty()) throw SqlError("Filial " + branch_ + " sem produtos de demonstração.");
    for (Product& p : products_) p.icms = &*std::find_if(p.taxes.begin(), p.taxes.end(), classifies);

    for (const PacketRow& row : sqlSelect(s_,
                                          "SELECT C.CDCLIENTE FROM CLIENTE C JOIN CLIENFILIAL CF ON CF.CDCLIENTE = "
                                          "C.CDCLIENTE WHERE CF.CDFILIAL = :F ORDER BY C.CDCLIENTE",
                                          b)
                                    .rows)
      clients_.push_back(row.values[0].asText());
    defaultClient_ =
        sqlSelect(s_, "SELECT CDCLIEPADRAO FROM PARAMVENDA WHERE CDFILIAL = :F", b).rows.at(0).values[0].asText();
    for (const PacketRow& row : sqlSelect(s_,
                                          "SELECT C.CDCLIENTE, C.CDCONSUMIDOR, C.CDCCUSCLIE, C.CDTIPOCONS, "
                                          "C.NRINSCRCONS, S.VRSALDOCONS FROM CONSUMIDOR C "
                                          "JOIN SALDOCONS S ON S.CDCLIENTE = C.CDCLIENTE AND S.CDCONSUMIDOR = "
                                          "C.CDCONSUMIDOR ORDER BY C.CDCLIENTE, C.CDCONSUMIDOR",
                                          {})
                                    .rows)
      consumers_.push_back({row.values[0].asText(), row.values[1].asText(), row.values[2].asText(),
                            row.values[3].asText(), row.values[4].asText(), cents(row.values[5]) >= 50000});
    for (const PacketRow& row : sqlSelect(s_, "SELECT CDVENDEDOR FROM VENDEDOR ORDER BY CDVENDEDOR", {}).rows)
      sellers_.push_back(row.values[0].asText());
    for (const PacketRow& row :
         sqlSelect(s_, "SELECT CDSERVFILI FROM SERVICO WHERE CDFILIAL = :F ORDER BY CDSERVFILI", b).rows)
      services_.push_back(row.values[0].asText());
    for (const PacketRow& row : sqlSelect(s_, "SELECT DTREFIND, VRINDICE FROM MOVINDICE WHERE CDINDICE = '0001'", {},
                                          {{"DTREFIND", FieldType::DateTime}, {"VRINDICE", FieldType::Float}})
                                    .rows)
      usdQuotes_[static_cast<long long>(row.values[0].dateTime().days)] = row.values[1].asNumber();
  }

  soci::session& s_;
  Random& r_;
  std::string branch_;
  Inserter venda_, item_, tax_, cancelled_, movement_, debit_;
  SqlCommand balance_;
  std::vector<Product> products_;
  std::vector<std::string> clients_, sellers_, services_;
  std::vector<Consumer> consumers_;
  std::string defaultClient_;
  std::map<long long, double> usdQuotes_;
  std::map<std::string, long long> counters_;
  std::map<std::string, int> movements_, consumerMoves_;
};

struct RegisterInfo {
  std::string shop, series, ecf, model;
};
RegisterInfo registerInfo(soci::session& s, const std::string& branch, const std::string& reg) {
  const DataPacket p =
      sqlSelect(s,
                "SELECT C.CDLOJA, E.NRSERIE, E.NRECF, E.DSMODMARCAECF FROM CAIXA C "
                "JOIN ECFCAIXA E ON E.CDFILIAL = C.CDFILIAL AND E.CDCAIXA = C.CDCAIXA AND E.IDATIVO = 'S' "
                "WHERE C.CDFILIAL = :F AND C.CDCAIXA = :C",
                {{"F", branch}, {"C", reg}});
  if (p.rows.empty()) throw SqlError("Caixa " + branch + "/" + reg + " não cadastrado.");
  const auto& v = p.rows[0].values;
  return {v[0].asText(), v[1].asText(), v[2].asText(), v[3].asText()};
}

// Every column of a Z reduction, in the order the writers give them.
Inserter reductionInserter(soci::session& s) {
  return Inserter(s, "REDUCAOZ",
                  "CDFILIAL CDCAIXA NRECFREDZ DTREDUCAOZ NRREINIREDZ NRREDREDZ NRLEITREDZ NRGERCNFREDZ "
                  "NRCANCFREDZ NRPRIMCFREDZ NRULTCFREDZ VRGTREDZ VRVENBRUREDZ VRISSREDZ VRTOTCANREDZ "
                  "VRTOTDESREDZ VRVENLIQREDZ VRTOTACRREDZ VRSTRIBREDZ VRISENCREDZ VRNINCIDREDZ "
                  "QTTEMLIGREDZ QTTEMPCFREDZ QTMEMRESREDZ IDORIGEMREDZ NRSERIEREDZ IDSTATUS CDOPERADOR "
                  "DSMODMARCAECF",
                  "SSSDSSSSSSSFFFFFFFFFFSSFSSSSS");
}

// The Z reduction of one printer and day, agreeing with the day's sales:
// net sale = concluded and returned sales; gross = net + cancellations +
// discounts; the tax columns split the net by the items' tax class.
void writeReduction(soci::session& s, Random& r, const Opening& o, const RegisterInfo& info, const DayTotals& t,
                    long long& grandTotal, int reductionNo, bool approved) {
  const long long gross = t.net + t.cancelled + t.discounts;
  grandTotal += gross;
  Inserter z = reductionInserter(s);
  const std::string zero = pad(0, 10);
  z.add({o.branch,
         o.reg,
         info.ecf,
         o.day,
         pad(1, 10),
         pad(reductionNo, 10),
         zero,
         pad(t.withdrawals + 1, 10),
         pad(t.cancelledCount, 10),
         t.firstCoupon.empty() ? zero : pad(std::stoll(t.firstCoupon), 10),
         t.lastCoupon.empty() ? zero : pad(std::stoll(t.lastCoupon), 10),
         money(grandTotal),
         money(gross),
         0.0,
         money(t.cancelled),
         money(t.discounts),
         money(t.net),
         money(t.surcharges),
         money(t.substitution),
         money(t.exempt),
         money(t.nonIncidence),
         hourText(static_cast<int>(r.between(14, 16)) * 3600).substr(0, 5),
         hourText(static_cast<int>(r.between(1, 3)) * 3600 + static_cast<int>(r.between(0, 59)) * 60).substr(0, 5),
         static_cast<double>(r.between(1200, 1800)),
         r.chance(80) ? "IMP" : "VND",
         info.series,
         approved ? Value("A") : Value(),
         o.operatorCode,
         info.model});
  Inserter imp(s, "IMPOSTOREDZ", "CDFILIAL CDCAIXA NRECFREDZ DTREDUCAOZ CDIMPOSTO VRALIQIMPRZ VRBCALCIMPRZ VRIMPOSTORZ",
               "SSSDSFFF");
  for (const auto& [code, base] : t.icmsBase) {
    const double rate = taxDef(code).rate;
    imp.add(
        {o.branch, o.reg, info.ecf, o.day, code, rate, money(base), money(base * static_cast<long long>(rate) / 100)});
  }
  Inserter tot(s, "TOTNFISCREDZ",
               "CDFILIAL CDCAIXA NRECFREDZ DTREDUCAOZ NRTOTNFISCRZ DSTOTNFISCRZ NRCONTOTNFIS "
               "VRACUTOTNFIS",
               "SSSDSSSF");
  tot.add({o.branch, o.reg, info.ecf, o.day, "01", "Sangria", pad(t.withdrawals, 4), money(t.withdrawn)});
  tot.add({o.branch, o.reg, info.ecf, o.day, "02", "Suprimento", pad(1, 4), money(10000)});
  Inserter form(s, "FORMPGTOREDZ", "CDFILIAL CDCAIXA NRECFREDZ DTREDUCAOZ CDTIPORECE VRFORMPGTORZ CDTPRECEORIG",
                "SSSDSFS");
  for (const auto& [type, amount] : t.forms) form.add({o.branch, o.reg, info.ecf, o.day, type, money(amount), type});
  if (r.chance(35))
    sqlExecute(s,
               "INSERT INTO OBSREDUCAOZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, NRSEQOBSREDZ, "
               "DTOBSERVREDZ, DSOBSERVREDZ, CDOPERADOR) VALUES (:F, :C, :E, :D, '0001', :O, :T, :P)",
               {{"F", o.branch},
                {"C", o.reg},
                {"E", info.ecf},
                {"D", o.day},
                {"O", DateTime(o.day.days + 1)},
                {"T", "Redução conferida com a fita detalhe pelo financeiro."},
                {"P", o.operatorCode}});
}

// Sale times spread over the opening, in order.
std::vector<int> saleTimes(Random& r, int count, int from, int to) {
  std::vector<int> times;
  for (int i = 0; i < count; ++i) times.push_back(static_cast<int>(r.between(from, to - 1)));
  std::sort(times.begin(), times.end());
  return times;
}

void writeSales(soci::session& s, Random& r) {
  const DateTime first = demoFirstDay();
  const std::vector<DemoOperator>& ops = demoOperators();
  for (const BranchDef& b : branches()) {
    SaleWriter writer(s, r, b.code);
    for (size_t i = 0; i < b.registers.size(); ++i) {
      const std::string reg = pad(static_cast<long long>(i) + 1, 3);
      const RegisterInfo info = registerInfo(s, b.code, reg);
      long long grandTotal = r.between(100000, 900000) * 100;
      int reductionNo = static_cast<int>(r.between(100, 400));
      for (int d = 0; d < kDemoDays; ++d) {
        const DateTime day(first.days + d);
        const bool closedDay = d < kDemoDays - 1;
        // One register of the main branch works two shifts on the third day.
        const bool twoShifts = std::string(b.code) == "0001" && reg == "002" && d == 2;
        DayTotals totals;
        Opening o;
        for (int shift = 0; shift < (twoShifts ? 2 : 1); ++shift) {
          const DemoOperator& op = ops[(i + static_cast<size_t>(shift) + d) % 5];
          o = {b.code,
               reg,
               info.shop,
               info.series,
               op.code,
               op.name,
               at(day, shift ? 14 : 6, shift ? 5 : static_cast<int>(i) * 5),
               day};
          o.secondsFrom = shift ? 14 * 3600 + 600 : 6 * 3600 + 1800;
          o.secondsTo = twoShifts && !shift ? 14 * 3600 : 22 * 3600;
          Value closed;
          if (closedDay) closed = at(day, o.secondsTo / 3600, 0);
          writer.openRegister(o, closed);
          const int count = static_cast<int>(r.between(6, 14));
          for (int when : saleTimes(r, count, o.secondsFrom, o.secondsTo)) {
            const int roll = static_cast<int>(r.between(1, 100));
            const char status = closedDay ? (roll <= 80   ? 'O'
                                             : roll <= 90 ? 'C'
                                                          : 'D')
                                          : (roll <= 40   ? 'P'
                                             : roll <= 80 ? 'O'
                                                          : 'C');
            writer.sale(o, status, when, closedDay && d < 3 && status != 'C', totals);
          }
          if (closedDay) writer.withdrawal(o, totals);
        }
        if (closedDay)
          writeReduction(s, r, o, info, totals, grandTotal, ++reductionNo,
                         std::string(b.code) == "0001" && reg == "001" && d == 0);
      }
    }
  }
}

// Two register days of the main branch opened the day before the first
// one (within the branch's allowance before its processing date), without
// sales, for the Z reduction's whole life on the
// demo database: register 003 carries a reduction typed here, with an
// observation, not yet approved (to correct or delete), register 004 none (to type one, confirm
// and close the day). Nothing is drawn from the generator, so the rest of
// the data stays as it was.
void writeQuietDays(soci::session& s) {
  const DateTime day(demoFirstDay().days - 1);
  const DemoOperator& op = demoOperators()[0];
  for (const char* reg : {"003", "004"})
    sqlExecute(s,
               "INSERT INTO TURCAIXA (CDFILIAL, CDCAIXA, DTABERCAIX, DTMOVTURCAIX, DTFECHCAIX, "
               "NRECFTURCAIX, CDOPERADOR, CDOPERABER, CDOPEFECHA) "
               "VALUES ('0001', :C, :A, :M, NULL, :C, :O, :O, NULL)",
               {{"C", reg}, {"A", at(day, 6, 0)}, {"M", day}, {"O", op.code}});
  const RegisterInfo info = registerInfo(s, "0001", "003");
  // The printer's next reduction starts where this one ends.
  const DataPacket next = sqlSelect(
      s,
      "SELECT NRREDREDZ, VRGTREDZ, VRVENBRUREDZ FROM REDUCAOZ WHERE CDFILIAL = "
      "'0001' AND CDCAIXA = '003' ORDER BY DTREDUCAOZ",
      {}, {{"NRREDREDZ", FieldType::String, 10}, {"VRGTREDZ", FieldType::Float}, {"VRVENBRUREDZ", FieldType::Float}});
  const auto& n = next.rows.at(0).values;
  const long long reduction = std::stoll(n[0].asText()) - 1;
  const double grandTotal = n[1].asNumber() - n[2].asNumber();
  Inserter z = reductionInserter(s);
  const std::string zero = pad(0, 10);
  z.add({"0001", "003",       info.ecf, day,     pad(1, 10), pad(reduction, 10),
         zero,   pad(1, 10),  zero,     zero,    zero,       grandTotal,
         0.0,    0.0,         0.0,      0.0,     0.0,        0.0,
         0.0,    0.0,         0.0,      "0",     "0",        1500.0,
         "VND",  info.series, Value(),  op.code, info.model});
  sqlExecute(s,
             "INSERT INTO OBSREDUCAOZ (CDFILIAL, CDCAIXA, NRECFREDZ, DTREDUCAOZ, NRSEQOBSREDZ, "
             "DTOBSERVREDZ, DSOBSERVREDZ, CDOPERADOR) VALUES ('0001', '003', :E, :D, '0001', :D, :T, :P)",
             {{"E", info.ecf}, {"D", day}, {"T", "Redução digitada a conferir com a fita detalhe."}, {"P", op.code}});
}

}  // namespace

const std::vector<DemoOperator>& demoOperators() {
  static const std::vector<DemoOperator> all = {
      {"000000000001", "Ana Paula Ferraz", "ana123", true}, {"000000000002", "Bruno Cardoso", "bruno123", true},
      {"000000000003", "Carla Nogueira", "carla123", true}, {"000000000004", "Diego Siqueira", "diego123", true},
      {"000000000005", "Elisa Moreira", "elisa123", true},  {"000000000006", "Fábio Queiroz", "fabio123", false},
      {"000000000099", "Supervisor", "super123", true},
  };
  return all;
}

DateTime demoFirstDay() { return encodeDate(2026, 3, 2); }

void loadDemoData(soci::session& session, std::uint64_t seed) {
  Random r(seed);
  Transaction tx(session);
  writeReference(session, r);
  writeSales(session, r);
  writeQuietDays(session);
  tx.commit();
}

void createDemoDatabase(const std::string& connString, std::uint64_t seed) {
  SqlConnection c(connString);
  migrate(c.session());
  loadDemoData(c.session(), seed);
}

DateTime generateBusyDay(soci::session& session, const std::string& branch, const std::string& reg, DateTime date,
                         int sales, std::uint64_t seed) {
  Random r(seed ^ static_cast<std::uint64_t>(date.days * 1000));
  Transaction tx(session);
  const RegisterInfo info = registerInfo(session, branch, reg);
  const DemoOperator& op = demoOperators().front();
  SaleWriter writer(session, r, branch);
  Opening o{branch, reg, info.shop, info.series, op.code, op.name, at(dateOf(date), 6, 0), dateOf(date)};
  writer.openRegister(o, Value());
  DayTotals totals;
  const int span = o.secondsTo - o.secondsFrom;
  for (int i = 0; i < sales; ++i)
    writer.sale(o, r.chance(95) ? 'O' : 'P',
                o.secondsFrom + static_cast<int>(static_cast<long long>(i) * span / std::max(sales, 1)), false, totals);
  tx.commit();
  return o.opened;
}

}  // namespace server
