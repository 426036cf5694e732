#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/abort.h"
#include "platform/consiste.h"
#include "platform/editmask.h"
#include "platform/uiservice.h"

using namespace platform;

namespace {

class RecordingUi : public UiServices {
 public:
  struct Shown {
    std::string text;
    MsgKind kind;
    MsgButtons buttons;
  };
  std::vector<Shown> shown;

  RecordingUi() { setUi(this); }
  ~RecordingUi() override { setUi(nullptr); }

  MsgResult showMessage(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    shown.push_back({text, kind, buttons});
    return MsgResult::Ok;
  }
  void showProgress(int, const std::string&) override {}
  void hideProgress() override {}
  bool pickRecord(ClientDataSet&, const std::string&, const std::string&) override { return false; }
  void searchRecord(ClientDataSet&) override {}
};

TEST(MensErro, ShowsTheTextAsAnErrorThenAbortsSilently) {
  RecordingUi ui;
  EXPECT_THROW(MensErro("Filial não cadastrada."), SilentAbort);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, "Filial não cadastrada.");
  EXPECT_EQ(ui.shown[0].kind, MsgKind::Error);
  EXPECT_EQ(ui.shown[0].buttons, MsgButtons::Ok);
}

TEST(CheckResultServ, YieldsTheValueOrShowsTheServerError) {
  RecordingUi ui;
  EXPECT_EQ(CheckResultServ(RemoteResult::success(Value("0042"))), Value("0042"));
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_THROW(CheckResultServ(RemoteResult::failure("Caixa já fechado.")), SilentAbort);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, "Caixa já fechado.");
  EXPECT_EQ(ui.shown[0].kind, MsgKind::Error);
}

TEST(Blanks, EmptyStringAndAllTrim) {
  EXPECT_TRUE(EmptyString(""));
  EXPECT_TRUE(EmptyString(" \t\r\n"));
  EXPECT_FALSE(EmptyString(" 0 "));
  EXPECT_EQ(AllTrim("  São Paulo \t"), "São Paulo");
}

TEST(Ajusta, PadsDigitCodesWithZerosAndNeverCuts) {
  const struct {
    const char* code;
    size_t width;
    const char* result;
  } cases[] = {
      {"1", 4, "0001"},          {" 12 ", 4, "0012"}, {"8", 4, "0008"},    {"AB", 4, "AB"},  // not a number: kept as
                                                                                             // typed
      {"EPSON", 10, "EPSON"},    {"1A", 4, "1A"},     {"0001", 4, "0001"}, {"12345", 4, "12345"},  // too long: kept
                                                                                                   // whole, the look-up
                                                                                                   // reports it
      {"  12345  ", 4, "12345"}, {"", 4, ""},         {"   ", 21, ""},     {"ção", 5, "ção"},     {"7", 0, "7"},
  };
  for (const auto& c : cases) EXPECT_EQ(Ajusta(c.code, c.width), c.result) << c.code << "/" << c.width;
  // Fixed-width counters compare as text in numeric order.
  EXPECT_LT(Ajusta("999", 10), Ajusta("1000", 10));
}

TEST(Rounding, RoundDecVersusTrunc2) {
  const struct {
    double value;
    double rounded;
    double cut;
  } cases[] = {
      {2.675, 2.68, 2.67},   {-2.675, -2.68, -2.67},
      {1.005, 1.01, 1.0},    {2.665, 2.67, 2.66},
      {10.1, 10.1, 10.1},    {7, 7, 7},
      {1.23999, 1.24, 1.23}, {12.349999999, 12.35, 12.35},
      {-3.999999, -4, -4},   {0.0005, 0, 0},
      {0.009, 0.01, 0},      {0.1 + 0.2, 0.3, 0.3},
      {99.999999, 100, 100}, {-0.001, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundDec(c.value, 2), c.rounded) << c.value;
    EXPECT_EQ(Trunc2(c.value), c.cut) << c.value;
    EXPECT_EQ(Trunc2(c.value, kNeutral), c.cut) << c.value;
  }
  EXPECT_FALSE(std::signbit(Trunc2(-0.001)));
  EXPECT_FALSE(std::signbit(RoundDec(-0.001, 2)));
  EXPECT_EQ(RoundDec(2.5, 0), 3);
  EXPECT_EQ(RoundDec(1234.5678, 3), 1234.568);
  EXPECT_EQ(Trunc2(1e16), 1e16);
  EXPECT_EQ(Trunc2(-2.5e15), -2.5e15);
  EXPECT_TRUE(std::isnan(Trunc2(std::nan(""))));
}

TEST(FloatMask, ReadsEitherDecimalPoint) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"12.50", 12.5}, {"12,50", 12.5}, {"7", 7}, {"-3.5", -3.5}, {"0", 0}, {"10.", 10}};
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(FloatMask(c.text), c.value) << c.text;
    EXPECT_DOUBLE_EQ(FloatMask(c.text, kNeutral), c.value) << c.text;
  }
}

TEST(FloatMask, FailsWithAPortugueseMessage) {
  try {
    FloatMask("1.234,56");
    FAIL() << "no exception";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "'1.234,56' não é um valor numérico válido.");
  }
  EXPECT_THROW(FloatMask("1,234.56", kNeutral), UserError);
  for (const char* bad : {"", "abc", "$5", "+5", "5-", "1-2"}) EXPECT_THROW(FloatMask(bad), UserError) << bad;
}

TEST(ItemTotalText, ExtendedTotalThroughFifteenDigitsThenCut) {
  const struct {
    double q, u, ucl, d, a;
    const char* screen;
  } cases[] = {
      {3, 0.1, 0, 0, 0, "0,30"},        {2, 10, 0, 19.99, 0, "0,01"},
      {2, 10, 0, 0, 0, "20,00"},        {1, 2.675, 0, 0, 0, "2,67"},  // cut, not rounded
      {3, 1.1, 0.2, 0.5, 0.25, "3,65"}, {0.333, 3, 0, 0, 0, "0,99"},
      {1, 10, 5, 0, 0, "15,00"},        {1234.5, 1000, 0, 0, 0, "1234500,00"},  // no thousands separator
      {1, 1, 0, 2, 0, "-1,00"},         {1, 0.004, 0, 0, 0, "0,00"},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemTotalText(c.q, c.u, c.ucl, c.d, c.a), c.screen) << c.screen;
  EXPECT_EQ(ItemTotalText(3, 0.1, 0, 0, 0, kNeutral), "0.30");
}

TEST(Iif, ChoosesWithoutShortCircuitSemantics) {
  EXPECT_EQ(iif(true, 1, 2.5), 1.0);
  EXPECT_EQ(iif(false, 1, 2.5), 2.5);
  EXPECT_EQ(iif(false, Value("a"), Value(3.0)), Value(3.0));
  EXPECT_EQ(iif(true, std::string("S"), "N"), "S");
}

TEST(Masks, FrameworkMasks) {
  EXPECT_EQ(DateMask(), "!99/99/9999;1;_");
  const std::string mask = DateMask();
  EXPECT_EQ(mask.substr(0, mask.size() - 4) + " !90:00:00;1; ", "!99/99/9999 !90:00:00;1; ");
  EXPECT_EQ(PictPess("F"), "999.999.999-99;0;_");
  EXPECT_EQ(PictPess(" j "), "99.999.999/9999-99;0;_");
  EXPECT_EQ(PictPess(""), "");
  EXPECT_EQ(PictPess("E"), "");
}

struct MaskCase {
  const char* mask;
  const char* typed;
  const char* shown;
  const char* stored;
};

TEST(EditMask, TypedTextToDisplayAndStoredValue) {
  const MaskCase cases[] = {
      {">aaaa;0; ", "ab1", "AB1 ", "AB1"},
      {">aaaa;0; ", "a-b", "AB  ", "AB"},
      {"999;0; ", "12", "12 ", "12"},
      {"999;0; ", "1234", "123", "123"},
      {"99:99:99;1; ", "123000", "12:30:00", "12:30:00"},
      {"99:99:99;1; ", "12:30:00", "12:30:00", "12:30:00"},
      {"!99/99/9999;1;_", "01022024", "01/02/2024", "01/02/2024"},
      {"!99/99/9999;1;_", "1/2/2024", "_1/_2/2024", " 1/ 2/2024"},
      {"!99/99/9999;1;_", "0102", "01/02/____", "01/02/"},
      {"!99/99/9999 !90:00:00;1; ", "01/02/2024 10:30:00", "01/02/2024 10:30:00", "01/02/2024 10:30:00"},
      {"999.999.999-99;0;_", "12345678901", "123.456.789-01", "12345678901"},
      {"99.999.999/9999-99;0;_", "12.345.678/0001-95", "12.345.678/0001-95", "12345678000195"},
      {"<LL>ll;0; ", "ABcd", "abCD", "abCD"},
      {"<>LL;0; ", "aB", "aB", "aB"},
      {"\\A99;1; ", "A12", "A12", "A12"},
      {"#99;0; ", "-12", "-12", "-12"},
      {"", "livre", "livre", "livre"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApplyMask(c.mask, c.typed), c.shown) << c.mask << " / " << c.typed;
    EXPECT_EQ(StripMask(c.mask, c.typed), c.stored) << c.mask << " / " << c.typed;
    EXPECT_EQ(ApplyMask(c.mask, c.stored), ApplyMask(c.mask, c.shown)) << "round trip " << c.stored;
  }
}

TEST(EditMask, BlankTexts) {
  for (const char* shown : {"  /  /    ", "__/__/____", "", "/"}) EXPECT_TRUE(MaskIsBlank(DateMask(), shown)) << shown;
  EXPECT_EQ(StripMask("99:99:99;1; ", "  :  :  "), "");
  EXPECT_EQ(StripMask(">aaaa;0; ", "    "), "");
  EXPECT_FALSE(MaskIsBlank(DateMask(), "1"));
  EXPECT_TRUE(MaskIsBlank("", " "));
  EXPECT_FALSE(MaskIsBlank("", "x"));
}

}  // namespace
