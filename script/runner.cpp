#include "script/runner.h"

#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "client/session.h"
#include "platform/dbcontrols.h"
#include "platform/form.h"
#include "platform/gesture.h"
#include "platform/remote.h"
#include "platform/text.h"
#include "screen/frmmanutvenda.h"
#include "screen/pkg_vnd02600.h"
#include "script/recording.h"
#include "server/demodata.h"

namespace script {

using platform::ClientDataSet;
using platform::Control;
using platform::ControlKind;

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool sameName(std::string_view a, std::string_view b) { return lower(a) == lower(b); }

// Characters, not bytes, of a UTF-8 text.
int charCount(std::string_view utf8) {
  int n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

const char* stateWord(platform::DataSetState s) {
  switch (s) {
    case platform::DataSetState::Inactive:
      return "fechado";
    case platform::DataSetState::Browse:
      return "navegação";
    case platform::DataSetState::Edit:
      return "edição";
    case platform::DataSetState::Insert:
      return "inclusão";
    case platform::DataSetState::CalcFields:
      return "cálculo";
  }
  return "?";
}

std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }

// Controls that take the focus with Tab, in the form's tab order, and the
// control that has the focus (which may be out of the tab order) at its
// place, so Tab from it goes where it would in the client.
void tabOrder(const Control& c, const Control* active, std::vector<Control*>& out) {
  for (Control* child : c.children()) {
    if (child == active || (child->focusable() && child->tabStop() && child->canFocus())) out.push_back(child);
    tabOrder(*child, active, out);
  }
}

std::filesystem::path makeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vnd-script-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("Não foi possível criar a pasta temporária do banco.");
  return pattern;
}

std::vector<std::string> transcriptLines(std::string_view text) {
  std::vector<std::string> out;
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      out.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) out.push_back(std::move(line));
  return out;
}

}  // namespace

bool sameTranscript(std::string_view expected, std::string_view actual) {
  return transcriptLines(expected) == transcriptLines(actual);
}

TranscriptDifference firstDifference(std::string_view expected, std::string_view actual) {
  const std::vector<std::string> want = transcriptLines(expected), got = transcriptLines(actual);
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  return {static_cast<int>(i) + 1, i < want.size() ? want[i] : std::string("(fim)"),
          i < got.size() ? got[i] : std::string("(fim)")};
}

Runner::Runner(RunOptions options, std::ostream& transcript) : options_(std::move(options)), out_(transcript) {
  if (!options_.server.empty() && options_.database.empty())
    throw std::runtime_error("Com um servidor remoto, informe também o banco das consultas locais (--banco).");
  if (options_.database.empty()) {
    tempDir_ = makeTempDir();
    options_.database = "sqlite:" + (tempDir_ / "vnd.db").string();
    try {
      server::createDemoDatabase(options_.database);
    } catch (const std::exception& e) {
      std::error_code ec;
      std::filesystem::remove_all(tempDir_, ec);
      throw std::runtime_error(std::string("Não foi possível criar o banco de demonstração: ") + e.what());
    }
  }
  client::SessionOptions so;
  so.database = options_.database;
  so.demo = options_.demo;
  so.server = options_.server;
  so.batching = options_.batching;
  try {
    session_ = std::make_unique<client::Session>(so);
  } catch (...) {
    std::error_code ec;
    if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_, ec);
    throw;
  }
  // An unprepared question gets No: a script that forgot an answer must not
  // confirm a deletion by accident.
  ui_.defaultAnswer = platform::MsgResult::No;
  ui_.trace = [this](const std::string& line) { emit(line); };
  platform::setUi(&ui_);
  platform::setScreenHost(this);
}

Runner::~Runner() {
  // What closing the screen shows is no longer part of the transcript.
  ui_.trace = nullptr;
  closing_ = true;
  // A screen that faults while closing must not take the process down from
  // a destructor; the run's status already tells what went wrong before.
  try {
    // The script is over: changes it left unsent are dropped without asking.
    ui_.answers.clear();
    ui_.defaultAnswer = platform::MsgResult::Yes;
    if (frmManutVenda) platform::runGesture([] { frmManutVenda->close(); });
  } catch (const std::exception&) {
  }
  session_.reset();
  platform::setScreenHost(nullptr);
  platform::setUi(nullptr);
  std::error_code ec;
  if (!tempDir_.empty()) std::filesystem::remove_all(tempDir_, ec);
}

void Runner::prepareConnection(platform::TNetConnection& connection) {
  connection.setTransport(std::make_unique<RecordingTransport>(
      session_->makeTransport(), calls_, [this](const std::string& line) { emit("chamada: " + line); }));
  connection.setSessionToken(session_->token());
}

void Runner::showDocument(platform::Form& form) {
  emit("tela: " + form.caption());
  if (options_.presenter) options_.presenter->showDocument(form);
}

void Runner::closeDocument(platform::Form& form) {
  if (options_.presenter) options_.presenter->closeDocument(form);
  if (closing_) return;
  emit("tela fechada");
  lastFocus_.clear();
}

void Runner::emit(const std::string& line) {
  std::string text = line;
  // Continuation lines of a message stay inside its entry.
  for (size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 1)) text.insert(p + 1, "    ");
  out_ << "  " << text << "\n";
}

int Runner::run(std::string_view scriptText) {
  std::vector<Command> commands;
  try {
    commands = parseScript(scriptText);
  } catch (const ScriptError& e) {
    error_ = e.what();
    out_ << "!! " << error_ << "\n";
    return kRunFailed;
  }
  for (const Command& c : commands) {
    out_ << "> " << c.source << "\n";
    try {
      execute(c);
    } catch (const ScriptError& e) {
      error_ = e.what();
      out_ << "!! " << error_ << "\n";
      return kRunFailed;
    } catch (const std::exception& e) {
      // Escaped the gesture boundary: a fault of the screen, not of the script.
      error_ = "linha " + std::to_string(c.line) + ": erro inesperado da tela: " + e.what();
      out_ << "!! " << error_ << "\n";
      return kRunInternal;
    }
    out_.flush();
  }
  if (!ui_.answers.empty()) emit("(" + std::to_string(ui_.answers.size()) + " resposta(s) preparada(s) sem pergunta)");
  if (!ui_.picks.empty()) emit("(" + std::to_string(ui_.picks.size()) + " escolha(s) preparada(s) sem pesquisa)");
  return kRunOk;
}

bool Runner::gesture(const std::function<void()>& action) { return platform::runGesture(action); }

screen::TfrmManutVenda& Runner::screen(const Command& c) const {
  if (!frmManutVenda) throw ScriptError(c.line, "a tela não está aberta (use abrir)");
  return *frmManutVenda;
}

Control& Runner::control(const Command& c, const std::string& name) const {
  Control* ctl = screen(c).findControl(name);
  if (!ctl) throw ScriptError(c.line, "controle desconhecido: " + name);
  return *ctl;
}

ClientDataSet* Runner::recordSet(const std::string& name) const {
  if (!frmManutVenda) return nullptr;
  if (sameName(name, "dtsPadrao")) return frmManutVenda->currentSet();
  return frmManutVenda->findRecordSet(name);
}

void Runner::afterAction() {
  if (ui_.progressDepth != 0) {
    emit("(animação de progresso não fechada)");
    ui_.progressDepth = 0;
  }
  const Control* active = frmManutVenda ? frmManutVenda->activeControl() : nullptr;
  const std::string focus = active ? active->name() : std::string();
  if (focus != lastFocus_ && !focus.empty()) emit("foco: " + focus);
  lastFocus_ = focus;
}

void Runner::execute(const Command& c) {
  const std::string& v = c.verb;
  const bool action = v != "mostrar" && v != "responder" && v != "escolher" && v.rfind("esperar-", 0) != 0;
  if (action) messagesBefore_ = ui_.shown.size();

  if (v == "logon") {
    doLogon(c);
  } else if (v == "abrir") {
    gesture([] { CriaManutVenda(); });
  } else if (v == "ativar") {
    screen::TfrmManutVenda& f = screen(c);
    gesture([&f] { f.activate(); });
  } else if (v == "fechar") {
    screen::TfrmManutVenda& f = screen(c);
    gesture([&f] { f.close(); });
  } else if (v == "digitar") {
    doType(c);
  } else if (v == "sair") {
    doLeave(c);
  } else if (v == "foco") {
    Control& target = control(c, c.args[0]);
    if (!target.canFocus()) {
      emit("(" + target.name() + " não pode receber o foco)");
    } else {
      gesture([&target] { target.setFocus(); });
    }
  } else if (v == "clicar" || v == "menu") {
    doClick(c);
  } else if (v == "pagina") {
    auto* page = dynamic_cast<platform::TabSheet*>(&control(c, c.args[0]));
    if (!page || !page->pageControl()) throw ScriptError(c.line, c.args[0] + " não é uma página");
    bool selected = false;
    const bool ran = gesture([&] { selected = page->pageControl()->userSelectPage(*page); });
    if (ran && !selected) emit("(página " + page->name() + " recusada)");
  } else if (v == "coluna" || v == "celula") {
    doCell(c, v == "celula");
  } else if (v == "tecla") {
    doKey(c);
  } else if (v == "registro") {
    doRecord(c);
  } else if (v == "responder") {
    ui_.answers.push_back(lower(c.args[0]) == "sim" ? platform::MsgResult::Yes : platform::MsgResult::No);
  } else if (v == "escolher") {
    ui_.picks.push_back(lower(c.args[0]) == "nenhum" ? 0 : std::stoi(c.args[0]));
  } else if (v == "mostrar") {
    doShow(c);
  } else {
    doExpect(c);
  }
  if (action) afterAction();
}

void Runner::doLogon(const Command& c) {
  const platform::LogonResult r = session_->logon(c.args[0], c.args[1], c.args[2]);
  if (!r.ok) {
    emit("logon recusado: " + r.error);
    return;
  }
  emit("logon: operador " + r.operatorCode + " " + r.operatorName + ", filial " + r.branchCode + " " + r.branchName);
}

void Runner::doType(const Command& c) {
  Control& ctl = control(c, c.args[0]);
  const std::string& text = c.args[1];
  int accepted = -1;
  bool ran = false;
  if (auto* grid = dynamic_cast<platform::DBGrid*>(&ctl)) {
    ran = gesture([&] { accepted = grid->typeText(text); });
  } else if (auto* edit = dynamic_cast<platform::Edit*>(&ctl)) {
    ran = gesture([&] { accepted = edit->retype(text); });
  } else {
    throw ScriptError(c.line, ctl.name() + " não aceita digitação");
  }
  const int wanted = charCount(text);
  if (ran && accepted < wanted)
    emit("(aceitos " + std::to_string(accepted) + " de " + std::to_string(wanted) + " caracteres)");
}

// Leaving a control moves the focus to the next control in tab order that
// is not inside it, as Tab from its last field would; leaving a panel thus
// runs the panel's own exit step once.
void Runner::doLeave(const Command& c) {
  screen::TfrmManutVenda& f = screen(c);
  Control& from = control(c, c.args[0]);
  Control* active = f.activeControl();
  if (!from.containsFocus()) {
    throw ScriptError(c.line, "o foco não está em " + from.name() + " (está em " +
                                  (active ? active->name() : std::string("nenhum controle")) + ")");
  }
  std::vector<Control*> order;
  tabOrder(f, active, order);
  const auto here = std::find(order.begin(), order.end(), active);
  const size_t start = here == order.end() ? 0 : static_cast<size_t>(here - order.begin());
  Control* target = nullptr;
  for (size_t i = 1; i <= order.size() && !target; ++i) {
    Control* candidate = order[(start + i) % order.size()];
    if (!from.contains(*candidate)) target = candidate;
  }
  if (!target) throw ScriptError(c.line, "não há controle para onde levar o foco ao sair de " + from.name());
  gesture([target] { target->setFocus(); });
}

void Runner::doClick(const Command& c) {
  Control& ctl = control(c, c.args[0]);
  bool clicked = false;
  bool ran = true;
  if (c.verb == "menu") {
    auto* item = dynamic_cast<platform::MenuItem*>(&ctl);
    if (!item) throw ScriptError(c.line, ctl.name() + " não é um item de menu");
    ran = gesture([&] { clicked = item->click(); });
  } else if (auto* button = dynamic_cast<platform::Button*>(&ctl)) {
    ran = gesture([&] { clicked = button->click(); });
  } else if (auto* grid = dynamic_cast<platform::DBGrid*>(&ctl)) {
    // The look-up button of the grid's selected cell.
    ran = gesture([&] { clicked = grid->clickEditButton(); });
  } else if (auto* item = dynamic_cast<platform::MenuItem*>(&ctl)) {
    ran = gesture([&] { clicked = item->click(); });
  } else {
    throw ScriptError(c.line, ctl.name() + " não é um botão");
  }
  if (ran && !clicked) emit("(" + ctl.name() + " indisponível)");
}

void Runner::doCell(const Command& c, bool type) {
  auto* grid = dynamic_cast<platform::DBGrid*>(&control(c, c.args[0]));
  if (!grid) throw ScriptError(c.line, c.args[0] + " não é uma grade");
  const platform::Column* column = grid->columnByField(c.args[1]);
  if (!column) throw ScriptError(c.line, "a grade " + grid->name() + " não tem a coluna " + c.args[1]);
  if (!column->visible()) throw ScriptError(c.line, "a coluna " + c.args[1] + " de " + grid->name() + " está oculta");
  std::string note;
  gesture([&] {
    if (!grid->containsFocus() && !grid->setFocus()) {
      note = "(" + grid->name() + " não pode receber o foco)";
      return;
    }
    grid->selectColumn(column->fieldName());
    if (!type) return;
    const int wanted = charCount(c.args[2]);
    const int accepted = grid->typeText(c.args[2]);
    if (accepted < wanted)
      emit("(aceitos " + std::to_string(accepted) + " de " + std::to_string(wanted) + " caracteres)");
    // Leave the column: to the next visible one, else to the previous one.
    const int here = grid->selectedIndex();
    int next = -1;
    for (int i = here + 1; i < grid->columnCount() && next < 0; ++i)
      if (grid->column(i).visible()) next = i;
    for (int i = here - 1; i >= 0 && next < 0; --i)
      if (grid->column(i).visible()) next = i;
    if (next >= 0)
      grid->selectColumnAt(next);
    else
      grid->setEditorMode(false);
  });
  if (!note.empty()) emit(note);
}

void Runner::doKey(const Command& c) {
  Control& ctl = control(c, c.args[0]);
  const KeyStroke k = *parseKey(c.args[1]);
  auto* grid = dynamic_cast<platform::DBGrid*>(&ctl);
  auto* edit = dynamic_cast<platform::Edit*>(&ctl);
  if (!grid && !edit) throw ScriptError(c.line, ctl.name() + " não recebe teclas");
  if (!ctl.canFocus()) {
    emit("(" + ctl.name() + " não pode receber o foco)");
    return;
  }
  bool done = false;
  // A key goes to the control with the focus: the focus moves there first,
  // and a refused move (an exit check failed) keeps the key from it.
  const bool ran = gesture([&] {
    if (!ctl.focused() && !ctl.setFocus()) return;
    done = grid ? grid->pressKey(k.key, k.shift) : edit->pressKey(k.key, k.shift);
  });
  if (ran && !done) emit("(tecla " + c.args[1] + " recusada)");
}

void Runner::doRecord(const Command& c) {
  screen(c);
  ClientDataSet* set = recordSet(c.args[0]);
  if (!set) throw ScriptError(c.line, "conjunto de registros desconhecido: " + c.args[0]);
  std::string a = lower(c.args[1]);
  if (a == "próximo") a = "proximo";
  if (a == "último") a = "ultimo";
  if (!set->active()) {
    emit("(" + set->name() + " fechado)");
    return;
  }
  if (a == "gravar" && !set->editing()) {
    emit("(" + set->name() + " não está em edição)");
    return;
  }
  gesture([&] {
    if (a == "primeiro")
      set->first();
    else if (a == "anterior")
      set->prior();
    else if (a == "proximo")
      set->next();
    else if (a == "ultimo")
      set->last();
    else if (a == "inserir")
      set->insert();
    else if (a == "acrescentar")
      set->append();
    else if (a == "editar")
      set->edit();
    else if (a == "gravar")
      set->post();
    else if (a == "cancelar")
      set->cancel();
    else if (a == "excluir")
      set->remove();
    else
      set->setRecNo(std::stoi(a));
  });
  if (set->active())
    emit(set->name() + ": registro " + std::to_string(set->recNo()) + " de " + std::to_string(set->recordCount()) +
         " (" + stateWord(set->state()) + ")");
}

void Runner::doShow(const Command& c) {
  screen::TfrmManutVenda& f = screen(c);
  const std::string& name = c.args[0];
  if (sameName(name, "foco")) {
    const Control* active = f.activeControl();
    emit("foco: " + (active ? active->name() : std::string("nenhum")));
    return;
  }
  if (ClientDataSet* set = recordSet(name)) {
    showRecordSet(*set, {c.args.begin() + 1, c.args.end()}, c.line);
    return;
  }
  if (sameName(name, "dtsPadrao")) {
    emit("dtsPadrao: sem conjunto de registros");
    return;
  }
  if (c.args.size() > 1) throw ScriptError(c.line, "campos só se mostram de um conjunto de registros");
  showControl(control(c, name), "");
}

void Runner::showRecordSet(ClientDataSet& set, const std::vector<std::string>& names, int line) {
  // Field names are checked even on a closed set, so a misspelt one is not
  // hidden by the moment it is asked for.
  std::vector<platform::Field*> fields;
  for (const std::string& n : names) {
    platform::Field* fld = set.findField(n);
    if (!fld) throw ScriptError(line, set.name() + " não tem o campo " + n);
    fields.push_back(fld);
  }
  if (!set.active()) {
    emit(set.name() + ": fechado");
    return;
  }
  if (names.empty())
    for (int i = 0; i < set.fieldCount(); ++i)
      if (set.field(i).visible()) fields.push_back(&set.field(i));
  const int rows = set.viewRowCount();
  emit(set.name() + ": " + std::to_string(set.recordCount()) + " registro(s), atual " + std::to_string(set.recNo()) +
       " (" + stateWord(set.state()) + ")");
  const int current = set.viewCurrentRow();
  for (int r = 0; r < rows; ++r) {
    std::string row;
    set.withViewRow(r, [&] {
      for (platform::Field* fld : fields) row += " | " + fld->name() + "=" + fld->displayText();
    });
    emit(std::string(r == current ? "* " : "  ") + std::to_string(r + 1) + row);
  }
}

void Runner::showControl(Control& ctl, const std::string& indent) {
  std::string line = indent + ctl.name() + ": ";
  const bool enabled = ctl.effectiveEnabled();
  switch (ctl.kind()) {
    case ControlKind::Edit:
    case ControlKind::MaskEdit:
    case ControlKind::DateEdit:
    case ControlKind::Memo:
    case ControlKind::DBEdit:
    case ControlKind::DBMemo: {
      auto& e = static_cast<platform::Edit&>(ctl);
      line += inQuotes(e.displayText());
      if (e.readOnly()) line += " [somente leitura]";
      if (!enabled) line += " [desabilitado]";
      break;
    }
    case ControlKind::NumberBox:
      line += static_cast<platform::NumberBox&>(ctl).text();
      if (!enabled) line += " [desabilitado]";
      break;
    case ControlKind::Label:
      line += inQuotes(static_cast<platform::Label&>(ctl).caption());
      break;
    case ControlKind::DBText:
      line += inQuotes(static_cast<platform::DBText&>(ctl).text());
      break;
    case ControlKind::Button:
    case ControlKind::LookupButton:
      line += static_cast<platform::Button&>(ctl).clickable() ? "disponível" : "indisponível";
      break;
    case ControlKind::MenuItem: {
      auto& m = static_cast<platform::MenuItem&>(ctl);
      line += inQuotes(m.plainCaption()) + (m.enabled() ? " habilitado" : " desabilitado");
      if (!m.visible()) line += " [oculto]";
      if (m.checked()) line += " [marcado]";
      emit(line);
      for (Control* child : m.children())
        if (!static_cast<platform::MenuItem*>(child)->isSeparator()) showControl(*child, indent + "  ");
      return;
    }
    case ControlKind::TabSheet: {
      auto& t = static_cast<platform::TabSheet&>(ctl);
      const platform::PageControl* pc = t.pageControl();
      line += std::string(pc && pc->activePage() == &t ? "ativa" : "inativa") +
              (t.enabled() ? ", habilitada" : ", desabilitada");
      if (!t.visible()) line += " [oculta]";
      break;
    }
    case ControlKind::PageControl: {
      auto& pc = static_cast<platform::PageControl&>(ctl);
      line += "página " + (pc.activePage() ? pc.activePage()->name() : std::string("nenhuma"));
      emit(line);
      for (platform::TabSheet* page : pc.pages()) showControl(*page, indent + "  ");
      return;
    }
    case ControlKind::DBGrid: {
      auto& g = static_cast<platform::DBGrid&>(ctl);
      line += std::to_string(g.rowCount()) + " linha(s), atual " + std::to_string(g.currentRow() + 1);
      if (const platform::Column* col = g.selectedColumn()) line += ", coluna " + col->fieldName();
      if (g.editorMode()) line += ", editando " + inQuotes(g.editText());
      if (!enabled) line += " [desabilitada]";
      break;
    }
    case ControlKind::DBNavigator: {
      auto& n = static_cast<platform::DBNavigator&>(ctl);
      line += std::string(n.buttonEnabled(platform::NavButton::Prior) ? "anterior" : "-") + " " +
              (n.buttonEnabled(platform::NavButton::Next) ? "próximo" : "-");
      if (!enabled) line += " [desabilitado]";
      break;
    }
    case ControlKind::Panel:
    case ControlKind::Form:
      line += enabled ? "habilitado" : "desabilitado";
      emit(line);
      for (Control* child : ctl.children())
        if (child->kind() != ControlKind::Label || !static_cast<platform::Label*>(child)->caption().empty())
          showControl(*child, indent + "  ");
      return;
  }
  emit(line);
}

void Runner::doExpect(const Command& c) {
  const std::string& v = c.verb;
  std::vector<std::string> recent;
  for (size_t i = messagesBefore_; i < ui_.shown.size(); ++i) recent.push_back(ui_.shown[i].text);
  auto listed = [&recent] {
    if (recent.empty()) return std::string("nenhuma mensagem");
    std::string s;
    for (const std::string& t : recent) s += (s.empty() ? "" : "; ") + inQuotes(t);
    return s;
  };
  if (v == "esperar-mensagem") {
    const bool found = std::any_of(recent.begin(), recent.end(),
                                   [&](const std::string& t) { return t.find(c.args[0]) != std::string::npos; });
    if (!found)
      throw ScriptError(c.line, "a mensagem " + inQuotes(c.args[0]) + " não apareceu (apareceu: " + listed() + ")");
  } else if (v == "esperar-nenhuma-mensagem") {
    if (!recent.empty()) throw ScriptError(c.line, "nenhuma mensagem era esperada (apareceu: " + listed() + ")");
  } else if (v == "esperar-foco") {
    Control& want = control(c, c.args[0]);
    const Control* active = screen(c).activeControl();
    if (active != &want)
      throw ScriptError(c.line, "o foco devia estar em " + want.name() + " e está em " +
                                    (active ? active->name() : std::string("nenhum controle")));
  } else if (v == "esperar-texto") {
    Control& ctl = control(c, c.args[0]);
    std::vector<std::string> seen;
    if (auto* e = dynamic_cast<platform::Edit*>(&ctl))
      seen = {e->text(), e->displayText()};
    else if (auto* n = dynamic_cast<platform::NumberBox*>(&ctl))
      seen = {n->text()};
    else if (auto* l = dynamic_cast<platform::Label*>(&ctl))
      seen = {l->caption()};
    else if (auto* d = dynamic_cast<platform::DBText*>(&ctl))
      seen = {d->text()};
    else
      throw ScriptError(c.line, ctl.name() + " não mostra um texto");
    if (std::find(seen.begin(), seen.end(), c.args[1]) == seen.end())
      throw ScriptError(c.line, ctl.name() + " mostra " + inQuotes(seen.back()) + ", não " + inQuotes(c.args[1]));
  }
}

}  // namespace script
