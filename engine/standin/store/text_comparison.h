// Which comparisons of a statement compare text. The Windows engine compares
// text ignoring ASCII letter case and trailing spaces, and numbers as
// numbers; the emitter writes a comparison marked here in the first way
// (emitter.h, EmitTextKey).
//
// An operand's type comes from its form (a literal, an operator, a
// function) or, for a field, from the type its table declares (SQLite's
// affinity rules): TEXT is text; INTEGER, REAL and NUMERIC are numbers; a
// field without a declared type, NULL, a date or anything else is neither.
// A comparison (=, <>, <, >, <=, >=, BETWEEN, IN) compares text when one
// of its operands is text and none is a number. LIKE is left as it is: its
// pattern matching counts letter case and trailing spaces.
#pragma once

#include "engine/jetsql/ast.h"
#include "engine/standin/store/statement_scope.h"

namespace dt::engine::standin {

// Sets Expr::compare_text on every comparison of `statement` whose fields
// `scope` resolves as said above.
void MarkTextComparisons(ParsedStatement& statement, const StatementScope& scope);

}  // namespace dt::engine::standin
