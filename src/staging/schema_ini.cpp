// The schema.ini section of one staged file.
#include "src/staging/schema_ini.h"

#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "src/staging/text_utils.h"

namespace dt {
namespace {

// The fields of a header line, as the text driver reads a line of fields.
std::vector<std::string> HeaderFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool field_start = true;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == ',') {
      fields.emplace_back();
      field_start = true;
      continue;
    } else if (c == '"' && field_start) {
      quoted = true;
    } else {
      fields.back() += c;
    }
    field_start = false;
  }
  return fields;
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
  if (!file.header_line || file.header_line->empty()) return section;

  const std::string header = utf8 ? platform::Utf8ToAnsi(*file.header_line) : *file.header_line;
  const std::vector<std::string> fields = HeaderFields(header);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string position = std::to_string(i + 1);
    std::string name(platform::Trim(fields[i]));
    if (name.empty()) name = "F" + position;
    section += "Col" + position + "=" + Quoted(name) + " Text\r\n";
  }
  return section;
}

}  // namespace dt
