// The column scan: which columns hold a value longer than the provider's
// Text field, values measured as the text driver reads them, whatever
// pieces the staged bytes arrive in.
#include "src/staging/column_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"

namespace dt {
namespace {

using platform::TextEncoding;
using Long = std::vector<bool>;

std::string Repeat(const std::string& text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

std::string U8(std::u8string_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

ColumnScan::Columns Scan(const std::string& text, TextEncoding encoding, std::size_t piece) {
  ColumnScan scan;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    scan.Take(std::string_view(text).substr(at, piece));
  }
  return std::move(scan).Finish(encoding);
}

TEST(ColumnScanTest, ALongValueIsOneOfMoreThan255CharactersAsTheDriverReadsIt) {
  const std::string gbk = platform::Ansi(u8"中");  // two bytes, one character
  const std::string utf8 = U8(u8"中");             // three bytes, one character
  const std::string wide = U8(u8"😀");              // beyond U+FFFF: two places in UTF-16
  // Many short lines, so that a long value is found among lines passed over.
  const std::string lines = Repeat("1,2024,B1,summary text,101.01\r\n", 50);
  struct Case {
    const char* what;
    std::string data;  // after the header line A,B,C
    TextEncoding encoding;
    Long expected;
  };
  const std::vector<Case> cases = {
      {"ASCII, 255",
       lines + "1," + std::string(255, 'x') + ",3\r\n" + lines,
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"ASCII, 256",
       lines + "1," + std::string(256, 'x') + ",3\r\n" + lines,
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"double-byte, 255",
       lines + "1," + Repeat(gbk, 255) + "\r\n",
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"double-byte, 256",
       lines + "1," + Repeat(gbk, 256) + "\r\n",
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"a lead byte before no trail byte is one by itself",
       "1," + Repeat("\x81\x31", 128) + "\r\n",  // 0x31 is '1', no trail byte
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"UTF-8, 255",
       lines + "1," + Repeat(utf8, 255) + "\r\n",
       TextEncoding::kUtf8,
       {false, false, false}},
      {"UTF-8, 256",
       lines + "1," + Repeat(utf8, 256) + "\r\n",
       TextEncoding::kUtf8,
       {false, true, false}},
      {"beyond U+FFFF, 127 and one",
       "1," + Repeat(wide, 127) + "x\r\n",
       TextEncoding::kUtf8,
       {false, false, false}},
      {"beyond U+FFFF, 128",
       "1," + Repeat(wide, 128) + "\r\n",
       TextEncoding::kUtf8,
       {false, true, false}},
      {"malformed UTF-8, one '?' a sequence",
       "1," + Repeat("\xF0\x80\x80\x80", 255) + "\r\n",
       TextEncoding::kUtf8,
       {false, false, false}},
      {"quoted, a doubled quote is one, 255",
       "1,\"" + std::string(254, 'x') + "\"\"\"\r\n",
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"quoted, a doubled quote is one, 256",
       "1,\"" + std::string(255, 'x') + "\"\"\"\r\n",
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"quoted commas and line breaks are text, 255",
       lines + "\"" + std::string(100, 'x') + ",\r\n" + std::string(152, 'y') + "\",2\r\n" + lines,
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"quoted commas and line breaks are text, 256",
       lines + "\"" + std::string(100, 'x') + ",\r\n" + std::string(153, 'y') + "\",2\r\n" + lines,
       TextEncoding::kCodePage936,
       {true, false, false}},
      {"bytes after the closing quote belong to the value",
       "1,\"" + std::string(200, 'x') + "\"" + std::string(56, 'y') + "\r\n",
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"a quote inside an unquoted value is text",
       "1,x\"" + std::string(254, 'y') + "\r\n",
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"fields of 255 side by side",
       lines + Repeat(std::string(255, 'x') + ",", 2) + std::string(255, 'x') + "\r\n" + lines,
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"fields beyond the header's are not read",
       "1,2,3," + std::string(300, 'x') + "\r\n",
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"a quote left open keeps all but the file's last line end, 255",
       "1,\"" + std::string(253, 'x') + "\r\n\r\n",
       TextEncoding::kCodePage936,
       {false, false, false}},
      {"a quote left open keeps all but the file's last line end, 256",
       "1,\"" + std::string(254, 'x') + "\r\n\r\n",
       TextEncoding::kCodePage936,
       {false, true, false}},
      {"a quote left open, long",
       "1,\"" + std::string(3000, 'x') + "\r\n",
       TextEncoding::kCodePage936,
       {false, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = "A,B,C\r\n" + c.data;
    for (const std::size_t piece :
         {std::size_t{1}, std::size_t{3}, std::size_t{130}, text.size()}) {
      SCOPED_TRACE(piece);
      const ColumnScan::Columns columns = Scan(text, c.encoding, piece);
      EXPECT_EQ(columns.header_fields, (std::vector<std::string>{"A", "B", "C"}));
      EXPECT_EQ(columns.long_columns, c.expected);
    }
  }
}

// The header record's fields are the names' source; a long header name
// makes no long column.
TEST(ColumnScanTest, TheHeaderRecordIsReadAsTheDriverReadsIt) {
  struct Case {
    const char* what;
    std::string text;
    TextEncoding encoding;
    std::optional<std::vector<std::string>> fields;
    Long expected;
  };
  const std::string mark = "\xEF\xBB\xBF";
  const std::string name(300, 'N');
  const std::vector<Case> cases = {
      {"empty lines first",
       "\r\n\r\n" + name + ",\"b,\r\n\"\"c\"\"\"\r\n1,2\r\n",
       TextEncoding::kCodePage936,
       std::vector<std::string>{name, "b,\r\n\"c\""},
       {false, false}},
      {"a mark skipped",
       mark + "\"A\",B\r\n",
       TextEncoding::kUtf8,
       std::vector<std::string>{"A", "B"},
       {false, false}},
      {"a mark that is text",
       mark + "A,B\r\n",
       TextEncoding::kCodePage936,
       std::vector<std::string>{mark + "A", "B"},
       {false, false}},
      {"no record", "\r\n\r\n", TextEncoding::kCodePage936, std::vector<std::string>{}, {}},
      {"too long to name",
       std::string(kLongestHeaderLine + 1, 'A') + "\r\n1\r\n",
       TextEncoding::kCodePage936,
       std::nullopt,
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, c.text.size()}) {
      // The mark is told only from a first piece that holds it.
      if (piece < 3 && c.text.starts_with(mark)) continue;
      const ColumnScan::Columns columns = Scan(c.text, c.encoding, piece);
      EXPECT_EQ(columns.header_fields, c.fields);
      EXPECT_EQ(columns.long_columns, c.expected);
    }
  }
}

}  // namespace
}  // namespace dt
