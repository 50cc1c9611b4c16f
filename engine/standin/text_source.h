// A folder of text files opened by the stand-in engine with "Extended Properties=text".
// It runs one kind of statement, the import:
//   SELECT * INTO <table> IN "<database file>" FROM <file name>
// where the file is found in the folder ignoring letter case (a name holding
// a path delimiter names no file of the folder) and the database file must
// exist. The file is read in the character set that the folder's schema.ini
// gives it, as the host's provider reads it, else in the connection's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/standin/text/import_target.h"
#include "platform/encoding_detection.h"

namespace dt::engine::standin {

class TextSource {
 public:
  // What a text source answers to any other statement or call.
  static constexpr const char* kOnlyImport =
      "A text data source runs only SELECT * INTO <table> IN \"<database>\" FROM <file>";

  // REQUIRES nothing; raises engine::Error when `folder` is no folder. Its
  // files that schema.ini does not describe are read in `character_set`
  // (kDetect: each as its bytes tell). Imports write through `target`, which
  // the caller owns and may keep beyond this source, so that the next import
  // finds the database open.
  TextSource(std::string folder, platform::CharacterSet character_set, ImportTarget& target);

  // Runs the import `sql` and returns the number of rows it stored; raises
  // engine::Error (kUnsupported, kOnlyImport) for any other statement.
  std::int64_t Import(std::string_view sql);

 private:
  // The path of the file `name` in the folder, letter case ignored;
  // nullopt when there is none. A name that is no name of a file in the
  // folder raises.
  std::optional<std::string> LookUp(const std::string& name) const;
  // The same, raising when there is none.
  std::string FindFile(const std::string& name) const;
  // The character set the file `name` is read in.
  platform::CharacterSet CharacterSetOf(const std::string& name) const;

  std::string folder_;
  platform::CharacterSet character_set_;
  ImportTarget& target_;
};

}  // namespace dt::engine::standin
