// Whole-file services the system asks of the OS: copying and removing a
// file, telling files and folders apart, and the OS's text for an error.
// Paths are ANSI text, converted for each call (to UTF-8 on POSIX, to UTF-16
// on Windows).
#pragma once

#include <string>
#include <string_view>

namespace dt::platform {

// OS error codes (errno values on POSIX, system error codes on Windows) for
// the failures callers tell apart or name.
extern const int kFileNotFound;  // no such file
extern const int kPathNotFound;  // no such folder on the way to it (kFileNotFound on POSIX)
extern const int kFileExists;    // a target that must not be replaced exists
extern const int kIsADirectory;  // a folder opened as a file (access denied on Windows)

// The OS's message for `error_code` as ANSI text, in the OS's language, at
// most 255 bytes, with every trailing byte that is a period or <= 32
// removed; an "Unknown error" text when the OS has no message for it.
std::string SystemErrorText(int error_code);

// Copies `existing` to `target` in large blocks. An existing target is
// replaced unless `fail_if_exists`. The copy is written to a temporary
// sibling and renamed over the target only when whole, so a failed copy
// leaves the target as it was. On failure returns false and, when
// `system_error_text` is given, stores the OS's text there.
bool CopyFile(const std::string& existing, const std::string& target, bool fail_if_exists,
              std::string* system_error_text);

// Removes the file `ansi_path`. True when it is gone, or was never there;
// else false with the OS's error code in *error_code.
bool RemoveFile(const std::string& ansi_path, int* error_code);

// True when `ansi_path` names an existing entry (file or directory).
bool FileExists(const std::string& ansi_path);

// True when `ansi_path` names an existing directory (through links too).
bool DirectoryExists(const std::string& ansi_path);

// True when `ansi_path` names an existing plain file of a disk (through
// links too): not a folder, a device, a pipe or a socket.
bool IsRegularFile(const std::string& ansi_path);

// True when both paths name the same existing file (through links too).
bool SameFile(const std::string& ansi_a, const std::string& ansi_b);

}  // namespace dt::platform
