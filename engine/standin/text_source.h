// A folder of text files opened by the stand-in engine with "Extended Properties=text".
// It runs one kind of statement, the import:
//   SELECT * INTO <table> IN "<database file>" FROM <file name>
// where the file is found in the folder ignoring letter case (a name holding
// a path delimiter names no file of the folder) and the database file must
// exist. The file is read in the character set that the folder's schema.ini
// gives it, as the host's provider reads it, else in the connection's.
// Everything else fails with a engine::Error saying so.
#pragma once

#include <optional>
#include <string>

#include "engine/standin/data_source.h"
#include "engine/standin/text/import_target.h"
#include "platform/encoding_detection.h"

namespace dt::engine::standin {

class TextSource : public DataSource {
 public:
  // REQUIRES nothing; raises engine::Error when `folder` is no folder. Its
  // files that schema.ini does not describe are read in `character_set`
  // (kDetect: each as its bytes tell). Imports write through `target`, which
  // the caller owns and may keep beyond this source, so that the next import
  // finds the database open.
  TextSource(std::string folder, platform::CharacterSet character_set, ImportTarget& target);

  std::int64_t Execute(std::string_view sql) override;
  Snapshot Query(std::string_view sql) override;
  void UpdateRow(const Snapshot& snapshot, std::size_t row,
                 const std::vector<Change>& changes) override;
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns,
                      const std::vector<std::string>& keys, const Rewrite& rewrite) override;
  // A text source answers no catalogue questions.
  bool HasTable(std::string_view table) override;

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
