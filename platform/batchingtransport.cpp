#include "platform/batchingtransport.h"

#include "platform/text.h"

namespace platform {

void BatchingTransport::drop() {
  announced_.clear();
  sent_.clear();
  results_.clear();
  answers_.clear();
  next_ = 0;
}

void BatchingTransport::expect(std::vector<RemoteCall> calls) {
  drop();
  // A single call gains nothing from travelling as a batch.
  if (calls.size() > 1) announced_ = std::move(calls);
}

RemoteResult BatchingTransport::call(const std::string& token, const std::string& operation,
                                     std::vector<Value>& args) {
  if (next_ < announced_.size()) {
    // The call as announced, its references resolved from the answers
    // already handed out: what the server ran in its place.
    RemoteCall expected = announced_[next_];
    resolveAnswerRefs(expected, answers_);
    const bool same = equalsIgnoreCase(expected.operation, operation) && expected.args == args;
    if (same && next_ == 0) {
      sent_ = announced_;
      results_ = inner().callBatch(token, sent_);
    }
    if (same && next_ < results_.size()) {
      RemoteResult result = results_[next_];
      if (result.ok) {
        args = sent_[next_].args;
        answers_.push_back(result.value);
      }
      ++next_;
      if (next_ == announced_.size() || !result.ok) drop();
      return result;
    }
    drop();
  }
  return inner().call(token, operation, args);
}

}  // namespace platform
