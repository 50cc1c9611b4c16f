// The program's arguments on Windows, from the wide command line.
#include "platform/command_line.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>

#include "platform/codepage.h"

namespace dt::platform {
namespace {

struct LocalFreer {
  void operator()(wchar_t** arguments) const noexcept { LocalFree(arguments); }
};

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<wchar_t*, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::wstring_view argument(wide.get()[i]);
    arguments.push_back(Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(argument.data()), argument.size())));
  }
  return arguments;
}

}  // namespace dt::platform
