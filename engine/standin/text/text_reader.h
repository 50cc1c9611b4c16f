// The text driver's file reader: streams one comma-separated text file of the
// staging folder as a header of column names and a sequence of records.
//
// Format: fields are separated by commas; a field that starts with `"` is
// quoted text, in which `""` is one quote and commas and line breaks are
// data; other fields are kept verbatim, spaces included. Records end at CR
// LF, a lone CR or a lone LF (outside quotes) or at the end of the file.
// Empty lines are skipped. A zero byte is data like any other.
//  - An empty field, quoted or not, is NULL; missing trailing fields are NULL
//    and fields beyond the header's columns are ignored.
//  - Bytes after a closing quote, up to the next comma or line end, are
//    appended to the field verbatim (`"ab"c` reads as abc).
//  - A quoted field left open at the end of the file takes the rest of the
//    file, line breaks included, as its text: nothing is dropped but the
//    file's own last line end (CR LF, LF or CR as its last bytes).
//  - Line 1 (the first non-empty line) names the columns: each name trimmed
//    of surrounding spaces and tabs; an empty name becomes F<position> (F1, F2 ...);
//    a name equal to an earlier one, ignoring ASCII case, gets the smallest
//    numeric suffix that makes it unique (NAME, NAME1, NAME2 ...). A file
//    with no line at all has no columns and no records.
// Encoding: UTF-8 or the ANSI code page 936, as encoding_detection.h tells
// from the file or as the caller names it; a leading UTF-8 byte-order mark
// is skipped. Names and values are handed out as UTF-8.
//
// Memory holds one block of the file and the longest record, whatever the
// file's size; a record that needs decoding is held decoded, not twice (its
// bytes are let go once decoded). A file that cannot be opened or read
// raises engine::Error with its TextPosition: kNotFound when it is not there,
// kIo when the system fails to open or read it. Not thread-safe; one reader
// per file and thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/standin/text/field_decoder.h"
#include "engine/standin/text/record_source.h"
#include "platform/encoding_detection.h"
#include "platform/file_io.h"

namespace dt::engine::standin {

class TextReader : public RecordSource {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;

  // Opens the file (UTF-8 path) and reads its header line. Raises engine::Error
  // (engine/error.h) when it cannot be opened or read.
  explicit TextReader(const std::string& path);
  // The same, reading the file in blocks of `block_size` bytes (at least 1).
  TextReader(const std::string& path, std::size_t block_size);
  // The same, reading the file in `character_set` (kDetect: as its bytes
  // tell).
  TextReader(const std::string& path, platform::CharacterSet character_set,
             std::size_t block_size = kDefaultBlockSize);
  ~TextReader() override;
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  // Column names from line 1, UTF-8, made unique (F1.. for empty names,
  // numeric suffix for repeats).
  const std::vector<std::string>& Columns() const override;

  // Reads the next data record; false at the end. `fields` gets exactly
  // Columns().size() entries; nullopt is NULL (an empty field). The views
  // stay valid until the next call. Values are UTF-8.
  bool Next(std::vector<std::optional<std::string_view>>& fields) override;

  // From the next call of Next on, a record of more than `most` bytes of
  // the file, its line end included, fails Next with an engine::Error of
  // kind kTooComplex ("Record is too large.") at the record's line.
  void LimitRecordBytes(std::size_t most) { most_record_bytes_ = most; }

  // How many fields the last record read held in the file, before it was cut
  // or padded to Columns().size() (the header's own count before Next).
  std::size_t RecordFieldCount() const;

  // The 1-based line number where the last record read starts (the header's
  // line before the first call of Next).
  std::size_t Line() const override;

  // The offset from the start of the file of the first byte of the last
  // record read (of the header before the first call of Next); 0 while the
  // file has given no record.
  std::int64_t Offset() const override;

 private:
  // One field of the current record: where its raw bytes sit in raw_.
  struct Span {
    std::size_t offset;
    std::size_t size;
  };

  platform::DetectedEncoding DetectEncoding(platform::CharacterSet character_set);
  void Rewind();
  bool Fill();
  bool Available() { return pos_ < end_ || Fill(); }
  bool ReadRecord();
  bool ReadRecordInBlock();
  void ReadQuoted();
  void DropFinalLineEnd(std::size_t field_start);
  void ReadUnquoted();
  void CountQuotedLineBreaks(const char* begin, const char* end);
  void ReadHeader();
  [[noreturn]] void FailRead(int error_code) const;

  std::string path_;
  platform::InputFile file_;
  std::vector<char> block_;
  std::size_t block_size_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  bool at_eof_ = false;
  std::int64_t file_offset_ = 0;  // of the byte at end_: how far the file has been read

  std::optional<FieldDecoder> decoder_;  // set once the encoding is settled

  std::string raw_;          // a record's field bytes, unquoted, when it cannot be read in place
  std::string_view record_;  // the current record's bytes: in raw_ or in block_
  std::vector<Span> spans_;  // its fields in record_
  std::string decoded_;      // its fields that needed decoding from code page 936, in UTF-8
  std::vector<Span> decoded_spans_;
  std::vector<std::size_t> decoded_fields_;  // which field each of decoded_spans_ is

  std::vector<std::string> columns_;
  std::size_t line_ = 1;  // the line the read position is on
  std::size_t record_line_ = 1;
  std::int64_t record_offset_ = 0;
  bool after_cr_ = false;              // inside quotes: the last byte taken was a CR
  std::size_t most_record_bytes_ = 0;  // 0: no limit
};

}  // namespace dt::engine::standin
