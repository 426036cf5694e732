#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/form.h"
#include "platform/module.h"
#include "screen_fixture.h"

namespace {

// The built module, opened as the client opens it: by path, entries found
// by their undecorated names.
class ModuleTest : public screentest::ScreenTest {
 protected:
  platform::Module module{VND02600_MODULE};

  platform::Form* instance() const {
    auto* slot = static_cast<platform::Form**>(module.symbol("frmManutVenda"));
    return slot ? *slot : nullptr;
  }
  bool created() const { return *static_cast<bool*>(module.symbol("boStCriado")); }
};

TEST_F(ModuleTest, OpensClosesAndReopensThroughItsExports) {
  platform::LogonScope logon(screentest::logonFor(false));
  ASSERT_NE(module.symbol("CriaManutVenda"), nullptr);
  ASSERT_NE(module.symbol("IniProc"), nullptr);
  ASSERT_NE(module.symbol("boPrimVez"), nullptr);
  EXPECT_EQ(instance(), nullptr);

  module.call("CriaManutVenda");
  platform::Form* first = instance();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(created());
  EXPECT_TRUE(first->shown());
  EXPECT_EQ(first->caption(), "Manutenção da Venda");
  module.call("IniProc");
  EXPECT_EQ(instance(), first);
  EXPECT_EQ(host.shown, 2);
  EXPECT_EQ(host.server.connects, 1);

  first->close();
  EXPECT_FALSE(created());
  EXPECT_EQ(instance(), nullptr);
  EXPECT_EQ(host.closedCount, 1);

  module.call("IniProc");
  ASSERT_NE(instance(), nullptr);
  EXPECT_EQ(host.server.connects, 2);
  instance()->close();
}

TEST(Module, MissingLibraryOrEntryIsReported) {
  EXPECT_THROW(platform::Module("/nao/existe/libVnd99999.so"), std::runtime_error);
  platform::Module m{VND02600_MODULE};
  EXPECT_EQ(m.symbol("NaoExiste"), nullptr);
  EXPECT_THROW(m.call("NaoExiste"), std::runtime_error);
}

}  // namespace
