// The Z reduction record's rules that the demo's reductions cannot show
// through the scenarios: origin codes the screen does not know, the origin
// typed as text, the initial grand total of a record without figures, and
// the printer-number key filter.

#include <gtest/gtest.h>

#include "platform/dbcontrols.h"
#include "tests/livescreen.h"
#include "tests/screen/registerday.h"

namespace {

using livetest::LiveScreen;
using namespace registerday;

class ZReductionRecord : public LiveScreen {
 protected:
  // The open day after the demo's last one, whose register 003 has an
  // unapproved reduction, on the form page.
  screen::TfrmManutVenda& openReduction() {
    screen::TfrmManutVenda& f = open();
    loadDay(f, demoDay(5), "0001", "003");
    EXPECT_TRUE(gesture([&] {
      f.pgcPadrao.setActivePage(f.tshReducao);
      f.zReductionPart.tshReducaoEnter();
      f.pgcReducao.setActivePage(f.tshFormRed);
      f.zReductionPart.pgcReducaoChange();
    }));
    EXPECT_EQ(f.cdsReducaoZ.recordCount(), 1);
    return f;
  }
};

TEST_F(ZReductionRecord, OriginShownAndTypedThroughTheCatalogueTexts) {
  screen::TfrmManutVenda& f = openReduction();
  ASSERT_TRUE(gesture([&] { f.cdsReducaoZ.edit(); })) << ui.lastText();
  platform::Field& origin = f.cdsReducaoZ.fieldByName("IDORIGEMREDZ");
  const std::pair<const char*, const char*> shown[] = {
      {"VND", "Digitada no VND"}, {"TLR", "Digitada no Tillora"}, {"IMP", "Impressora Fiscal"}, {"XYZ", ""}, {"", ""}};
  for (const auto& [code, text] : shown) {
    origin.setAsString(code);
    EXPECT_EQ(origin.displayText(), text) << code;
  }
  // Typed text must match a catalogue text exactly; anything else leaves
  // the code as it was.
  origin.setText("Impressora Fiscal");
  EXPECT_EQ(origin.asString(), "IMP");
  for (const char* other : {"impressora fiscal", "Impressora Fiscal ", "VND", ""}) {
    origin.setText(other);
    EXPECT_EQ(origin.asString(), "IMP") << other;
  }
  f.cdsReducaoZ.cancel();
}

TEST_F(ZReductionRecord, InitialGrandTotalNeedsBothFigures) {
  screen::TfrmManutVenda& f = openReduction();
  platform::ClientDataSet& z = f.cdsReducaoZ;
  ASSERT_TRUE(gesture([&] { z.append(); })) << ui.lastText();
  EXPECT_TRUE(z.fieldByName("VRGTREDZINI").isNull());
  z.cancel();
  ASSERT_TRUE(gesture([&] { z.edit(); })) << ui.lastText();
  z.fieldByName("VRGTREDZ").setAsFloat(1000.10);
  z.fieldByName("VRVENBRUREDZ").setAsFloat(250.05);
  z.fieldByName("VRVENLIQREDZ").setAsFloat(250.05);
  z.fieldByName("VRTOTCANREDZ").setAsFloat(0);
  z.fieldByName("VRTOTDESREDZ").clear();
  // The day has no sales: the net sale differs from them, and Yes goes on.
  ui.answers.push_back(platform::MsgResult::Yes);
  ASSERT_TRUE(gesture([&] { z.post(); })) << ui.lastText();
  EXPECT_NEAR(z.fieldByName("VRGTREDZINI").asFloat(), 750.05, 1e-9);
}

TEST_F(ZReductionRecord, PrinterNumberTakesDigitsOnly) {
  screen::TfrmManutVenda& f = openReduction();
  ASSERT_TRUE(gesture([&] { f.cdsReducaoZ.append(); })) << ui.lastText();
  auto& ecf = f.control<platform::DBEdit>("dbeNrECF");
  EXPECT_EQ(f.activeControl(), &ecf);
  EXPECT_EQ(ecf.retype("1a2-b 3./"), 3);
  EXPECT_EQ(ecf.text(), "123");
  EXPECT_FALSE(f.control<platform::DBEdit>("dbeReInicio").color() == platform::clWindow);
  EXPECT_EQ(f.control<platform::DBEdit>("dbeLeituraX").color(), platform::clWindow);
  f.cdsReducaoZ.cancel();
  EXPECT_FALSE(ecf.enabled()) << "the printer number is typed only for a new reduction";
}

}  // namespace
