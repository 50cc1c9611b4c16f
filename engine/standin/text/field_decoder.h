// Field decoding for the text driver: how the bytes of a field of a text
// file become the UTF-8 text handed out for it, once the file's encoding is
// settled (encoding_detection.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ansi_decoder.h"

namespace dt::engine::standin {

class FieldDecoder {
 public:
  enum class Mode {
    kAsIs,          // well-formed UTF-8 (or ASCII): the bytes are the text
    kCodePage936,   // code page 936, decoded
    kUncheckedUtf8  // UTF-8 by the connection's word: each malformed sequence becomes '?'
  };

  // Raises std::runtime_error when the system cannot convert code page 936.
  explicit FieldDecoder(Mode mode);

  // False when `bytes` are their own text: Append need not be called.
  bool NeedsDecoding(std::string_view bytes) const;

  // At most how many bytes Append adds for `bytes`.
  std::size_t SizeBound(std::string_view bytes) const;

  // Appends the text of `bytes` to `out`.
  void Append(std::string_view bytes, std::string& out);

 private:
  Mode mode_;
  platform::AnsiDecoder ansi_;
};

}  // namespace dt::engine::standin
