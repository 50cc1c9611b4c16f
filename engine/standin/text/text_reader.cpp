// Record scanning for the text driver: a block-wise scan of one staged text
// file into records of fields, decoded to UTF-8 per field only where a field
// needs it (field_decoder.h). The encoding is settled first
// (encoding_detection.h) and line 1 named by header_names.h.
#include "engine/standin/text/text_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "engine/error.h"
#include "engine/header_names.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace dt::engine::standin {
namespace {

using platform::kHighBits;
using platform::kOnes;
using platform::LoadWord;

// Bytes that end an unquoted field.
constexpr std::array<bool, 256> kFieldEnd = [] {
  std::array<bool, 256> table{};
  table[static_cast<unsigned char>(',')] = true;
  table[static_cast<unsigned char>('\r')] = true;
  table[static_cast<unsigned char>('\n')] = true;
  return table;
}();

// True when one of the eight bytes of `word` is a comma, CR or LF.
bool HasFieldEnd(std::uint64_t word) {
  const auto has_zero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighBits; };
  return (has_zero(word ^ (kOnes * ',')) | has_zero(word ^ (kOnes * '\r')) |
          has_zero(word ^ (kOnes * '\n'))) != 0;
}

// The OS's text for `error_code`, as the engine's messages are: UTF-8.
std::string ErrorText(int error_code) {
  return platform::AnsiToUtf8(platform::SystemErrorText(error_code));
}

bool IsMissing(int error_code) {
#ifndef _WIN32
  if (error_code == ENOTDIR) return true;
#endif
  return error_code == platform::kFileNotFound || error_code == platform::kPathNotFound;
}

// A record buffer grown past this by a huge record is given back after it,
// not kept for the small ones that follow.
constexpr std::size_t kRetainedBytes = std::size_t{16} << 20;

void ReleaseIfLarge(std::string& buffer) {
  if (buffer.capacity() > kRetainedBytes) std::string().swap(buffer);
}

FieldDecoder::Mode DecoderMode(platform::TextEncoding encoding,
                               platform::CharacterSet character_set) {
  if (encoding == platform::TextEncoding::kCodePage936) return FieldDecoder::Mode::kCodePage936;
  // Detected UTF-8 was found well-formed throughout; named UTF-8 was not checked.
  return character_set == platform::CharacterSet::kUtf8 ? FieldDecoder::Mode::kUncheckedUtf8
                                                        : FieldDecoder::Mode::kAsIs;
}

}  // namespace

TextReader::TextReader(const std::string& path)
    : TextReader(path, platform::CharacterSet::kDetect, kDefaultBlockSize) {}

TextReader::TextReader(const std::string& path, std::size_t block_size)
    : TextReader(path, platform::CharacterSet::kDetect, block_size) {}

TextReader::TextReader(const std::string& path, platform::CharacterSet character_set,
                       std::size_t block_size)
    : path_(path), block_size_(std::max<std::size_t>(block_size, 1)) {
  // Through the platform's file layer, as every file the engine reads
  // (the engine's paths are UTF-8, as SQLite takes them; the layer's ANSI).
  if (!file_.Open(platform::Utf8ToAnsi(path))) {
    const int error = file_.error();
    throw Error(IsMissing(error) ? ErrorKind::kNotFound : ErrorKind::kIo, ErrorText(error),
                TextPosition{path, 0, 0, TextStep::kOpen});
  }
  block_.resize(block_size_);
  const platform::DetectedEncoding encoding = DetectEncoding(character_set);
  decoder_.emplace(DecoderMode(encoding.encoding, character_set));
  Rewind();
  for (std::size_t i = 0; i < encoding.bom_size && Available(); ++i) ++pos_;
  ReadHeader();
}

TextReader::~TextReader() = default;

const std::vector<std::string>& TextReader::Columns() const { return columns_; }

std::size_t TextReader::Line() const { return record_line_; }

std::int64_t TextReader::Offset() const { return record_offset_; }

std::size_t TextReader::RecordFieldCount() const { return spans_.size(); }

[[noreturn]] void TextReader::FailRead(int error_code) const {
  throw Error(ErrorKind::kIo, ErrorText(error_code),
              TextPosition{path_, static_cast<std::int64_t>(line_), file_offset_, TextStep::kRead});
}

// Feeds the file to the detector block by block until it knows.
platform::DetectedEncoding TextReader::DetectEncoding(platform::CharacterSet character_set) {
  platform::EncodingDetector detector(character_set);
  while (Fill() && detector.Feed(std::string_view(pos_, static_cast<std::size_t>(end_ - pos_)))) {
  }
  return detector.Finish();
}

void TextReader::Rewind() {
  if (!file_.Rewind()) FailRead(file_.error());
  pos_ = end_ = nullptr;
  at_eof_ = false;
  file_offset_ = 0;
}

bool TextReader::Fill() {
  if (at_eof_) return false;
  std::size_t got = 0;
  if (!file_.Read(block_.data(), block_size_, &got)) FailRead(file_.error());
  if (got == 0) {
    at_eof_ = true;
    return false;
  }
  pos_ = block_.data();
  end_ = pos_ + got;
  file_offset_ += static_cast<std::int64_t>(got);
  return true;
}

void TextReader::ReadHeader() {
  columns_.clear();
  if (!ReadRecord()) return;
  std::vector<std::string> fields(spans_.size());
  for (std::size_t i = 0; i < spans_.size(); ++i) {
    const std::string_view bytes = record_.substr(spans_[i].offset, spans_[i].size);
    if (decoder_->NeedsDecoding(bytes)) {
      decoder_->Append(bytes, fields[i]);
    } else {
      fields[i].assign(bytes);
    }
  }
  columns_ = engine::HeaderNames(fields);
}

// Reads one record's fields, unquoted, into raw_ and spans_. False at the end
// of the file.
bool TextReader::ReadRecord() {
  for (;;) {  // skip empty lines
    if (!Available()) return false;
    if (*pos_ == '\n') {
      ++pos_;
      ++line_;
    } else if (*pos_ == '\r') {
      ++pos_;
      if (Available() && *pos_ == '\n') ++pos_;
      ++line_;
    } else {
      break;
    }
  }
  record_line_ = line_;
  record_offset_ = file_offset_ - (end_ - pos_);
  if (ReadRecordInBlock()) return true;
  ReleaseIfLarge(raw_);
  raw_.clear();
  spans_.clear();
  for (;;) {
    const std::size_t offset = raw_.size();
    if (Available() && *pos_ == '"') {
      ++pos_;
      ReadQuoted();
    }
    ReadUnquoted();
    spans_.push_back(Span{offset, raw_.size() - offset});
    if (!Available()) break;
    const char separator = *pos_++;
    if (separator == ',') continue;
    if (separator == '\r' && Available() && *pos_ == '\n') ++pos_;
    ++line_;
    break;
  }
  record_ = raw_;
  return true;
}

// The common case, read in place without a copy: a record that lies whole in
// the current block, with its line end, and whose quoted fields hold no
// doubled quote, no line break and nothing after the closing quote. False,
// with nothing consumed, for any other record.
bool TextReader::ReadRecordInBlock() {
  const char* const start = pos_;
  const char* const end = end_;
  const char* p = start;
  spans_.clear();
  for (;;) {
    const char* field = p;
    if (p < end && *p == '"') {
      ++field;
      const auto* close = static_cast<const char*>(std::memchr(field, '"', end - field));
      if (close == nullptr || end - close < 2 || !kFieldEnd[static_cast<unsigned char>(close[1])]) {
        return false;
      }
      const auto size = static_cast<std::size_t>(close - field);
      if (std::memchr(field, '\r', size) != nullptr || std::memchr(field, '\n', size) != nullptr) {
        return false;
      }
      p = close + 1;
      spans_.push_back(Span{static_cast<std::size_t>(field - start), size});
    } else {
      while (end - p >= 8 && !HasFieldEnd(LoadWord(p))) p += 8;
      while (p < end && !kFieldEnd[static_cast<unsigned char>(*p)]) ++p;
      if (p == end) return false;
      spans_.push_back(
          Span{static_cast<std::size_t>(field - start), static_cast<std::size_t>(p - field)});
    }
    const char separator = *p++;
    if (separator == ',') continue;
    if (separator == '\r') {
      if (p == end) return false;
      if (*p == '\n') ++p;
    }
    record_ = std::string_view(start, static_cast<std::size_t>(p - start));
    pos_ = p;
    ++line_;
    return true;
  }
}

// From after an opening quote to after its closing quote (or the end of the
// file): the text with each doubled quote taken as one.
void TextReader::ReadQuoted() {
  const std::size_t field_start = raw_.size();
  after_cr_ = false;
  while (Available()) {
    const auto* quote = static_cast<const char*>(std::memchr(pos_, '"', end_ - pos_));
    const char* stop = quote != nullptr ? quote : end_;
    CountQuotedLineBreaks(pos_, stop);
    raw_.append(pos_, static_cast<std::size_t>(stop - pos_));
    pos_ = stop;
    if (quote == nullptr) continue;
    ++pos_;
    after_cr_ = false;
    if (!Available() || *pos_ != '"') return;
    raw_.push_back('"');
    ++pos_;
  }
  DropFinalLineEnd(field_start);
}

// A quote left open takes the rest of the file; the line end the file itself
// ends with closes its last line and is no text of the field.
void TextReader::DropFinalLineEnd(std::size_t field_start) {
  const std::string_view field = std::string_view(raw_).substr(field_start);
  if (field.ends_with("\r\n")) {
    raw_.resize(raw_.size() - 2);
  } else if (field.ends_with('\n') || field.ends_with('\r')) {
    raw_.pop_back();
  }
}

// Up to the next comma, line end or the end of the file, verbatim.
void TextReader::ReadUnquoted() {
  while (Available()) {
    const char* p = pos_;
    const char* end = end_;
    while (end - p >= 8 && !HasFieldEnd(LoadWord(p))) p += 8;
    while (p < end && !kFieldEnd[static_cast<unsigned char>(*p)]) ++p;
    raw_.append(pos_, static_cast<std::size_t>(p - pos_));
    pos_ = p;
    if (p < end) return;
  }
}

// Line breaks inside quoted text still count as lines of the file; a CR LF
// split by a block boundary counts once.
void TextReader::CountQuotedLineBreaks(const char* begin, const char* end) {
  if (begin == end) return;
  const auto size = static_cast<std::size_t>(end - begin);
  if (std::memchr(begin, '\n', size) == nullptr && std::memchr(begin, '\r', size) == nullptr) {
    after_cr_ = false;
    return;
  }
  for (const char* p = begin; p < end; ++p) {
    if (*p == '\n') {
      if (!after_cr_) ++line_;
      after_cr_ = false;
    } else if (*p == '\r') {
      ++line_;
      after_cr_ = true;
    } else {
      after_cr_ = false;
    }
  }
}

bool TextReader::Next(std::vector<std::optional<std::string_view>>& fields) {
  if (!ReadRecord()) return false;
  if (most_record_bytes_ != 0) {
    const std::int64_t read = file_offset_ - (end_ - pos_);
    if (read - record_offset_ > static_cast<std::int64_t>(most_record_bytes_)) {
      throw Error(ErrorKind::kTooComplex, "Record is too large.",
                  TextPosition{path_, static_cast<std::int64_t>(record_line_), record_offset_,
                               TextStep::kImportLine});
    }
  }
  const std::size_t count = columns_.size();
  const std::size_t present = std::min(count, spans_.size());
  fields.assign(count, std::nullopt);
  ReleaseIfLarge(decoded_);
  decoded_.clear();
  decoded_spans_.clear();
  decoded_fields_.clear();
  const bool decode = decoder_->NeedsDecoding(record_);
  // A record gathered in raw_ that needs decoding is decoded whole, so that
  // raw_ can be let go: a huge record is then not held twice, as bytes and
  // as text, while it is stored.
  const bool whole = decode && record_.data() == raw_.data();
  std::size_t bound = 0;
  for (std::size_t i = 0; i < present; ++i) {
    const std::string_view bytes = record_.substr(spans_[i].offset, spans_[i].size);
    if (bytes.empty()) continue;
    if (whole || (decode && decoder_->NeedsDecoding(bytes))) {
      decoded_fields_.push_back(i);
      if (whole) bound += decoder_->SizeBound(bytes);
    } else {
      fields[i] = bytes;
    }
  }
  // Room for a long record at once: growing would copy what is decoded so
  // far (a record within one block is too short for that to matter).
  decoded_.reserve(bound);
  for (const std::size_t i : decoded_fields_) {
    // Each field is decoded by itself: a stray lead byte at the end of one
    // field must not swallow the first byte of the next.
    const std::size_t offset = decoded_.size();
    decoder_->Append(record_.substr(spans_[i].offset, spans_[i].size), decoded_);
    decoded_spans_.push_back(Span{offset, decoded_.size() - offset});
  }
  // The views into decoded_ are made once it has stopped growing.
  for (std::size_t k = 0; k < decoded_spans_.size(); ++k) {
    fields[decoded_fields_[k]] =
        std::string_view(decoded_).substr(decoded_spans_[k].offset, decoded_spans_[k].size);
  }
  if (whole) {
    record_ = {};
    ReleaseIfLarge(raw_);
  }
  return true;
}

}  // namespace dt::engine::standin
