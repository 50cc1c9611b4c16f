// A database file's format, told by its first bytes, and the engine each
// form opens it with.
#include "engine/database_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/access_header.h"

namespace dt {
namespace {

using namespace std::string_literals;
using engine::DatabaseFormat;
using testing::AccessHeader;

TEST(DatabaseFormatTest, ToldByTheFirstBytes) {
  struct Case {
    const char* what;
    std::string header;
    DatabaseFormat format;
  };
  const std::string sqlite = "SQLite format 3\0\x10\x00\x01\x01"s;
  const std::string jet4 = AccessHeader("Standard Jet DB", 1);
  const std::vector<Case> cases = {
      {"empty", "", DatabaseFormat::kEmpty},
      {"SQLite", sqlite, DatabaseFormat::kSqlite},
      {"SQLite, nothing after its name", "SQLite format 3\0"s, DatabaseFormat::kSqlite},
      {"SQLite's name without its zero", "SQLite format 3.", DatabaseFormat::kUnknown},
      {"SQLite cut short", "SQLite form", DatabaseFormat::kUnknown},
      {"Jet 3", AccessHeader("Standard Jet DB", 0), DatabaseFormat::kJet3},
      {"Jet 4", jet4, DatabaseFormat::kJet4},
      {"ACE", AccessHeader("Standard ACE DB", 2), DatabaseFormat::kAce},
      {"a later ACE", AccessHeader("Standard ACE DB", 5), DatabaseFormat::kAce},
      {"Jet 4 cut before its version", jet4.substr(0, 0x14), DatabaseFormat::kUnknown},
      {"Jet 4, its version alone after the name", jet4.substr(0, 0x15), DatabaseFormat::kJet4},
      {"another page start", "\x00\x02" + jet4.substr(2), DatabaseFormat::kUnknown},
      {"another engine's name", AccessHeader("Standard XYZ DB", 1), DatabaseFormat::kUnknown},
      {"the name in other letter case", AccessHeader("standard jet db", 1),
       DatabaseFormat::kUnknown},
      {"a text file", "SETID,YEAR,SID\r\n1,2024,101\r\n", DatabaseFormat::kUnknown},
      {"one zero byte", "\0"s, DatabaseFormat::kUnknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine::DetectDatabaseFormat(c.header), c.format) << c.what;
  }
}

// Each form's choice, tested on either: the Windows form hands an Access file
// and any file it cannot tell to the host's own engine; the POSIX form has
// the stand-in alone and cannot read an Access file.
TEST(DatabaseFormatTest, EachFormChoosesItsEngine) {
  using engine::EngineKind;
  using engine::Form;
  struct Case {
    DatabaseFormat format;
    std::optional<EngineKind> posix;
    std::optional<EngineKind> windows;
  };
  const std::vector<Case> cases = {
      {DatabaseFormat::kEmpty, EngineKind::kStandIn, EngineKind::kStandIn},
      {DatabaseFormat::kSqlite, EngineKind::kStandIn, EngineKind::kStandIn},
      {DatabaseFormat::kJet3, std::nullopt, EngineKind::kAdo},
      {DatabaseFormat::kJet4, std::nullopt, EngineKind::kAdo},
      {DatabaseFormat::kAce, std::nullopt, std::nullopt},
      {DatabaseFormat::kUnknown, EngineKind::kStandIn, EngineKind::kAdo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(engine::DatabaseFormatName(c.format)));
    EXPECT_EQ(engine::EngineForTemplate(c.format, Form::kPosix), c.posix);
    EXPECT_EQ(engine::EngineForTemplate(c.format, Form::kWindows), c.windows);
  }
}

}  // namespace
}  // namespace dt
