// Parses one statement of the Jet SQL dialect into its parsed form (ast.h).
// Accepted: SELECT (with INTO [IN "db"], joins, WHERE, GROUP BY, HAVING,
// ORDER BY, DISTINCT, TOP), INSERT INTO ... SELECT | VALUES, UPDATE ... SET,
// DELETE, CREATE TABLE, ALTER TABLE ... ADD [COLUMN], DROP TABLE. Expressions
// follow Jet's operator precedence, as the table in parse_expression.cpp
// states it.
#pragma once

#include <string_view>

#include "engine/jetsql/ast.h"

namespace dt::engine {

// Raises engine::Error of kind kSyntax naming the first token it cannot place,
// e.g. "Syntax error near 'LIKE' at position 31", and of kind kTooComplex
// for a statement that nests too deeply or names too many tables.
ParsedStatement Parse(std::string_view sql);

}  // namespace dt::engine
