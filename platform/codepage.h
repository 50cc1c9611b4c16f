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

// Code page 936 keeps three byte ranges for user-defined characters (AAA1-
// AFFE, F8A1-FEFE, A140-A7A0), which Windows maps to the private use area
// U+E000-U+E765; the C library's table lacks them, and rare characters of
// names live there. The code point of such a pair, or 0 for any other pair.
char32_t UserDefinedToUnicode(unsigned char lead, unsigned char trail) noexcept;
// The pair of a code point in U+E000-U+E765; false for any other.
bool UnicodeToUserDefined(char32_t code_point, unsigned char& lead, unsigned char& trail) noexcept;

// True when every byte sequence of `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text) noexcept;

// A UTF-8 literal written in the source, as ANSI text.
inline std::string Ansi(std::u8string_view utf8) {
  return Utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace dt::platform
