// Statements on a work database: each kind checked against the catalogue,
// translated and run.
#include "engine/standin/database_source.h"

#include <filesystem>
#include <system_error>
#include <type_traits>
#include <variant>

#include "engine/jetsql/column_types.h"
#include "engine/standin/sql/emitter.h"
#include "engine/standin/sql/jet_functions.h"
#include "engine/jetsql/parser.h"
#include "engine/standin/store/auto_increment.h"
#include "engine/standin/store/failure_diagnosis.h"
#include "engine/standin/store/join_indexes.h"
#include "engine/standin/store/lookup_table.h"
#include "engine/standin/store/schema.h"
#include "engine/standin/store/statement_scope.h"
#include "engine/standin/store/text_comparison.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

constexpr std::string_view kTargetSchema = "jet_target";

// Another database file attached for the length of one SELECT ... INTO ... IN.
class AttachedDatabase {
 public:
  AttachedDatabase(Database& db, const std::string& path) : db_(db) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(platform::PathOf(path), error)) {
      throw Error(ErrorKind::kNotFound, "Could not find file '" + path + "'");
    }
    RequireOpenablePath(path);
    Statement attach(db, "ATTACH DATABASE ?1 AS " + QuoteName(kTargetSchema));
    attach.BindText(1, path);
    attach.Step();
  }
  AttachedDatabase(const AttachedDatabase&) = delete;
  AttachedDatabase& operator=(const AttachedDatabase&) = delete;
  ~AttachedDatabase() {
    const std::string detach = "DETACH DATABASE " + QuoteName(kTargetSchema);
    sqlite3_exec(db_.get(), detach.c_str(), nullptr, nullptr, nullptr);
  }

 private:
  Database& db_;
};

std::int64_t CountRows(const Database& db, std::string_view schema, const std::string& table) {
  Statement count(db, "SELECT count(*) FROM " + QuoteName(schema) + "." + QuoteName(table));
  count.Step();
  return count.ColumnInt(0);
}

// The open database file as SQLite's file layer holds it, or nullptr.
sqlite3_file* MainFile(Database& db) {
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      file == nullptr || file->pMethods == nullptr) {
    return nullptr;
  }
  return file;
}

// True when the system refuses to delete a file while it is open.
bool OpenFilesUndeletable(Database& db) {
  sqlite3_file* file = MainFile(db);
  if (file == nullptr) return true;  // unknown: as if so, which only costs time
  return (file->pMethods->xDeviceCharacteristics(file) & SQLITE_IOCAP_UNDELETABLE_WHEN_OPEN) != 0;
}

std::int64_t RunChanging(Database& db, const std::string& sql) {
  Statement statement(db, sql);
  while (statement.Step()) {
  }
  return db.Changes();
}

}  // namespace

DatabaseSource::DatabaseSource(const std::string& path) : db_(Database::OpenExisting(path)) {
  RegisterJetFunctions(db_.get());
  RegisterLookupModule(db_.get());
  // Whole-table statements over millions of rows, in bounded memory: a
  // 32 MiB page cache, and the sorting that builds a join's indexes in as
  // much again, the rest spilled to a temporary file.
  db_.Exec("PRAGMA cache_size = -32768");
  db_.Exec("PRAGMA temp_store = FILE");
  // Rows are also posted one at a time, each a transaction of its own and
  // visible at once to every reader of the file, so the commits do not wait
  // for the disk. The rollback journal stays on disk, so a failed statement
  // or a crash of the program still leaves a sound file; the file is synced
  // once, when the session closes, so a completed run's database is whole
  // on disk.
  db_.Exec("PRAGMA synchronous = OFF");
  // Nor does each commit make and delete the journal file: it is kept with
  // its header cleared, which costs far less, and a journal without its
  // header is as finished as one deleted, for any engine. Where the system
  // cannot delete a file that is open (Windows), SQLite keeps such a
  // journal open between transactions, and another connection that deletes
  // its journal would fail: there it is deleted.
  if (!OpenFilesUndeletable(db_)) db_.Exec("PRAGMA journal_mode = PERSIST");
}

DatabaseSource::~DatabaseSource() {
  // The kept journal is not left beside the database.
  sqlite3_exec(db_.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
  if (sqlite3_file* file = MainFile(db_)) file->pMethods->xSync(file, SQLITE_SYNC_FULL);
}

std::int64_t DatabaseSource::Execute(std::string_view sql) {
  last_row_update_.reset();
  ParsedStatement parsed = Parse(sql);
  try {
    return std::visit([&](auto& statement) { return Run(statement, parsed); }, parsed);
  } catch (const SqliteFailure& failure) {
    throw ExplainFailure(db_, parsed, failure);
  }
}

bool DatabaseSource::HasTable(std::string_view table) { return FindTable(db_, table).has_value(); }

std::int64_t DatabaseSource::Run(Select& statement, ParsedStatement& parsed) {
  const StatementScope scope = StatementScope::Of(db_, statement);
  MarkTextComparisons(parsed, scope);
  if (!statement.into) {
    // Reads only: the indexes go again with the transaction.
    const JoinIndexes indexes(db_, statement, scope);
    Statement run(db_, EmitSelect(statement));
    while (run.Step()) {
    }
    return 0;
  }
  std::optional<AttachedDatabase> attached;
  std::string_view schema = "main";
  if (statement.into_db) {
    attached.emplace(db_, *statement.into_db);
    schema = kTargetSchema;
  }
  RequireNoTable(db_, *statement.into, schema);
  JoinIndexes indexes(db_, statement, scope);
  RunChanging(db_, "CREATE TABLE " + QuoteName(schema) + "." + QuoteName(*statement.into) + " AS " +
                       EmitSelect(statement));
  const std::int64_t rows = CountRows(db_, schema, *statement.into);
  indexes.Commit();
  return rows;
}

std::int64_t DatabaseSource::Run(Insert& statement, ParsedStatement& parsed) {
  const std::string table = RequireTable(db_, statement.table);
  const std::vector<ColumnInfo> columns = ColumnsOf(db_, table);
  for (const std::string& column : statement.columns) {
    RequireColumn(columns, column, statement.table);
  }
  if (!statement.select) {
    MarkTextComparisons(parsed, StatementScope());
    return RunChanging(db_, EmitInsert(statement));
  }
  const StatementScope scope = StatementScope::Of(db_, *statement.select);
  MarkTextComparisons(parsed, scope);
  JoinIndexes indexes(db_, *statement.select, scope);
  const std::int64_t rows = RunChanging(db_, EmitInsert(statement));
  indexes.Commit();
  return rows;
}

std::int64_t DatabaseSource::Run(Update& statement, ParsedStatement& parsed) {
  const StatementScope scope = StatementScope::OfTable(db_, statement.table);
  for (const Assignment& assignment : statement.assignments) {
    RequireColumn(scope.tables()[0].columns, assignment.column, statement.table);
  }
  MarkTextComparisons(parsed, scope);
  return RunChanging(db_, EmitUpdate(statement));
}

std::int64_t DatabaseSource::Run(Delete& statement, ParsedStatement& parsed) {
  MarkTextComparisons(parsed, StatementScope::OfTable(db_, statement.table));
  return RunChanging(db_, EmitDelete(statement));
}

std::int64_t DatabaseSource::Run(CreateTable& statement, ParsedStatement&) {
  RequireNoTable(db_, statement.table);
  RunChanging(db_, EmitCreateTable(statement));
  return 0;
}

std::int64_t DatabaseSource::Run(AddColumn& statement, ParsedStatement&) {
  const std::string table = RequireTable(db_, statement.table);
  for (const ColumnInfo& column : ColumnsOf(db_, table)) {
    if (platform::EqualIgnoringAsciiCase(column.name, statement.column.name)) {
      throw Error(ErrorKind::kAlreadyExists, "Field '" + statement.column.name +
                                                 "' already exists in table '" + statement.table +
                                                 "'");
    }
  }
  if (LookUpColumnType(statement.column.type)->auto_increment) {
    AddAutoIncrementColumn(db_, table, statement.column.name);
  } else {
    RunChanging(
        db_, "ALTER TABLE " + QuoteName(table) + " ADD COLUMN " + EmitColumnDef(statement.column));
  }
  return 0;
}

std::int64_t DatabaseSource::Run(DropTable& statement, ParsedStatement&) {
  RequireTable(db_, statement.table);
  RunChanging(db_, EmitDropTable(statement));
  return 0;
}

}  // namespace dt::engine::standin
