// The fields of a header line that holds no quote, split at its commas, for
// the tests that compare what staging tells of a file's header line.
#pragma once

#include <string>
#include <vector>

namespace dt::testing {

inline std::vector<std::string> FieldsOf(const std::string& line) {
  std::vector<std::string> fields(1);
  for (const char c : line) {
    if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace dt::testing
