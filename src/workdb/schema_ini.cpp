// The schema.ini section of one staged file.
#include "src/workdb/schema_ini.h"

#include <string_view>
#include <vector>

#include "engine/header_names.h"
#include "platform/codepage.h"

namespace dt {
namespace {

// The header fields as the text driver reads them, in UTF-8: code page 936
// decoded, UTF-8 with each malformed sequence made '?'.
std::vector<std::string> DriverFields(const std::vector<std::string>& fields, bool utf8) {
  std::vector<std::string> text;
  text.reserve(fields.size());
  for (const std::string& field : fields) {
    text.push_back(utf8 ? platform::Utf16ToUtf8(platform::Utf8ToUtf16(field))
                        : platform::AnsiToUtf8(field));
  }
  return text;
}

// `name` between double quotes, a quote inside it doubled.
std::string Quoted(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
  return out;
}

}  // namespace

std::string SchemaSection(const StagedFile& file) {
  const bool utf8 = file.encoding == platform::TextEncoding::kUtf8;
  std::string section = "[" + file.file_name + "]\r\n";
  section += "ColNameHeader=True\r\nFormat=CSVDelimited\r\nMaxScanRows=0\r\n";
  section += utf8 ? "CharacterSet=65001\r\n" : "CharacterSet=936\r\n";
  if (!file.header_fields) return section;

  // The names the stand-in gives, which code page 936 holds whole.
  const std::vector<std::string> names =
      engine::HeaderNames(DriverFields(*file.header_fields, utf8));
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool long_values = i < file.long_columns.size() && file.long_columns[i];
    section += "Col" + std::to_string(i + 1) + "=" + Quoted(platform::Utf8ToAnsi(names[i])) +
               (long_values ? " LongChar\r\n" : " Text\r\n");
  }
  return section;
}

}  // namespace dt
