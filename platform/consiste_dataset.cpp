#include <stdexcept>

#include "platform/abort.h"
#include "platform/datasethelpers.h"
#include "platform/datetime.h"
#include "platform/text.h"

namespace platform {

void Seta_Campo_Null(ClientDataSet& ds) {
  if (!ds.editing()) throw std::logic_error(ds.name() + ": Seta_Campo_Null fora de edição ou inclusão.");
  for (int i = 0; i < ds.fieldCount(); ++i) {
    Field& f = ds.field(i);
    if (f.calculated()) continue;
    const Value v = f.value();
    if (v.isText() && trim(v.text()).empty()) f.clear();
  }
}

void CheckDateTime(Field& field, const std::string& text) {
  const std::optional<DateTime> d = text.find('/') == std::string::npos ? std::nullopt : parseDateTime(text);
  if (!d) throw UserError("'" + text + "' não é uma data válida.");
  field.setValue(Value(*d));
}

}  // namespace platform
