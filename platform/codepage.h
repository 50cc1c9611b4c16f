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
#pragma once

#include <cstddef>
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

}  // namespace dt::platform
