#pragma once
// Field: one column of a client record set as the screen and its data-aware
// controls see it. A field reads and writes the record set's current record
// (or, inside ClientDataSet::withViewRow, the row being drawn).
//
// Assignments convert to the field's type: text typed into a number or date
// field is parsed with the Brazilian separators and forms, and a text that is
// not valid raises UserError with a Portuguese message ("'abc' não é um
// valor numérico válido."); a text longer than the field's size is cut to
// the size in characters; fixed-length texts are blank-padded. Assigning a
// data field outside edit or insert state, or any field outside the moments
// the record set allows it, is a programming error (std::logic_error).
//
// Calculated fields are not stored and never reach packets or the change
// log; the record set's OnCalcFields fills them whenever the current
// record's calculated values are refreshed (after open, on scroll, after
// post and cancel). They may be assigned inside OnCalcFields and, as a
// temporary display, while the record set is in edit or insert state.
//
// The properties below the value accessors (label, formats, mask, width...)
// are for the controls; the record set itself only uses `required` (checked
// on post) and the formats (text and display text). `readOnly` tells
// controls not to let the user type; code may still assign the field.
//
// Fields are created and owned by their ClientDataSet and live as long as it.
// Thread-safety: none; the user-interface thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/datapacket.h"
#include "platform/value.h"

namespace platform {

class ClientDataSet;

enum class FieldKind : std::uint8_t { Data, Calculated };
enum class Alignment : std::uint8_t { Left, Right, Center };

class Field {
 public:
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const std::string& name() const { return name_; }
  FieldType type() const { return type_; }
  int size() const { return size_; }
  FieldKind kind() const { return kind_; }
  bool calculated() const { return kind_ == FieldKind::Calculated; }
  int index() const { return index_; }  // position in the record set's field list
  ClientDataSet& dataSet() const { return *ds_; }
  FieldDef def() const { return {name_, type_, size_, required_}; }

  // Current value. Null when the record set is closed or empty.
  Value value() const;
  void setValue(const Value& v);
  bool isNull() const { return value().isNull(); }
  void clear() { setValue(Value()); }

  // Typed reads. Null reads as "", 0, the zero date and false; a text that
  // does not convert raises UserError.
  std::string asString() const;
  double asFloat() const;
  long long asInteger() const;
  DateTime asDateTime() const;
  bool asBoolean() const;
  void setAsString(std::string_view s) { setValue(Value(s)); }
  void setAsFloat(double d) { setValue(Value(d)); }
  void setAsInteger(long long i) { setValue(Value(i)); }
  void setAsDateTime(DateTime d) { setValue(Value(d)); }
  void setAsBoolean(bool b) { setValue(Value(b)); }

  // The value as last loaded or merged (the change log's original), null
  // for a record inserted since; and the value being written.
  Value oldValue() const;
  Value newValue() const { return value(); }

  // Text for editing (edit format, else display format) and for showing
  // (display format): numbers through the number patterns, dates as
  // dd/mm/yyyy [hh:nn:ss] or through a date pattern, booleans as "Sim" and
  // "Não" unless the display format gives "yes;no" texts. OnGetText may
  // rewrite the text; it receives the default text.
  std::string text() const;
  std::string displayText() const;
  // Assigns typed text: OnSetText when set, otherwise an empty text clears
  // the field and any other text is converted by type.
  void setText(const std::string& text);

  // Converts v as an assignment would, without assigning.
  Value convert(const Value& v) const;

  // Asks the controls showing this field to take the focus, as validations
  // do before they report, so the user lands on the offending field.
  void focusControl();

  const std::string& displayLabel() const { return displayLabel_.empty() ? name_ : displayLabel_; }
  Field& setDisplayLabel(std::string s) {
    displayLabel_ = std::move(s);
    return *this;
  }
  bool visible() const { return visible_; }
  Field& setVisible(bool b) {
    visible_ = b;
    return *this;
  }
  const std::string& displayFormat() const { return displayFormat_; }
  Field& setDisplayFormat(std::string s) {
    displayFormat_ = std::move(s);
    return *this;
  }
  const std::string& editFormat() const { return editFormat_; }
  Field& setEditFormat(std::string s) {
    editFormat_ = std::move(s);
    return *this;
  }
  const std::string& editMask() const { return editMask_; }
  Field& setEditMask(std::string s) {
    editMask_ = std::move(s);
    return *this;
  }
  // The edit mask shapes a text typed into a grid cell only while the text
  // fits it; a character the mask refuses turns the cell into plain text,
  // taken as typed (a bar code typed where a product-tree code is masked).
  bool maskOptional() const { return maskOptional_; }
  Field& setMaskOptional(bool b) {
    maskOptional_ = b;
    return *this;
  }
  bool readOnly() const { return readOnly_; }
  Field& setReadOnly(bool b) {
    readOnly_ = b;
    return *this;
  }
  int tag() const { return tag_; }
  Field& setTag(int t) {
    tag_ = t;
    return *this;
  }
  Alignment alignment() const { return alignment_; }
  Field& setAlignment(Alignment a) {
    alignment_ = a;
    return *this;
  }
  int displayWidth() const { return displayWidth_; }
  Field& setDisplayWidth(int w) {
    displayWidth_ = w;
    return *this;
  }
  bool required() const { return required_; }
  Field& setRequired(bool b) {
    required_ = b;
    return *this;
  }

  std::function<void(Field&, std::string& text, bool displayText)> OnGetText;
  std::function<void(Field&, const std::string& text)> OnSetText;
  // After each assignment of the field's value by code or by a control.
  std::function<void(Field&)> OnChange;

 private:
  friend class ClientDataSet;
  Field(ClientDataSet& ds, std::string name, FieldType type, int size, FieldKind kind, int index);
  std::string defaultText(bool display) const;

  ClientDataSet* ds_;
  std::string name_;
  FieldType type_;
  int size_;
  FieldKind kind_;
  int index_;
  int slot_ = -1;  // column in the stored row, or in the calculated values

  std::string displayLabel_;
  bool visible_ = true;
  std::string displayFormat_;
  bool maskOptional_ = false;
  std::string editFormat_;
  std::string editMask_;
  bool readOnly_ = false;
  int tag_ = 0;
  Alignment alignment_;
  int displayWidth_;
  bool required_ = false;
};

// Converts a value to a column type as field assignment does (see Field).
// Texts are fitted to `size` characters (fixed-length ones padded).
Value convertToFieldType(const Value& v, FieldType type, int size);

// Formats a date with a pattern of d, dd, m, mm, yy, yyyy, h, hh, n, nn, s,
// ss; other characters are copied.
std::string formatDatePattern(DateTime dt, std::string_view pattern);

}  // namespace platform
