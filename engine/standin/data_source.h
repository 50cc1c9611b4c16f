// One open data source of the stand-in engine: a work database
// (store/database_source.h) or a folder of text files
// (text/text_source.h). The engine forwards its calls; the contracts are
// those of engine.h.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "engine/error.h"

namespace dt::engine::standin {

class DataSource {
 public:
  virtual ~DataSource() = default;
  virtual std::int64_t Execute(std::string_view sql) = 0;
  virtual Snapshot Query(std::string_view sql) = 0;
  virtual void UpdateRow(const Snapshot& snapshot, std::size_t row,
                         const std::vector<Change>& changes) = 0;
  virtual void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                              const std::vector<std::string>& set_columns,
                              const std::vector<std::string>& keys, const Rewrite& rewrite) = 0;
  virtual bool HasTable(std::string_view table) = 0;
};

}  // namespace dt::engine::standin
