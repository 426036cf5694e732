#include "platform/localquery.h"

#include <stdexcept>

#include "platform/logon.h"
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

TADOIBQuery::TADOIBQuery(std::string name, SqlConnection* connection)
    : ClientDataSet(std::move(name)), connection_(connection) {
  const auto refuse = [](ClientDataSet& ds) {
    throw std::logic_error(ds.name() + ": consulta local é somente leitura.");
  };
  BeforeInsert = refuse;
  BeforeEdit = refuse;
  BeforeDelete = refuse;
}

SqlConnection* TADOIBQuery::connection() const { return connection_ ? connection_ : dtmDBGeral(); }

const std::string& TADOIBQuery::textFor(SqlDialect dialect) const {
  const std::string* own = nullptr;
  switch (dialect) {
    case SqlDialect::Oracle:
      own = &SQL_ORACLE;
      break;
    case SqlDialect::MSSQL:
      own = &SQL_MSSQL;
      break;
    case SqlDialect::InterBase:
      own = &SQL_IB;
      break;
    case SqlDialect::SQLite:
      own = &SQL_SQLITE;
      break;
    case SqlDialect::PostgreSQL:
      own = &SQL_POSTGRESQL;
      break;
  }
  return own && !trim(*own).empty() ? *own : SQL;
}

void TADOIBQuery::declareField(FieldDef def, std::string label, bool visible) {
  close();
  Field& f = addField(def.name, def.type, def.size);
  f.setRequired(def.required).setVisible(visible).setReadOnly(true);
  if (!label.empty()) f.setDisplayLabel(label);
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
  SqlConnection* connection = this->connection();
  if (!connection) throw SqlError("Consulta sem conexão com o banco de dados.");
  const std::string& text = textFor(connection->dialect());
  if (trim(text).empty())
    throw SqlError("Consulta sem texto para o banco de dados " + std::string(dialectName(connection->dialect())) + ".");
  if (!isQuery(text)) throw SqlError("Consulta local só pode ler dados.");
  SqlParams bound;
  for (const std::string& name : parameterNames(text)) bound.push_back({name, param(name)});
  std::vector<FieldDef> defs;
  for (const QueryField& f : fields_) defs.push_back(f.def);
  setData(sqlSelect(connection->session(), text, bound, defs));
  for (int i = 0; i < fieldCount(); ++i) field(i).setReadOnly(true);
}

void TADOIBQuery::close() {
  pastEnd_ = false;
  ClientDataSet::close();
}

void TADOIBQuery::first() {
  pastEnd_ = false;
  if (active()) ClientDataSet::first();
}

void TADOIBQuery::next() {
  if (!active()) return;
  if (moveBy(1) == 0) pastEnd_ = true;
}

Value TADOIBQuery::fieldByName(std::string_view name) const {
  const Field* f = findField(name);
  if (!f) {
    bool declared = false;
    for (const QueryField& q : fields_) declared = declared || equalsIgnoreCase(q.def.name, name);
    if (!declared) throw SqlError("Campo " + std::string(name) + " não encontrado na consulta.");
    return Value();
  }
  if (!active() || isEmpty() || (pastEnd_ && eof())) return Value();
  return f->value();
}

}  // namespace platform
