#pragma once
// The module's entries and variables, exported under their undecorated
// names so that the client finds them in libVnd02600.so with dlsym:
//
//   CriaManutVenda  opens the screen: creates the single instance on first
//                   use (or after it was closed) and shows it through the
//                   screen host; an existing instance is brought back.
//   IniProc         the module's start entry; opens the screen.
//   frmManutVenda   the instance, null while there is none
//   boStCriado      the instance exists (set after creation, cleared on close)
//   boPrimVez       the first activation is still to come
//
// A closed screen is destroyed on the next CriaManutVenda (or when the
// module unloads), never while its own close is running. The entries do not
// let exceptions out: a failure while opening is shown as an error and
// leaves no instance behind.
//
// Thread-safety: the user-interface thread only.

namespace screen {
class TfrmManutVenda;
}

extern "C" {
__attribute__((visibility("default"))) void CriaManutVenda();
__attribute__((visibility("default"))) void IniProc();
__attribute__((visibility("default"))) extern screen::TfrmManutVenda* frmManutVenda;
__attribute__((visibility("default"))) extern bool boStCriado;
__attribute__((visibility("default"))) extern bool boPrimVez;
}
