// The tool's check of the joins the derived tables made: voucher lines and
// balances whose voucher, account, budget section or item the outer joins
// of PZ and KMYE did not find, and accounts whose code holds more levels
// than NewCode keeps.
//
// The check reads the work database through a read-only SQLite connection
// of its own, never through the run's connection: it needs each row's place
// in its table (the row id, which is the row's place in the imported file,
// so a line of the export can be named), which the data access component
// does not hand out, and it must not share a cursor, a transaction or an
// error path with the build. Read-only by construction, it cannot change
// the work database whatever it is asked. It is made between the derived
// tables and the code clean-up, when the build has committed every
// statement and the codes are still those the joins compared (the clean-up
// turns "2.1" and "201" alike and trims leading spaces, so checking after
// it would count other joins than those made). Keys are compared as the
// stand-in engine's joins compare them, by its own TextKey (letter case of
// ASCII and trailing spaces ignored); an empty or NULL code is no reference.
// Only the stand-in's work database (an SQLite file) can be checked; an
// Access work database raises.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dt::cli {

// One kind of reference the build relies on.
struct Relation {
  const char* derived_table;  // the table whose rows lack the joined values: PZ, KMYE, ...
  const char* source_table;   // where the rows come from: BOOKDETAIL, REMAIN, ...
  const char* rows_one;       // "voucher line"
  const char* rows_many;      // "voucher lines"
  const char* key_column;     // SID, BOOKNO, BID, IID
  const char* what;           // what the key names: "account", or a whole clause
  const char* looked_up_in;   // the table the key names a row of; "" when none
};

// The relations in the order they are reported.
const std::vector<Relation>& Relations();

// One row whose reference found nothing.
struct BrokenReference {
  std::string value;      // the key as stored (UTF-8)
  std::int64_t row = 0;   // the row's place in its source table, from 1
  std::int64_t line = 0;  // the line of the source file where the row starts; 0 unknown
};

// How many distinct values of a relation's broken references are quoted as
// its examples.
inline constexpr std::size_t kExamples = 3;

struct RelationResult {
  const Relation* relation = nullptr;
  // In table order: every broken reference, or, when examples_only, the
  // first of each of the first kExamples distinct values (a run whose every
  // code is unknown must not hold ten million rows to tell so).
  std::vector<BrokenReference> rows;
  std::string source_file;  // the source table's file name (UTF-8); "" unknown
  bool examples_only = false;
  std::int64_t not_kept = 0;  // broken references counted but not in rows

  std::int64_t count() const { return static_cast<std::int64_t>(rows.size()) + not_kept; }
  // Counts `row`, and keeps it as `rows` says.
  void Add(BrokenReference row);
};

struct JoinCheck {
  std::vector<RelationResult> results;  // one per relation, in Relations() order
};

// Checks the work database `utf8_path`, keeping every broken reference or,
// with `examples_only`, the examples and the counts. Raises std::runtime_error with
// SQLite's message when it cannot be opened or read, or a table or column
// the derived tables read is missing.
JoinCheck CheckJoins(const std::string& utf8_path, bool examples_only = false);

}  // namespace dt::cli
