// Finding the join keys of a statement and indexing them for its length.
#include "engine/standin/store/join_indexes.h"

#include <cstddef>

#include "engine/standin/sql/emitter.h"
#include "engine/standin/sql/select_analysis.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

// A field to index: the table (index into the scope) and its field.
using Key = StatementScope::Field;

// The conditions `expr` joins with AND at its top level.
void Conjuncts(const Expr& expr, std::vector<const Expr*>& out) {
  if (expr.kind == Expr::Kind::kBinary && expr.text == "AND") {
    Conjuncts(*expr.args[0], out);
    Conjuncts(*expr.args[1], out);
    return;
  }
  out.push_back(&expr);
}

// Calls `visit` with every column reference in `expr`.
template <class Visit>
void ForEachColumn(const Expr& expr, const Visit& visit) {
  if (expr.kind == Expr::Kind::kColumn) visit(expr);
  for (const ExprPtr& arg : expr.args) ForEachColumn(*arg, visit);
}

// True when `expr` reads at least one field, and only fields of tables
// named before table `table`.
bool ReadsOnlyTablesBefore(const Expr& expr, std::size_t table, const StatementScope& scope) {
  bool reads = false;
  bool before = true;
  ForEachColumn(expr, [&](const Expr& column) {
    const auto field = scope.Resolve(column);
    reads = true;
    before = before && field && field->table < table;
  });
  return reads && before;
}

bool SameTable(const StatementScope& scope, std::size_t a, std::size_t b) {
  return platform::EqualIgnoringAsciiCase(scope.tables()[a].table, scope.tables()[b].table);
}

// The join keys of `select`, each stored field once.
std::vector<Key> FindJoinKeys(const Select& select, const StatementScope& scope) {
  std::vector<const Expr*> conditions;
  for (const TableRefPtr& ref : select.from) {
    ForEachJoinCondition(*ref, [&](const Expr& on) { Conjuncts(on, conditions); });
  }
  if (select.where) Conjuncts(*select.where, conditions);
  std::vector<Key> keys;
  for (const Expr* condition : conditions) {
    if (condition->kind != Expr::Kind::kBinary || condition->text != "=" ||
        !condition->compare_text) {
      continue;
    }
    for (std::size_t side = 0; side < 2; ++side) {
      const auto field = scope.Resolve(*condition->args[side]);
      if (!field || !scope.tables()[field->table].stored ||
          !ReadsOnlyTablesBefore(*condition->args[1 - side], field->table, scope)) {
        continue;
      }
      bool known = false;
      for (const Key& key : keys) {
        known = known || (SameTable(scope, key.table, field->table) &&
                          platform::EqualIgnoringAsciiCase(scope.ColumnOf(key).name,
                                                           scope.ColumnOf(*field).name));
      }
      if (!known) keys.push_back(*field);
    }
  }
  return keys;
}

// The fields of stored table `table` that the statement reads under any of
// its names; nothing when it reads them all with *.
std::vector<std::string> FieldsRead(const Select& select, const StatementScope& scope,
                                    std::size_t table) {
  for (const SelectItem& item : select.items) {
    if (item.kind == SelectItem::Kind::kStar) return {};
    if (item.kind == SelectItem::Kind::kTableStar) {
      for (std::size_t t = 0; t < scope.tables().size(); ++t) {
        if (SameTable(scope, t, table) &&
            platform::EqualIgnoringAsciiCase(scope.tables()[t].reference, item.qualifier)) {
          return {};
        }
      }
    }
  }
  std::vector<std::string> fields;
  auto add = [&](const Expr& column) {
    const auto field = scope.Resolve(column);
    if (!field || !SameTable(scope, field->table, table)) return;
    const std::string& name = scope.ColumnOf(*field).name;
    for (const std::string& known : fields) {
      if (platform::EqualIgnoringAsciiCase(known, name)) return;
    }
    fields.push_back(name);
  };
  ForEachClause(select, [&](const Expr& expr) { ForEachColumn(expr, add); });
  return fields;
}

// An index name that no object of the database bears yet.
std::string FreeIndexName(const Database& db, int& counter) {
  Statement taken(db, "SELECT 1 FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE");
  while (true) {
    const std::string name = "jet_join_key_" + std::to_string(++counter);
    taken.BindText(1, name);
    const bool exists = taken.Step();
    taken.Reset();
    if (!exists) return name;
  }
}

}  // namespace

JoinIndexes::JoinIndexes(Database& db, const Select& select, const StatementScope& scope)
    : db_(db) {
  const std::vector<Key> keys = FindJoinKeys(select, scope);
  if (keys.empty() || sqlite3_db_readonly(db.get(), "main") == 1) return;
  transaction_.emplace(db);
  int counter = 0;
  for (const Key& key : keys) {
    names_.push_back(FreeIndexName(db, counter));
    std::string sql = "CREATE INDEX " + QuoteName(names_.back()) + " ON " +
                      QuoteName(scope.tables()[key.table].table) + " (" +
                      EmitTextKey(QuoteName(scope.ColumnOf(key).name));
    for (const std::string& field : FieldsRead(select, scope, key.table)) {
      sql += ", " + QuoteName(field);
    }
    db.Exec(sql + ")");
  }
}

void JoinIndexes::Commit() {
  if (!transaction_) return;
  for (const std::string& name : names_) db_.Exec("DROP INDEX " + QuoteName(name));
  transaction_->Commit();
  transaction_.reset();
}

}  // namespace dt::engine::standin
