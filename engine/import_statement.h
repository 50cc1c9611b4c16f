// How the engines read a text import, SELECT * INTO <table> IN "<database>"
// FROM <file>: the names as the statement gives them to the engine, which
// are not always the names it was joined from (a name holding a space, a
// bracket or a dot reads as another name, or another file).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dt::engine {

struct ImportReading {
  std::string table;     // the table the statement makes
  std::string database;  // the database it makes it in
  std::string file;      // the text file it reads, as named in the folder
};

// The reading of `sql` (UTF-8) as a text import; nullopt when it is none,
// or cannot be read at all (such a statement fails when it runs).
std::optional<ImportReading> ReadImportStatement(std::string_view sql);

}  // namespace dt::engine
