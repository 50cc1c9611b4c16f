// Writing one exported table file: CSV quoting, CR LF line ends and a
// buffered, checked file.
#include "bench/table_writer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "platform/codepage.h"

namespace dt::bench {
namespace {

constexpr std::size_t kFlushSize = std::size_t{1} << 20;

std::string ErrnoText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

// In code page 936 a trail byte is never a comma, quote, CR or LF, so the
// bytes can be searched directly.
bool NeedsQuotes(std::string_view field) {
  return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

void TableWriter::FileCloser::operator()(std::FILE* file) const noexcept { std::fclose(file); }

TableWriter::TableWriter(const std::string& path, std::string_view columns) : path_(path) {
  for (std::size_t start = 0;;) {
    const std::size_t comma = columns.find(',', start);
    names_.emplace_back(columns.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  defaults_.assign(names_.size(), std::string());
  row_ = defaults_;
  file_.reset(std::fopen(path.c_str(), "wb"));
  if (!file_) throw std::runtime_error("cannot create " + path + ": " + ErrnoText(errno));
  buffer_.reserve(kFlushSize + 4096);
  // The exporter's own header: its column names in lower case, quoted. The
  // import replaces this line with the catalogue's.
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (i != 0) buffer_ += ',';
    buffer_ += '"';
    buffer_ += platform::AsciiLowerCase(names_[i]);
    buffer_ += '"';
  }
  buffer_ += "\r\n";
}

TableWriter::~TableWriter() = default;

std::size_t TableWriter::Column(std::string_view column) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == column) return i;
  }
  throw std::logic_error("no column " + std::string(column) + " in " + path_);
}

void TableWriter::SetDefault(std::size_t column, std::string_view value) {
  defaults_[column].assign(value);
  row_[column].assign(value);
}

void TableWriter::Append(std::string_view field) {
  if (!NeedsQuotes(field)) {
    buffer_ += field;
    return;
  }
  buffer_ += '"';
  for (char c : field) {
    if (c == '"') buffer_ += '"';
    buffer_ += c;
  }
  buffer_ += '"';
}

void TableWriter::EndRow() {
  for (std::size_t i = 0; i < row_.size(); ++i) {
    if (i != 0) buffer_ += ',';
    Append(row_[i]);
    row_[i].assign(defaults_[i]);
  }
  buffer_ += "\r\n";
  ++rows_;
  if (buffer_.size() >= kFlushSize) Flush();
}

void TableWriter::Flush() {
  if (buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) {
    throw std::runtime_error("cannot write " + path_ + ": " + ErrnoText(errno));
  }
  buffer_.clear();
}

void TableWriter::Close() {
  if (!file_) return;
  Flush();
  std::FILE* file = file_.release();
  if (std::fclose(file) != 0) {
    throw std::runtime_error("cannot write " + path_ + ": " + ErrnoText(errno));
  }
}

}  // namespace dt::bench
