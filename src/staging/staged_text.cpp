// The streaming header rewrite: the line-splitting rule run as a state
// machine that survives block boundaries (a CR ending one block and its LF
// starting the next, a line cut in two).
#include "src/staging/staged_text.h"

#include <array>
#include <cstdint>
#include <utility>

#include "platform/codepage.h"
#include "platform/errors.h"

namespace dt {
namespace {

// Bytes that end a line: CR, LF and the zero byte that ends the text.
constexpr std::array<bool, 256> kLineEnd = [] {
  std::array<bool, 256> table{};
  table['\r'] = true;
  table['\n'] = true;
  table[0] = true;
  return table;
}();

// The first byte at or after `pos` that ends a line, or `size`; eight bytes
// at a time through the line, which is mostly long and of ASCII.
std::size_t FindLineEnd(std::string_view block, std::size_t pos) {
  using platform::kHighBits;
  using platform::kOnes;
  const auto holds = [](std::uint64_t word, unsigned char c) {
    const std::uint64_t v = word ^ (kOnes * c);
    return (v - kOnes) & ~v & kHighBits;
  };
  const std::size_t size = block.size();
  while (size - pos >= 8) {
    const std::uint64_t word = platform::LoadWord(block.data() + pos);
    if ((holds(word, '\r') | holds(word, '\n') | holds(word, 0)) != 0) break;
    pos += 8;
  }
  while (pos < size && !kLineEnd[static_cast<unsigned char>(block[pos])]) ++pos;
  return pos;
}

}  // namespace

StagedTextWriter::StagedTextWriter(const std::string* header, Sink sink, std::size_t flush_size)
    : header_(header), sink_(std::move(sink)), flush_size_(flush_size) {
  out_.reserve(flush_size_ + flush_size_ / 2);
}

void StagedTextWriter::Emit(std::string_view bytes) {
  out_.append(bytes);
  if (out_.size() >= flush_size_) Flush();
}

void StagedTextWriter::Flush() {
  if (out_.empty()) return;
  sink_(out_);
  out_.clear();
}

bool StagedTextWriter::Feed(std::string_view block) {
  std::size_t pos = 0;
  const std::size_t size = block.size();
  while (pos < size && state_ != State::kDone) {
    switch (state_) {
      case State::kAfterCr:
        if (block[pos] == '\n') ++pos;
        state_ = State::kLineStart;
        break;
      case State::kLineStart:
        if (block[pos] == '\0') {
          state_ = State::kDone;
          break;
        }
        if (lines_ == 0 && header_ != nullptr) {
          Emit(*header_);
          state_ = State::kSkipLine;
        } else {
          state_ = State::kCopyLine;
        }
        ++lines_;
        break;
      case State::kSkipLine:
      case State::kCopyLine: {
        const std::size_t end = FindLineEnd(block, pos);
        if (state_ == State::kCopyLine) Emit(block.substr(pos, end - pos));
        pos = end;
        if (pos == size) break;  // the line goes on in the next block
        Emit("\r\n");
        const char ending = block[pos];
        if (ending == '\0') {
          state_ = State::kDone;
        } else {
          ++pos;
          state_ = ending == '\r' ? State::kAfterCr : State::kLineStart;
        }
        break;
      }
      case State::kDone:
        break;
    }
  }
  return state_ != State::kDone;
}

void StagedTextWriter::Finish() {
  if (state_ == State::kSkipLine || state_ == State::kCopyLine) {
    Emit("\r\n");  // a last line without its own line end
    state_ = State::kDone;
  }
  if (lines_ == 0) throw EStringListError("List index out of bounds (0)");
  state_ = State::kDone;
  Flush();
}

}  // namespace dt
