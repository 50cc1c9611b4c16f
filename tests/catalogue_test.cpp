// The source table catalogue: the exact header lines and the name lookup.
#include "src/staging/catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace dt {
namespace {

int ColumnCount(const std::string& line) {
  int count = 1;
  for (char c : line) count += c == ',';
  return count;
}

TEST(CatalogueTest, SevenEntriesWithTheirColumnCounts) {
  const std::vector<std::pair<std::string, int>> expected = {
      {"ACCOUNTSECTIONS.TXT", 68}, {"BOOK.TXT", 44}, {"BOOKDETAIL.TXT", 28},
      {"BUDGETSECTION.TXT", 22},   {"ITEM.TXT", 26}, {"LOAN.TXT", 19},
      {"REMAIN.TXT", 9},
  };
  const auto& catalogue = SourceCatalogue();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(catalogue[i].file_name, expected[i].first);
    EXPECT_EQ(ColumnCount(catalogue[i].header_line), expected[i].second) << catalogue[i].file_name;
  }
}

TEST(CatalogueTest, HeaderLinesAreCleanUpperCaseNameLists) {
  for (const CatalogueEntry& entry : SourceCatalogue()) {
    const std::string& line = entry.header_line;
    std::set<std::string> names;
    std::string name;
    for (std::size_t i = 0; i <= line.size(); ++i) {
      if (i == line.size() || line[i] == ',') {
        EXPECT_FALSE(name.empty()) << entry.file_name << " has an empty column name";
        EXPECT_TRUE(names.insert(name).second) << entry.file_name << " repeats " << name;
        name.clear();
        continue;
      }
      const char c = line[i];
      EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
          << entry.file_name << " holds byte " << static_cast<int>(c);
      name += c;
    }
    const bool setid_first = line.rfind("SETID,", 0) == 0;
    EXPECT_EQ(setid_first, entry.file_name != "BUDGETSECTION.TXT") << entry.file_name;
  }
}

TEST(CatalogueTest, HeaderLinesHoldTheColumnsTheLaterStepsRead) {
  // Spot checks on names the import and the SQL steps depend on, at their
  // exact positions.
  auto column = [](const std::string& file, int index) {
    const std::string* line = HeaderLineFor(file);
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) start = line->find(',', start) + 1;
    return line->substr(start, line->find(',', start) - start);
  };
  EXPECT_EQ(column("ACCOUNTSECTIONS.TXT", 2), "SID");
  EXPECT_EQ(column("ACCOUNTSECTIONS.TXT", 26), "BAL00");
  EXPECT_EQ(column("ACCOUNTSECTIONS.TXT", 67), "ISBUDGET");
  EXPECT_EQ(column("BOOK.TXT", 21), "CANCELED");
  EXPECT_EQ(column("BOOK.TXT", 43), "RECEIVERID");
  EXPECT_EQ(column("BOOKDETAIL.TXT", 23), "CANCELED");
  EXPECT_EQ(column("BUDGETSECTION.TXT", 1), "BID");
  EXPECT_EQ(column("ITEM.TXT", 25), "NEEDEDSACTION");
  EXPECT_EQ(column("LOAN.TXT", 18), "CANCELED");
  EXPECT_EQ(column("REMAIN.TXT", 8), "ISPLAN");
}

TEST(CatalogueTest, LookupUpperCasesTheFoundName) {
  const auto& catalogue = SourceCatalogue();
  struct Case {
    const char* name;
    const std::string* line;
  };
  const std::vector<Case> cases = {
      {"BOOK.TXT", &catalogue[1].header_line},
      {"book.txt", &catalogue[1].header_line},
      {"BookDetail.Txt", &catalogue[2].header_line},
      {"remain.txt", &catalogue[6].header_line},
      {"accountsections.txt", &catalogue[0].header_line},
      {"BOOK", nullptr},
      {"BOOK.TXT ", nullptr},
      {"XBOOK.TXT", nullptr},
      {"notes.txt", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(HeaderLineFor(c.name), c.line) << c.name;
}

}  // namespace
}  // namespace dt
