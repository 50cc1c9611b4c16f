// The OS's error text in the form every file service reports it.
#include "platform/common/file_messages.h"

#include "platform/codepage.h"

namespace dt::platform {
namespace {

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

}  // namespace dt::platform
