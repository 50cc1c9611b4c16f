// Source discovery: one wildcard search of the source directory, each
// matching file appended to the source list as directory text + name.
#include "src/staging/discovery.h"

#include "platform/file_search.h"

namespace dt {
namespace {

bool Listable(const platform::FoundEntry& entry) {
  return !entry.is_directory && entry.name != "." && entry.name != "..";
}

}  // namespace

void DiscoverSources(const std::string& directory_text, std::vector<std::string>& source_list,
                     const std::function<void()>& after_entry) {
  platform::FileSearch search;
  platform::FoundEntry entry;
  if (!search.First(directory_text + "*.txt", entry)) return;
  if (Listable(entry)) source_list.push_back(directory_text + entry.name);
  while (search.Next(entry)) {
    if (Listable(entry)) source_list.push_back(directory_text + entry.name);
    if (after_entry) after_entry();
  }
  search.Close();
}

}  // namespace dt
