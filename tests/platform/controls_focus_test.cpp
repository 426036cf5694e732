#include <gtest/gtest.h>

#include "platform/abort.h"
#include "platform/form.h"
#include "platform/gesture.h"
#include "tests/platform/controls_testing.h"

using namespace platform;
using platform::testing::Journal;

namespace {

// A filter panel with three fields, another panel with one edit, and pages
// holding an edit each.
struct FilterForm {
  Form form{"frmTeste"};
  Panel& panFilial = form.add<Panel>("panFilial");
  MaskEdit& medFilial = form.add<MaskEdit>("medFilial", &panFilial, ">aaaa;0; ");
  MaskEdit& medCdCaixa = form.add<MaskEdit>("medCdCaixa", &panFilial, "999;0; ");
  DateEdit& depDeEntrega = form.add<DateEdit>("depDeEntrega", &panFilial);
  Panel& panOutro = form.add<Panel>("panOutro");
  Edit& edtOutro = form.add<Edit>("edtOutro", &panOutro);
  PageControl& pgc = form.add<PageControl>("pgc");
  TabSheet& tsh1 = form.add<TabSheet>("tsh1", &pgc, "Um");
  Edit& edt1 = form.add<Edit>("edt1", &tsh1);
  TabSheet& tsh2 = form.add<TabSheet>("tsh2", &pgc, "Dois");
  Edit& edt2 = form.add<Edit>("edt2", &tsh2);
  Journal log;

  FilterForm() {
    for (Control* c : form.controls()) {
      c->OnEnter = [this](Control& s) { log.add("enter " + s.name()); };
      c->OnExit = [this](Control& s) { log.add("exit " + s.name()); };
    }
  }
};

TEST(Focus, ExitsInnermostFirstThenEntersOutermostFirstCrossingOnlyChangedContainers) {
  FilterForm f;
  EXPECT_TRUE(f.medFilial.setFocus());
  EXPECT_EQ(f.log.take(), "enter panFilial,enter medFilial");
  EXPECT_TRUE(f.form.setFocus(f.medCdCaixa));
  EXPECT_EQ(f.log.take(), "exit medFilial,enter medCdCaixa");  // still inside the panel
  EXPECT_TRUE(f.form.setFocus(f.edtOutro));
  EXPECT_EQ(f.log.take(), "exit medCdCaixa,exit panFilial,enter panOutro,enter edtOutro");
  EXPECT_TRUE(f.form.setFocus(f.edt1));
  EXPECT_EQ(f.log.take(), "exit edtOutro,exit panOutro,enter pgc,enter tsh1,enter edt1");
  EXPECT_TRUE(f.edt1.setFocus());  // already there: nothing runs
  EXPECT_EQ(f.log.take(), "");
  EXPECT_EQ(f.form.activeControl(), &f.edt1);
  EXPECT_TRUE(f.pgc.containsFocus());
  EXPECT_FALSE(f.panFilial.containsFocus());
}

TEST(Focus, AnAbortingExitKeepsTheFocusAndPropagates) {
  FilterForm f;
  f.medCdCaixa.setFocus();
  f.log.take();
  f.medCdCaixa.OnExit = [&](Control&) { Abort(); };
  EXPECT_THROW(f.edtOutro.setFocus(), SilentAbort);
  EXPECT_EQ(f.form.activeControl(), &f.medCdCaixa);
  EXPECT_EQ(f.log.take(), "");  // neither the panel's exit nor any enter ran

  // The edit lets go but the panel refuses: the focus stays on the edit.
  f.medCdCaixa.OnExit = nullptr;
  f.panFilial.OnExit = [&](Control&) {
    f.log.add("exit panFilial");
    throw UserError("Filial deve ser informada.");
  };
  EXPECT_THROW(f.edtOutro.setFocus(), UserError);
  EXPECT_EQ(f.form.activeControl(), &f.medCdCaixa);
  EXPECT_EQ(f.log.take(), "exit panFilial");
}

TEST(Focus, AValidationThatPutsTheUserBackOnAFieldWinsWithoutFurtherEvents) {
  FilterForm f;
  f.depDeEntrega.setFocus();
  f.log.take();
  f.panFilial.OnExit = [&](Control&) {
    f.log.add("exit panFilial");
    f.medFilial.setFocus();  // back to the offending field, then report
    Abort();
  };
  EXPECT_THROW(f.edtOutro.setFocus(), SilentAbort);
  EXPECT_EQ(f.form.activeControl(), &f.medFilial);
  EXPECT_EQ(f.log.take(), "exit depDeEntrega,exit panFilial");

  // A handler that only moves the focus stops the interrupted move there.
  f.panFilial.OnExit = [&](Control&) { f.medCdCaixa.setFocus(); };
  EXPECT_FALSE(f.edtOutro.setFocus());
  EXPECT_EQ(f.form.activeControl(), &f.medCdCaixa);
}

TEST(Focus, OnlyEnabledShowingFocusableControlsTakeIt) {
  FilterForm f;
  f.edtOutro.setFocus();
  f.log.take();
  f.medFilial.setEnabled(false);
  EXPECT_FALSE(f.medFilial.setFocus());
  f.medFilial.setEnabled(true);
  f.panFilial.setEnabled(false);  // a disabled container disables what it holds
  EXPECT_FALSE(f.medFilial.effectiveEnabled());
  EXPECT_FALSE(f.medFilial.setFocus());
  f.panFilial.setEnabled(true);
  EXPECT_FALSE(f.edt2.setFocus());             // its page is not the active one
  EXPECT_FALSE(f.form.setFocus(f.panFilial));  // panels do not take the focus
  EXPECT_EQ(f.log.take(), "");
  EXPECT_EQ(f.form.activeControl(), &f.edtOutro);

  Form other("frmOutro");
  Edit& foreign = other.add<Edit>("edt");
  EXPECT_FALSE(f.form.setFocus(foreign));
}

TEST(Focus, TabOrderFollowsTheTreeSkippingWhatCannotTakeTheFocus) {
  FilterForm f;
  f.medFilial.setTabStop(false);  // as the branch field of the filter panel
  f.medCdCaixa.setFocus();
  EXPECT_TRUE(f.medCdCaixa.pressKey(vk::Tab));
  EXPECT_EQ(f.form.activeControl(), &f.depDeEntrega);
  f.edtOutro.setEnabled(false);
  EXPECT_TRUE(f.form.focusNext());
  EXPECT_EQ(f.form.activeControl(), &f.pgc);
  EXPECT_TRUE(f.form.focusNext());
  EXPECT_EQ(f.form.activeControl(), &f.edt1);  // edt2's page is hidden
  EXPECT_TRUE(f.form.focusNext());
  EXPECT_EQ(f.form.activeControl(), &f.medCdCaixa);  // wraps around
  EXPECT_TRUE(f.medCdCaixa.pressKey(vk::Tab, ssShift));
  EXPECT_EQ(f.form.activeControl(), &f.edt1);
}

TEST(Focus, TypingIntoAControlFirstTakesTheFocusAndMayBeAborted) {
  FilterForm f;
  f.medFilial.setFocus();
  f.medFilial.OnExit = [&](Control&) { Abort(); };
  EXPECT_THROW(f.medCdCaixa.typeText("1"), SilentAbort);
  EXPECT_EQ(f.medCdCaixa.text(), "");
  f.medFilial.OnExit = nullptr;
  EXPECT_EQ(f.medCdCaixa.typeText("12"), 2);
  EXPECT_EQ(f.form.activeControl(), &f.medCdCaixa);
}

TEST(Form, NamesOwnershipAndLifeCycle) {
  Form form("frmTeste");
  Button& b = form.add<Button>("sbtIncluir", nullptr, "Incluir");
  EXPECT_EQ(&form.control<Button>("SBTINCLUIR"), &b);  // names ignore case
  EXPECT_THROW(form.control<Edit>("sbtIncluir"), std::logic_error);
  EXPECT_THROW(form.control<Button>("naoExiste"), std::out_of_range);
  EXPECT_THROW(form.add<Edit>("sbtincluir"), std::logic_error);
  EXPECT_EQ(form.findControl("x"), nullptr);

  Journal log;
  form.OnCreate = [&](Control&) { log.add("create"); };
  form.OnActivate = [&](Control&) { log.add("activate"); };
  form.OnClose = [&](Form&, CloseAction& a) {
    log.add("close");
    a = CloseAction::Free;
  };
  CloseAction told = CloseAction::None;
  form.closed.connect([&](Form&, CloseAction a) { told = a; });
  form.show();
  form.show();
  EXPECT_EQ(log.take(), "create,activate,activate");
  form.OnCloseQuery = [](Form&, bool& canClose) { canClose = false; };
  EXPECT_EQ(form.close(), CloseAction::None);
  EXPECT_TRUE(form.shown());
  form.OnCloseQuery = nullptr;
  EXPECT_EQ(form.close(), CloseAction::Free);
  EXPECT_EQ(told, CloseAction::Free);
  EXPECT_FALSE(form.shown());
}

TEST(Focus, TheGestureBoundaryShowsUserErrorsAndSwallowsAborts) {
  platform::testing::ScriptedUi ui;
  FilterForm f;
  f.medFilial.setFocus();
  f.medFilial.OnExit = [](Control&) { throw UserError("Filial não cadastrada."); };
  EXPECT_FALSE(runGesture([&] { f.edtOutro.setFocus(); }));
  f.medFilial.OnExit = [](Control&) { Abort(); };
  EXPECT_FALSE(runGesture([&] { f.edtOutro.setFocus(); }));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Filial não cadastrada."}));
  f.medFilial.OnExit = nullptr;
  EXPECT_TRUE(runGesture([&] { f.edtOutro.setFocus(); }));
  EXPECT_THROW(runGesture([] { throw std::logic_error("bug"); }), std::logic_error);
}

}  // namespace
