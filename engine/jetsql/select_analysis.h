// Facts about a parsed SELECT that the engine needs before running it: the
// tables it reads, and whether its rows are rows of one table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/import_statement.h"
#include "engine/jetsql/ast.h"

namespace dt::engine {

// Every table named in the FROM part, in order of appearance.
std::vector<const TableRef*> TableRefsRead(const Select& select);

// Calls `visit` with the ON condition of every join in `ref`, the inner
// joins of a chain first.
template <class Visit>
void ForEachJoinCondition(const TableRef& ref, const Visit& visit) {
  if (ref.kind != TableRef::Kind::kJoin) return;
  ForEachJoinCondition(*ref.left, visit);
  ForEachJoinCondition(*ref.right, visit);
  visit(*ref.on);
}

// Calls `visit` with every expression that heads a part of `select`: the
// select items, the ON conditions, WHERE, GROUP BY, HAVING and ORDER BY.
// `SelectT` is Select, or const Select for a visit that only reads.
template <class SelectT, class Visit>
void ForEachClause(SelectT& select, const Visit& visit) {
  for (auto& item : select.items) {
    if (item.expr) visit(*item.expr);
  }
  for (auto& ref : select.from) ForEachJoinCondition(*ref, visit);
  if (select.where) visit(*select.where);
  for (auto& expr : select.group_by) visit(*expr);
  if (select.having) visit(*select.having);
  for (auto& item : select.order_by) visit(*item.expr);
}

// For a SELECT whose every row is one row of one table (a single table, no
// DISTINCT, grouping or aggregate): the table and the name it goes by in the
// statement (its alias, else its name). nullopt otherwise.
struct SingleTable {
  std::string table;
  std::string reference;
};
std::optional<SingleTable> SingleTableOf(const Select& select);

// For SELECT * INTO t IN "db" FROM file and nothing more, what it makes
// and reads; nullopt for any other statement.
std::optional<ImportReading> ImportOf(const ParsedStatement& statement);

}  // namespace dt::engine
