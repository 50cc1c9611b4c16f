// The rewrite at the heart of staging, as a stream: source bytes go in block
// by block, the staged text comes out through a sink in large pieces. The
// source is cut into lines by the line list's rule (CR LF, a lone CR and a
// lone LF each end a line; the text ends at its first zero byte), its first
// line is replaced by the header line, and every line comes out ended by
// CR LF. Memory stays bounded by the block size whatever the file's size.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace dt {

class StagedTextWriter {
 public:
  // Receives the staged bytes in order; may throw, which ends the rewrite.
  using Sink = std::function<void(std::string_view)>;

  // `header` replaces the source's first line; nullptr keeps that line as
  // it is. The caller keeps `header` alive while the writer is used.
  StagedTextWriter(const std::string* header, Sink sink,
                   std::size_t flush_size = std::size_t{1} << 20);

  // Takes the next block of source bytes. Returns false once the text has
  // ended (at a zero byte): the rest of the source need not be read.
  bool Feed(std::string_view block);

  // Ends the input and hands the last bytes to the sink. Raises
  // EStringListError "List index out of bounds (0)" when the source held no
  // line at all; nothing has reached the sink then.
  void Finish();

  // Lines seen in the source so far (the header replaces one of them).
  long long LineCount() const noexcept { return lines_; }

 private:
  enum class State { kLineStart, kSkipLine, kCopyLine, kAfterCr, kDone };
  void Emit(std::string_view bytes);
  void Flush();

  const std::string* header_;
  Sink sink_;
  std::size_t flush_size_;
  std::string out_;
  State state_ = State::kLineStart;
  long long lines_ = 0;
};

}  // namespace dt
