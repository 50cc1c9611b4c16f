// Resolving the names of a statement against the work database's catalogue.
#include "engine/standin/store/statement_scope.h"

#include "engine/jetsql/select_analysis.h"
#include "platform/codepage.h"

namespace dt::engine::standin {

StatementScope StatementScope::Of(const Database& db, const Select& select) {
  StatementScope scope;
  for (const TableRef* ref : TableRefsRead(select)) scope.Add(db, ref->name, ref->alias);
  return scope;
}

StatementScope StatementScope::OfTable(const Database& db, std::string_view table) {
  StatementScope scope;
  scope.Add(db, table, {});
  return scope;
}

void StatementScope::Add(const Database& db, std::string_view name, std::string_view alias) {
  std::string stored = RequireTable(db, name);
  tables_.push_back(ScopeTable{std::string(alias.empty() ? name : alias), stored,
                               IsStoredTable(db, stored), ColumnsOf(db, stored)});
}

std::optional<StatementScope::Field> StatementScope::Resolve(const Expr& expr) const {
  if (expr.kind != Expr::Kind::kColumn) return std::nullopt;
  for (std::size_t t = 0; t < tables_.size(); ++t) {
    if (!expr.qualifier.empty() &&
        !platform::EqualIgnoringAsciiCase(tables_[t].reference, expr.qualifier)) {
      continue;
    }
    const std::vector<ColumnInfo>& columns = tables_[t].columns;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (platform::EqualIgnoringAsciiCase(columns[c].name, expr.text)) return Field{t, c};
    }
  }
  return std::nullopt;
}

}  // namespace dt::engine::standin
