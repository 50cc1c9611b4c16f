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

#include "engine/jetsql/ast.h"
#include "engine/standin/store/sqlite_db.h"
#include "engine/standin/store/statement_scope.h"

namespace dt::engine::standin {

class JoinIndexes {
 public:
  // Begins a transaction and makes the indexes for the join keys of
  // `select`, when it has any and the database can be written; otherwise
  // does nothing. REQUIRES: the comparisons of `select` are marked
  // (text_comparison.h) against `scope`.
  // An outer join on such a key whose inner table is small reads that
  // table through a lookup table (lookup_table.h) instead: `select` is
  // rewritten to name it, until this is destroyed.
  JoinIndexes(Database& db, Select& select, const StatementScope& scope);
  JoinIndexes(const JoinIndexes&) = delete;
  JoinIndexes& operator=(const JoinIndexes&) = delete;
  // Gives `select` back its own tables and conditions. Without Commit the
  // transaction rolls back, and with it the indexes and anything else done
  // since they were made.
  ~JoinIndexes();

  // Drops the indexes and lookup tables, and commits what was done since
  // they were made.
  void Commit();

 private:
  // A join rewritten to read a lookup table.
  struct Lookup {
    TableRef* ref;     // the inner table, now named as the lookup table
    std::string name;  // its own name and alias
    std::string alias;
    ExprPtr* place;        // where its key's condition stood, now jet_probe = outer side
    std::size_t key_side;  // the side of the condition that named the key
    ExprPtr condition;     // the condition, its outer side lent to the new one
  };

  void MakeLookups(TableRef& ref, const Select& select, const StatementScope& scope,
                   std::vector<std::size_t>& looked_up);
  std::string FreeLookupName();

  Database& db_;
  std::optional<Transaction> transaction_;
  std::vector<std::string> names_;
  std::vector<std::string> lookup_names_;
  std::vector<Lookup> lookups_;
  int skipped_ = 0;
};

}  // namespace dt::engine::standin
