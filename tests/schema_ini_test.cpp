// schema.ini's section of one staged file: every column Text (or LongChar)
// under the name the stand-in gives it, and the file's character set.
#include "src/workdb/schema_ini.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "src/staging/catalogue.h"
#include "tests/header_fields.h"
#include "tests/schema_columns.h"

namespace dt {
namespace {

using Fields = std::vector<std::string>;
using testing::FieldsOf;

std::string U8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

TEST(SchemaSectionTest, DescribesEveryColumnAsTextWithTheFilesCharacterSet) {
  using platform::TextEncoding;
  const std::string settings = "ColNameHeader=True\r\nFormat=CSVDelimited\r\nMaxScanRows=0\r\n";
  EXPECT_EQ(SchemaSection(
                {"Remain.txt", FieldsOf(*HeaderLineFor("REMAIN.TXT")), TextEncoding::kCodePage936}),
            "[Remain.txt]\r\n" + settings +
                "CharacterSet=936\r\n"
                "Col1=\"SETID\" Text\r\nCol2=\"YEAR\" Text\r\nCol3=\"ID\" Text\r\n"
                "Col4=\"SID\" Text\r\nCol5=\"EID\" Text\r\nCol6=\"IID\" Text\r\n"
                "Col7=\"BAL00\" Text\r\nCol8=\"BID\" Text\r\nCol9=\"ISPLAN\" Text\r\n");

  // Nothing to name the columns by: the driver is told the rest.
  for (const std::optional<Fields>& header :
       {std::optional<Fields>(Fields{}), std::optional<Fields>()}) {
    EXPECT_EQ(SchemaSection({"e.txt", header, TextEncoding::kUtf8}),
              "[e.txt]\r\n" + settings + "CharacterSet=65001\r\n");
  }
}

TEST(SchemaSectionTest, NamesStayDistinctInAnsi) {
  using platform::TextEncoding;
  using Column = std::pair<std::string, std::string>;
  // A character the code page cannot hold is not written '?': Jet must
  // still not meet a name twice, and the stand-in names the columns alike.
  EXPECT_EQ(testing::SectionColumns(SchemaSection(
                {"u.txt", Fields{U8(u8"x😀"), U8(u8"x😃"), "x?"}, TextEncoding::kUtf8})),
            (std::vector<Column>{{"x_", "Text"}, {"x_1", "Text"}, {"x?", "Text"}}));
}

}  // namespace
}  // namespace dt
