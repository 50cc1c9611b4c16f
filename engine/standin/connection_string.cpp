// Reading of the connection strings the data access component hands over,
// and of schema.ini.
#include "engine/standin/connection_string.h"

#include <algorithm>

#include "engine/error.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

using platform::EqualIgnoringAsciiCase;
using platform::TrimSpacesAndTabs;

platform::CharacterSet ReadCharacterSet(std::string_view value) {
  if (value == "936" || EqualIgnoringAsciiCase(value, "ANSI")) {
    return platform::CharacterSet::kCodePage936;
  }
  if (value == "65001") return platform::CharacterSet::kUtf8;
  throw Error(ErrorKind::kInvalidArgument,
              "CharacterSet '" + std::string(value) +
                  "' is not supported: the text driver reads 936 (ANSI) or 65001 (UTF-8)");
}

// Reads Extended Properties into `settings`: the text driver when its first
// item, before any ";" inside quotes, is "text" (letter case ignored), and
// then its CharacterSet item. Other items are left to the driver's defaults.
void ReadExtendedProperties(std::string_view properties, ConnectionSettings& settings) {
  if (properties.size() >= 2 && (properties.front() == '"' || properties.front() == '\'') &&
      properties.back() == properties.front()) {
    properties = properties.substr(1, properties.size() - 2);
  }
  const std::size_t first_end = std::min(properties.find(';'), properties.size());
  settings.text =
      EqualIgnoringAsciiCase(TrimSpacesAndTabs(properties.substr(0, first_end)), "text");
  settings.character_set = platform::CharacterSet::kDetect;
  if (!settings.text) return;
  for (std::size_t pos = first_end; pos < properties.size();) {
    const std::size_t end = std::min(properties.find(';', pos + 1), properties.size());
    const std::string_view item = properties.substr(pos + 1, end - pos - 1);
    const std::size_t equals = item.find('=');
    if (equals != std::string_view::npos &&
        EqualIgnoringAsciiCase(TrimSpacesAndTabs(item.substr(0, equals)), "CharacterSet")) {
      settings.character_set = ReadCharacterSet(TrimSpacesAndTabs(item.substr(equals + 1)));
    }
    pos = end;
  }
}

}  // namespace

ConnectionSettings ParseConnectionString(std::string_view connection_string) {
  ConnectionSettings settings;
  bool has_provider = false;
  bool has_source = false;
  std::size_t pos = 0;
  const std::string_view text = connection_string;
  while (pos < text.size()) {
    std::size_t end = text.find(';', pos);
    const std::size_t equals = text.find('=', pos);
    if (equals != std::string_view::npos && (end == std::string_view::npos || equals < end)) {
      // A value in quotes may hold ";" (Extended Properties="text;HDR=Yes").
      std::size_t value_start = equals + 1;
      while (value_start < text.size() && text[value_start] == ' ') ++value_start;
      if (value_start < text.size() && (text[value_start] == '"' || text[value_start] == '\'')) {
        const std::size_t close = text.find(text[value_start], value_start + 1);
        if (close != std::string_view::npos) end = text.find(';', close);
      }
    }
    if (end == std::string_view::npos) end = text.size();
    const std::string_view pair = text.substr(pos, end - pos);
    pos = end + 1;
    if (TrimSpacesAndTabs(pair).empty()) continue;
    const std::size_t split = pair.find('=');
    if (split == std::string_view::npos) {
      throw Error(
          ErrorKind::kInvalidArgument,
          "Invalid connection string: '" + std::string(TrimSpacesAndTabs(pair)) + "' has no value");
    }
    const std::string_view key = TrimSpacesAndTabs(pair.substr(0, split));
    const std::string_view value = TrimSpacesAndTabs(pair.substr(split + 1));
    if (EqualIgnoringAsciiCase(key, "Provider")) {
      settings.provider = std::string(value);
      has_provider = true;
    } else if (EqualIgnoringAsciiCase(key, "Data Source")) {
      settings.data_source = std::string(value);
      has_source = true;
    } else if (EqualIgnoringAsciiCase(key, "Extended Properties")) {
      ReadExtendedProperties(value, settings);
    }
  }
  if (!has_provider) {
    throw Error(ErrorKind::kNotFound, "Provider cannot be found: the connection string names none");
  }
  if (!EqualIgnoringAsciiCase(settings.provider, "Microsoft.Jet.OLEDB.4.0")) {
    throw Error(ErrorKind::kNotFound,
                "Provider '" + settings.provider + "' not found: it may not be properly installed");
  }
  if (!has_source || settings.data_source.empty()) {
    throw Error(ErrorKind::kInvalidArgument, "The connection string names no Data Source");
  }
  return settings;
}

std::optional<platform::CharacterSet> SchemaCharacterSet(std::string_view schema,
                                                         std::string_view file_name) {
  bool in_section = false;
  while (!schema.empty()) {
    const std::size_t end = std::min(schema.find_first_of("\r\n"), schema.size());
    const std::string_view line = TrimSpacesAndTabs(schema.substr(0, end));
    schema.remove_prefix(std::min(end + 1, schema.size()));
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      in_section = close != std::string_view::npos &&
                   EqualIgnoringAsciiCase(TrimSpacesAndTabs(line.substr(1, close - 1)), file_name);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (in_section && equals != std::string_view::npos &&
        EqualIgnoringAsciiCase(TrimSpacesAndTabs(line.substr(0, equals)), "CharacterSet")) {
      return ReadCharacterSet(TrimSpacesAndTabs(line.substr(equals + 1)));
    }
  }
  return std::nullopt;
}

}  // namespace dt::engine::standin
