// Conversions between the ANSI code page (code page 936 on POSIX) and the
// Unicode forms used at the system's edges: UTF-8 for the work database and
// the POSIX file system, UTF-16 for the run result and the host log message.
//
// No text makes a conversion fail: a character the target lacks becomes the
// code page's default character '?', and bytes that are not valid in the
// source encoding become '?' too (a replacement, never a cut). Only a C
// library without code page 936 makes every conversion raise
// std::runtime_error.
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

// True when every byte sequence of `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text) noexcept;

// A UTF-8 literal written in the source, as ANSI text.
inline std::string Ansi(std::u8string_view utf8) {
  return Utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace dt::platform
