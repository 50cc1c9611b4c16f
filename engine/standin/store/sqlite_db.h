// Owning wrappers for an SQLite connection, a prepared statement and a
// transaction. Every failure raises engine::Error with a message in the
// engine's own words (engine_errors.h), never SQLite's text alone.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dt::engine::standin {

// Raises an I/O failure (kIo, as SQLite's own refusal) saying so when the
// database file `path` (UTF-8) has a path too long for SQLite to open it
// by, made absolute: its length and the limit, where SQLite would say only
// that it is unable to open the file.
void RequireOpenablePath(const std::string& path);

class Database {
 public:
  // Opens the existing database file `path` (UTF-8) for reading and writing;
  // never creates one. Raises engine::Error naming the file when it is missing,
  // is no file, or is no database.
  static Database OpenExisting(const std::string& path);
  // Opens or creates `path` ("" is a private temporary database).
  static Database OpenOrCreate(const std::string& path);

  Database(Database&& other) noexcept;
  Database& operator=(Database&& other) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  sqlite3* get() const { return db_; }
  const std::string& path() const { return path_; }

  // Runs SQL text without results (pragmas, BEGIN, DDL).
  void Exec(const std::string& sql);
  // Rows changed by the last INSERT, UPDATE or DELETE.
  std::int64_t Changes() const;

 private:
  Database(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  sqlite3* db_ = nullptr;
  std::string path_;
};

class Statement {
 public:
  // Prepares one statement. Raises engine::Error for SQL SQLite rejects.
  Statement(const Database& db, const std::string& sql);
  Statement(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement& operator=(Statement&&) = delete;
  ~Statement();

  // Steps once: true when a row is ready, false when done.
  bool Step();
  // Makes the statement ready to run again; the bound values stay.
  void Reset();

  // 1-based parameters. BindStatic requires `text` to outlive the next Step.
  void BindStatic(int index, std::string_view text);
  void BindText(int index, std::string_view text);
  // A blob; as BindStatic, `bytes` must outlive the next Step.
  void BindStaticBlob(int index, std::string_view bytes);
  void BindInt(int index, std::int64_t value);
  void BindNull(int index);

  int ColumnCount() const;
  std::string ColumnName(int column) const;
  std::optional<std::string> ColumnText(int column) const;  // nullopt for NULL
  // The bytes of a value, valid until the next Step or Reset.
  std::string_view ColumnBlob(int column) const;
  // The table a result column comes from, named as the database stores it;
  // empty for a column that is no table's field.
  std::string ColumnTableName(int column) const;
  std::int64_t ColumnInt(int column) const;

 private:
  const Database* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless Commit()
// ran. A failed statement inside thus leaves the database as it was.
class Transaction {
 public:
  explicit Transaction(Database& db);
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();
  void Commit();

 private:
  Database& db_;
  bool open_ = true;
};

// Turns the main database's rollback journal off while it lives, and back to
// what it was afterwards. What is written meanwhile cannot be rolled back: a
// failure or a crash leaves the file as far as the writing got, so only
// writes that leave it sound wherever they stop may run under it.
// REQUIRES: no transaction open on `db`, on construction and on destruction.
class JournalOff {
 public:
  explicit JournalOff(Database& db);
  JournalOff(const JournalOff&) = delete;
  JournalOff& operator=(const JournalOff&) = delete;
  ~JournalOff();

 private:
  Database& db_;
  std::string mode_;  // the journal's mode before
};

}  // namespace dt::engine::standin
