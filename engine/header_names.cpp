// Header naming for both engines: trimmed names, F<n> for empty ones and
// numeric suffixes for repeats.
#include "engine/header_names.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/codepage.h"

namespace dt::engine {

std::vector<std::string> HeaderNames(const std::vector<std::string>& fields) {
  std::vector<std::string> names;
  names.reserve(fields.size());
  std::unordered_set<std::string> taken;  // names in ASCII lower case
  // Per name, the suffix to try first: every smaller one is taken already
  // (names are only ever added), so a header of thousands of repeats of one
  // name is named in linear time.
  std::unordered_map<std::string, std::size_t> next_suffix;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string name(platform::TrimSpacesAndTabs(fields[i]));
    if (name.empty()) {
      name.assign(1, 'F');  // built in steps: GCC 12 warns falsely on "F" + string
      name += std::to_string(i + 1);
    }
    std::string unique = name;
    if (taken.count(platform::AsciiLowerCase(unique)) != 0) {
      std::size_t& suffix =
          next_suffix.try_emplace(platform::AsciiLowerCase(name), 1).first->second;
      do {
        unique = name + std::to_string(suffix++);
      } while (taken.count(platform::AsciiLowerCase(unique)) != 0);
    }
    taken.insert(platform::AsciiLowerCase(unique));
    names.push_back(std::move(unique));
  }
  return names;
}

}  // namespace dt::engine
