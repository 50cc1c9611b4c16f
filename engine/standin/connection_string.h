// What a data source is told: its Jet connection string, "key=value" pairs
// separated by ";", keys ignoring letter case, values taken as written (they
// may be empty or hold "="); and, for a folder of text files, schema.ini,
// the description of its files that the host's provider reads, from which
// the text driver takes each file's character set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding_detection.h"

namespace dt::engine::standin {

struct ConnectionSettings {
  std::string provider;     // as written
  std::string data_source;  // a database file, or a folder for text
  bool text = false;        // Extended Properties names the text driver
  // Its CharacterSet item: 936 (or ANSI) or 65001; each file's own
  // encoding when it names none.
  platform::CharacterSet character_set = platform::CharacterSet::kDetect;
};

// Reads `connection_string`. Raises engine::Error when the provider is not
// Microsoft.Jet.OLEDB.4.0 (letter case ignored) or none is named, when the
// data source is missing, for a pair without "=", and for a text driver's
// CharacterSet it cannot read.
ConnectionSettings ParseConnectionString(std::string_view connection_string);

// The CharacterSet item of the section of `schema` (schema.ini's text,
// UTF-8) named after `file_name` (equal to it ignoring ASCII letter case, as
// the provider matches them); nullopt when there is no such section or
// item. Lines are key=value pairs under [section] lines; blank lines and
// those starting with ";" say nothing. The stand-in takes nothing else from
// it: every column it imports is text already, and its names come from the
// file's header line. Raises engine::Error for a CharacterSet it cannot read.
std::optional<platform::CharacterSet> SchemaCharacterSet(std::string_view schema,
                                                         std::string_view file_name);

}  // namespace dt::engine::standin
