// The code clean-up pass.
#include "src/workdb/code_cleanup.h"

#include <algorithm>

#include "platform/codepage.h"
#include "src/workdb/data_access.h"

namespace dt {

std::string CleanCode(std::string_view value) {
  // The engine holds values in UTF-8 and they are cleaned there, never passed
  // through the ANSI code page, so a character the code page lacks survives.
  // The result is the one the code page 936 form would give: trimming only
  // looks at bytes <= 32, which no multi-byte character of either encoding
  // holds, and "." is never a trail byte in code page 936 (trail bytes are
  // 0x40 and above) while UTF-8 multi-byte sequences hold no byte below 0x80,
  // so every "." byte is a "." character in both.
  std::string cleaned(platform::Trim(value));
  std::replace(cleaned.begin(), cleaned.end(), '.', '0');
  return cleaned;
}

void CleanUpCodes(Connection& connection, BuildEvents& events) {
  for (const CleanupEntry& entry : CleanupEntries()) {
    events.PhaseStarted(BuildPhase::kCleanup, entry.table);
    connection.RewriteColumns(entry.table, entry.read_columns, entry.set_columns, entry.keys,
                              [](std::string_view value) { return CleanCode(value); });
  }
}

}  // namespace dt
