// Code page conversions through the C library's iconv. The ANSI code page
// is CP936 (GBK with the euro sign at 0x80), as on a Chinese Windows system.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace dt::platform {
namespace {

constexpr const char* kAnsi = "CP936";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kUtf16 = "UTF-16LE";  // matches char16_t on the hosts we build for

enum class Encoding { kAnsi, kUtf8, kUtf16 };

const char* Name(Encoding e) {
  switch (e) {
    case Encoding::kAnsi:
      return kAnsi;
    case Encoding::kUtf8:
      return kUtf8;
    case Encoding::kUtf16:
      return kUtf16;
  }
  return kUtf8;
}

// One open iconv descriptor; closed when the owner goes away.
class IconvHandle {
 public:
  IconvHandle(Encoding from, Encoding to) : cd_(iconv_open(Name(to), Name(from))) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + Name(from) + " to " +
                               Name(to));
    }
  }
  ~IconvHandle() { iconv_close(cd_); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// How many input bytes make the unconvertible or malformed character at `p`.
size_t BadCharLength(Encoding from, const unsigned char* p, size_t left) {
  const std::string_view text(reinterpret_cast<const char*>(p), left);
  switch (from) {
    case Encoding::kAnsi:
      return AnsiCharacterLength(text);
    case Encoding::kUtf8:
      return MalformedUtf8Length(text);
    case Encoding::kUtf16:
      if (left >= 4) {
        const unsigned hi = p[0] | (p[1] << 8);
        const unsigned lo = p[2] | (p[3] << 8);
        if (hi >= 0xD800 && hi < 0xDC00 && lo >= 0xDC00 && lo < 0xE000) return 4;
      }
      return left >= 2 ? 2 : left;
  }
  return 1;
}

// Writes at `out` what stands for the `size` bytes at `bad` that iconv could
// not convert: a user-defined character mapped by hand, else '?'. Returns
// the number of bytes written (at most 3).
template <Encoding From, Encoding To>
size_t AppendUnconvertible(const unsigned char* bad, size_t size, char* out) {
  char32_t code_point = 0;
  if (From == Encoding::kAnsi && size == 2) {
    code_point = UserDefinedToUnicode(bad[0], bad[1]);
  } else if (From == Encoding::kUtf8 && size == 3 && (bad[0] & 0xF0) == 0xE0) {
    code_point = ((bad[0] & 0x0Fu) << 12) | ((bad[1] & 0x3Fu) << 6) | (bad[2] & 0x3Fu);
  } else if (From == Encoding::kUtf16 && size == 2) {
    code_point = bad[0] | (bad[1] << 8);
  }
  if (To == Encoding::kAnsi) {
    unsigned char lead = 0;
    unsigned char trail = 0;
    if (From != Encoding::kAnsi && UnicodeToUserDefined(code_point, lead, trail)) {
      out[0] = static_cast<char>(lead);
      out[1] = static_cast<char>(trail);
      return 2;
    }
    out[0] = '?';
    return 1;
  }
  if (From != Encoding::kAnsi || code_point == 0) code_point = U'?';
  if (To == Encoding::kUtf16) {
    out[0] = static_cast<char>(code_point & 0xFF);
    out[1] = static_cast<char>(code_point >> 8);
    return 2;
  }
  if (code_point < 0x80) {
    out[0] = static_cast<char>(code_point);
    return 1;
  }
  out[0] = static_cast<char>(0xE0 | (code_point >> 12));
  out[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (code_point & 0x3F));
  return 3;
}

template <Encoding From, Encoding To>
iconv_t Descriptor() {
  thread_local IconvHandle handle(From, To);
  return handle.get();
}

// Converts `in`, writing the replacement '?' (in the target encoding) for
// every character that cannot be converted.
template <Encoding From, Encoding To>
std::string Convert(const char* data, size_t size) {
  iconv_t cd = Descriptor<From, To>();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
  std::string out;
  out.resize(size * (To == Encoding::kUtf8 ? 3 : 2) + 8);
  char* in = const_cast<char*>(data);
  size_t in_left = size;
  size_t used = 0;
  while (in_left > 0) {
    char* dst = out.data() + used;
    size_t dst_left = out.size() - used;
    const size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
    used = out.size() - dst_left;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: a user-defined character iconv does not know, or a
    // replacement for the offending character; then go on.
    const auto* bad = reinterpret_cast<const unsigned char*>(in);
    const size_t skip = BadCharLength(From, bad, in_left);
    in += skip;
    in_left -= skip;
    if (out.size() - used < 4) out.resize(out.size() * 2 + 4);
    used += AppendUnconvertible<From, To>(bad, skip, out.data() + used);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return out;
}

std::u16string ToU16(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);
  return Convert<Encoding::kAnsi, Encoding::kUtf8>(ansi.data(), ansi.size());
}

std::string Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Convert<Encoding::kUtf8, Encoding::kAnsi>(utf8.data(), utf8.size());
}

std::u16string AnsiToUtf16(std::string_view ansi) {
  return ToU16(Convert<Encoding::kAnsi, Encoding::kUtf16>(ansi.data(), ansi.size()));
}

std::string Utf16ToAnsi(std::u16string_view utf16) {
  return Convert<Encoding::kUtf16, Encoding::kAnsi>(reinterpret_cast<const char*>(utf16.data()),
                                                    utf16.size() * 2);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  return ToU16(Convert<Encoding::kUtf8, Encoding::kUtf16>(utf8.data(), utf8.size()));
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  return Convert<Encoding::kUtf16, Encoding::kUtf8>(reinterpret_cast<const char*>(utf16.data()),
                                                    utf16.size() * 2);
}

}  // namespace dt::platform
