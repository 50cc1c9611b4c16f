// Decoding of code page 936 text to UTF-8 for the text driver, into a buffer
// the caller reuses, so that reading millions of records allocates nothing
// per field. Gives the same text as dt::platform::AnsiToUtf8: a byte sequence
// that is not a character of the code page becomes '?', never a cut.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace dt::jet {

class AnsiDecoder {
 public:
  // Raises jet::Error when the C library cannot convert code page 936.
  AnsiDecoder();
  ~AnsiDecoder();
  AnsiDecoder(const AnsiDecoder&) = delete;
  AnsiDecoder& operator=(const AnsiDecoder&) = delete;

  // Appends `ansi`, converted to UTF-8, to `out`.
  void Append(std::string_view ansi, std::string& out);

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace dt::jet
