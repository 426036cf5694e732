#include "platform/declare.h"

namespace platform {

namespace {

void applyLook(Field& f, const FieldSpec& s) {
  if (*s.label) f.setDisplayLabel(s.label);
  f.setVisible(s.visible);
  if (*s.displayFormat) f.setDisplayFormat(s.displayFormat);
  if (*s.editFormat) f.setEditFormat(s.editFormat);
  if (*s.editMask) f.setEditMask(s.editMask);
  if (s.displayWidth) f.setDisplayWidth(s.displayWidth);
  if (s.alignment) f.setAlignment(*s.alignment);
}

}  // namespace

void declareFields(ClientDataSet& set, std::span<const FieldSpec> fields) {
  for (const FieldSpec& s : fields) {
    Field& f = set.addField(s.name, s.type, s.size, s.calculated ? FieldKind::Calculated : FieldKind::Data);
    applyLook(f, s);
    if (s.readOnly) f.setReadOnly(true);
  }
}

void declareFields(TADOIBQuery& query, std::span<const FieldSpec> fields) {
  for (const FieldSpec& s : fields) {
    query.declareField(FieldDef{s.name, s.type, s.size, false}, s.label, s.visible);
    applyLook(*query.findField(s.name), s);
  }
}

void declareColumns(DBGrid& grid, std::span<const ColumnSpec> columns) {
  grid.clearColumns();
  for (const ColumnSpec& s : columns) {
    Column& c = grid.addColumn(s.field, s.title, s.width);
    c.setReadOnly(s.readOnly);
    c.setVisible(s.visible);
    c.setButtonStyle(s.ellipsis ? ButtonStyle::Ellipsis : ButtonStyle::None);
  }
}

}  // namespace platform
