#include "gui/waitingtransport.h"

#include <future>
#include <thread>

namespace gui {

template <class Work>
auto WaitingTransport::wait(Work work) {
  std::packaged_task<decltype(work())()> task(std::move(work));
  auto done = task.get_future();
  std::thread helper(std::move(task));
  if (done.wait_for(delay_) == std::future_status::timeout && late_) late_();
  helper.join();
  return done.get();
}

std::string WaitingTransport::connect(const platform::RemoteEndpoint& endpoint) {
  return wait([this, &endpoint] { return inner().connect(endpoint); });
}

platform::LogonResult WaitingTransport::logon(const std::string& operatorCode, const std::string& password,
                                              const std::string& branch) {
  return wait([&] { return inner().logon(operatorCode, password, branch); });
}

platform::RemoteResult WaitingTransport::call(const std::string& token, const std::string& operation,
                                              std::vector<platform::Value>& args) {
  return wait([&] { return inner().call(token, operation, args); });
}

}  // namespace gui
