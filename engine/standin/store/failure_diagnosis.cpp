// Explaining SQLite's refusals from the catalogue: the statement's names
// looked up in the tables it reads, its values counted against the fields
// they fill, a refused row's table checked for constraints other than its
// fields' sizes.
#include "engine/standin/store/failure_diagnosis.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/jetsql/column_types.h"
#include "engine/jetsql/select_analysis.h"
#include "engine/jetsql/tokenizer.h"
#include "engine/standin/store/schema.h"
#include "engine/standin/store/statement_scope.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

using platform::EqualIgnoringAsciiCase;

using Problem = std::optional<Error>;

template <class Visit>
void ForEachExpr(const Expr& expr, const Visit& visit) {
  visit(expr);
  for (const ExprPtr& arg : expr.args) ForEachExpr(*arg, visit);
}

// SQLite lets a statement name a result field by its alias.
bool IsAlias(const Select* select, const Expr& column) {
  if (select == nullptr || !column.qualifier.empty()) return false;
  for (const SelectItem& item : select->items) {
    if (!item.alias.empty() && EqualIgnoringAsciiCase(item.alias, column.text)) return true;
  }
  return false;
}

// The first field named in `expr` that no table of `scope` has, or that
// more than one has where the name does not say which.
Problem FieldProblem(const StatementScope& scope, const Expr& expr, const Select* select) {
  Problem problem;
  ForEachExpr(expr, [&](const Expr& column) {
    if (problem || column.kind != Expr::Kind::kColumn || IsAlias(select, column)) return;
    std::size_t tables = 0;
    for (const ScopeTable& table : scope.tables()) {
      if (!column.qualifier.empty() && !EqualIgnoringAsciiCase(table.reference, column.qualifier)) {
        continue;
      }
      for (const ColumnInfo& field : table.columns) {
        if (EqualIgnoringAsciiCase(field.name, column.text)) {
          ++tables;
          break;
        }
      }
    }
    const std::string name =
        column.qualifier.empty() ? column.text : column.qualifier + "." + column.text;
    if (tables == 0) {
      problem = Error(ErrorKind::kMissingField, "Field '" + name + "' does not exist");
    } else if (tables > 1 && column.qualifier.empty()) {
      problem =
          Error(ErrorKind::kSyntax, "Field '" + name + "' could refer to more than one table");
    }
  });
  return problem;
}

// The number of fields `select` gives, its stars counted out.
std::size_t ResultFields(const StatementScope& scope, const Select& select) {
  std::size_t fields = 0;
  for (const SelectItem& item : select.items) {
    if (item.kind == SelectItem::Kind::kExpr) {
      ++fields;
      continue;
    }
    for (const ScopeTable& table : scope.tables()) {
      if (item.kind == SelectItem::Kind::kStar ||
          EqualIgnoringAsciiCase(table.reference, item.qualifier)) {
        fields += table.columns.size();
      }
    }
  }
  return fields;
}

Problem Explain(const Database& db, const Select& select, const SqliteFailure&) {
  const StatementScope scope = StatementScope::Of(db, select);
  Problem problem;
  ForEachClause(select, [&](const Expr& clause) {
    if (!problem) problem = FieldProblem(scope, clause, &select);
  });
  if (problem) return problem;
  const auto most = static_cast<std::size_t>(sqlite3_limit(db.get(), SQLITE_LIMIT_COLUMN, -1));
  if (ResultFields(scope, select) > most) {
    return Error(ErrorKind::kTooComplex,
                 "Too many fields defined: the engine takes at most " + std::to_string(most));
  }
  return std::nullopt;
}

Problem Explain(const Database& db, const Insert& insert, const SqliteFailure& failure) {
  std::size_t values = insert.values.size();
  if (insert.select) {
    if (Problem problem = Explain(db, *insert.select, failure)) return problem;
    values = ResultFields(StatementScope::Of(db, *insert.select), *insert.select);
  }
  const std::size_t fields = insert.columns.empty()
                                 ? ColumnsOf(db, RequireTable(db, insert.table)).size()
                                 : insert.columns.size();
  if (values == fields) return std::nullopt;
  return Error(ErrorKind::kSyntax,
               "Number of query values and destination fields are not the same (" +
                   failure.sqlite_message() + ")");
}

Problem Explain(const Database& db, const Update& update, const SqliteFailure&) {
  const StatementScope scope = StatementScope::OfTable(db, update.table);
  for (const Assignment& assignment : update.assignments) {
    if (Problem problem = FieldProblem(scope, *assignment.value, nullptr)) return problem;
  }
  return update.where ? FieldProblem(scope, *update.where, nullptr) : std::nullopt;
}

Problem Explain(const Database& db, const Delete& remove, const SqliteFailure&) {
  if (!remove.where) return std::nullopt;
  return FieldProblem(StatementScope::OfTable(db, remove.table), *remove.where, nullptr);
}

Problem Explain(const Database&, const CreateTable& create, const SqliteFailure&) {
  for (std::size_t i = 0; i < create.columns.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (EqualIgnoringAsciiCase(create.columns[j].name, create.columns[i].name)) {
        return Error(ErrorKind::kAlreadyExists,
                     "Field '" + create.columns[i].name + "' already exists");
      }
    }
  }
  return std::nullopt;
}

Problem Explain(const Database&, const AddColumn&, const SqliteFailure&) { return std::nullopt; }
Problem Explain(const Database&, const DropTable&, const SqliteFailure&) { return std::nullopt; }

// Whether every CHECK constraint of the table definition `sql` is the
// engine's own field size check: the word CHECK right after the quoted
// constraint name that every such check bears. A definition the tokenizer
// cannot read raises, and the refusal stays unexplained.
bool OnlyFieldSizeChecks(std::string_view sql) {
  const std::vector<Token> tokens = Tokenize(sql);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (!IsKeyword(tokens[i], "CHECK")) continue;
    if (i == 0 || tokens[i - 1].kind != TokenKind::kString ||
        tokens[i - 1].text != kFieldSizeConstraint) {
      return false;
    }
  }
  return true;
}

std::string TableDefinition(const Database& db, std::string_view table) {
  Statement definition(db,
                       "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1 "
                       "COLLATE NOCASE");
  definition.BindText(1, table);
  return definition.Step() ? definition.ColumnText(0).value_or("") : "";
}

}  // namespace

Error ExplainFailure(const Database& db, const ParsedStatement& statement,
                     const SqliteFailure& failure) {
  if (failure.result_code() == SQLITE_CONSTRAINT_CHECK) {
    if (const auto* insert = std::get_if<Insert>(&statement)) {
      return ExplainRefusedRow(db, insert->table, failure);
    }
    if (const auto* update = std::get_if<Update>(&statement)) {
      return ExplainRefusedRow(db, update->table, failure);
    }
    return failure;
  }
  if (failure.result_code() != SQLITE_ERROR) return failure;
  try {
    Problem problem =
        std::visit([&](const auto& kind) { return Explain(db, kind, failure); }, statement);
    if (problem) return *problem;
  } catch (const Error&) {
    // The catalogue cannot be read now: SQLite's own account stands.
  }
  return failure;
}

Error ExplainRefusedRow(const Database& db, std::string_view table, const SqliteFailure& failure) {
  if (failure.result_code() != SQLITE_CONSTRAINT_CHECK) return failure;
  try {
    if (OnlyFieldSizeChecks(TableDefinition(db, table))) {
      return Error(ErrorKind::kFieldTooSmall,
                   "The field is too small to accept the amount of data you attempted to add. "
                   "Try inserting or pasting less data.");
    }
  } catch (const Error&) {
    // As above.
  }
  return failure;
}

}  // namespace dt::engine::standin
