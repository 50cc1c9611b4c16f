// Paths as the system builds them: plain concatenations with PathDelim, so
// each platform sees native paths. The system holds paths as ANSI text; every
// system call converts, to UTF-8 on POSIX (where file names are stored so),
// to UTF-16 on Windows.
#pragma once

#include <string>
#include <string_view>

namespace dt::platform {

#ifdef _WIN32
inline constexpr char PathDelim = '\\';
// Whether the file system takes names that differ in letter case alone for
// one name, as Windows file systems do.
inline constexpr bool kNamesIgnoreCase = true;
#else
inline constexpr char PathDelim = '/';
inline constexpr bool kNamesIgnoreCase = false;
#endif

// The ANSI path as the file system's calls take it: UTF-8 on POSIX, the ANSI
// path itself on Windows (its wide calls convert).
std::string NativePath(std::string_view ansi_path);

// The name of the entry under `directory` that equals `name` ignoring ASCII
// letter case (the exact match preferred); `name` itself when none exists.
// Windows file systems ignore case, and the system relies on it for its
// fixed names (TemplateTemp, DataBase, empty.mdb).
std::string ResolveChild(std::string_view directory, std::string_view name);

// `path` made absolute against the current directory (ANSI in and out).
// Lexical, as the Windows full-path call is: doubled delimiters and "."
// segments are dropped, ".." removes the segment before it, a trailing
// delimiter is kept; links are not resolved and nothing need exist. On
// Windows it is that call: a path from the root takes the current drive,
// and trailing dots and spaces of the last segment go.
std::string AbsolutePath(std::string_view path);

}  // namespace dt::platform
