// Writing the run result into the host's string variable.
#include "src/entry/run_result.h"

#include <string>

#include "platform/codepage.h"

namespace dt {

bool StoreRunResult(BSTR* result, std::string_view ansi_text, ReAllocStringFunction reallocate) {
  if (result == nullptr) return false;
  const std::u16string text = platform::AnsiToUtf16(ansi_text);
  return reallocate(result, text.data(), static_cast<std::uint32_t>(text.size())) != 0;
}

}  // namespace dt
