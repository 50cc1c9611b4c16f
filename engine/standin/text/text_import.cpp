// Bulk load of a text file: the table is created and filled inside one
// transaction through one prepared INSERT, the records read and decoded
// ahead on a second thread (read_ahead.h) and their field views bound
// without copying, so the load streams at close to SQLite's own speed.
#include "engine/standin/text/text_import.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/error.h"
#include "engine/standin/sql/emitter.h"
#include "engine/standin/store/schema.h"
#include "engine/standin/text/read_ahead.h"
#include "engine/standin/text/text_reader.h"

namespace dt::engine::standin {
namespace {

// Settings for a bulk load on this connection: a large page cache and
// temporary structures in memory. Syncing stays FULL and the rollback journal
// on disk: with one transaction per file their cost is a few syncs per table
// (measured: no difference on a million rows), and an interrupted load, even
// by a power cut, leaves the file as it was.
void PrepareForBulkLoad(Database& db) {
  db.Exec("PRAGMA cache_size = -65536");
  db.Exec("PRAGMA temp_store = MEMORY");
}

// Where the reader stands in `file`, for an error of `step` there.
TextPosition Where(const RecordSource& reader, const std::string& file, TextStep step) {
  return TextPosition{file, static_cast<std::int64_t>(reader.Line()), reader.Offset(), step};
}

}  // namespace

std::int64_t ImportTextFile(Database& target, const std::string& table,
                            const std::string& file_path, CharacterSet character_set) {
  RequireNoTable(target, table);
  TextReader reader(file_path, character_set);
  const std::vector<std::string>& columns = reader.Columns();
  if (columns.empty()) {
    throw Error(ErrorKind::kTextFormat, "has no header line",
                Where(reader, file_path, TextStep::kFindHeader));
  }

  // More fields than a table of the database takes: said here, in the
  // engine's words, rather than by the statement that would fail.
  const int most = sqlite3_limit(target.get(), SQLITE_LIMIT_COLUMN, -1);
  if (columns.size() > static_cast<std::size_t>(most)) {
    throw Error(ErrorKind::kTooComplex,
                "Too many fields defined: the engine takes at most " + std::to_string(most),
                Where(reader, file_path, TextStep::kImportHeader));
  }

  PrepareForBulkLoad(target);
  Transaction transaction(target);
  std::string create = "CREATE TABLE " + QuoteName(table) + " (";
  std::string insert = "INSERT INTO " + QuoteName(table) + " VALUES (";
  try {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      create += (i > 0 ? ", " : "") + QuoteName(columns[i]) + " TEXT";
      insert += i > 0 ? ", ?" : "?";
    }
    target.Exec(create + ")");
  } catch (const Error& error) {
    throw Error(error.kind(), error.detail(), Where(reader, file_path, TextStep::kImportHeader));
  }
  Statement statement(target, insert + ")");

  std::vector<std::optional<std::string_view>> fields;
  std::int64_t rows = 0;
  ReadAhead records(reader);
  while (records.Next(fields)) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const int index = static_cast<int>(i + 1);
      if (fields[i]) {
        statement.BindStatic(index, *fields[i]);
      } else {
        statement.BindNull(index);
      }
    }
    try {
      statement.Step();
    } catch (const Error& error) {
      throw Error(error.kind(), error.detail(), Where(records, file_path, TextStep::kImportLine));
    }
    statement.Reset();
    ++rows;
  }
  transaction.Commit();
  return rows;
}

}  // namespace dt::engine::standin
