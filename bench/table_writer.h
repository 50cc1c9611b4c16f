// One exported table file as the accounting system writes it: an exporter's
// own first line, then one row per line, comma-separated, CR LF ended, text
// in code page 936, a field quoted ("..." with "" for a quote) only when it
// holds a comma, a quote or a line break.
//
// Rows are built in place: every column starts from its default value, the
// caller sets the columns it cares about, EndRow writes the line. Output is
// buffered in one block; memory does not grow with the number of rows.
// Failures to create or write the file raise std::runtime_error naming it;
// Close must be called to learn that the file is complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dt::bench {

class TableWriter {
 public:
  // Creates (or replaces) `path` and writes the exporter's first line.
  // `columns` is the comma-separated list of the table's column names, in
  // file order; every column's default value is empty until SetDefault.
  TableWriter(const std::string& path, std::string_view columns);
  ~TableWriter();
  TableWriter(const TableWriter&) = delete;
  TableWriter& operator=(const TableWriter&) = delete;

  // The position of `column`; raises std::logic_error for an unknown name.
  std::size_t Column(std::string_view column) const;
  const std::vector<std::string>& Columns() const { return names_; }

  // Sets the default value of a column for every later row.
  void SetDefault(std::size_t column, std::string_view value);
  // The current row's value of `column`, to assign or append to.
  std::string& operator[](std::size_t column) { return row_[column]; }
  // Writes the current row and starts the next from the defaults.
  void EndRow();
  std::uint64_t Rows() const { return rows_; }

  // Writes what is buffered and closes the file; raises on any write error.
  void Close();

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const noexcept;
  };
  void Append(std::string_view field);
  void Flush();

  std::string path_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::vector<std::string> names_;
  std::vector<std::string> defaults_;
  std::vector<std::string> row_;
  std::string buffer_;
  std::uint64_t rows_ = 0;
};

}  // namespace dt::bench
