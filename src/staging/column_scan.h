// What the text driver will read of a staged file, gathered while staging
// writes it: the fields of its header record, and for each column whether
// some value in it is longer than the host provider's Text field holds, so
// that schema.ini can declare that column LongChar instead.
//
// The staged bytes are cut into records and fields as the text driver cuts
// them: commas separate fields; a field that starts with a double quote is
// quoted, "" inside it being one quote and commas and line breaks being
// text, and bytes after its closing quote belong to it; records end at a
// line end outside quotes; empty lines are no records. A value's length is
// that of the text the driver reads: without the qualifying quotes, in
// characters of the file's encoding, which is only settled once the whole
// file has passed; so both readings are kept until then.
//
// Most lines cannot hold a long value: a line without a double quote whose
// commas and line ends never lie 255 bytes apart is passed over a window at
// a time, without being cut into fields. Memory holds the header's fields
// and the first bytes of one value, whatever the file's size.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding_detection.h"

namespace dt {

// The most characters the provider's Text field holds.
inline constexpr std::size_t kTextCharacters = 255;

// Longer than any header line a text driver takes: 255 columns of 64-byte
// names fit in it four times over.
inline constexpr std::size_t kLongestHeaderLine = std::size_t{64} << 10;

class ColumnScan {
 public:
  // Takes the next bytes of the staged text, in order, in pieces of any
  // size; a byte-order mark is recognised when the first piece holds it
  // whole.
  void Take(std::string_view bytes);

  // A value longer than kTextCharacters.
  struct LongValue {
    long long line = 0;          // of the staged text where it starts, from 1
    std::size_t characters = 0;  // its length as long_columns counts it; 0 when
                                 // too long to have been kept whole
    std::size_t bytes = 0;       // its length in bytes of the file
  };

  struct Columns {
    // The header record's fields, unquoted, as bytes of the file (a UTF-8
    // file's byte-order mark left out); nullopt when together they are
    // longer than kLongestHeaderLine.
    std::optional<std::vector<std::string>> header_fields;
    // Per header field: some value of the column, read in the file's
    // encoding, is longer than kTextCharacters. A character of code page
    // 936 counts one, double-byte or not; so does a UTF-8 character (a
    // malformed sequence being one '?'), but for one beyond U+FFFF, which
    // takes two places in the provider's UTF-16 text. Empty when
    // header_fields is nullopt.
    std::vector<bool> long_columns;
    // Per header field: where its first long value lies, when it has one.
    std::vector<std::optional<LongValue>> first_long_values;
  };

  // REQUIRES: every byte of the staged text has been taken; `encoding` is
  // the one the file is read in.
  Columns Finish(platform::TextEncoding encoding) &&;

 private:
  enum class State { kRecordStart, kFieldStart, kUnquoted, kQuoted, kQuoteSeen };
  // A column's first long value in each of the two readings.
  struct LongColumn {
    std::optional<LongValue> as_code_page;
    std::optional<LongValue> as_utf8;
  };

  const char* Parse(const char* p, const char* end, const char* until);
  void StartField(const char* p);
  long long FieldLine() const;
  void AddValue(const char* begin, const char* end);
  void KeepValue();
  std::string_view Value() const;
  void EndField();
  void EndRecord();

  bool started_ = false;
  bool mark_ = false;  // a byte-order mark was passed over
  State state_ = State::kRecordStart;
  bool header_done_ = false;
  std::size_t header_bytes_ = 0;
  std::optional<std::vector<std::string>> header_ = std::vector<std::string>();
  std::vector<LongColumn> long_;  // per header field
  // Line ends of the staged text before the piece being taken, which starts
  // at piece_; the field under way starts at field_start_ in it, or on line
  // field_line_ when it began in an earlier piece.
  long long line_ends_ = 0;
  const char* piece_ = nullptr;
  const char* field_start_ = nullptr;
  long long field_line_ = 0;
  std::size_t column_ = 0;      // of the field under way
  bool measuring_ = false;      // its length can still change what the column is
  std::size_t value_size_ = 0;  // its bytes so far
  // Its first bytes, as many as can decide its length: in the piece being
  // taken while they lie there in one stretch (the common case, not copied),
  // else in value_.
  const char* in_piece_ = nullptr;
  std::string value_;
};

}  // namespace dt
