// Finding the join keys of a statement and indexing them for its length.
#include "engine/standin/store/join_indexes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/standin/sql/emitter.h"
#include "engine/jetsql/select_analysis.h"
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

// Joined tables of at most this many values in all (rows times the fields
// the statement reads) are looked up in memory (lookup_table.h) rather than
// through an index: the few thousand rows of an account or item list, never
// a table that grows with the export.
constexpr std::int64_t kLookupValues = 250000;

// The top-level conditions of `expr` joined with AND, as their places.
void ConjunctPlaces(ExprPtr& expr, std::vector<ExprPtr*>& out) {
  if (expr->kind == Expr::Kind::kBinary && expr->text == "AND") {
    ConjunctPlaces(expr->args[0], out);
    ConjunctPlaces(expr->args[1], out);
    return;
  }
  out.push_back(&expr);
}

// The place of the one condition of `on` that makes a join key of table
// `table`, and which of its sides names the key; nullptr when it has none or
// more than one.
ExprPtr* LookupCondition(ExprPtr& on, std::size_t table, const StatementScope& scope,
                         std::size_t& key_side) {
  std::vector<ExprPtr*> conditions;
  ConjunctPlaces(on, conditions);
  ExprPtr* found = nullptr;
  for (ExprPtr* place : conditions) {
    const Expr& condition = **place;
    if (condition.kind != Expr::Kind::kBinary || condition.text != "=" || !condition.compare_text) {
      continue;
    }
    for (std::size_t side = 0; side < 2; ++side) {
      const auto field = scope.Resolve(*condition.args[side]);
      if (!field || field->table != table ||
          !ReadsOnlyTablesBefore(*condition.args[1 - side], table, scope)) {
        continue;
      }
      if (found != nullptr) return nullptr;
      found = place;
      key_side = side;
    }
  }
  return found;
}

// Whether `table` is small enough to be looked up, holding `fields` of each
// of its rows.
bool SmallEnough(const Database& db, const ScopeTable& table, std::size_t fields) {
  const std::int64_t most =
      kLookupValues / static_cast<std::int64_t>(std::max<std::size_t>(fields, 1));
  Statement count(db, "SELECT count(*) FROM (SELECT 1 FROM main." + QuoteName(table.table) +
                          " LIMIT " + std::to_string(most + 1) + ")");
  return count.Step() && count.ColumnInt(0) <= most;
}

}  // namespace

JoinIndexes::JoinIndexes(Database& db, Select& select, const StatementScope& scope) : db_(db) {
  const std::vector<Key> keys = FindJoinKeys(select, scope);
  if (keys.empty() || sqlite3_db_readonly(db.get(), "main") == 1) return;
  transaction_.emplace(db);
  std::vector<std::size_t> looked_up;  // scope tables read through a lookup table
  for (TableRefPtr& ref : select.from) MakeLookups(*ref, select, scope, looked_up);
  int counter = 0;
  for (const Key& key : keys) {
    if (std::find(looked_up.begin(), looked_up.end(), key.table) != looked_up.end()) continue;
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

JoinIndexes::~JoinIndexes() {
  // The statement is told in its own words again, should it have failed.
  for (auto lookup = lookups_.rbegin(); lookup != lookups_.rend(); ++lookup) {
    lookup->ref->name = std::move(lookup->name);
    lookup->ref->alias = std::move(lookup->alias);
    lookup->condition->args[1 - lookup->key_side] = std::move((*lookup->place)->args[1]);
    *lookup->place = std::move(lookup->condition);
  }
}

void JoinIndexes::MakeLookups(TableRef& ref, const Select& select, const StatementScope& scope,
                              std::vector<std::size_t>& looked_up) {
  if (ref.kind != TableRef::Kind::kJoin) return;
  MakeLookups(*ref.left, select, scope, looked_up);
  MakeLookups(*ref.right, select, scope, looked_up);
  if (ref.join != TableRef::JoinType::kLeft || ref.right->kind != TableRef::Kind::kTable) return;
  TableRef& inner = *ref.right;
  const std::string reference = inner.alias.empty() ? inner.name : inner.alias;
  std::size_t table = 0;
  while (table < scope.tables().size() &&
         !platform::EqualIgnoringAsciiCase(scope.tables()[table].reference, reference)) {
    ++table;
  }
  if (table == scope.tables().size() || !scope.tables()[table].stored) return;
  std::size_t key_side = 0;
  ExprPtr* place = LookupCondition(ref.on, table, scope, key_side);
  if (place == nullptr) return;
  const ScopeTable& stored = scope.tables()[table];
  const std::optional<std::string> row_id = RowIdName(stored.columns);
  const std::vector<std::string> fields = FieldsRead(select, scope, table);
  if (!row_id ||
      !SmallEnough(db_, stored, fields.empty() ? stored.columns.size() : fields.size())) {
    return;
  }
  for (const ColumnInfo& column : stored.columns) {
    if (platform::EqualIgnoringAsciiCase(column.name, "jet_probe")) return;
  }
  // The fields the index would hold, its rows in the same order.
  const Key key = *scope.Resolve(*(*place)->args[key_side]);
  const std::string name = FreeLookupName();
  std::string sql = "CREATE VIRTUAL TABLE temp." + QuoteName(name) + " USING jet_lookup(" +
                    QuoteName(stored.table) + ", " + QuoteName(scope.ColumnOf(key).name) + ", " +
                    QuoteName(*row_id);
  for (const std::string& field : fields) sql += ", " + QuoteName(field);
  db_.Exec(sql + ")");
  lookup_names_.push_back(name);
  // The join reads the lookup table under the inner table's name, and finds
  // its rows by the outer side of the key's condition.
  Lookup& lookup = lookups_.emplace_back();
  lookup.ref = &inner;
  lookup.name = inner.name;
  lookup.alias = inner.alias;
  inner.alias = reference;
  inner.name = name;
  lookup.place = place;
  lookup.key_side = key_side;
  lookup.condition = std::move(*place);
  auto probe = std::make_unique<Expr>();
  probe->kind = Expr::Kind::kBinary;
  probe->text = "=";
  auto column = std::make_unique<Expr>();
  column->kind = Expr::Kind::kColumn;
  column->qualifier = reference;
  column->text = "jet_probe";
  probe->args.push_back(std::move(column));
  probe->args.push_back(std::move(lookup.condition->args[1 - key_side]));
  *place = std::move(probe);
  looked_up.push_back(table);
}

std::string JoinIndexes::FreeLookupName() {
  Statement taken(db_,
                  "SELECT 1 FROM temp.sqlite_schema WHERE name = ?1 COLLATE NOCASE UNION ALL "
                  "SELECT 1 FROM main.sqlite_schema WHERE name = ?1 COLLATE NOCASE");
  while (true) {
    const std::string name = "jet_lookup_" + std::to_string(lookup_names_.size() + ++skipped_);
    taken.BindText(1, name);
    const bool exists = taken.Step();
    taken.Reset();
    if (!exists) return name;
  }
}

void JoinIndexes::Commit() {
  if (!transaction_) return;
  for (const std::string& name : names_) db_.Exec("DROP INDEX " + QuoteName(name));
  for (const std::string& name : lookup_names_) db_.Exec("DROP TABLE temp." + QuoteName(name));
  transaction_->Commit();
  transaction_.reset();
}

}  // namespace dt::engine::standin
