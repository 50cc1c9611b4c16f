// The code clean-up pass.
#include "src/workdb/code_cleanup.h"

#include <algorithm>

#include "platform/codepage.h"
#include "src/workdb/data_access.h"

namespace dt {

const std::vector<CleanupEntry>& CleanupEntries() {
  static const std::vector<CleanupEntry> kEntries = {
      {"aidInfo", {"aidCode"}, {"aidCode"}, {}},
      {"accountsections", {"SID"}, {"SID"}, {}},
      {"BOOK", {"BOOKNO", "SID"}, {"SID"}, {"BOOKNO"}},
      {"BOOKDETAIL",
       {"BOOKNO", "LINE", "SID", "BID", "IID"},
       {"SID", "BID", "IID"},
       {"BOOKNO", "LINE"}},
      {"budgetsection", {"BID"}, {"BID"}, {}},
      {"item", {"IID"}, {"IID"}, {}},
      {"KMYE", {"NewCode", "funcode", "progcode"}, {"funcode", "progcode"}, {}},
      {"PZ", {"flxh", "SID", "funcode", "progcode"}, {"SID", "funcode", "progcode"}, {"flxh"}},
      {"remain", {"ID", "SID", "IID", "BID"}, {"SID", "IID", "BID"}, {"ID"}},
  };
  return kEntries;
}

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
