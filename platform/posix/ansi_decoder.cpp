// Code page 936 to UTF-8 for the text driver on POSIX, through the C
// library's iconv, writing straight into the caller's record buffer.
#include "platform/ansi_decoder.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "platform/codepage.h"

namespace dt::platform {

// Owns one open iconv descriptor.
struct AnsiDecoder::State {
  explicit State(iconv_t descriptor) : cd(descriptor) {}
  ~State() { iconv_close(cd); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  iconv_t cd;
};

AnsiDecoder::AnsiDecoder() {
  iconv_t cd = iconv_open("UTF-8", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("the C library cannot convert code page 936 to UTF-8");
  }
  state_ = std::make_unique<State>(cd);
}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::Append(std::string_view ansi, std::string& out) {
  iconv_t cd = state_->cd;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::size_t used = out.size();
  // Room for the text at its longest and no more: what is zeroed here is
  // memory taken, and a huge field must not take three times its size.
  out.resize(used + AnsiToUtf8SizeBound(ansi));
  char* in = const_cast<char*>(ansi.data());
  std::size_t in_left = ansi.size();
  while (in_left > 0) {
    char* dst = out.data() + used;
    std::size_t dst_left = out.size() - used;
    const std::size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    used = out.size() - dst_left;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {  // never, while the bound holds
      out.resize(out.size() + AnsiToUtf8SizeBound(std::string_view(in, in_left)) + 4);
      continue;
    }
    // EILSEQ or EINVAL: a user-defined character iconv does not know, or
    // one '?' for the offending character; then go on.
    const auto* bad = reinterpret_cast<const unsigned char*>(in);
    const std::size_t skip = AnsiCharacterLength(std::string_view(in, in_left));
    in += skip;
    in_left -= skip;
    if (out.size() - used < 3)
      out.resize(used + 3 + AnsiToUtf8SizeBound(std::string_view(in, in_left)));
    const char32_t code_point = skip == 2 ? UserDefinedToUnicode(bad[0], bad[1]) : 0;
    if (code_point != 0) {
      out[used++] = static_cast<char>(0xE0 | (code_point >> 12));
      out[used++] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
      out[used++] = static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
      out[used++] = '?';
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
}

}  // namespace dt::platform
