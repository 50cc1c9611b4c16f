// Source discovery: one wildcard search of the source directory, each
// matching file appended to the source list as directory text + name.
#include "src/staging/discovery.h"

#include <cstdio>

#include "platform/errors.h"
#include "platform/file_search.h"
#include "platform/files.h"

namespace dt {
namespace {

bool IsFile(const platform::FoundEntry& entry) {
  return !entry.is_directory && entry.name != "." && entry.name != "..";
}

// `bytes` with every byte outside printable ASCII, and the backslash that
// introduces the escapes, written as \xHH: readable in any log, whatever
// the bytes are.
std::string Escaped(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      out += c;
    } else {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      out += escape;
    }
  }
  return out;
}

void Take(const std::string& directory_text, const platform::FoundEntry& entry,
          std::vector<std::string>& source_list,
          const std::function<void(const std::string&)>& log) {
  if (!IsFile(entry)) return;
  if (entry.exact) {
    source_list.push_back(directory_text + entry.name);
  } else if (log) {
    log("Skipped \"" + directory_text + Escaped(entry.utf8_name) +
        "\": its name holds a character that code page 936 lacks");
  }
}

}  // namespace

void DiscoverSources(const std::string& directory_text, std::vector<std::string>& source_list,
                     const std::function<void()>& after_entry,
                     const std::function<void(const std::string&)>& log) {
  platform::FileSearch search;
  platform::FoundEntry entry;
  if (!search.First(directory_text + "*.txt", entry)) {
    if (search.error() != 0) {
      throw EFOpenError("Cannot read folder \"" + directory_text + "\". " +
                        platform::SystemErrorText(search.error()));
    }
    return;
  }
  Take(directory_text, entry, source_list, log);
  while (search.Next(entry)) {
    Take(directory_text, entry, source_list, log);
    if (after_entry) after_entry();
  }
  search.Close();
}

}  // namespace dt
