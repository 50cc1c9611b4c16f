// The SQLite connection, statement and transaction wrappers.
#include "engine/standin/store/sqlite_db.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/error.h"
#include "engine/standin/store/engine_errors.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

[[noreturn]] void FailOpen(sqlite3* db, int rc, const std::string& path) {
  const std::string message = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
  const int code = db != nullptr ? sqlite3_extended_errcode(db) : rc;
  sqlite3_close_v2(db);
  throw TranslateFailure(code, message, "Cannot open database '" + path + "'", path);
}

sqlite3* OpenHandle(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  // A connection is used by one thread at a time (the import's reading
  // thread never touches SQLite): SQLite's lock around every call of it,
  // a tenth of a bulk load's time, is not needed.
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) FailOpen(db, rc, path);
  sqlite3_extended_result_codes(db, 1);
  // Another connection of this process may be finishing a write (an import
  // into the work database): wait for it rather than fail at once.
  sqlite3_busy_timeout(db, 5000);
  // Names are always quoted with "..." by the translator; SQLite would read
  // a quoted name that matches no column as a string literal and so hide a
  // misspelt field. Refuse that reading.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  // A database this engine makes (from a template that is an empty file)
  // gets pages of 16 KiB: statements over whole tables of a million rows then
  // read, journal and write a quarter as many pages, each a call to the
  // system, as with SQLite's 4 KiB. Rows posted one by one each journal one
  // page, which costs little more. A database that exists keeps its size.
  const int page_size = sqlite3_exec(db, "PRAGMA page_size = 16384", nullptr, nullptr, nullptr);
  if (page_size != SQLITE_OK) FailOpen(db, page_size, path);
  return db;
}

}  // namespace

void RequireOpenablePath(const std::string& path) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (path.empty() || vfs == nullptr) return;
  // SQLite opens the database by its full path and keeps room for its
  // rollback journal's name beside it, the path and "-journal", within its
  // limit; longer, it says only "unable to open database file".
  const std::size_t limit = static_cast<std::size_t>(vfs->mxPathname) - std::strlen("-journal");
  std::size_t length = path.size();
  if (length <= limit) {
    // A relative path grows when made absolute (the system's own way
    // can cut what it gives at SQLite's limit: then it is at least that).
    std::string full(static_cast<std::size_t>(vfs->mxPathname) * 4 + 4096, '\0');
    // (SQLITE_OK_SYMLINK is a success too: the path led through a link.)
    if ((vfs->xFullPathname(vfs, path.c_str(), static_cast<int>(full.size()), full.data()) &
         0xff) == SQLITE_OK) {
      length = std::max(length, std::strlen(full.c_str()));
    }
  }
  if (length > limit) {
    throw Error(ErrorKind::kIo, "Cannot open database '" + path + "': its path is " +
                                    std::to_string(length) +
                                    " bytes long, and the engine opens a database by a path of "
                                    "at most " +
                                    std::to_string(limit) + " bytes");
  }
}

Database Database::OpenExisting(const std::string& path) {
  RequireOpenablePath(path);
  std::error_code error;
  const auto status = std::filesystem::status(platform::PathOf(path), error);
  if (error || !std::filesystem::exists(status)) {
    // A path the system fails to look at is its failure, not a missing file.
    const bool missing = status.type() == std::filesystem::file_type::not_found;
    throw Error(missing ? ErrorKind::kNotFound : ErrorKind::kIo,
                "Could not find file '" + path + "'");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw Error(ErrorKind::kNotFound, "'" + path + "' is not a database file");
  }
  Database db(OpenHandle(path, SQLITE_OPEN_READWRITE), path);
  // SQLite reads the header only on first use: read it now, so that a file
  // of another format fails here and not at the first statement.
  if (sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) !=
      SQLITE_OK) {
    // Only a file of another format is one the engine does not recognise. A
    // file that cannot be read (or whose rollback journal cannot be), memory
    // that ran out and a lock that another process holds say what they are.
    SqliteFailure failure = FailureOf(db, "Cannot read database '" + path + "'");
    if (failure.kind() == ErrorKind::kOther) {
      throw Error(ErrorKind::kOther, "Unrecognized database format '" + path + "'");
    }
    throw failure;
  }
  return db;
}

Database Database::OpenOrCreate(const std::string& path) {
  RequireOpenablePath(path);
  return Database(OpenHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), path);
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)) {}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    sqlite3_close_v2(db_);
    db_ = std::exchange(other.db_, nullptr);
    path_ = std::move(other.path_);
  }
  return *this;
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::Exec(const std::string& sql) {
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    ThrowFailure(*this, "Cannot run the statement");
  }
}

std::int64_t Database::Changes() const { return sqlite3_changes64(db_); }

Statement::Statement(const Database& db, const std::string& sql) : db_(&db) {
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db.get(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, &tail) !=
      SQLITE_OK) {
    ThrowFailure(db, "Cannot prepare the statement");
  }
  if (stmt_ == nullptr) throw Error(ErrorKind::kSyntax, "Empty statement");
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement::~Statement() { sqlite3_finalize(stmt_); }

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  SqliteFailure failure = FailureOf(*db_, "Cannot run the statement");
  sqlite3_reset(stmt_);
  throw failure;
}

void Statement::Reset() { sqlite3_reset(stmt_); }

void Statement::BindStatic(int index, std::string_view text) {
  if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8) !=
      SQLITE_OK) {
    ThrowFailure(*db_, "Cannot bind a value");
  }
}

void Statement::BindStaticBlob(int index, std::string_view bytes) {
  if (sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_STATIC) != SQLITE_OK) {
    ThrowFailure(*db_, "Cannot bind a value");
  }
}

void Statement::BindText(int index, std::string_view text) {
  if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
      SQLITE_OK) {
    ThrowFailure(*db_, "Cannot bind a value");
  }
}

void Statement::BindInt(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) {
    ThrowFailure(*db_, "Cannot bind a value");
  }
}

void Statement::BindNull(int index) {
  if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) {
    ThrowFailure(*db_, "Cannot bind a value");
  }
}

int Statement::ColumnCount() const { return sqlite3_column_count(stmt_); }

std::string Statement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(stmt_, column);
  return name != nullptr ? name : "";
}

std::optional<std::string> Statement::ColumnText(int column) const {
  if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  if (text == nullptr) return std::string();
  return std::string(text, static_cast<std::size_t>(size));
}

std::string_view Statement::ColumnBlob(int column) const {
  const void* bytes = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (bytes == nullptr) return {};
  return std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::string Statement::ColumnTableName(int column) const {
  const char* table = sqlite3_column_table_name(stmt_, column);
  return table != nullptr ? table : "";
}

std::int64_t Statement::ColumnInt(int column) const { return sqlite3_column_int64(stmt_, column); }

Transaction::Transaction(Database& db) : db_(db) { db_.Exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  // A failed COMMIT may have ended the transaction already.
  if (open_ && sqlite3_get_autocommit(db_.get()) == 0) {
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void Transaction::Commit() {
  db_.Exec("COMMIT");
  open_ = false;
}

JournalOff::JournalOff(Database& db) : db_(db) {
  Statement mode(db_, "PRAGMA main.journal_mode");
  mode_ = mode.Step() ? mode.ColumnText(0).value_or("") : "";
  // A database in WAL mode (or a journal in memory) keeps it: the writes
  // are then journaled as any others.
  if (mode_ == "delete" || mode_ == "persist" || mode_ == "truncate") {
    db_.Exec("PRAGMA main.journal_mode = OFF");
  } else {
    mode_.clear();
  }
}

JournalOff::~JournalOff() {
  if (mode_.empty()) return;
  const std::string sql = "PRAGMA main.journal_mode = " + mode_;
  sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace dt::engine::standin
