// Code page conversions through the system's own tables. The ANSI code page
// is 936 by number, not the machine's ANSI code page, so every machine gives
// the same bytes. The system's table maps the user-defined characters to the
// private use area itself. Text the tables refuse is replaced here character
// by character, as the interface promises, rather than by the system's
// own replacement, which can swallow the byte after a broken lead byte.
#include "platform/codepage.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace dt::platform {
namespace {

constexpr UINT kAnsiCodePage = 936;

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

// Appends `bytes` of `code_page` converted by the system's table. False,
// with nothing appended, when a byte sequence is not a character there.
bool AppendWide(UINT code_page, std::string_view bytes, std::u16string& out) {
  if (bytes.empty()) return true;
  const std::size_t used = out.size();
  // No byte sequence of code page 936 or UTF-8 gives more UTF-16 units than bytes.
  out.resize(used + bytes.size());
  const int n = MultiByteToWideChar(
      code_page, MB_ERR_INVALID_CHARS, bytes.data(), CheckedLength(bytes.size()),
      reinterpret_cast<wchar_t*>(out.data() + used), CheckedLength(bytes.size()));
  out.resize(used + static_cast<std::size_t>(n > 0 ? n : 0));
  return n > 0;
}

// The bytes that form the character at `at` (AnsiCharacterLength).
std::size_t AnsiCharWidth(std::string_view ansi, std::size_t at) {
  return AnsiCharacterLength(ansi.substr(at));
}

// The bytes of the UTF-8 sequence at `at` when it is well formed; 0 otherwise.
std::size_t Utf8SequenceWidth(std::string_view utf8, std::size_t at) {
  char32_t code_point;
  return DecodeUtf8Character(utf8.substr(at), code_point);
}

// The bytes a malformed UTF-8 sequence at `at` covers (MalformedUtf8Length).
std::size_t MalformedUtf8Width(std::string_view utf8, std::size_t at) {
  return MalformedUtf8Length(utf8.substr(at));
}

// Converts `bytes`, which the table refused as a whole, in runs of
// well-formed characters, so a bad character costs one run, not the text:
// a run the table refuses goes character by character, each character it
// refuses becoming '?'; a malformed sequence becomes one '?'. `width` gives
// the bytes of the character at an offset (0 for a malformed sequence),
// `skip` the bytes a malformed sequence covers.
template <typename Width, typename Skip>
std::u16string WidenPiecewise(UINT code_page, std::string_view bytes, Width width, Skip skip) {
  constexpr std::size_t kRun = 256;
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = at;
    while (end < bytes.size() && end - at < kRun) {
      const std::size_t w = width(bytes, end);
      if (w == 0) break;
      end += w;
    }
    if (end == at) {
      out += u'?';
      at += skip(bytes, at);
      continue;
    }
    if (!AppendWide(code_page, bytes.substr(at, end - at), out)) {
      for (std::size_t c = at; c < end; c += width(bytes, c)) {
        if (!AppendWide(code_page, bytes.substr(c, width(bytes, c)), out)) out += u'?';
      }
    }
    at = end;
  }
  return out;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// `utf16` with every unpaired surrogate as '?', and, unless `keep_pairs`,
// every surrogate pair too: code page 936 has no character beyond U+FFFF,
// and a character it lacks becomes one '?', not one per half.
std::u16string ReplaceSurrogates(std::u16string_view utf16, bool keep_pairs) {
  std::u16string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t c = utf16[i];
    if (IsHighSurrogate(c) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      if (keep_pairs) {
        out += c;
        out += utf16[i + 1];
      } else {
        out += u'?';
      }
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      out += u'?';
    } else {
      out += c;
    }
  }
  return out;
}

bool HasSurrogate(std::u16string_view utf16) {
  for (char16_t c : utf16) {
    if (c >= 0xD800 && c < 0xE000) return true;
  }
  return false;
}

// Converts UTF-16 without unpaired surrogates to `code_page`; a character
// the code page lacks becomes '?' (no look-alike is chosen for it).
std::string Narrow(UINT code_page, std::u16string_view utf16) {
  if (utf16.empty()) return {};
  const int units = CheckedLength(utf16.size());
  const auto* wide = reinterpret_cast<const wchar_t*>(utf16.data());
  const bool ansi = code_page != CP_UTF8;
  const DWORD flags = ansi ? WC_NO_BEST_FIT_CHARS : 0;
  const char* default_char = ansi ? "?" : nullptr;
  // Code page 936 takes at most 2 bytes per unit, UTF-8 at most 3.
  std::string out(utf16.size() * (ansi ? 2 : 3), '\0');
  const int n = WideCharToMultiByte(code_page, flags, wide, units, out.data(),
                                    CheckedLength(out.size()), default_char, nullptr);
  out.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return out;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out;
  if (AppendWide(kAnsiCodePage, ansi, out)) return out;
  return WidenPiecewise(kAnsiCodePage, ansi, AnsiCharWidth,
                        [](std::string_view, std::size_t) -> std::size_t { return 1; });
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  if (IsValidUtf8(utf8) && AppendWide(CP_UTF8, utf8, out)) return out;
  return WidenPiecewise(CP_UTF8, utf8, Utf8SequenceWidth, MalformedUtf8Width);
}

std::string Utf16ToAnsi(std::u16string_view utf16) {
  if (!HasSurrogate(utf16)) return Narrow(kAnsiCodePage, utf16);
  return Narrow(kAnsiCodePage, ReplaceSurrogates(utf16, false));
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  if (!HasSurrogate(utf16)) return Narrow(CP_UTF8, utf16);
  return Narrow(CP_UTF8, ReplaceSurrogates(utf16, true));
}

std::string AnsiToUtf8(std::string_view ansi) {
  if (IsAscii(ansi)) return std::string(ansi);
  return Utf16ToUtf8(AnsiToUtf16(ansi));
}

std::string Utf8ToAnsi(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Utf16ToAnsi(Utf8ToUtf16(utf8));
}

}  // namespace dt::platform
