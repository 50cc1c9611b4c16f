// Conversions between the ANSI code page (code page 936, named by number on
// Windows too, whatever the machine's own) and the Unicode forms used at the
// system's edges: UTF-8 for the work database and the POSIX file system,
// UTF-16 for the run result, the host log message and Windows file names.
//
// No text makes a conversion fail: a character the target lacks becomes the
// code page's default character '?', and each malformed byte sequence of the
// source becomes one '?' (a replacement, never a cut; the bytes after it are
// kept). User-defined characters of the code page map to and from Unicode's
// private use area. The table is the C library's on POSIX and the system's
// on Windows, which maps a few more bytes (0xFF, some unassigned pairs) to
// the private use area too. Only a C library without code page 936 makes
// every conversion raise std::runtime_error.
//
// Beside the conversions, what the engine and the rest of the system both
// need of text and have from here alike: a UTF-8 path for the standard
// library's file calls, and the ASCII rules both encodings share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace dt::platform {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
std::u16string AnsiToUtf16(std::string_view ansi);
std::string Utf16ToAnsi(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when `byte` starts a double-byte character of the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte) noexcept;

// The bytes of the ANSI character at the start of `ansi` as the conversions
// take them: 2 for a lead byte and a byte that can follow it (40-FE but 7F),
// whether or not the pair is a character of the code page; else 1 (0 for
// empty text).
std::size_t AnsiCharacterLength(std::string_view ansi) noexcept;

// At most how many bytes of UTF-8 AnsiToUtf8 makes of `ansi`: a character
// outside ASCII, of one byte or two, becomes three at most.
std::size_t AnsiToUtf8SizeBound(std::string_view ansi) noexcept;

// Code page 936 keeps three byte ranges for user-defined characters (AAA1-
// AFFE, F8A1-FEFE, A140-A7A0), which Windows maps to the private use area
// U+E000-U+E765; the C library's table lacks them, and rare characters of
// names live there. The code point of such a pair, or 0 for any other pair.
char32_t UserDefinedToUnicode(unsigned char lead, unsigned char trail) noexcept;
// The pair of a code point in U+E000-U+E765; false for any other.
bool UnicodeToUserDefined(char32_t code_point, unsigned char& lead, unsigned char& trail) noexcept;

// True when every byte sequence of `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text) noexcept;

// The well-formed UTF-8 character at the start of `text`: its length in
// bytes (1 to 4), with its code point in `code_point`; 0 when `text` is
// empty or starts with a malformed or cut-short sequence (an overlong form,
// a surrogate, beyond U+10FFFF).
std::size_t DecodeUtf8Character(std::string_view text, char32_t& code_point) noexcept;

// The bytes of the malformed UTF-8 sequence at the start of `text`, which a
// conversion replaces as one: its first byte and the continuation bytes
// after it, four at most.
std::size_t MalformedUtf8Length(std::string_view text) noexcept;

// A UTF-8 literal written in the source, as ANSI text.
inline std::string Ansi(std::u8string_view utf8) {
  return Utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

// The UTF-8 path `utf8` for the standard library's file calls, and a path's
// UTF-8 text. The library reads a narrow path in the process's own code
// page on Windows, so a UTF-8 path reaches it as char8_t text, never as a
// plain string.
inline std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// ASCII inside ANSI and UTF-8 text. No byte of a multi-byte character is
// below 0x80 in UTF-8 or 0x40 in code page 936, so the bytes below 0x40
// (controls, space, digits, punctuation) mean the same in both. A trail
// byte of code page 936 may be an ASCII letter, though: the rules that
// ignore letter case say what becomes of it.

// Byte tests eight bytes at a time, for the scans over export text, which is
// mostly ASCII: the eight bytes at `p` in any alignment, a byte of 1 in
// every place, and the high bit of every byte.
inline std::uint64_t LoadWord(const char* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}
inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// True when no byte of `text` is 0x80 or above.
inline bool IsAscii(std::string_view text) noexcept {
  const char* p = text.data();
  const char* const end = p + text.size();
  std::uint64_t any = 0;
  for (; end - p >= 8; p += 8) any |= LoadWord(p);
  for (; p < end; ++p) any |= static_cast<unsigned char>(*p);
  return (any & kHighBits) == 0;
}

inline char AsciiUpper(char c) noexcept {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char AsciiLower(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with a..z made A..Z (or A..Z made a..z), byte by byte: a trail
// byte of code page 936 that is such a letter changes too. Other bytes are
// kept.
std::string AsciiUpperCase(std::string_view text);
std::string AsciiLowerCase(std::string_view text);

// Equality ignoring the case of ASCII letters, whatever the process's
// locale, byte by byte: the rule for UTF-8 text, and for ANSI text where
// one side is ASCII (a fixed name), since a lead byte is no letter.
inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// The same for ANSI text on both sides, character by character: the trail
// byte of a double-byte character keeps its case, so two characters that
// differ only there (81 41 and 81 61) stay two.
bool AnsiEqualIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept;

// `text` without its leading and trailing bytes of value 32 or less (space
// and every control: tab, CR, LF, zero and the rest).
std::string_view Trim(std::string_view text) noexcept;

// `text` without its leading and trailing spaces and tabs.
std::string_view TrimSpacesAndTabs(std::string_view text) noexcept;

}  // namespace dt::platform
