// Statement commands: one statement run once on the bound connection.
#pragma once

#include <memory>
#include <string>

#include "src/workdb/connection.h"

namespace dt {

// Runs one statement and discards any rows it returns.
class StatementCommand {
 public:
  StatementCommand();
  ~StatementCommand();
  StatementCommand(const StatementCommand&) = delete;
  StatementCommand& operator=(const StatementCommand&) = delete;

  void SetConnection(Connection& connection);
  void SetCommandText(std::string ansi_sql);
  const std::string& CommandText() const { return text_; }
  // Opens the connection when it is closed. Raises EOleException when the
  // engine rejects the statement, EDatabaseError when no connection is bound.
  void Execute();

 private:
  std::weak_ptr<detail::ConnectionState> connection_;
  std::string text_;
};

}  // namespace dt
