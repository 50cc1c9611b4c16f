// The host log call: the message becomes a system wide string on this side's
// own heap, valid for the length of the call.
#include "src/entry/host_log.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace dt {

void HostLog::Write(std::string_view ansi_message) const {
  if (write_ == nullptr) return;
  const std::u16string text = platform::AnsiToUtf16(ansi_message);
  // Two code units of length prefix (bytes, 32 bits), the text, a zero.
  constexpr std::size_t kPrefixUnits = sizeof(std::uint32_t) / sizeof(char16_t);
  std::vector<char16_t> buffer(kPrefixUnits + text.size() + 1, u'\0');
  const std::uint32_t bytes = static_cast<std::uint32_t>(text.size() * sizeof(char16_t));
  std::memcpy(buffer.data(), &bytes, sizeof bytes);
  std::memcpy(buffer.data() + kPrefixUnits, text.data(), text.size() * sizeof(char16_t));
  write_(module_, kHostLogKind, buffer.data() + kPrefixUnits);
}

}  // namespace dt
