// Whole-file services on POSIX: the OS's error texts, file copy through a
// temporary sibling, and what a path names.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/common/file_messages.h"
#include "platform/file_faults.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace dt::platform {
namespace {

constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

// strerror_r comes in a GNU form (returns the text) and an XSI form (fills
// the buffer and returns a status); these pick the text from either.
[[maybe_unused]] const char* ErrorTextOf(int status, const char* buffer) {
  return status == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* ErrorTextOf(const char* text, const char*) { return text; }

}  // namespace

const int kFileNotFound = ENOENT;
const int kPathNotFound = ENOENT;
const int kFileExists = EEXIST;
const int kIsADirectory = EISDIR;

std::string SystemErrorText(int error_code) {
  char buffer[512];
  buffer[0] = '\0';
  return TidySystemText(
      Utf8ToAnsi(ErrorTextOf(strerror_r(error_code, buffer, sizeof buffer), buffer)));
}

bool RemoveFile(const std::string& ansi_path, int* error_code) {
  int error = FileFault(FileCall::kRemove, ansi_path);
  if (error == 0 && ::unlink(NativePath(ansi_path).c_str()) != 0 && errno != ENOENT) error = errno;
  *error_code = error;
  return error == 0;
}

bool CopyFile(const std::string& existing, const std::string& target, bool fail_if_exists,
              std::string* system_error_text) {
  auto fail = [&](int error_code) {
    if (system_error_text != nullptr) *system_error_text = SystemErrorText(error_code);
    return false;
  };
  InputFile in;
  if (!in.Open(existing)) return fail(in.error());
  if (fail_if_exists && FileExists(target)) return fail(kFileExists);
  OutputFile out;
  if (!out.Create(target)) return fail(out.error());
  std::vector<char> block(kCopyBlock);
  for (;;) {
    std::size_t count = 0;
    if (!in.Read(block.data(), block.size(), &count)) return fail(in.error());
    if (count == 0) break;
    if (!out.Write(std::string_view(block.data(), count))) return fail(out.error());
  }
  if (!out.Commit(fail_if_exists)) return fail(out.error());
  return true;
}

bool FileExists(const std::string& ansi_path) {
  struct stat st;
  return ::stat(NativePath(ansi_path).c_str(), &st) == 0;
}

bool DirectoryExists(const std::string& ansi_path) {
  struct stat st;
  return ::stat(NativePath(ansi_path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& ansi_path) {
  struct stat st;
  return ::stat(NativePath(ansi_path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(const std::string& ansi_a, const std::string& ansi_b) {
  struct stat a;
  struct stat b;
  return ::stat(NativePath(ansi_a).c_str(), &a) == 0 &&
         ::stat(NativePath(ansi_b).c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

}  // namespace dt::platform
