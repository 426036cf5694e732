#pragma once
// The save and cancel actions (screen/saving.cpp).
//
// Thread-safety: none; the user-interface thread only.

#include <array>

#include "screen/screenpart.h"

namespace platform {
class ClientDataSet;
}

namespace screen {

class Saving : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
  void wire() override;
  void sbtConfirmarClick();
  // Cancels the edit in progress; with none, undoes the changes a failed
  // save left unsent.
  void sbtCancelarClick();
  // The record sets whose change logs the save action sends (sale and Z
  // reduction branches, and openings the server refused when they were
  // sent at once); the others send each change at once.
  std::array<platform::ClientDataSet*, 10> savedSets() const;

 private:
  void saveVenda();
  void saveReducao();

  int running_ = 0;  // saves under way (a post inside a save runs one)
};

}  // namespace screen
