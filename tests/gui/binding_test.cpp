#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "gui/formview.h"
#include "qtapp.h"

using namespace platform;

TEST(Binding, ModelTextShows) {
  guitest::app();
  Form form("frmTeste");
  Edit& e = form.add<Edit>("edtNome");
  gui::FormView view(form);
  auto* le = qobject_cast<QLineEdit*>(view.widgetFor(e));
  ASSERT_NE(le, nullptr);
  e.setText("abc");
  EXPECT_EQ(le->text(), "abc");
}
