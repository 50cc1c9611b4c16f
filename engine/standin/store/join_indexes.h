// Indexes for the joins of one statement. Text compares by its key (without
// trailing spaces, ignoring ASCII letter case: emitter.h), and SQLite builds
// automatic indexes on plain fields only, so without these a join on text
// would read its whole inner table once per row of its outer one. (A
// collation on the plain field is no way out: SQLite filters the lookups
// of an automatic index through a Bloom filter that hashes a text by its
// length, and so misses 'ZX01 ' against 'ZX01'.)
//
// A join key is a field of one table that an = comparing text, at the top
// level of the ANDs of an ON or WHERE condition, matches with an expression
// that reads fields of tables named before it only. Its index holds the
// field's text key and, unless the statement reads the table with *, every
// field the statement reads from that table, so that the join need not
// visit the table itself. The indexes exist inside the statement's
// transaction only: the file holds none of them afterwards, and a stock
// tool reading it meets nothing it does not know.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/standin/sql/ast.h"
#include "engine/standin/store/sqlite_db.h"
#include "engine/standin/store/statement_scope.h"

namespace dt::engine::standin {

class JoinIndexes {
 public:
  // Begins a transaction and makes the indexes for the join keys of
  // `select`, when it has any and the database can be written; otherwise
  // does nothing. REQUIRES: the comparisons of `select` are marked
  // (text_comparison.h) against `scope`.
  JoinIndexes(Database& db, const Select& select, const StatementScope& scope);
  JoinIndexes(const JoinIndexes&) = delete;
  JoinIndexes& operator=(const JoinIndexes&) = delete;
  // Without Commit the transaction rolls back, and with it the indexes and
  // anything else done since they were made.
  ~JoinIndexes() = default;

  // Drops the indexes and commits what was done since they were made.
  void Commit();

 private:
  Database& db_;
  std::optional<Transaction> transaction_;
  std::vector<std::string> names_;
};

}  // namespace dt::engine::standin
