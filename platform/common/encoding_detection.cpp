// Encoding detection: one pass over the file's bytes, each character
// outside ASCII decoded and weighed, ASCII stretches skipped a word at a
// time.
#include "platform/encoding_detection.h"

#include <algorithm>

#include "platform/codepage.h"

namespace dt::platform {
namespace {

constexpr char32_t kByteOrderMark = 0xFEFF;
constexpr char32_t kMiddleDot = 0x00B7;  // between the parts of a name: 阿卜杜·热合曼

// The three-byte characters Chinese text is written with.
struct Range {
  char32_t first;
  char32_t last;
};
constexpr Range kChineseRanges[] = {
    {0x2000, 0x206F},  // general punctuation: — … ‘ ’ “ ” ‰ ※
    {0x2100, 0x26FF},  // letterlike symbols to miscellaneous symbols: ℃ № Ⅰ → ① ─ ■ ★
    {0x3000, 0x303F},  // CJK symbols and punctuation: 、 。 《 》 【 】
    {0x4E00, 0x9FFF},  // CJK unified ideographs
    {0xF900, 0xFAFF},  // CJK compatibility ideographs
    {0xFE30, 0xFE4F},  // CJK compatibility forms
    {0xFF00, 0xFFEF},  // full-width and half-width forms: （ ） ， ： ￥
};

bool IsChinese(char32_t code_point) {
  return std::any_of(std::begin(kChineseRanges), std::end(kChineseRanges),
                     [&](const Range& r) { return code_point >= r.first && code_point <= r.last; });
}

// Length of the UTF-8 sequence that `lead` starts (1 for anything that is not
// a lead byte; decoding rejects those).
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Where the last, possibly incomplete, UTF-8 sequence of `data` starts when it
// needs bytes beyond the end; `data.size()` when it is complete.
std::size_t IncompleteTail(std::string_view data) {
  const std::size_t n = data.size();
  for (std::size_t back = 1; back <= std::min<std::size_t>(3, n); ++back) {
    const auto byte = static_cast<unsigned char>(data[n - back]);
    if ((byte & 0xC0) == 0x80) continue;
    return Utf8SequenceLength(byte) > back ? n - back : n;
  }
  return n;
}

}  // namespace

EncodingDetector::EncodingDetector(CharacterSet character_set) : character_set_(character_set) {}

bool EncodingDetector::Known() const {
  // Every byte before a cut sequence has been taken: the first character,
  // which decides the byte-order mark, is behind us.
  const bool start_taken = fed_ > pending_.size();
  switch (character_set_) {
    case CharacterSet::kCodePage936:
      return true;
    case CharacterSet::kUtf8:
      return start_taken;
    case CharacterSet::kDetect:
      break;
  }
  return invalid_ || (start_taken && !bom_ && !chinese_);
}

bool EncodingDetector::Feed(std::string_view bytes) {
  if (Known()) return false;
  const std::uint64_t piece_start = fed_;
  fed_ += bytes.size();
  if (!pending_.empty()) {
    // Complete the character the last piece cut, then take it alone.
    const std::uint64_t position = piece_start - pending_.size();
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(pending_[0]));
    const std::size_t take = std::min(length - pending_.size(), bytes.size());
    pending_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (pending_.size() < length) return true;
    const std::string character = std::move(pending_);
    pending_.clear();
    Scan(character, position);
    if (Known()) return false;
  }
  const std::size_t cut = IncompleteTail(bytes);
  Scan(bytes.substr(0, cut), fed_ - bytes.size());
  pending_.assign(bytes.substr(cut));
  return !Known();
}

void EncodingDetector::Scan(std::string_view text, std::uint64_t position) {
  const char* const begin = text.data();
  const char* p = begin;
  const char* const end = p + text.size();
  while (p < end && !invalid_) {
    while (end - p >= 8 && (LoadWord(p) & kHighBits) == 0) p += 8;
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    while (p < end && static_cast<unsigned char>(*p) >= 0x80) {
      char32_t code_point = 0;
      const std::size_t length = DecodeUtf8Character(std::string_view(p, end - p), code_point);
      if (length == 0) {
        invalid_ = true;
        return;
      }
      Take(code_point, length, position + static_cast<std::uint64_t>(p - begin));
      p += length;
    }
  }
}

void EncodingDetector::Take(char32_t code_point, std::size_t length, std::uint64_t position) {
  if (position == 0 && code_point == kByteOrderMark) {
    bom_ = true;
    return;
  }
  non_ascii_ = true;
  if (length == 3 && IsChinese(code_point)) {
    chinese_count_ = std::min(chinese_count_ + 1, kEnoughChineseCharacters);
  } else if (code_point != kMiddleDot) {
    chinese_ = false;
  }
}

DetectedEncoding EncodingDetector::Finish() const {
  const DetectedEncoding code_page{TextEncoding::kCodePage936, 0};
  const DetectedEncoding utf8{TextEncoding::kUtf8, bom_ ? std::size_t{3} : 0};
  switch (character_set_) {
    case CharacterSet::kCodePage936:
      return code_page;
    case CharacterSet::kUtf8:
      return utf8;
    case CharacterSet::kDetect:
      break;
  }
  // A sequence still open at the end is not UTF-8.
  if (invalid_ || !pending_.empty()) return code_page;
  if (!bom_ && !non_ascii_) return DetectedEncoding{TextEncoding::kUtf8, 0, true};
  if (bom_) return utf8;
  return chinese_ && chinese_count_ >= kEnoughChineseCharacters ? utf8 : code_page;
}

}  // namespace dt::platform
