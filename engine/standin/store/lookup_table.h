// A small joined table held in memory by its join key, for one statement.
// An outer join looks its inner table up once per row of its outer one;
// for a table of a few thousand rows (accounts, budget sections, items)
// against millions of voucher lines, SQLite's seeks through a b-tree of
// text keys, a dozen comparisons each that the processor cannot foresee,
// cost more than the rest of the statement. A lookup table finds the rows
// of a key by hashing it instead.
//
// It is a virtual table of the module jet_lookup, made in the temp schema:
//   CREATE VIRTUAL TABLE temp.name USING jet_lookup(table, key, row_id, field...)
// with every field of `table` under its own name and declared type (so
// comparisons and the fields of a table made from a query are as the
// table's own), and a hidden field jet_probe. A statement finds the rows of
// a key with jet_probe = expression: the rows whose field `key` has the
// same text key (jet_text_key, emitter.h) as the expression, none for
// NULL. They come in the order of the join's index on the table (its key's
// text key, then the `field`s given, then the row id, `row_id` naming it),
// so that a statement makes its rows in the same order as through that
// index. Only the `field`s given hold values (all when none is given), as
// the index holds only those: the others read NULL. A statement must give
// jet_probe: without it no plan is offered.
#pragma once

#include <sqlite3.h>

namespace dt::engine::standin {

// Registers the module on `db`. Raises engine::Error when SQLite refuses.
void RegisterLookupModule(sqlite3* db);

}  // namespace dt::engine::standin
