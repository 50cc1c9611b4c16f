// Code page 936 to UTF-8 for the text driver on Windows. ASCII, most of an
// export, is copied as it is; other text goes through the code page
// conversion itself, so that both give the same text ('?' for bad bytes,
// user-defined characters in the private use area) by construction. A long
// text is converted in pieces cut between characters, so that a huge field
// costs its UTF-8 text and not the conversion's wide copies of it too.
#include "platform/ansi_decoder.h"

#include "platform/codepage.h"

namespace dt::platform {
namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 16;

}  // namespace

struct AnsiDecoder::State {};

AnsiDecoder::AnsiDecoder() : state_(std::make_unique<State>()) {}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::Append(std::string_view ansi, std::string& out) {
  if (IsAscii(ansi)) {
    out.append(ansi);
    return;
  }
  out.reserve(out.size() + AnsiToUtf8SizeBound(ansi));
  while (!ansi.empty()) {
    std::size_t cut = 0;
    while (cut < ansi.size() && cut < kPieceBytes) cut += AnsiCharacterLength(ansi.substr(cut));
    out += AnsiToUtf8(ansi.substr(0, cut));
    ansi.remove_prefix(cut);
  }
}

}  // namespace dt::platform
