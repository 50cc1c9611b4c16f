// The first bytes of an Access database file, for the tests that tell a
// template's format: a page start, the engine's name at 4 and its version at
// 0x14, then anything.
#pragma once

#include <string>
#include <string_view>

#include "engine/database_format.h"

namespace dt::testing {

inline std::string AccessHeader(std::string_view name, char version) {
  std::string header("\x00\x01\x00\x00", 4);
  header += name;
  header.resize(0x14, '\0');
  header += version;
  header.resize(engine::kDatabaseHeaderSize, '\x5A');
  return header;
}

}  // namespace dt::testing
