#pragma once
// The sales of one register opening, as the sales grid's record set declares
// them: the stored sale columns with the names joined from the client,
// consumer, seller and service registers, and whether the sale has
// cancelled items. Parameters :CDFILIAL, :CDCAIXA and :DTABERCAIX name the
// opening. The query rides on the index of sales by register opening.

#include <string>
#include <vector>

#include "platform/datapacket.h"

namespace server {

const std::vector<platform::FieldDef>& saleFields();
const std::string& salesOfOpeningSql();

}  // namespace server
