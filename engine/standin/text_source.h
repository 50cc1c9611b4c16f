// A folder of text files opened by the stand-in engine with "Extended Properties=text".
// It runs one kind of statement, the import:
//   SELECT * INTO <table> IN "<database file>" FROM <file name>
// where the file is found in the folder ignoring letter case (a name holding
// a path delimiter names no file of the folder) and the database file must
// exist. Everything else fails with a engine::Error saying so.
#pragma once

#include <string>

#include "engine/standin/data_source.h"
#include "engine/standin/text/encoding_detection.h"
#include "engine/standin/text/import_target.h"

namespace dt::engine::standin {

class TextSource : public DataSource {
 public:
  // REQUIRES nothing; raises engine::Error when `folder` is no folder. Its
  // files are read in `character_set` (kDetect: each as its bytes tell).
  // Imports write through `target`, which the caller owns and may keep
  // beyond this source, so that the next import finds the database open.
  TextSource(std::string folder, CharacterSet character_set, ImportTarget& target);

  std::int64_t Execute(std::string_view sql) override;
  Snapshot Query(std::string_view sql) override;
  void UpdateRow(const Snapshot& snapshot, std::size_t row,
                 const std::vector<Change>& changes) override;
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns, const Rewrite& rewrite) override;
  // A text source answers no catalogue questions.
  bool HasTable(std::string_view table) override;

 private:
  // The path of the file `name` in the folder, letter case ignored.
  std::string FindFile(const std::string& name) const;

  std::string folder_;
  CharacterSet character_set_;
  ImportTarget& target_;
};

}  // namespace dt::engine::standin
