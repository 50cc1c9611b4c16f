// Jet connection strings: "key=value" pairs separated by ";", keys ignoring
// letter case, values taken as written (they may be empty or hold "=").
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

}  // namespace dt::engine::standin
