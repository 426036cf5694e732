#include <gtest/gtest.h>

#include "platform/abort.h"
#include "platform/datasource.h"
#include "platform/datetime.h"
#include "platform/form.h"
#include "tests/platform/controls_testing.h"

using namespace platform;
using platform::testing::Journal;

namespace {

TEST(Signal, SlotsMayDisconnectAndConnectWhileEmitted) {
  Signal<int> s;
  std::vector<std::string> calls;
  Signal<int>::Id second = 0;
  const Signal<int>::Id first = s.connect([&](int v) {
    calls.push_back("a" + std::to_string(v));
    s.disconnect(second);
    s.connect([&](int w) { calls.push_back("c" + std::to_string(w)); });
  });
  second = s.connect([&](int v) { calls.push_back("b" + std::to_string(v)); });
  s.emit(1);
  EXPECT_EQ(calls, (std::vector<std::string>{"a1"}));
  s.disconnect(first);
  s.disconnect(first);  // unknown ids are ignored
  calls.clear();
  s.emit(2);
  EXPECT_EQ(calls, (std::vector<std::string>{"c2"}));
}

TEST(Controls, AnnounceEachRealChangeOfAProperty) {
  Form form("frm");
  Edit& e = form.add<Edit>("edtNome");
  std::vector<Prop> seen;
  e.changed.connect([&](Control& c, Prop p) {
    EXPECT_EQ(&c, &e);
    seen.push_back(p);
  });
  int changes = 0;
  e.OnChange = [&](Control&) { ++changes; };
  e.setEnabled(false);
  e.setEnabled(false);
  e.setText("abc");
  e.setText("abc");
  e.setReadOnly(true);
  EXPECT_EQ(seen, (std::vector<Prop>{Prop::Enabled, Prop::Text, Prop::ReadOnly}));
  EXPECT_EQ(changes, 1);
}

TEST(Button, PermissionFlagOverridesEnabled) {
  Form form("frm");
  Panel& pan = form.add<Panel>("panMenu");
  Button& b = form.add<Button>("btnFecharCaixa", &pan, "Fechar Caixa");
  int clicks = 0;
  b.OnClick = [&](Control&) { ++clicks; };
  b.setPermitted(false);
  b.setEnabled(true);           // the state rules may switch it on...
  EXPECT_FALSE(b.available());  // ...but without permission it stays off
  EXPECT_FALSE(b.click());
  b.setPermitted(true);
  b.setEnabled(false);
  EXPECT_FALSE(b.click());
  b.setEnabled(true);
  EXPECT_TRUE(b.available());
  EXPECT_TRUE(b.click());
  pan.setEnabled(false);
  EXPECT_TRUE(b.available());
  EXPECT_FALSE(b.clickable());
  EXPECT_FALSE(b.click());
  EXPECT_EQ(clicks, 1);
}

TEST(PageControl, ProgramChangeIsSilentUserChangeRunsOnChangeAndHonoursDisabledPages) {
  Form form("frm");
  Edit& filter = form.add<Edit>("medFilial");
  PageControl& pgc = form.add<PageControl>("pgcPadrao");
  TabSheet& a = form.add<TabSheet>("tshAberCaixa", &pgc, "Abertura de Caixa");
  TabSheet& b = form.add<TabSheet>("tshFolhaDados", &pgc, "Venda");
  TabSheet& c = form.add<TabSheet>("tshFormulario", &pgc, "Itens da Venda");
  EXPECT_EQ(pgc.activePage(), &a);  // the first page added
  EXPECT_EQ(pgc.pageCount(), 3);
  c.setPageIndex(0);
  EXPECT_EQ(pgc.page(0), &c);
  EXPECT_EQ(pgc.activePageIndex(), 1);

  Journal log;
  pgc.OnChange = [&](Control&) { log.add("change " + pgc.activePage()->name()); };
  pgc.setActivePage(b);
  EXPECT_EQ(log.take(), "");
  EXPECT_TRUE(pgc.userSelectPage(a));
  EXPECT_EQ(log.take(), "change tshAberCaixa");
  EXPECT_EQ(form.activeControl(), &pgc);  // a click on a tab takes the focus
  b.setEnabled(false);
  EXPECT_FALSE(pgc.userSelectPage(b));
  EXPECT_EQ(pgc.activePage(), &a);
  pgc.OnChanging = [](Control&, bool& allow) { allow = false; };
  EXPECT_FALSE(pgc.userSelectPage(c));
  pgc.OnChanging = nullptr;

  // Leaving the control that has the focus may refuse the click.
  filter.setFocus();
  filter.OnExit = [](Control&) { Abort(); };
  EXPECT_THROW(pgc.userSelectPage(c), SilentAbort);
  EXPECT_EQ(pgc.activePage(), &a);
  EXPECT_EQ(log.take(), "");
}

TEST(Edit, KeyFiltersReadOnlyAndMaxLength) {
  Form form("frm");
  Edit& e = form.add<Edit>("dbeNrECF");
  e.setMaxLength(4);
  // Only digits, backspace, tab and enter pass, as the ECF number field.
  e.OnKeyPress = [](Control&, char32_t& k) {
    if (!(k >= '0' && k <= '9') && k != 8 && k != 9 && k != 13) k = 0;
  };
  EXPECT_EQ(e.typeText("1a2-3é45"), 4);
  EXPECT_EQ(e.text(), "1234");  // the fifth digit passes the limit
  EXPECT_TRUE(e.pressKey(vk::Back));
  EXPECT_EQ(e.text(), "123");
  e.OnKeyDown = [](Control&, int& key, ShiftState) {
    if (key == '3') key = 0;
  };
  EXPECT_EQ(e.typeText("39"), 1);
  EXPECT_EQ(e.text(), "1239");
  e.setReadOnly(true);
  EXPECT_EQ(e.typeText("0"), 0);
  EXPECT_TRUE(e.pressKey(vk::Delete));
  EXPECT_EQ(e.text(), "1239");
  e.setReadOnly(false);
  EXPECT_EQ(e.retype("77"), 2);
  EXPECT_EQ(e.text(), "77");

  Memo& m = form.add<Memo>("memObs");
  EXPECT_EQ(m.typeText("a\nb"), 3);
  EXPECT_TRUE(m.pressKey(vk::Return));
  EXPECT_EQ(m.text(), "a\nb\n");
  EXPECT_EQ(e.typeText("\n"), 1);  // enter in a one-line edit types nothing
  EXPECT_EQ(e.text(), "77");
}

TEST(MaskEdit, TypingGoesThroughTheMask) {
  Form form("frm");
  MaskEdit& filial = form.add<MaskEdit>("medFilial", nullptr, ">aaaa;0; ");
  int changes = 0;
  filial.OnChange = [&](Control&) { ++changes; };
  EXPECT_EQ(filial.typeText("a-b"), 2);  // '-' fits no slot
  EXPECT_EQ(filial.text(), "AB");
  EXPECT_EQ(filial.displayText(), "AB  ");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(filial.typeText("cde"), 2);
  EXPECT_EQ(filial.text(), "ABCD");
  filial.setText("1");
  EXPECT_EQ(filial.text(), "1");
  filial.clear();
  EXPECT_TRUE(filial.isBlank());

  MaskEdit& caixa = form.add<MaskEdit>("medCdCaixa", nullptr, "999;0; ");
  EXPECT_EQ(caixa.typeText("1x23"), 3);
  EXPECT_EQ(caixa.text(), "123");
}

TEST(DateEdit, HoldsAnOptionalDateShownBlueWhenValid) {
  Form form("frm");
  DateEdit& d = form.add<DateEdit>("depDeEntrega");
  d.setWeekDayNames({"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"});
  d.setValidDateInBlue(true);
  EXPECT_FALSE(d.date());
  EXPECT_EQ(d.displayText(), "__/__/____");
  EXPECT_EQ(d.typeText("01022026"), 8);
  ASSERT_TRUE(d.date());
  EXPECT_EQ(*d.date(), encodeDate(2026, 2, 1));
  EXPECT_EQ(d.text(), "01/02/2026");
  EXPECT_EQ(d.weekDayName(), "Domingo");
  EXPECT_EQ(d.fontColor(), clBlue);
  d.setDate(encodeDateTime(1899, 12, 31, 10, 30, 0));  // the time is not kept
  EXPECT_EQ(d.text(), "31/12/1899");
  EXPECT_EQ(d.weekDayName(), "Domingo");
  d.setText("31/02/2026");
  EXPECT_FALSE(d.date());
  EXPECT_FALSE(d.fontColor());
  EXPECT_EQ(d.weekDayName(), "");
  d.setDate(std::nullopt);
  EXPECT_EQ(d.text(), "");
}

TEST(NumberBox, ShowsDecimalsAndThousands) {
  Form form("frm");
  NumberBox& n = form.add<NumberBox>("nedTotal");
  n.setThousands(true);
  n.setValue(1234.5);
  EXPECT_EQ(n.text(), "1.234,50");
  n.setDecimals(0);
  n.setThousands(false);
  EXPECT_EQ(n.text(), "1235");
}

TEST(MenuItem, CaptionsShortcutsAndClicksThroughEnabledMenus) {
  Form form("frm");
  MenuItem& menu = form.add<MenuItem>("mnuManutencao", nullptr, "&Manutenção");
  MenuItem& item = form.add<MenuItem>("mnuCancelaVenda", &menu, "Cancelar &Venda", "Ctrl+B");
  MenuItem& amp = form.add<MenuItem>("mnuX", &menu, "A && B");
  EXPECT_EQ(item.plainCaption(), "Cancelar Venda");
  EXPECT_EQ(item.accelerator(), U'V');
  EXPECT_EQ(menu.accelerator(), U'M');
  EXPECT_EQ(amp.plainCaption(), "A & B");
  EXPECT_EQ(amp.accelerator(), 0u);
  int clicks = 0;
  item.OnClick = [&](Control&) { ++clicks; };
  EXPECT_TRUE(form.pressShortcut("ctrl+b"));
  menu.setEnabled(false);
  EXPECT_FALSE(item.click());
  EXPECT_FALSE(form.pressShortcut("Ctrl+B"));
  EXPECT_EQ(clicks, 1);
}

TEST(LookupButton, BeforeDialogPickAfterChoice) {
  platform::testing::ScriptedUi ui;
  ClientDataSet qry("qryPesqCaixa");
  qry.addField("CDCAIXA", FieldType::String, 3);
  qry.createDataSet();
  DataSource dts("dtsPesqCaixa");
  dts.setDataSet(&qry);

  Form form("frm");
  MaskEdit& caixa = form.add<MaskEdit>("medCdCaixa", nullptr, "999;0; ");
  LookupButton& btn = form.add<LookupButton>("btnPesqCaixa");
  btn.setAssociate(&caixa);
  btn.setTitle("Caixa");
  btn.setEmptyError("Não há caixa cadastrado.");
  btn.setDataSource(&dts);
  btn.OnBeforeDialog = [&](Control&) {
    qry.setData(DataPacket{{{"CDCAIXA", FieldType::String, 3, false}},
                           {{RowKind::Unchanged, {Value("001")}, {}}, {RowKind::Unchanged, {Value("002")}, {}}}});
  };
  btn.OnAfterChoice = [&](Control&) { caixa.setText(qry.fieldByName("CDCAIXA").asString()); };

  EXPECT_TRUE(btn.click());
  EXPECT_FALSE(btn.chosen());
  EXPECT_EQ(caixa.text(), "");
  ui.pickRow = 2;
  EXPECT_TRUE(btn.click());
  EXPECT_TRUE(btn.chosen());
  EXPECT_EQ(caixa.text(), "002");
  EXPECT_EQ(ui.picks,
            (std::vector<std::string>{"Caixa|Não há caixa cadastrado.|2", "Caixa|Não há caixa cadastrado.|2"}));
  btn.setPermitted(false);
  EXPECT_FALSE(btn.click());
  EXPECT_EQ(ui.picks.size(), 2u);
}

TEST(Keys, CodesOfTypedCharactersAndTypingKeys) {
  EXPECT_EQ(keyCodeForChar(U'a'), 'A');
  EXPECT_EQ(keyCodeForChar(U'7'), '7');
  EXPECT_EQ(keyCodeForChar(U'\t'), vk::Tab);
  EXPECT_EQ(keyCodeForChar(U'ç'), vk::Character);
  EXPECT_TRUE(isTypingKey('A', ssShift));
  EXPECT_TRUE(isTypingKey(vk::Delete, ssNone));
  EXPECT_FALSE(isTypingKey(vk::Delete, ssCtrl));
  EXPECT_FALSE(isTypingKey(vk::Tab, ssNone));
  EXPECT_FALSE(isTypingKey(vk::Down, ssNone));
}

}  // namespace
