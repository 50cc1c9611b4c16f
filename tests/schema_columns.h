// The column lines of a schema.ini section, as the tests read them back.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dt::testing {

// The "ColN=\"name\" type" lines of `section`, in order: each name with its
// doubled quotes made one (bytes as written, ANSI), and its type.
inline std::vector<std::pair<std::string, std::string>> SectionColumns(std::string_view section) {
  std::vector<std::pair<std::string, std::string>> columns;
  std::size_t at = 0;
  while ((at = section.find("\r\nCol", at)) != std::string_view::npos) {
    at = section.find("=\"", at) + 2;
    std::string name;
    for (; !(section[at] == '"' && section[at + 1] != '"'); ++at) {
      name += section[at];
      if (section[at] == '"') ++at;
    }
    const std::size_t type = at + 2;
    columns.emplace_back(name,
                         std::string(section.substr(type, section.find("\r\n", type) - type)));
  }
  return columns;
}

}  // namespace dt::testing
