// Why SQLite refused a statement or a row where its result code does not
// say: the engine looks for the reason in its own catalogue and words it as
// the Windows engine does. Only a failure that has happened is explained;
// nothing here decides whether a statement runs.
#pragma once

#include <string_view>

#include "engine/error.h"
#include "engine/jetsql/ast.h"
#include "engine/standin/store/engine_errors.h"
#include "engine/standin/store/sqlite_db.h"

namespace dt::engine::standin {

// The error for `failure`, raised while `statement` ran on `db`:
//  - a field the statement names that no table of it has, kMissingField
//    "Field '<name>' does not exist"; one that more than one has, named
//    without its table, kSyntax "Field '<name>' could refer to more than
//    one table";
//  - an INSERT whose values and fields differ in number, kSyntax "Number of
//    query values and destination fields are not the same (<SQLite's text>)";
//  - a CREATE TABLE naming a field twice, kAlreadyExists "Field '<name>'
//    already exists";
//  - a result of more fields than the database takes, kTooComplex;
//  - a row that a field's size refused (ExplainRefusedRow).
// Anything else, or a catalogue that cannot be read now: `failure` itself.
Error ExplainFailure(const Database& db, const ParsedStatement& statement,
                     const SqliteFailure& failure);

// The error for `failure`, raised while rows of `table` were written: a row
// that a CHECK constraint refused, where every CHECK constraint of the table
// is the engine's own field size check, is kFieldTooSmall with the Windows
// engine's "The field is too small ..."; anything else is `failure` itself.
Error ExplainRefusedRow(const Database& db, std::string_view table, const SqliteFailure& failure);

}  // namespace dt::engine::standin
