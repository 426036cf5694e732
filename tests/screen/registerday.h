#pragma once
// Helpers for behaviour tests that work on one register day of the demo
// database: putting the filter on a day and loading its openings and Z
// reductions as leaving the filter panel does, loading an opening's sales,
// and changing the database behind the server's back.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "client/session.h"
#include "platform/datetime.h"
#include "platform/gesture.h"
#include "platform/sqlaccess.h"
#include "platform/sqlconnection.h"
#include "screen/frmmanutvenda.h"

namespace registerday {

// 02/03/2026 + n: the demo's days (the Z reduction of day 0 of register
// 001 is approved; days 1 to 3 are closed; day 4 is still open).
inline platform::DateTime demoDay(int n) { return platform::DateTime(platform::encodeDate(2026, 3, 2).days + n); }

inline platform::Value callServer(screen::TfrmManutVenda& f, const std::string& op, std::vector<platform::Value> args) {
  const platform::RemoteResult r = f.netManutVenda.call(op, args);
  EXPECT_TRUE(r.ok) << op << ": " << r.error;
  return r.value;
}

// Sets the filter to the day and leaves the panel, which loads the day.
inline void loadDay(screen::TfrmManutVenda& f, platform::DateTime day, const std::string& branch = "0001",
                    const std::string& reg = "001") {
  // Back into the panel first when the focus is elsewhere: entering it
  // empties every page, as for the user.
  ASSERT_TRUE(platform::runGesture([&] { f.setFocus(f.medCdCaixa); }));
  f.medFilial.setText(branch);
  f.medCdCaixa.setText(reg);
  f.depDeEntrega.setDate(day);
  // Leaving the panel for the openings grid loads the day, as the user does.
  ASSERT_TRUE(platform::runGesture([&] { f.setFocus(f.dbgAberCaixa); }));
  ASSERT_EQ(f.activeControl(), &f.dbgAberCaixa);
}

// Loads the sales of the current opening and makes `sale` current.
inline void loadSales(screen::TfrmManutVenda& f, const std::string& sale) {
  const platform::Value v =
      callServer(f, "GetPedidoVenda",
                 {f.cdsAberCaixa.fieldByName("CDFILIAL").asString(), f.cdsAberCaixa.fieldByName("CDCAIXA").asString(),
                  f.cdsAberCaixa.fieldByName("DTABERCAIX").value()});
  ASSERT_TRUE(v.isArray());
  f.cdsPedidoVenda.setData(v.array().at(0).packet());
  f.cdsSumVenda.setData(v.array().at(1).packet());
  ASSERT_TRUE(f.cdsPedidoVenda.locate("NRSEQVENDA", platform::Value(sale)));
}

inline long long sql(client::Session& s, const std::string& text, const platform::SqlParams& params = {}) {
  return platform::sqlExecute(s.database().session(), text, params);
}

inline platform::DataPacket select(client::Session& s, const std::string& text,
                                   const platform::SqlParams& params = {}) {
  return platform::sqlSelect(s.database().session(), text, params);
}

// Runs a gesture as the user's; true when it ran to the end.
inline bool gesture(const std::function<void()>& g) { return platform::runGesture(g); }

}  // namespace registerday
