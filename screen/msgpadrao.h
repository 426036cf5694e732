#pragma once
// The screen's message catalogue `msgPadrao`: every error, question, notice,
// dialog title, progress caption and display word of the sales-maintenance
// screen, by key. Its fallback is the framework's standard catalogue, so a
// key the screen asks for without holding it ("Get_Preco", "Get_Operador",
// "InsAberCaixa", "DelAberCaixa", "Get_ItensCancelados", "OPERADOR_NCAD")
// shows the standard text, and a key neither holds shows the key itself
// (see platform/messages.h). Keys match regardless of letter case, so
// "PRODUTO" and "OPERADOR" find the screen's "Produto" and "Operador".
//
// Note that the key "Caixa" is the sale-type word "Lançada no caixa", not
// the register caption.
//
// Built on first use; read-only afterwards and safe to read from any thread.

#include "platform/messages.h"

namespace screen {

const platform::TMessages& msgPadrao();

}  // namespace screen
