#include "platform/lookup.h"

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

}  // namespace platform
