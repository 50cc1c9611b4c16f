// Code page 936 to UTF-8 for the text driver on POSIX, through the C
// library's iconv, writing straight into the caller's record buffer. What
// iconv makes of each character of the code page is read from it once per
// process into a table, so that the fields of millions of records are
// decoded by looking their characters up rather than by a call of iconv
// each; what it refuses takes the same way as before.
#include "platform/ansi_decoder.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
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

namespace {

// The UTF-8 of one character of the code page; `size` 0 where iconv gives
// none (then the character takes iconv's way, failure and all).
struct Utf8 {
  std::uint8_t size = 0;
  std::array<char, 3> bytes{};
};

constexpr int kTrails = 0xFF - 0x40;  // trail bytes 0x40..0xFE

// Every single byte, then every pair of a lead byte (0x81..0xFE) and a
// trail byte (0x40..0xFE), as iconv converts it alone.
class CharacterTable {
 public:
  static const CharacterTable& Get() {
    static const CharacterTable table;
    return table;
  }
  const Utf8& Single(unsigned char byte) const { return singles_[byte]; }
  const Utf8& Pair(unsigned char lead, unsigned char trail) const {
    return pairs_[static_cast<std::size_t>((lead - 0x81) * kTrails + (trail - 0x40))];
  }

 private:
  CharacterTable() {
    iconv_t cd = iconv_open("UTF-8", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;  // every character takes iconv's way
    char text[2];
    for (int byte = 0; byte < 0x100; ++byte) {
      text[0] = static_cast<char>(byte);
      singles_[static_cast<std::size_t>(byte)] = Convert(cd, text, 1);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        text[0] = static_cast<char>(lead);
        text[1] = static_cast<char>(trail);
        pairs_[static_cast<std::size_t>((lead - 0x81) * kTrails + (trail - 0x40))] =
            Convert(cd, text, 2);
      }
    }
    iconv_close(cd);
  }

  static Utf8 Convert(iconv_t cd, char* text, std::size_t size) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    Utf8 utf8;
    char out[8];
    char* in = text;
    std::size_t in_left = size;
    char* dst = out;
    std::size_t dst_left = sizeof(out);
    if (iconv(cd, &in, &in_left, &dst, &dst_left) == static_cast<std::size_t>(-1) || in_left != 0) {
      return utf8;
    }
    const std::size_t made = sizeof(out) - dst_left;
    if (made == 0 || made > utf8.bytes.size()) return utf8;
    utf8.size = static_cast<std::uint8_t>(made);
    for (std::size_t i = 0; i < made; ++i) utf8.bytes[i] = out[i];
    return utf8;
  }

  std::array<Utf8, 0x100> singles_;
  std::array<Utf8, 0x7E * kTrails> pairs_;
};

// Converts `rest` (what is left of a text, from offset `at`) into `out`
// from `used` on through iconv, up to the first character it refuses, which
// becomes its user-defined character or '?'; moves `at` past what it took
// and returns the new `used`.
std::size_t AppendThroughIconv(iconv_t cd, std::string_view rest, std::string& out,
                               std::size_t used, std::size_t& at) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(rest.data());
  std::size_t in_left = rest.size();
  char* dst = out.data() + used;
  std::size_t dst_left = out.size() - used;
  const std::size_t rc = iconv(cd, &in, &in_left, &dst, &dst_left);
  used = out.size() - dst_left;
  at += rest.size() - in_left;
  if (rc != static_cast<std::size_t>(-1) || in_left == 0) return used;
  if (errno == E2BIG) {  // never, while the bound holds
    out.resize(out.size() + AnsiToUtf8SizeBound(std::string_view(in, in_left)) + 4);
    return used;
  }
  // EILSEQ or EINVAL: a user-defined character iconv does not know, or
  // one '?' for the offending character; then go on.
  const auto* bad = reinterpret_cast<const unsigned char*>(in);
  const std::size_t skip = AnsiCharacterLength(std::string_view(in, in_left));
  at += skip;
  if (out.size() - used < 3) {
    out.resize(used + 3 + AnsiToUtf8SizeBound(std::string_view(in + skip, in_left - skip)));
  }
  const char32_t code_point = skip == 2 ? UserDefinedToUnicode(bad[0], bad[1]) : 0;
  if (code_point != 0) {
    out[used++] = static_cast<char>(0xE0 | (code_point >> 12));
    out[used++] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out[used++] = static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out[used++] = '?';
  }
  return used;
}

}  // namespace

AnsiDecoder::AnsiDecoder() {
  iconv_t cd = iconv_open("UTF-8", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("the C library cannot convert code page 936 to UTF-8");
  }
  state_ = std::make_unique<State>(cd);
}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::Append(std::string_view ansi, std::string& out) {
  const CharacterTable& table = CharacterTable::Get();
  std::size_t used = out.size();
  // Room for the text at its longest and no more: what is zeroed here is
  // memory taken, and a huge field must not take three times its size.
  out.resize(used + AnsiToUtf8SizeBound(ansi));
  std::size_t at = 0;
  while (at < ansi.size()) {
    const auto byte = static_cast<unsigned char>(ansi[at]);
    if (byte < 0x80) {
      out[used++] = static_cast<char>(byte);
      ++at;
      continue;
    }
    const std::string_view rest = ansi.substr(at);
    const std::size_t length = AnsiCharacterLength(rest);
    const Utf8& utf8 =
        length == 2 ? table.Pair(byte, static_cast<unsigned char>(rest[1])) : table.Single(byte);
    if (utf8.size != 0) {
      for (std::size_t i = 0; i < utf8.size; ++i) out[used++] = utf8.bytes[i];
      at += length;
      continue;
    }
    // Not in the table: iconv converts what it can from here, up to the
    // next character it refuses.
    used = AppendThroughIconv(state_->cd, rest, out, used, at);
  }
  out.resize(used);
}

}  // namespace dt::platform
