#pragma once
// What a concern's header needs to declare its handlers: the ScreenPart base
// and the framework types the handlers take by reference, declared only, so
// that a concern's header does not pull the framework's headers into every
// file that includes it.
//
// Thread-safety: none; the user-interface thread only.

#include <string>

#include "screen/screenpart.h"

namespace platform {
class ClientDataSet;
class Control;
class DBGrid;
class Field;
struct CellContext;
struct CellAppearance;
}  // namespace platform
