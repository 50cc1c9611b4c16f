// Streaming conversion of code page 936 text to UTF-8, for the text driver:
// each call appends to a buffer the caller reuses, so that reading millions
// of records allocates nothing per field. Gives the same text as
// AnsiToUtf8 (platform/codepage.h): a byte sequence that is not a
// character of the code page becomes '?', never a cut, and user-defined
// characters map to the private use area.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace dt::platform {

class AnsiDecoder {
 public:
  // Raises std::runtime_error when the system cannot convert code page 936.
  AnsiDecoder();
  ~AnsiDecoder();
  AnsiDecoder(const AnsiDecoder&) = delete;
  AnsiDecoder& operator=(const AnsiDecoder&) = delete;

  // Appends `ansi`, converted to UTF-8, to `out`.
  void Append(std::string_view ansi, std::string& out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace dt::platform
