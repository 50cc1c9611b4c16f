// The stand-in engine: the host's database engine (ADO with the Jet 4.0
// OLE DB provider and its text driver) stood in for over SQLite.
//
// It opens one data source, named by a Jet connection string:
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<file>;...        a database file
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<folder>;Extended Properties=text;...
//                                                                  a folder of text files
//   ...;Extended Properties="text;CharacterSet=936";...             its files in code page 936
//   ...;Extended Properties="text;CharacterSet=65001";...           its files in UTF-8
// A folder of text files (text_source.h) runs only the import, SELECT *
// INTO <table> IN "<database>" FROM <file>; everything else needs a database
// (database_source.h), and on a text folder raises ErrorKind::kUnsupported.
// Statements arrive in the Jet SQL dialect and are translated to SQLite.
// The contracts are those of engine.h; what this engine adds:
//
// Text compares as the Windows engine compares it, ignoring ASCII letter
// case and trailing spaces (store/text_comparison.h); values are stored as
// they are. A text field declared with a size refuses a longer value
// (ErrorKind::kFieldTooSmall). A statement that fails changes nothing; the
// file stays a sound database that SQLite's own tools read with nothing
// registered.
#pragma once

#include <memory>

#include "engine/engine.h"
#include "engine/error.h"
#include "engine/standin/text/import_target.h"

namespace dt::engine::standin {

class DatabaseSource;
class TextSource;

class StandInEngine : public Engine {
 public:
  StandInEngine();
  ~StandInEngine() override;
  StandInEngine(const StandInEngine&) = delete;
  StandInEngine& operator=(const StandInEngine&) = delete;

  // Fails for a provider other than Microsoft.Jet.OLEDB.4.0 (letter case
  // ignored), a missing database file or text folder. A 0-byte database
  // file is an empty database.
  void Open(std::string_view connection_string) override;
  void Close() override;
  bool IsOpen() const override;
  std::int64_t Execute(std::string_view sql) override;
  // Values are texts: a number gives its decimal text. A statement without
  // a result set (anything but a SELECT without INTO) is not run.
  Snapshot Query(std::string_view sql) override;
  // Also raises for a row or column out of range, a column that is no field
  // of the table, and a row that no longer exists.
  void UpdateRow(const Snapshot& snapshot, std::size_t row,
                 const std::vector<Change>& changes) override;
  // Values never enter SQL text. The leaves whose rows all keep their size
  // are patched without the rollback journal, each whole, and those written
  // stay written when a failure stops the pass; the rows from the first
  // that needs SQL on are one journaled statement (page_rewrite.h).
  void RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                      const std::vector<std::string>& set_columns,
                      const std::vector<std::string>& keys, const Rewrite& rewrite) override;
  bool HasTable(std::string_view table) override;
  // Every statement commits as it ends, so the file already holds it all.
  void Flush() override;

 private:
  // The database source open now; raises when a text folder is open
  // instead, or nothing.
  DatabaseSource& Database();

  // The database the imports of text sources write to, open from one text
  // source to the next; let go of before a database source opens, and when
  // the engine flushes or goes.
  ImportTarget import_target_;
  // What is open: a text folder or a database, never both.
  std::unique_ptr<TextSource> text_;
  std::unique_ptr<DatabaseSource> database_;
};

}  // namespace dt::engine::standin
