// Bulk load of a text file: the table is created and filled inside one
// transaction through one prepared INSERT, the records read and decoded
// ahead on a second thread (read_ahead.h) and only the fields that differ
// from the record before bound again, so the load streams at close to
// SQLite's own speed.
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
// temporary structures in memory, and no wait for the disk at the commit, as
// for the work database's own session. A table costs four syncs otherwise,
// nothing beside a million rows but most of the time of a small file (20 ms
// a file on the development machine, against 2 ms without). The rollback
// journal stays on disk, so a load cut short by a crash of the program
// leaves the file as it was; the whole file reaches the disk once, before
// a run reports success.
void PrepareForBulkLoad(Database& db) {
  db.Exec("PRAGMA cache_size = -65536");
  db.Exec("PRAGMA temp_store = MEMORY");
  db.Exec("PRAGMA synchronous = OFF");
}

// Where the reader stands in `file`, for an error of `step` there.
TextPosition Where(const RecordSource& reader, const std::string& file, TextStep step) {
  return TextPosition{file, static_cast<std::int64_t>(reader.Line()), reader.Offset(), step};
}

}  // namespace

std::int64_t ImportTextFile(Database& target, const std::string& table,
                            const std::string& file_path, platform::CharacterSet character_set) {
  RequireNoTable(target, table);
  TextReader reader(file_path, character_set);
  const std::vector<std::string>& columns = reader.Columns();
  if (columns.empty()) {
    throw Error(ErrorKind::kTextFormat, "has no header line",
                Where(reader, file_path, TextStep::kFindHeader));
  }

  // The host's text driver reads at most 255 fields and records of at most
  // 65,000 bytes; the stand-in refuses what it refuses, so that no file
  // imports here that cannot import there.
  if (columns.size() > kMostTextFields) {
    throw Error(ErrorKind::kTooComplex, "Too many fields defined.",
                Where(reader, file_path, TextStep::kImportHeader));
  }
  reader.LimitRecordBytes(kMostTextRecordBytes);

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
  // Each parameter is bound where its field lies in the read-ahead's
  // batch, without a copy. A field that repeats the record before's (most
  // of an export's do: its set, year, flags, the NULLs of unused columns)
  // is not bound again: the binding of the record before still holds those
  // bytes, which stay valid while the batch lasts, and the first record of
  // a batch repeats nothing, so every parameter is bound anew there.
  Statement statement(target, insert + ")");

  std::vector<std::optional<std::string_view>> fields;
  std::int64_t rows = 0;
  ReadAhead records(reader);
  while (records.Next(fields)) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (records.Repeats(i)) continue;
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
