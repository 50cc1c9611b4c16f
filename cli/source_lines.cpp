// Source lines of rows, by reading the staged file record by record.
#include "cli/source_lines.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "engine/error.h"
#include "engine/standin/text/text_reader.h"

namespace dt::cli {

void FindSourceLines(const std::string& utf8_path, std::vector<BrokenReference*> rows) {
  std::sort(rows.begin(), rows.end(),
            [](const BrokenReference* a, const BrokenReference* b) { return a->row < b->row; });
  if (rows.empty()) return;
  try {
    // Line ends and quotes are the same bytes in either encoding, so the
    // lines do not depend on it; code page 936 spares the detection a pass.
    engine::standin::TextReader reader(utf8_path, platform::CharacterSet::kCodePage936);
    std::vector<std::optional<std::string_view>> fields;
    std::int64_t record = 0;
    auto next = rows.begin();
    while (next != rows.end() && reader.Next(fields)) {
      ++record;
      for (; next != rows.end() && (*next)->row <= record; ++next) {
        if ((*next)->row == record) (*next)->line = static_cast<std::int64_t>(reader.Line());
      }
    }
  } catch (const engine::Error& error) {
    throw std::runtime_error(error.what());
  }
}

}  // namespace dt::cli
