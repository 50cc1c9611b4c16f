// One open data source of a Session: a work database (database_source.h) or
// a folder of text files (text_source.h). The Session forwards its calls;
// the contracts are those of session.h.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/jet/session.h"

namespace dt::jet {

class DataSource {
 public:
  virtual ~DataSource() = default;
  virtual std::int64_t Execute(std::string_view sql) = 0;
  virtual Snapshot Query(std::string_view sql) = 0;
  virtual void UpdateRow(const Snapshot& snapshot, std::size_t row,
                         const std::vector<Session::Change>& changes) = 0;
  virtual void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                              const std::vector<std::string>& set_columns,
                              const Session::Rewrite& rewrite) = 0;
};

}  // namespace dt::jet
