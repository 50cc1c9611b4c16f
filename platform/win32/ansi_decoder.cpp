// Code page 936 to UTF-8 for the text driver on Windows. ASCII, most of an
// export, is copied as it is; other text goes through the code page
// conversion itself, so that both give the same text ('?' for bad bytes,
// user-defined characters in the private use area) by construction.
#include "platform/ansi_decoder.h"

#include "platform/codepage.h"

namespace dt::platform {

struct AnsiDecoder::State {};

AnsiDecoder::AnsiDecoder() : state_(std::make_unique<State>()) {}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::Append(std::string_view ansi, std::string& out) {
  for (const char c : ansi) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      out += AnsiToUtf8(ansi);
      return;
    }
  }
  out.append(ansi);
}

}  // namespace dt::platform
