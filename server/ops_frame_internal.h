#pragma once
// Pieces shared by the frame's operation files (ops_frame.cpp,
// ops_register.cpp, ops_sale.cpp); not part of the server's interface.

#include <string>
#include <vector>

#include "platform/datapacket.h"
#include "platform/value.h"
#include "server/operation.h"

namespace server {

void registerRegisterOperations(OperationRegistry& registry);
void registerSaleHeaderOperations(OperationRegistry& registry);

// Argument readers: the registry has checked the kinds; Null reads as the
// empty text, the zero date, or no packet.
inline std::string textArg(const platform::Value& v) { return v.asText(); }
inline platform::DateTime dateArg(const platform::Value& v) { return v.asDateTime(); }
inline const platform::DataPacket* packetArg(const platform::Value& v) { return v.isPacket() ? &v.packet() : nullptr; }

// A delta's row as a field-name lookup, over its new values or, for the
// stored side of a Modify or Delete, its original values.
class DeltaRow {
 public:
  DeltaRow(const platform::DataPacket& delta, const platform::PacketRow& row, bool original);
  bool has(std::string_view field) const { return delta_.fieldIndex(field) >= 0; }
  // Null when the delta does not carry the field.
  const platform::Value& operator[](std::string_view field) const;
  std::string text(std::string_view field) const { return (*this)[field].asText(); }

 private:
  const platform::DataPacket& delta_;
  const std::vector<platform::Value>& values_;
};

// The same delta restricted to rows of the given kinds, in their order.
platform::DataPacket deltaRows(const platform::DataPacket& delta, std::initializer_list<platform::RowKind> kinds);

// Names of the delta fields, among `columns`, whose new value differs from
// the original one in a Modify row (texts without trailing blanks, empty
// text as null).
std::vector<std::string> changedColumns(const platform::DataPacket& delta, const platform::PacketRow& row,
                                        const std::vector<std::string>& columns);

}  // namespace server
