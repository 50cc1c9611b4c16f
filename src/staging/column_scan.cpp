// The column scan of a staged file: lines that cannot hold a long value are
// passed over a window at a time; the header record, lines with a double
// quote or a long stretch without a comma, and the last line of each piece
// are cut into fields by a state machine that survives piece boundaries.
#include "src/staging/column_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "platform/codepage.h"

namespace dt {
namespace {

using platform::kHighBits;
using platform::kOnes;
using platform::LoadWord;

constexpr std::string_view kMark = "\xEF\xBB\xBF";

// A value of this many bytes is longer than kTextCharacters in either
// encoding, since no character takes more than four bytes; a value of at
// most kTextCharacters bytes is not, since none takes less than one.
constexpr std::size_t kDecidingBytes = 4 * (kTextCharacters + 1);

// Stretches of text looked at as one when lines are passed over. A stretch
// of 2 * kWindow - 1 bytes holds a whole window wherever it starts, so a
// value of more than kTextCharacters bytes fills at least one window.
constexpr std::size_t kWindow = 128;
static_assert(2 * kWindow - 1 <= kTextCharacters + 1);

// A byte of 0x80 in each place of `word` that holds `c` (and none where no
// byte does).
constexpr std::uint64_t Holds(std::uint64_t word, char c) {
  const std::uint64_t v = word ^ (kOnes * static_cast<unsigned char>(c));
  return (v - kOnes) & ~v & kHighBits;
}

// The line ends (LF) in [p, end), a word at a time: every byte of every
// staged file passes here.
long long CountLineEnds(const char* p, const char* const end) {
  long long count = 0;
  while (end - p >= 8) {
    // Each byte of `sums` counts the line ends of its place in up to 255
    // words; the bytes are added up once at the end of the stretch.
    std::uint64_t sums = 0;
    for (int words = 0; words < 255 && end - p >= 8; ++words, p += 8) {
      // 0x80 exactly where a byte is LF (Holds may also mark a byte after
      // one, which a test for any at all allows but a count does not).
      const std::uint64_t v = LoadWord(p) ^ (kOnes * '\n');
      const std::uint64_t low = ~kHighBits;
      sums += ~(((v & low) + low) | v | low) >> 7;
    }
    for (int i = 0; i < 8; ++i) count += static_cast<long long>((sums >> (8 * i)) & 0xFF);
  }
  for (; p < end; ++p) count += *p == '\n' ? 1 : 0;
  return count;
}

// The first comma, CR or LF at or after `p`, or `end`.
const char* FindFieldEnd(const char* p, const char* const end) {
  while (end - p >= 8) {
    const std::uint64_t word = LoadWord(p);
    if ((Holds(word, ',') | Holds(word, '\r') | Holds(word, '\n')) != 0) break;
    p += 8;
  }
  while (p < end && *p != ',' && *p != '\r' && *p != '\n') ++p;
  return p;
}

// True when the kWindow bytes at `p` hold a comma or a line end: outside
// quotes no field's value can then take the whole window.
bool WindowHasFieldEnd(const char* p) {
  for (std::size_t i = 0; i < kWindow; i += 8) {
    const std::uint64_t word = LoadWord(p + i);
    if ((Holds(word, ',') | Holds(word, '\n')) != 0) return true;
  }
  return false;
}

// The start of the line that holds `p`, no earlier than `begin`.
const char* LineStart(const char* begin, const char* p) {
  const auto found =
      std::find(std::make_reverse_iterator(p), std::make_reverse_iterator(begin), '\n');
  return found.base();
}

// Characters of code page 936 text as the text driver decodes it: a lead
// byte and a byte that can follow it are one, any other byte is one.
std::size_t CodePageLength(std::string_view ansi) {
  std::size_t count = 0;
  while (!ansi.empty()) {
    ansi.remove_prefix(platform::AnsiCharacterLength(ansi));
    ++count;
  }
  return count;
}

// Places UTF-8 text takes in UTF-16, each malformed sequence read as '?'.
std::size_t Utf16Length(std::string_view utf8) {
  std::size_t count = 0;
  while (!utf8.empty()) {
    char32_t code_point = 0;
    std::size_t length = platform::DecodeUtf8Character(utf8, code_point);
    if (length == 0) {
      length = platform::MalformedUtf8Length(utf8);
      code_point = '?';
    }
    count += code_point > 0xFFFF ? 2 : 1;
    utf8.remove_prefix(length);
  }
  return count;
}

// `text` less the line end a quote left open at the end of the file takes
// with it, which the driver drops.
std::size_t WithoutFinalLineEnd(std::string_view text) {
  if (text.ends_with("\r\n")) return text.size() - 2;
  if (text.ends_with('\n') || text.ends_with('\r')) return text.size() - 1;
  return text.size();
}

}  // namespace

void ColumnScan::Take(std::string_view bytes) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  piece_ = p;
  if (!started_ && !bytes.empty()) {
    started_ = true;
    mark_ = bytes.starts_with(kMark);
    if (mark_) p += kMark.size();
  }
  // Lines before the piece's last one lie whole in it; the last one is cut
  // into fields, so that a record under way carries over to the next piece.
  const char* const last_line = LineStart(p, end);
  const char* quote = nullptr;  // the next double quote at or after p, or end
  while (p < end) {
    if (state_ != State::kRecordStart || !header_done_) {
      p = Parse(p, end, p);
      continue;
    }
    if (quote == nullptr || quote < p) {
      const void* found = std::memchr(p, '"', static_cast<std::size_t>(end - p));
      quote = found != nullptr ? static_cast<const char*>(found) : end;
    }
    const char* const limit = std::min(quote, last_line);
    const char* window = p;
    while (limit - window >= static_cast<std::ptrdiff_t>(kWindow) && WindowHasFieldEnd(window)) {
      window += kWindow;
    }
    // From the line of `window` on, fields are cut: up to the end of the
    // record that holds a window without a field end, or the quote, or on
    // to the end of the piece.
    const char* until = end;
    if (limit - window >= static_cast<std::ptrdiff_t>(kWindow)) {
      until = window + kWindow;
    } else if (limit < end) {
      until = limit + 1;
    }
    p = Parse(LineStart(p, window), end, until);
  }
  KeepValue();
  // A field under way goes on in the next piece: its line is counted now,
  // while its start still lies in this one.
  if (field_start_ != nullptr) {
    field_line_ = FieldLine();
    field_start_ = nullptr;
  }
  line_ends_ += CountLineEnds(bytes.data(), end);
}

long long ColumnScan::FieldLine() const {
  if (field_start_ == nullptr) return field_line_;
  return line_ends_ + CountLineEnds(piece_, field_start_) + 1;
}

// Cuts records into fields from `p`, at most to `end`; returns where it
// stopped: at `end`, or after the first record that ends at or after `until`.
const char* ColumnScan::Parse(const char* p, const char* const end, const char* const until) {
  while (p < end) {
    switch (state_) {
      case State::kRecordStart:
        if (*p == '\r' || *p == '\n') {  // an empty line, or the LF of a CR LF
          ++p;
          break;
        }
        column_ = 0;
        state_ = State::kFieldStart;
        break;
      case State::kFieldStart:
        StartField(p);
        if (*p == '"') {
          ++p;
          state_ = State::kQuoted;
        } else {
          state_ = State::kUnquoted;
        }
        break;
      case State::kUnquoted: {
        const char* const stop = FindFieldEnd(p, end);
        AddValue(p, stop);
        p = stop;
        if (p == end) break;
        const char separator = *p++;
        EndField();
        if (separator == ',') {
          ++column_;
          state_ = State::kFieldStart;
          break;
        }
        EndRecord();
        if (p >= until) return p;
        break;
      }
      case State::kQuoted: {
        const void* found = std::memchr(p, '"', static_cast<std::size_t>(end - p));
        const char* const stop = found != nullptr ? static_cast<const char*>(found) : end;
        AddValue(p, stop);
        p = stop;
        if (p < end) {
          ++p;
          state_ = State::kQuoteSeen;
        }
        break;
      }
      case State::kQuoteSeen:
        if (*p == '"') {  // a doubled quote: one quote of the text
          AddValue(p, p + 1);
          ++p;
          state_ = State::kQuoted;
        } else {  // the closing quote: what follows up to a comma is text too
          state_ = State::kUnquoted;
        }
        break;
    }
  }
  return p;
}

void ColumnScan::StartField(const char* p) {
  if (!header_done_) {
    if (header_) header_->emplace_back();
    return;
  }
  measuring_ = column_ < long_.size() && !(long_[column_].as_code_page && long_[column_].as_utf8);
  field_start_ = measuring_ ? p : nullptr;
  value_size_ = 0;
  in_piece_ = nullptr;
  value_.clear();
}

void ColumnScan::AddValue(const char* begin, const char* end) {
  const auto size = static_cast<std::size_t>(end - begin);
  if (!header_done_) {
    if (!header_) return;
    header_bytes_ += size;
    if (header_bytes_ > kLongestHeaderLine) {
      header_.reset();
    } else {
      header_->back().append(begin, size);
    }
    return;
  }
  if (!measuring_ || size == 0) return;
  if (value_size_ == 0) {
    in_piece_ = begin;
  } else if (in_piece_ != nullptr && in_piece_ + value_size_ != begin) {
    KeepValue();  // a doubled quote taken as one: the stretch ends
  }
  value_size_ += size;
  if (in_piece_ == nullptr && value_.size() < kDecidingBytes) {
    value_.append(begin, std::min(size, kDecidingBytes - value_.size()));
  }
}

// Copies the value's first bytes out of the piece, which is about to end or
// no longer holds them in one stretch.
void ColumnScan::KeepValue() {
  if (in_piece_ == nullptr) return;
  value_.assign(in_piece_, std::min(value_size_, kDecidingBytes));
  in_piece_ = nullptr;
}

std::string_view ColumnScan::Value() const {
  if (in_piece_ != nullptr)
    return std::string_view(in_piece_, std::min(value_size_, kDecidingBytes));
  return value_;
}

void ColumnScan::EndField() {
  if (!header_done_ || !measuring_ || value_size_ <= kTextCharacters) return;
  LongColumn& column = long_[column_];
  const bool sure = value_size_ >= kDecidingBytes;
  auto note = [&](std::optional<LongValue>& first, std::size_t (*length)(std::string_view)) {
    if (first) return;
    const std::size_t characters = sure ? 0 : length(Value());
    if (sure || characters > kTextCharacters)
      first = LongValue{FieldLine(), characters, value_size_};
  };
  note(column.as_code_page, CodePageLength);
  note(column.as_utf8, Utf16Length);
}

void ColumnScan::EndRecord() {
  if (!header_done_) {
    header_done_ = true;
    if (header_) long_.resize(header_->size());
  }
  state_ = State::kRecordStart;
}

ColumnScan::Columns ColumnScan::Finish(platform::TextEncoding encoding) && {
  if (state_ != State::kRecordStart) {  // a quote left open takes the rest of the file
    if (state_ == State::kQuoted) {
      if (!header_done_) {
        if (header_) header_->back().resize(WithoutFinalLineEnd(header_->back()));
      } else if (measuring_) {
        // The staged text ends with CR LF: a value too long to keep whole
        // loses those two bytes.
        value_size_ = value_.size() == value_size_ ? WithoutFinalLineEnd(value_) : value_size_ - 2;
        value_.resize(std::min(value_.size(), value_size_));
      }
    }
    EndField();
    EndRecord();
  }
  Columns columns;
  const bool utf8 = encoding == platform::TextEncoding::kUtf8;
  // A mark the driver does not skip is text of the first name.
  if (mark_ && !utf8 && header_ && !header_->empty()) header_->front().insert(0, kMark);
  if (header_) {
    for (const LongColumn& column : long_) {
      const std::optional<LongValue>& first = utf8 ? column.as_utf8 : column.as_code_page;
      columns.long_columns.push_back(first.has_value());
      columns.first_long_values.push_back(first);
    }
  }
  columns.header_fields = std::move(header_);
  return columns;
}

}  // namespace dt
