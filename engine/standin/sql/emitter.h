// Writes the parsed form of a Jet statement (ast.h) as SQLite SQL. Every
// name is quoted, every literal is written as an SQLite literal, and Jet's
// operators and functions become calls of the engine's SQLite functions
// (jet_add for +, jet_concat for &, jet_cdate for cdate). A comparison
// marked to compare text compares the operands' text keys (EmitTextKey,
// jet_text_key), a text literal's key written out at once.
//
// What has no SQLite form raises engine::Error naming it; nothing is ever
// passed on half-translated. The kind is kSyntax for a wrong number of
// arguments or an unknown field type, kUnsupported for an unknown function,
// a date literal not written year first and a zero byte in a name or text.
#pragma once

#include <string>
#include <string_view>

#include "engine/jetsql/ast.h"

namespace dt::engine::standin {

// "name" and 'text', the inner quote doubled. Raise engine::Error (kUnsupported)
// for a zero byte, which SQL text cannot carry.
std::string QuoteName(std::string_view name);
std::string QuoteText(std::string_view text);

// Text as the engine compares it: the key of `operand` (SQL text), as
// jet_text_key gives it (jet_functions.h); keys compare byte by byte.
std::string EmitTextKey(std::string_view operand);

std::string EmitExpr(const Expr& expr);
// Expressions joined by ", ".
std::string EmitExprList(const std::vector<ExprPtr>& list);

// The SELECT without its INTO part. With `row_id_of` not empty, the first
// result column is the rowid of that table or alias, named `row_id`.
std::string EmitSelect(const Select& select, std::string_view row_id_of = {},
                       std::string_view row_id = "rowid");

std::string EmitInsert(const Insert& insert);
std::string EmitUpdate(const Update& update);
std::string EmitDelete(const Delete& del);
std::string EmitCreateTable(const CreateTable& create);
// One column definition: "name" TYPE [NOT NULL] [PRIMARY KEY]; an
// auto-increment column is INTEGER PRIMARY KEY AUTOINCREMENT. A short text
// type with a size keeps it, TEXT(n), and holds its values to it
// (EmitFieldSizeCheck).
std::string EmitColumnDef(const ColumnDef& column);
// The constraint that refuses a value of `column` longer than `size`
// characters (a number counts the characters of its text). NULL passes.
std::string EmitFieldSizeCheck(std::string_view column, int size);
std::string EmitDropTable(const DropTable& drop);

}  // namespace dt::engine::standin
