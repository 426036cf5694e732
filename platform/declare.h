#pragma once
// Table-driven declarations of record-set fields, local-query fields and grid
// columns, so that each subsystem states its record sets as plain tables in
// the order the server delivers the columns.
//
// Thread-safety: as the record set or grid declared (user-interface thread).

#include <optional>
#include <span>

#include "platform/dataset.h"
#include "platform/dbcontrols.h"
#include "platform/localquery.h"

namespace platform {

// One field: what the server sends (name, type, size) and how controls show
// it. Empty texts and zero widths leave the field's defaults.
struct FieldSpec {
  const char* name;
  FieldType type = FieldType::String;
  int size = 0;
  const char* label = "";
  bool visible = true;
  const char* displayFormat = "";
  const char* editFormat = "";
  const char* editMask = "";
  bool readOnly = false;
  int displayWidth = 0;
  std::optional<Alignment> alignment = std::nullopt;
  bool calculated = false;
};

// Adds the fields in order; the record set must be inactive.
void declareFields(ClientDataSet& set, std::span<const FieldSpec> fields);
// Declares a query's result fields (name, type, size, label, visibility);
// a display width is applied to the field the query creates.
void declareFields(TADOIBQuery& query, std::span<const FieldSpec> fields);

// One grid column; an empty title takes the field's label.
struct ColumnSpec {
  const char* field;
  const char* title = "";
  int width = 0;
  bool readOnly = false;
  bool visible = true;
  bool ellipsis = false;
};

// Replaces the grid's columns by these, in order.
void declareColumns(DBGrid& grid, std::span<const ColumnSpec> columns);

}  // namespace platform
