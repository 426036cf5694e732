#include "platform/datapacket.h"

#include "platform/text.h"

namespace platform {

int DataPacket::fieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields.size(); ++i)
    if (equalsIgnoreCase(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace platform
