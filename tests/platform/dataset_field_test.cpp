// Fields: conversions on assignment, size cuts, edit and display texts,
// text handlers, calculated fields and the two framework helpers.

#include <gtest/gtest.h>

#include <stdexcept>

#include "dataset_testing.h"
#include "platform/abort.h"
#include "platform/datasethelpers.h"
#include "platform/datetime.h"

using namespace platform;
using namespace platform::testing;

namespace {

struct Fields : ::testing::Test {
  ClientDataSet ds{"cdsCampos"};
  Field& nome = ds.addField("NOME", FieldType::String, 5);
  Field& flag = ds.addField("FLAG", FieldType::FixedString, 3);
  Field& valor = ds.addField("VALOR", FieldType::Float);
  Field& qt = ds.addField("QT", FieldType::Integer);
  Field& data = ds.addField("DATA", FieldType::DateTime);
  Field& ativo = ds.addField("ATIVO", FieldType::Boolean);
  void SetUp() override {
    ds.createDataSet();
    ds.append();
  }
  static std::string userError(const std::function<void()>& f) {
    try {
      f();
    } catch (const UserError& e) {
      return e.what();
    }
    return "(no error)";
  }
};

TEST_F(Fields, TextsAreCutToTheirSizeInCharactersAndFixedOnesPadded) {
  nome.setValue("Manutenção");
  EXPECT_EQ(nome.asString(), "Manut");
  nome.setValue("ãçãçãçã");
  EXPECT_EQ(nome.asString(), "ãçãçã");
  flag.setValue("S");
  EXPECT_EQ(flag.asString(), "S  ");
  flag.setValue("ÇÃOS");
  EXPECT_EQ(flag.asString(), "ÇÃO");
  ds.post();
  EXPECT_EQ(ds.data().rows[0].values[0], Value("ãçãçã")) << "stored as cut";
  EXPECT_EQ(ds.data().rows[0].values[1], Value("ÇÃO"));
}

TEST_F(Fields, NumbersAreTypedWithBrazilianSeparators) {
  int changes = 0;
  valor.OnChange = [&](Field&) { ++changes; };
  valor.setAsString("1.234,56");
  EXPECT_DOUBLE_EQ(valor.asFloat(), 1234.56);
  valor.setText("12,5");
  EXPECT_DOUBLE_EQ(valor.asFloat(), 12.5);
  EXPECT_EQ(userError([&] { valor.setAsString("abc"); }), "'abc' não é um valor numérico válido.");
  EXPECT_EQ(userError([&] { valor.setAsString("12.5"); }), "'12.5' não é um valor numérico válido.")
      << "a misplaced thousands separator is refused, not read as 125";
  EXPECT_DOUBLE_EQ(valor.asFloat(), 12.5) << "a refused text leaves the value";
  EXPECT_EQ(changes, 2);
  valor.setAsString("  ");
  EXPECT_TRUE(valor.isNull());

  qt.setAsString("1.000");
  EXPECT_EQ(qt.asInteger(), 1000);
  EXPECT_EQ(userError([&] { qt.setAsString("1,5"); }), "'1,5' não é um valor inteiro válido.");
  qt.setAsFloat(2.6);
  EXPECT_EQ(qt.value(), Value(3.0));
}

TEST_F(Fields, DatesAndBooleansFromText) {
  data.setText("08/12/2026 10:30");
  EXPECT_EQ(data.asDateTime(), encodeDateTime(2026, 12, 8, 10, 30, 0));
  EXPECT_EQ(userError([&] { data.setText("31/02/2026"); }), "'31/02/2026' não é uma data válida.");
  ativo.setText("Sim");
  EXPECT_TRUE(ativo.asBoolean());
  ativo.setText("não");
  EXPECT_FALSE(ativo.asBoolean());
  EXPECT_EQ(userError([&] { ativo.setText("talvez"); }), "'talvez' não é um valor lógico válido.");
  EXPECT_THROW(ativo.setValue(Value(DateTime(3))), std::invalid_argument);
  EXPECT_THROW(nome.setValue(Value(ValueArray{Value(1)})), std::invalid_argument);
  nome.setValue(Value(2.5));
  EXPECT_EQ(nome.asString(), "2,5");
}

TEST_F(Fields, EditAndDisplayTexts) {
  valor.setAsFloat(1234.5);
  EXPECT_EQ(valor.text(), "1234,5");
  valor.setDisplayFormat("#,##0.00");
  EXPECT_EQ(valor.displayText(), "1.234,50");
  EXPECT_EQ(valor.text(), "1.234,50") << "without an edit format the display format edits";
  valor.setEditFormat("0.00");
  EXPECT_EQ(valor.text(), "1234,50");
  valor.setText(valor.text());
  EXPECT_DOUBLE_EQ(valor.asFloat(), 1234.5) << "the edit text reads back";

  data.setAsDateTime(encodeDateTime(2026, 12, 8, 10, 30, 0));
  EXPECT_EQ(data.displayText(), "08/12/2026 10:30:00");
  data.setDisplayFormat("dd/mm/yyyy hh:nn");
  EXPECT_EQ(data.displayText(), "08/12/2026 10:30");
  ativo.setAsBoolean(false);
  EXPECT_EQ(ativo.displayText(), "Não");
  ativo.setDisplayFormat("Ativo;Inativo");
  EXPECT_EQ(ativo.displayText(), "Inativo");
  qt.clear();
  EXPECT_EQ(qt.displayText(), "");
  EXPECT_EQ(qt.asInteger(), 0);
}

TEST_F(Fields, TextHandlersReplaceTheDefaults) {
  std::vector<bool> asked;
  nome.OnGetText = [&](Field& f, std::string& text, bool display) {
    asked.push_back(display);
    if (f.isNull()) text = "(vazio)";
  };
  EXPECT_EQ(nome.displayText(), "(vazio)");
  EXPECT_EQ(nome.text(), "(vazio)");
  EXPECT_EQ(asked, (std::vector<bool>{true, false}));

  // The movement-date rule: an empty text keeps the old date.
  data.OnSetText = [](Field& f, const std::string& text) {
    if (!text.empty()) CheckDateTime(f, text);
  };
  data.setText("01/02/2026");
  data.setText("");
  EXPECT_EQ(data.asDateTime(), encodeDate(2026, 2, 1));
  nome.setValue("x");
  nome.setText("");
  EXPECT_TRUE(nome.isNull()) << "by default an empty text clears";
}

TEST(CalculatedFields, RefreshedOnOpenScrollPostAndCancel) {
  ClientDataSet ds("cdsItens");
  Field& total = ds.addField("TOTAL", FieldType::String, 20, FieldKind::Calculated);
  int runs = 0;
  ds.OnCalcFields = [&](ClientDataSet& d) {
    ++runs;
    EXPECT_EQ(d.state(), DataSetState::CalcFields);
    EXPECT_THROW(d.fieldByName("QT").setValue(1.0), std::logic_error);
    d.fieldByName("TOTAL").setValue(d.fieldByName("QT").asFloat() * 2);
  };
  ds.setData(itemsPacket());
  EXPECT_EQ(total.asString(), "3");
  ds.next();
  EXPECT_EQ(total.asString(), "6");

  EXPECT_THROW(total.setValue("x"), std::logic_error) << "not in browse state";
  ds.edit();
  ds.fieldByName("QT").setValue(10.0);
  total.setValue("provisório");  // a validation may show a temporary text
  EXPECT_EQ(total.asString(), "provisório");
  ds.cancel();
  EXPECT_EQ(total.asString(), "6");
  ds.edit();
  ds.fieldByName("QT").setValue(10.0);
  ds.post();
  EXPECT_EQ(total.asString(), "20");

  runs = 0;
  ds.append();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(total.asString(), "0");
  ds.cancel();
  EXPECT_EQ(ds.data().fields.size(), 4u);
}

TEST(FrameworkHelpers, CheckDateTimeAcceptsDatesAndRefusesTheRest) {
  ClientDataSet ds("cdsDatas");
  Field& dt = ds.addField("DT", FieldType::DateTime);
  ds.createDataSet();
  ds.append();
  CheckDateTime(dt, "08/12/2026");
  EXPECT_EQ(dt.asDateTime(), encodeDate(2026, 12, 8));
  CheckDateTime(dt, "08/12/2026 23:59:59");
  EXPECT_EQ(dt.asDateTime(), encodeDateTime(2026, 12, 8, 23, 59, 59));
  for (const char* bad : {"32/12/2026", "10:30", "", "  /  /    ", "amanhã"}) {
    try {
      CheckDateTime(dt, bad);
      ADD_FAILURE() << bad;
    } catch (const UserError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' não é uma data válida.");
    }
  }
  EXPECT_EQ(dt.asDateTime(), encodeDateTime(2026, 12, 8, 23, 59, 59));
}

TEST(FrameworkHelpers, SetaCampoNullClearsBlankTextsOnly) {
  ClientDataSet ds("cdsTipoRece");
  ds.addField("A", FieldType::String, 5);
  ds.addField("B", FieldType::FixedString, 2);
  ds.addField("C", FieldType::String, 5);
  ds.addField("V", FieldType::Float);
  ds.addField("CALC", FieldType::String, 5, FieldKind::Calculated);
  ds.createDataSet();
  EXPECT_THROW(Seta_Campo_Null(ds), std::logic_error);
  ds.append();
  ds.fieldByName("A").setValue("");
  ds.fieldByName("B").setValue(" ");
  ds.fieldByName("C").setValue(" x ");
  ds.fieldByName("V").setValue(0.0);
  Seta_Campo_Null(ds);
  EXPECT_TRUE(ds.fieldByName("A").isNull());
  EXPECT_TRUE(ds.fieldByName("B").isNull());
  EXPECT_EQ(ds.fieldByName("C").asString(), " x ");
  EXPECT_EQ(ds.fieldByName("V").value(), Value(0.0));
}

}  // namespace
