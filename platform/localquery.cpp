#include "platform/localquery.h"

#include "platform/text.h"

namespace platform {
namespace {

// Look-up queries only read: a text that starts with anything but SELECT or
// WITH is refused before it reaches the database.
bool isQuery(std::string_view sql) {
  const std::string t = upperAscii(trimLeft(sql));
  return t.rfind("SELECT", 0) == 0 || t.rfind("WITH", 0) == 0;
}

}  // namespace

const std::string& TADOIBQuery::textFor(SqlDialect dialect) const {
  const std::string* own = nullptr;
  switch (dialect) {
    case SqlDialect::Oracle: own = &SQL_ORACLE; break;
    case SqlDialect::MSSQL: own = &SQL_MSSQL; break;
    case SqlDialect::InterBase: own = &SQL_IB; break;
    case SqlDialect::SQLite: own = &SQL_SQLITE; break;
    case SqlDialect::PostgreSQL: own = &SQL_POSTGRESQL; break;
  }
  return own && !trim(*own).empty() ? *own : SQL;
}

void TADOIBQuery::declareField(FieldDef def, std::string label, bool visible) {
  fields_.push_back({std::move(def), std::move(label), visible});
}

void TADOIBQuery::setParam(std::string_view name, Value value) {
  for (SqlParam& p : params_)
    if (equalsIgnoreCase(p.name, name)) {
      p.value = std::move(value);
      return;
    }
  params_.push_back({std::string(name), std::move(value)});
}

Value TADOIBQuery::param(std::string_view name) const {
  for (const SqlParam& p : params_)
    if (equalsIgnoreCase(p.name, name)) return p.value;
  return Value();
}

void TADOIBQuery::open() {
  close();
  if (!connection_) throw SqlError("Consulta sem conexão com o banco de dados.");
  const std::string& text = textFor(connection_->dialect());
  if (trim(text).empty())
    throw SqlError("Consulta sem texto para o banco de dados " +
                   std::string(dialectName(connection_->dialect())) + ".");
  if (!isQuery(text)) throw SqlError("Consulta local só pode ler dados.");
  SqlParams bound;
  for (const std::string& name : parameterNames(text)) bound.push_back({name, param(name)});
  std::vector<FieldDef> defs;
  for (const QueryField& f : fields_) defs.push_back(f.def);
  packet_ = sqlSelect(connection_->session(), text, bound, defs);
  row_ = 0;
  active_ = true;
}

void TADOIBQuery::close() {
  packet_ = DataPacket();
  row_ = 0;
  active_ = false;
}

Value TADOIBQuery::fieldByName(std::string_view name) const {
  const int i = packet_.fieldIndex(name);
  if (i < 0) {
    bool declared = false;
    for (const QueryField& f : fields_) declared = declared || equalsIgnoreCase(f.def.name, name);
    if (!declared) throw SqlError("Campo " + std::string(name) + " não encontrado na consulta.");
    return Value();
  }
  if (eof()) return Value();
  return packet_.rows[row_].values[static_cast<size_t>(i)];
}

}  // namespace platform
