// Something that hands out the records of a text file one by one, with their
// column names and where each record starts: the text reader, or the
// read-ahead over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dt::engine::standin {

class RecordSource {
 public:
  virtual ~RecordSource() = default;

  // The column names; every record has exactly this many fields.
  virtual const std::vector<std::string>& Columns() const = 0;

  // Reads the next record; false at the end. `fields` gets Columns().size()
  // entries, nullopt for NULL; the views stay valid until the next call.
  virtual bool Next(std::vector<std::optional<std::string_view>>& fields) = 0;

  // The 1-based line and the byte offset where the last record read starts.
  virtual std::size_t Line() const = 0;
  virtual std::int64_t Offset() const = 0;
};

}  // namespace dt::engine::standin
