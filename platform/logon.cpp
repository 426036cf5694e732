#include "platform/logon.h"

#include <optional>

#include "platform/sqlaccess.h"
#include "platform/text.h"

namespace platform {
namespace {

struct Globals {
  LogonContext context;
  SqlConnection* connection = nullptr;
  std::optional<std::vector<int>> levels;  // read once per context and connection
};

// Never destroyed: objects that live in static storage of their own (a
// session, a test rig, the module's screen) restore or read the context from
// their destructors, which may run after this function's statics are gone.
Globals& globals() {
  static Globals* const g = new Globals;
  return *g;
}

// The product tree of the demo database: 01, 0101, 01010001.
const std::vector<int> kDefaultLevels{2, 2, 4};

std::vector<int> readLevels() {
  SqlConnection* c = globals().connection;
  if (!c) return kDefaultLevels;
  try {
    const DataPacket p = sqlSelect(c->session(), "SELECT NRDIGNIVEL FROM NIVELPROD ORDER BY CDNVPRODUTO", {},
                                   {{"NRDIGNIVEL", FieldType::Integer, 0, false}});
    std::vector<int> levels;
    for (const PacketRow& r : p.rows) {
      const int digits = static_cast<int>(r.values[0].asNumber());
      if (digits > 0) levels.push_back(digits);
    }
    return levels.empty() ? kDefaultLevels : levels;
  } catch (const SqlError&) {
    return kDefaultLevels;
  }
}

std::string productPicture() {
  std::string picture;
  for (int digits : productLevels()) {
    if (!picture.empty()) picture += '.';
    picture.append(static_cast<size_t>(digits), '9');
  }
  return picture;
}

}  // namespace

void setLogon(const LogonContext& context) {
  globals().context = context;
  globals().levels.reset();
}

const LogonContext& logon() { return globals().context; }

LogonScope::LogonScope(const LogonContext& context) : previous_(logon()) { setLogon(context); }
LogonScope::~LogonScope() { setLogon(previous_); }

SqlConnection* dtmDBGeral() { return globals().connection; }

void setDtmDBGeral(SqlConnection* connection) {
  globals().connection = connection;
  globals().levels.reset();
}

std::string FiliProc() { return logon().filiProc; }
std::string NomeFiliProc() { return logon().nomeFiliProc; }
std::string Operador() { return logon().operador; }
std::string NomeOperador() { return logon().nomeOperador; }
bool ModuFili() { return logon().moduFili; }
std::string WebURL() { return logon().webURL; }
int WebPort() { return logon().webPort; }

std::string GetPersonal(int item) {
  SqlConnection* c = dtmDBGeral();
  if (!c) return {};
  const DataPacket p = sqlSelect(
      c->session(), "SELECT DSVALORPERS FROM ITEMPERSON WHERE CDFILIAL = :P_CDFILIAL AND NRITEMPERS = :P_NRITEMPERS",
      {{"P_CDFILIAL", FiliProc()}, {"P_NRITEMPERS", item}}, {{"DSVALORPERS", FieldType::String, 100, false}});
  return p.rows.empty() ? std::string() : trim(p.rows[0].values[0].asText());
}

std::vector<int> productLevels() {
  if (!globals().levels) globals().levels = readLevels();
  return *globals().levels;
}

int GetTtNiveis() { return static_cast<int>(productLevels().size()); }

std::string DBPict(int kind) { return kind == 0 ? productPicture() + ";0;_" : std::string(); }
std::string DBPictObj(int kind) { return kind == 0 ? productPicture() + ";1;_" : std::string(); }

}  // namespace platform
