#pragma once
// The logon context (the framework's Vastrel unit) and the shared local
// database connection (the suite's dtmDBGeral data module).
//
// The host fills the context at logon with setLogon(); the functions below
// read the context in force. Tests set their own context and restore the
// previous one with LogonScope.
//
// Product-code pictures (DBPict/DBPictObj kind 0) come from the product
// tree's level table NIVELPROD of the local database (one row per level, in
// CDNVPRODUTO order, with its digit count NRDIGNIVEL): each level is a run
// of optional digits, runs separated by '.', the code stored without the
// separators ("99.99.9999;0;_" for levels of 2, 2 and 4 digits). Without a
// connection, or when the table is missing or empty, the demo tree's levels
// 2 + 2 + 4 apply. Levels are read once per context and connection.
//
// Thread-safety: none; set at start-up and read on the user-interface
// thread.

#include <string>
#include <vector>

namespace platform {

class SqlConnection;

struct LogonContext {
  std::string filiProc;      // processing branch code
  std::string nomeFiliProc;  // its name
  std::string operador;      // logged operator code
  std::string nomeOperador;
  bool moduFili = false;  // the module is bound to the processing branch
  std::string webURL;     // application server host
  int webPort = 0;
};

void setLogon(const LogonContext& context);
const LogonContext& logon();

// Restores the context in force before it on destruction.
class LogonScope {
 public:
  explicit LogonScope(const LogonContext& context);
  ~LogonScope();
  LogonScope(const LogonScope&) = delete;
  LogonScope& operator=(const LogonScope&) = delete;

 private:
  LogonContext previous_;
};

// The shared local database connection; nullptr until the host sets one.
// Local queries (TADOIBQuery) created without a connection run on it.
SqlConnection* dtmDBGeral();
void setDtmDBGeral(SqlConnection* connection);

std::string FiliProc();
std::string NomeFiliProc();
std::string Operador();
std::string NomeOperador();
bool ModuFili();
std::string WebURL();
int WebPort();

// The processing branch's personalisation value for `item` (table
// ITEMPERSON, DSVALORPERS), trimmed; "" when the branch has none for that
// item or no shared connection is set. A database failure throws SqlError.
std::string GetPersonal(int item);

// Digit counts of the product tree's levels, top level first.
std::vector<int> productLevels();
// The number of levels of the product tree.
int GetTtNiveis();
// Kind 0: the product-code edit mask for data fields ("99.99.9999;0;_",
// stored without separators). Other kinds: "".
std::string DBPict(int kind);
// Kind 0: the same picture for plain masked edits, keeping the separators
// in the text ("99.99.9999;1;_"). Other kinds: "".
std::string DBPictObj(int kind);

}  // namespace platform
