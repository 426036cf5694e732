#include <gtest/gtest.h>

#include "platform/consiste.h"
#include "register/register.h"
#include "zreduction/zreduction.h"

namespace {

using platform::ClientDataSet;

TEST(ZReductionDeclarations, FormEditsBindDeclaredFields) {
  ClientDataSet z("cdsReducaoZ");
  zreduction::declareReducaoZ(z);
  EXPECT_EQ(z.fieldCount(), 30);
  int mandatory = 0;
  for (auto edits : {zreduction::formRedEdits(), zreduction::dadosAdicEdits()})
    for (const zreduction::EditSpec& e : edits) {
      EXPECT_NE(z.findField(e.field), nullptr) << e.control;
      mandatory += e.mandatory;
    }
  EXPECT_EQ(zreduction::formRedEdits().size(), 20u);
  EXPECT_EQ(zreduction::dadosAdicEdits().size(), 6u);
  EXPECT_EQ(mandatory, 14);
}

TEST(ZReductionDeclarations, DuplicateCheckCopyStopsAtTheInitialGrandTotal) {
  ClientDataSet z("cdsReducaoZ"), verif("cdsVerifReducaoZ");
  zreduction::declareReducaoZ(z);
  zreduction::declareVerifReducaoZ(verif);
  ASSERT_EQ(verif.fieldCount(), 25);
  EXPECT_EQ(verif.field(24).name(), "VRGTREDZINI");
  for (int i = 0; i < verif.fieldCount(); ++i) EXPECT_EQ(verif.field(i).name(), z.field(i).name());
}

TEST(RegisterDeclarations, OpeningMaskKeepsTheDateAndAddsTheTime) {
  EXPECT_EQ(cashregister::aberCaixaMask(platform::DateMask()), "!99/99/9999 !90:00:00;1; ");
  EXPECT_EQ(cashregister::aberCaixaMask("abc"), " !90:00:00;1; ");
  ClientDataSet abertura("cdsAberCaixa");
  cashregister::declareAberCaixa(abertura);
  EXPECT_EQ(abertura.fieldCount(), 16);
  EXPECT_EQ(abertura.fieldByName("DTABERCAIX").displayLabel(), "Data Abertura");
}

}  // namespace
