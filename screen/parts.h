#pragma once
// The screen's concerns and subsystems, each an object composed by
// TfrmManutVenda that wires the handlers of its own components:
//
//   FilterPanel    branch, register and movement date; leaving the panel
//                  loads the day's openings and reference sets
//   Retrieval      the verify action and the reloads on record moves
//   ScreenState    page changes and the availability of actions and pages
//   Saving         the save action and the change logs sent to the server
//   ChangeGuards   the approval lock, open-register guard and date window
//   SalePart       sale header, items, item taxes, receipts, cancelled items
//   RegisterPart   register openings and closing
//   ZReductionPart the Z reduction record and its sub-tables
//
// Each is constructed with the screen (its components already exist) and
// wired once by the screen's constructor; one whose behaviour is not built
// yet wires nothing.
//
// Thread-safety: none; the user-interface thread only.

namespace screen {

class TfrmManutVenda;

class ScreenPart {
 public:
  explicit ScreenPart(TfrmManutVenda& screen) : f(screen) {}
  virtual ~ScreenPart() = default;
  ScreenPart(const ScreenPart&) = delete;
  ScreenPart& operator=(const ScreenPart&) = delete;
  virtual void wire() {}

 protected:
  TfrmManutVenda& f;
};

class FilterPanel : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class Retrieval : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class ScreenState : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class Saving : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class ChangeGuards : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class SalePart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class RegisterPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

class ZReductionPart : public ScreenPart {
 public:
  using ScreenPart::ScreenPart;
};

}  // namespace screen
