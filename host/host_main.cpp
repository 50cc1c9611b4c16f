// dealtext-host BASE SOURCE: a stand-in for the host application. It loads
// the plug-in from its own directory, calls DoIt as the host does (with a
// result variable that already holds a string), prints the result as UTF-8
// and frees it. Exit status 0 unless the result is "0"; 2 on bad usage or
// when the plug-in cannot be loaded.
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/errors.h"
#include "platform/host_window.h"
#include "platform/library_names.h"
#include "platform/module.h"
#include "platform/oleaut/oleaut.h"
#include "platform/paths.h"
#include "platform/stdcall.h"

namespace {

using DoItFunction = void(DT_STDCALL*)(BSTR* result, std::uintptr_t app_handle,
                                       const char* base_dir, const char* source_dir,
                                       std::uintptr_t unused);

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: dealtext-host BASE SOURCE\n"
                 "Calls DoIt of "
              << dt::platform::kPluginLibrary
              << " (next to this program) with the base and\n"
                 "source directories, and prints the run result.\n";
    return 2;
  }
  try {
    const std::string directory = dt::platform::ExecutableDirectory();
    dt::platform::LoadedLibrary plugin((directory.empty() ? std::string(".") : directory) + "/" +
                                       dt::platform::kPluginLibrary);
    const auto do_it = plugin.Entry<DoItFunction>("DoIt");
    if (do_it == nullptr) {
      std::cerr << "dealtext-host: " << dt::platform::kPluginLibrary << " exports no DoIt\n";
      return 2;
    }
    // The host hands over the base directory with its trailing delimiter.
    const std::vector<std::string> arguments = dt::platform::Utf8Arguments(argc, argv);
    std::string base = dt::platform::Utf8ToAnsi(arguments[1]);
    if (base.empty() || base.back() != dt::platform::PathDelim) base += dt::platform::PathDelim;
    const std::string source = dt::platform::Utf8ToAnsi(arguments[2]);
    const dt::platform::HostWindow host_window;
    dt::platform::OleString result(u"(no result)");
    do_it(result.Address(), host_window.Handle(), base.c_str(), source.c_str(), 0);
    std::cout << dt::platform::Utf16ToUtf8(result.View()) << '\n';
    return result.View() == u"0" ? 1 : 0;
  } catch (const dt::Exception& error) {
    std::cerr << "dealtext-host: " << error.Message() << '\n';
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "dealtext-host: " << error.what() << '\n';
    return 2;
  }
}
