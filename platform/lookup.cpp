#include "platform/lookup.h"

#include "platform/consiste.h"
#include "platform/dataset.h"
#include "platform/datasource.h"
#include "platform/uiservice.h"

namespace platform {

bool Pesquisar(DataSource& source, std::string_view text, bool, bool) {
  ClientDataSet* set = source.dataSet();
  if (!set) return false;
  const size_t bar = text.find('|');
  const std::string title(text.substr(0, bar));
  const std::string empty(bar == std::string_view::npos ? std::string_view() : text.substr(bar + 1));
  return ui().pickRecord(*set, title, empty);
}

void Procura(ClientDataSet& set) { ui().searchRecord(set); }

bool ProcuraTexto(ClientDataSet& set, std::string_view fieldName, std::string_view typed) {
  const LocateOptions prefix{true, true};
  const int width = set.fieldByName(fieldName).size();
  if (width > 0) {
    const std::string padded = Ajusta(typed, static_cast<size_t>(width));
    if (padded != typed && set.locate(fieldName, Value(padded), prefix)) return true;
  }
  return set.locate(fieldName, Value(std::string(typed)), prefix);
}

}  // namespace platform
