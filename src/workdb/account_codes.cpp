// The account code rebuild.
#include "src/workdb/account_codes.h"

#include <algorithm>

#include "src/staging/line_list.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"
#include "src/workdb/statement_runner.h"

namespace dt {

std::array<std::string, kAccountLevels> AccountSegments(const std::string& ansi_sid) {
  LineList items;
  SplitItems(".", " #.", ansi_sid, items);
  std::array<std::string, kAccountLevels> segments;
  for (int level = 0; level < kAccountLevels && level < items.Count(); ++level) {
    segments[level] = items.Get(level);
  }
  return segments;
}

std::vector<std::string> PadAndJoin(
    const std::vector<std::array<std::string, kAccountLevels>>& segments) {
  std::array<std::size_t, kAccountLevels> widths{};
  for (const auto& account : segments) {
    for (int level = 0; level < kAccountLevels; ++level) {
      widths[level] = std::max(widths[level], account[level].size());
    }
  }
  std::vector<std::string> codes;
  codes.reserve(segments.size());
  for (const auto& account : segments) {
    std::string code;
    for (int level = 0; level < kAccountLevels; ++level) {
      const std::string& segment = account[level];
      if (segment.empty()) continue;  // a missing level adds nothing, not even padding
      code.append(widths[level] - segment.size(), '0');
      code += segment;
    }
    codes.push_back(std::move(code));
  }
  return codes;
}

void RebuildAccountCodes(Connection& connection, BuildEvents& events) {
  RunStatement("alter table [ACCOUNTSECTIONS] add column [NewCode] varchar(255)", connection,
               events);

  RowQuery accounts;
  accounts.SetConnection(connection);
  accounts.SetSQL("SELECT * FROM ACCOUNTSECTIONS");
  accounts.Open();

  // Both passes walk the one open snapshot, so row i of the first pass is
  // row i of the second.
  std::vector<std::array<std::string, kAccountLevels>> segments;
  const std::int64_t count = accounts.RecordCount();
  segments.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    segments.push_back(AccountSegments(accounts.FieldByName("SID").AsString()));
    accounts.Next();
  }

  const std::vector<std::string> codes = PadAndJoin(segments);
  accounts.First();
  for (std::size_t i = 0; i < codes.size(); ++i) {
    accounts.Edit();
    accounts.SetFieldText("NewCode", codes[i]);
    accounts.Post();
    accounts.Next();
  }

  events.AdvanceProgress(20);
}

}  // namespace dt
