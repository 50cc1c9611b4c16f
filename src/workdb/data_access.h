// The data access component: the run's one connection to the work-database
// engine, statement commands for statements that return no rows, and row
// queries that hold a client-side snapshot of their rows.
//
// All text in and out (connection strings, SQL, field names and values,
// error messages) is ANSI; this component converts to and from the engine's
// UTF-8 and never lets the engine's own error types escape:
//   - an engine failure raises EOleException with the engine's message, its
//     trailing periods, spaces and control characters removed; one of the
//     disk or the system under the engine raises EOleIoError, an
//     EOleException of its own kind, with the same message;
//   - misuse of a component raises EDatabaseError ("Field '%s' not found",
//     "CommandText does not return a result set", ...).
//
// Commands and queries bind to a Connection without owning it. Releasing the
// connection unbinds them: a later use raises EDatabaseError instead of
// touching freed memory. One thread only.
//
// The component's classes, one header each:
//   connection.h         Connection
//   statement_command.h  StatementCommand
//   row_query.h          RowQuery and its Field
//   side_files.h         removing the engine's side files of a database file
// engine_translation.h is the one place where the engine's failures become
// the system's errors.
#pragma once

#include "src/workdb/connection.h"
#include "src/workdb/row_query.h"
#include "src/workdb/side_files.h"
#include "src/workdb/statement_command.h"
