// The whole-file services that rest only on the platform's file handles:
// reading a whole file, and the error texts every file service reports.
#include "platform/files.h"

#include "platform/codepage.h"
#include "platform/common/file_messages.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace dt::platform {
namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 20;
constexpr std::size_t kMaxErrorText = 255;

}  // namespace

std::string TidySystemText(std::string text) {
  if (text.size() > kMaxErrorText) {
    // Cut on a character boundary so no lone lead byte is left at the end.
    std::size_t keep = 0;
    while (keep < text.size()) {
      const std::size_t width =
          IsAnsiLeadByte(static_cast<unsigned char>(text[keep])) && keep + 1 < text.size() ? 2 : 1;
      if (keep + width > kMaxErrorText) break;
      keep += width;
    }
    text.resize(keep);
  }
  while (!text.empty() && (text.back() == '.' || static_cast<unsigned char>(text.back()) <= 32)) {
    text.pop_back();
  }
  return text;
}

std::string FileErrorMessage(const char* frame, const std::string& ansi_path, int error_code) {
  return std::string(frame) + " \"" + AbsolutePath(ansi_path) + "\". " +
         SystemErrorText(error_code);
}

std::string ReadWholeFile(const std::string& ansi_path) {
  InputFile in;
  if (!in.Open(ansi_path)) {
    throw EFOpenError(FileErrorMessage("Cannot open file", ansi_path, in.error()));
  }
  std::string bytes;
  std::size_t used = 0;
  for (;;) {
    if (bytes.size() - used < kReadBlock / 4) bytes.resize(used + kReadBlock);
    std::size_t count = 0;
    if (!in.Read(bytes.data() + used, bytes.size() - used, &count)) {
      throw EFOpenError(FileErrorMessage("Cannot open file", ansi_path, in.error()));
    }
    if (count == 0) break;
    used += count;
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace dt::platform
