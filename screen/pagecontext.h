#pragma once
// What the pages tell the user about where they are (screen/pagecontext.cpp):
// a one-line header of the current sale (number, coupon, hour, client,
// status, total) on the items, receipts and cancelled-items pages, which
// show that sale's details without its row in view; the caption over the
// item-tax list naming the item whose taxes it lists; and what each list
// shows while it has no rows. The lines follow the sale and item record sets
// and the sale's total as they change.
//
// Thread-safety: none; the user-interface thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/datasource.h"
#include "screen/screenpart.h"

namespace platform {
class Label;
}

namespace screen {

class PageContext : public ScreenPart, private platform::DataSetListener {
 public:
  using ScreenPart::ScreenPart;
  ~PageContext() override;
  void wire() override;

  // The header of the current sale; "" without one.
  std::string saleLine() const;
  // The caption over the item-tax list.
  std::string itemTaxLine() const;

 private:
  void refresh();
  void stateChanged(platform::DataSource&) override { refresh(); }
  void dataSetChanged(platform::DataSource&) override { refresh(); }
  void recordMoved(platform::DataSource&) override { refresh(); }
  void recordChanged(platform::DataSource&, platform::Field*) override { refresh(); }

  std::vector<platform::Label*> headers_;
  platform::Label* taxCaption_ = nullptr;
  std::uint64_t totalConnection_ = 0;  // on the total's `changed`
};

}  // namespace screen
