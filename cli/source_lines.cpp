// Source lines of rows: a scan of the staged file that follows the text
// driver's record and line rules byte by byte.
#include "cli/source_lines.h"

#include <algorithm>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/files.h"

namespace dt::cli {
namespace {

// Where the scan is, carried from one block to the next.
enum class State {
  kLineStart,   // outside quotes, at the start of a line
  kFieldStart,  // a field begins: a quote here opens quoted text
  kUnquoted,    // up to the next comma or line end
  kQuoted,      // inside quotes
  kQuote,       // a quote inside quoted text: closing, or the first of ""
};

constexpr bool IsUnquotedEnd(char c) { return c == ',' || c == '\r' || c == '\n'; }
constexpr bool IsQuotedStop(char c) { return c == '"' || c == '\r' || c == '\n'; }

// The first byte from `p` on that `stop` takes, or `end`.
template <typename Stop>
const char* SkipUntil(const char* p, const char* end, Stop stop) {
  while (p < end && !stop(*p)) ++p;
  return p;
}

class RecordScanner {
 public:
  // Takes the next block; calls on_record(line) where each record starts,
  // and stops, returning false, once it returns false.
  template <typename OnRecord>
  bool Feed(const char* p, const char* end, OnRecord on_record) {
    for (; p < end; ++p) {
      const char c = *p;
      if (after_cr_ && c == '\n') {  // the LF of a CR LF counted at the CR
        after_cr_ = false;
        continue;
      }
      after_cr_ = false;
      switch (state_) {
        case State::kLineStart:
          if (c == '\r' || c == '\n') {  // an empty line
            LineBreak(c);
            continue;
          }
          if (!on_record(line_)) return false;
          [[fallthrough]];
        case State::kFieldStart:
          if (c == '"') {
            state_ = State::kQuoted;
            continue;
          }
          state_ = State::kUnquoted;
          [[fallthrough]];
        case State::kUnquoted:
          if (!IsUnquotedEnd(c)) {
            p = SkipUntil(p + 1, end, IsUnquotedEnd) - 1;  // the field's text
            continue;
          }
          EndOfUnquoted(c);
          continue;
        case State::kQuoted:
          if (!IsQuotedStop(c)) {
            p = SkipUntil(p + 1, end, IsQuotedStop) - 1;  // text without quotes or line breaks
            continue;
          }
          if (c == '"') {
            state_ = State::kQuote;
          } else if (c == '\r' || c == '\n') {
            LineBreak(c);
          }
          continue;
        case State::kQuote:
          if (c == '"') {
            state_ = State::kQuoted;
            continue;
          }
          state_ = State::kUnquoted;  // bytes after a closing quote are kept as they are
          EndOfUnquoted(c);
          continue;
      }
    }
    return true;
  }

 private:
  void LineBreak(char c) {
    ++line_;
    after_cr_ = c == '\r';
  }
  void EndOfUnquoted(char c) {
    if (c == ',') {
      state_ = State::kFieldStart;
    } else if (c == '\r' || c == '\n') {
      LineBreak(c);
      state_ = State::kLineStart;
    }
  }

  State state_ = State::kLineStart;
  std::int64_t line_ = 1;
  bool after_cr_ = false;
};

}  // namespace

void FindSourceLines(const std::string& utf8_path, std::vector<BrokenReference*> rows,
                     std::size_t block_size) {
  std::sort(rows.begin(), rows.end(),
            [](const BrokenReference* a, const BrokenReference* b) { return a->row < b->row; });
  if (rows.empty()) return;
  const std::string ansi_path = platform::Utf8ToAnsi(utf8_path);
  platform::InputFile file;
  if (!file.Open(ansi_path)) {
    throw std::runtime_error("cannot open " + utf8_path + ": " +
                             platform::AnsiToUtf8(platform::SystemErrorText(file.error())));
  }
  RecordScanner scanner;
  std::int64_t record = -1;  // the header is record 0; rows are records from 1
  auto next = rows.begin();
  const auto on_record = [&](std::int64_t line) {
    ++record;
    for (; next != rows.end() && (*next)->row <= record; ++next) {
      if ((*next)->row == record) (*next)->line = line;
    }
    return next != rows.end();  // the scan is over once every row has its line
  };
  std::vector<char> block(std::max<std::size_t>(block_size, 1));
  for (;;) {
    std::size_t count = 0;
    if (!file.Read(block.data(), block.size(), &count)) {
      throw std::runtime_error("cannot read " + utf8_path + ": " +
                               platform::AnsiToUtf8(platform::SystemErrorText(file.error())));
    }
    if (count == 0 || !scanner.Feed(block.data(), block.data() + count, on_record)) return;
  }
}

}  // namespace dt::cli
