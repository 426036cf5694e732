#pragma once
// BatchingTransport: sends the calls a user action announced (expect) in
// one exchange, and hands their answers out one by one as the screen makes
// the calls, so that the screen's code runs as it would with a round trip
// per call: the same calls, in the same order, each answer checked and
// loaded where it was before, under the same progress caption.
//
// The batch leaves at the first announced call, not when it is announced,
// so the round trip happens where that call's happened. A call that is not
// the next announced one (other arguments, another operation, an extra call)
// withdraws what is left and goes alone: batching can cost a round trip,
// never an answer to a question the screen did not ask. A call the server
// did not run, because one before it failed, goes alone as well.
//
// Thread-safety: as the wrapped transport (one thread at a time).

#include <memory>
#include <string>
#include <vector>

#include "platform/remote.h"

namespace platform {

class BatchingTransport : public ForwardingTransport {
 public:
  explicit BatchingTransport(std::unique_ptr<RemoteTransport> inner) : ForwardingTransport(std::move(inner)) {}

  void expect(std::vector<RemoteCall> calls) override;
  RemoteResult call(const std::string& token, const std::string& operation, std::vector<Value>& args) override;
  std::vector<RemoteResult> callBatch(const std::string& token, std::vector<RemoteCall>& calls) override {
    drop();
    return inner().callBatch(token, calls);
  }
  void disconnect() override {
    drop();
    ForwardingTransport::disconnect();
  }
  void logoff(const std::string& token) override {
    drop();
    ForwardingTransport::logoff(token);
  }

 private:
  void drop();

  std::vector<RemoteCall> announced_;  // as announced, references unresolved
  std::vector<RemoteCall> sent_;       // as run: resolved, by-reference arguments updated
  std::vector<RemoteResult> results_;
  std::vector<Value> answers_;
  std::size_t next_ = 0;
};

}  // namespace platform
