#pragma once
// A write the database refused by one of its constraints, told apart from
// other failures so that the server can word it for the user. Its text is
// the driver's (statement and bound values included): for the log only.

#include <string>

#include "platform/sqlconnection.h"

namespace platform {

class SqlConstraintError : public SqlError {
 public:
  enum class Kind { Unique, ForeignKey, Other };
  SqlConstraintError(const std::string& text, Kind kind) : SqlError(text), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace platform
