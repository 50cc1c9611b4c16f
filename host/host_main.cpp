// dealtext-host [--runs N] [--dll NAME] BASE SOURCE: a stand-in for the
// host application. It loads the plug-in (NAME, by default the shipping
// one) from its own directory, calls DoIt as
// the host does (with a result variable that already holds a string),
// prints the result as UTF-8 and frees it. With --runs it calls DoIt N
// times in a row in this one process, as a host that converts again does,
// and after each result prints a line
//   run <i>: <seconds> s; beside the work database: <names>|nothing
// naming the other files of the work database's name (a lock file the
// database engine kept) that are there when DoIt has returned. Exit status
// 0 unless a result is "0"; 2 on bad usage or when the plug-in cannot be
// loaded.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
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

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The files beside `database` that carry its name with another extension,
// as one line; "nothing" when there are none.
std::string FilesBeside(const std::string& database) {
  const std::filesystem::path path = PathOf(database);
  std::string names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
    const std::filesystem::path name = entry.path().filename();
    if (name == path.filename() || name.stem() != path.stem()) continue;
    const std::u8string text = name.u8string();
    names += (names.empty() ? "" : ", ") + std::string(text.begin(), text.end());
  }
  if (error) return "(cannot be listed: " + error.message() + ")";
  return names.empty() ? "nothing" : names;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments = dt::platform::Utf8Arguments(argc, argv);
  int runs = 1;
  bool report_runs = false;
  std::string library = dt::platform::kPluginLibrary;
  while (arguments.size() > 3 && (arguments[1] == "--runs" || arguments[1] == "--dll")) {
    if (arguments[1] == "--runs") {
      report_runs = true;
      runs = std::atoi(arguments[2].c_str());
    } else {
      library = arguments[2];
    }
    arguments.erase(arguments.begin() + 1, arguments.begin() + 3);
  }
  if (arguments.size() != 3 || runs < 1) {
    std::cerr << "usage: dealtext-host [--runs N] [--dll NAME] BASE SOURCE\n"
                 "Calls DoIt of NAME (default "
              << dt::platform::kPluginLibrary
              << ", next to this program) with the base\n"
                 "and source directories, and prints the run result.\n";
    return 2;
  }
  try {
    const std::string directory = dt::platform::ExecutableDirectory();
    dt::platform::LoadedLibrary plugin((directory.empty() ? std::string(".") : directory) + "/" +
                                       library);
    const auto do_it = plugin.Entry<DoItFunction>("DoIt");
    if (do_it == nullptr) {
      std::cerr << "dealtext-host: " << library << " exports no DoIt\n";
      return 2;
    }
    // The host hands over the base directory with its trailing delimiter.
    std::string base = dt::platform::Utf8ToAnsi(arguments[1]);
    if (base.empty() || base.back() != dt::platform::PathDelim) base += dt::platform::PathDelim;
    const std::string source = dt::platform::Utf8ToAnsi(arguments[2]);
    const dt::platform::HostWindow host_window;
    bool failed = false;
    for (int run = 1; run <= runs; ++run) {
      dt::platform::OleString result(u"(no result)");
      const auto started = std::chrono::steady_clock::now();
      do_it(result.Address(), host_window.Handle(), base.c_str(), source.c_str(), 0);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
      const std::string text = dt::platform::Utf16ToUtf8(result.View());
      std::cout << text << '\n';
      failed = failed || result.View() == u"0";
      if (report_runs) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", took.count());
        std::cout << "run " << run << ": " << seconds << " s; beside the work database: "
                  << (result.View() == u"0" ? std::string("-") : FilesBeside(text)) << '\n';
      }
    }
    return failed ? 1 : 0;
  } catch (const dt::Exception& error) {
    std::cerr << "dealtext-host: " << error.Message() << '\n';
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "dealtext-host: " << error.what() << '\n';
    return 2;
  }
}
