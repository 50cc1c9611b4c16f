// Encoding detection for the text driver: one pass over the file's bytes,
// valid UTF-8 throughout or not, with ASCII stretches skipped a word at a
// time.
#include "platform/jet/encoding_detection.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/jet/word_scan.h"

namespace dt::jet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the UTF-8 sequence that `lead` starts (1 for anything that is not
// a lead byte; validation rejects those).
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

// IsValidUtf8 over the stretches that hold non-ASCII bytes only. No UTF-8
// sequence holds an ASCII byte, so cutting at ASCII bytes never splits one.
bool IsValidUtf8Text(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    while (end - p >= 8 && (LoadWord(p) & kHighBits) == 0) p += 8;
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    const char* stretch = p;
    while (p < end && static_cast<unsigned char>(*p) >= 0x80) ++p;
    if (!platform::IsValidUtf8(std::string_view(stretch, static_cast<std::size_t>(p - stretch)))) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool EncodingDetector::Feed(std::string_view bytes) {
  if (invalid_) return false;
  if (head_.size() < kByteOrderMark.size()) {
    head_.append(bytes.substr(0, kByteOrderMark.size() - head_.size()));
  }
  if (!pending_.empty()) {
    // Complete the character the last piece cut, then check it alone.
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(pending_[0]));
    const std::size_t take = std::min(length - pending_.size(), bytes.size());
    pending_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (pending_.size() < length) return true;
    invalid_ = !platform::IsValidUtf8(pending_);
    if (invalid_) return false;
    pending_.clear();
  }
  const std::size_t cut = IncompleteTail(bytes);
  invalid_ = !IsValidUtf8Text(bytes.substr(0, cut));
  if (invalid_) return false;
  pending_.assign(bytes.substr(cut));
  return true;
}

DetectedEncoding EncodingDetector::Finish() const {
  // A sequence still open at the end is not UTF-8.
  if (invalid_ || !pending_.empty()) return {TextEncoding::kCodePage936, 0};
  return {TextEncoding::kUtf8, head_ == kByteOrderMark ? kByteOrderMark.size() : 0};
}

}  // namespace dt::jet
