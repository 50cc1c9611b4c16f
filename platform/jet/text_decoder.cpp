// Code page 936 to UTF-8 for the text driver, through the C library's iconv,
// writing straight into the caller's record buffer.
#include "platform/jet/text_decoder.h"

#include <iconv.h>

#include <cerrno>

#include "platform/codepage.h"
#include "platform/jet/error.h"

namespace dt::jet {

// Owns one open iconv descriptor.
struct AnsiDecoder::Handle {
  explicit Handle(iconv_t descriptor) : cd(descriptor) {}
  ~Handle() { iconv_close(cd); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  iconv_t cd;
};

namespace {

// How many bytes make the malformed or unconvertible character at `p`: a
// lead byte and a byte that can follow it form one character, anything else
// is one byte. Kept in step with the system's own code page conversion.
std::size_t BadCharLength(const unsigned char* p, std::size_t left) {
  if (left >= 2 && platform::IsAnsiLeadByte(p[0]) && p[1] >= 0x40 && p[1] != 0x7F && p[1] != 0xFF) {
    return 2;
  }
  return 1;
}

}  // namespace

AnsiDecoder::AnsiDecoder() {
  iconv_t cd = iconv_open("UTF-8", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw Error(ErrorKind::kUnsupported, "the text driver cannot convert code page 936 to UTF-8");
  }
  handle_ = std::make_unique<Handle>(cd);
}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::Append(std::string_view ansi, std::string& out) {
  iconv_t cd = handle_->cd;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::size_t used = out.size();
  // Every byte of code page 936 becomes at most 3 bytes of UTF-8.
  out.resize(used + ansi.size() * 3 + 4);
  char* in = const_cast<char*>(ansi.data());
  std::size_t in_left = ansi.size();
  while (in_left > 0) {
    char* dst = out.data() + used;
    std::size_t dst_left = out.size() - used;
    const std::size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    used = out.size() - dst_left;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() + in_left * 3 + 4);
      continue;
    }
    // EILSEQ or EINVAL: a user-defined character iconv does not know, or
    // one '?' for the offending character; then go on.
    const auto* bad = reinterpret_cast<const unsigned char*>(in);
    const std::size_t skip = BadCharLength(bad, in_left);
    in += skip;
    in_left -= skip;
    if (out.size() - used < 3) out.resize(out.size() + in_left * 3 + 4);
    const char32_t code_point = skip == 2 ? platform::UserDefinedToUnicode(bad[0], bad[1]) : 0;
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

}  // namespace dt::jet
