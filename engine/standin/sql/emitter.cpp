// Jet statements as SQLite statements. Join chains written with Jet's
// parentheses are laid out flat when they nest to the left, which SQLite
// reads with the same meaning; other nestings keep their parentheses.
#include "engine/standin/sql/emitter.h"

#include "engine/error.h"
#include "engine/jetsql/column_types.h"
#include "engine/standin/sql/sql_text.h"

namespace dt::engine::standin {
namespace {

std::string EmitTableRef(const TableRef& ref) {
  if (ref.kind == TableRef::Kind::kTable) {
    if (ref.alias.empty()) return QuoteName(ref.name);
    return Concat({QuoteName(ref.name), " AS ", QuoteName(ref.alias)});
  }
  std::string_view join;
  switch (ref.join) {
    case TableRef::JoinType::kInner:
      join = " INNER JOIN ";
      break;
    case TableRef::JoinType::kLeft:
      join = " LEFT JOIN ";
      break;
    case TableRef::JoinType::kRight:
      join = " RIGHT JOIN ";
      break;
  }
  const bool nested = ref.right->kind == TableRef::Kind::kJoin;
  return Concat({EmitTableRef(*ref.left), join, nested ? "(" : "", EmitTableRef(*ref.right),
                 nested ? ")" : "", " ON ", EmitExpr(*ref.on)});
}

// `unnamed` counts the expressions without a name so far: Jet calls them
// Expr1000, Expr1001, ... and so do the snapshots and the tables made by
// SELECT ... INTO here.
std::string SelectItemText(const SelectItem& item, int& unnamed) {
  switch (item.kind) {
    case SelectItem::Kind::kStar:
      return "*";
    case SelectItem::Kind::kTableStar:
      return Concat({QuoteName(item.qualifier), ".*"});
    case SelectItem::Kind::kExpr:
      break;
  }
  if (!item.alias.empty()) return Concat({EmitExpr(*item.expr), " AS ", QuoteName(item.alias)});
  if (item.expr->kind == Expr::Kind::kColumn) {
    // Named as written, not as declared in its table: a new table made by
    // SELECT ... INTO gets the names the statement spells.
    return Concat({EmitExpr(*item.expr), " AS ", QuoteName(item.expr->text)});
  }
  return Concat(
      {EmitExpr(*item.expr), " AS ", QuoteName("Expr" + std::to_string(1000 + unnamed++))});
}

}  // namespace

std::string EmitSelect(const Select& select, std::string_view row_id_of, std::string_view row_id) {
  std::string out = select.distinct ? "SELECT DISTINCT " : "SELECT ";
  if (!row_id_of.empty()) {
    out += Concat({QuoteName(row_id_of), ".", row_id, ", "});
  }
  int unnamed = 0;
  for (std::size_t i = 0; i < select.items.size(); ++i) {
    if (i > 0) out += ", ";
    out += SelectItemText(select.items[i], unnamed);
  }
  out += " FROM ";
  for (std::size_t i = 0; i < select.from.size(); ++i) {
    if (i > 0) out += ", ";
    out += EmitTableRef(*select.from[i]);
  }
  if (select.where) {
    out += " WHERE ";
    out += EmitExpr(*select.where);
  }
  if (!select.group_by.empty()) {
    out += " GROUP BY ";
    out += EmitExprList(select.group_by);
  }
  if (select.having) {
    out += " HAVING ";
    out += EmitExpr(*select.having);
  }
  for (std::size_t i = 0; i < select.order_by.size(); ++i) {
    out += i == 0 ? " ORDER BY " : ", ";
    out += EmitExpr(*select.order_by[i].expr);
    if (select.order_by[i].descending) out += " DESC";
  }
  if (select.top) {
    out += " LIMIT ";
    out += std::to_string(*select.top);
  }
  return out;
}

std::string EmitInsert(const Insert& insert) {
  std::string out = Concat({"INSERT INTO ", QuoteName(insert.table)});
  for (std::size_t i = 0; i < insert.columns.size(); ++i) {
    out += i == 0 ? " (" : ", ";
    out += QuoteName(insert.columns[i]);
  }
  if (!insert.columns.empty()) out += ")";
  if (insert.select) {
    out += " ";
    out += EmitSelect(*insert.select);
  } else {
    out += Concat({" VALUES (", EmitExprList(insert.values), ")"});
  }
  return out;
}

std::string EmitUpdate(const Update& update) {
  std::string out = Concat({"UPDATE ", QuoteName(update.table), " SET "});
  for (std::size_t i = 0; i < update.assignments.size(); ++i) {
    if (i > 0) out += ", ";
    out += Concat(
        {QuoteName(update.assignments[i].column), " = ", EmitExpr(*update.assignments[i].value)});
  }
  if (update.where) {
    out += " WHERE ";
    out += EmitExpr(*update.where);
  }
  return out;
}

std::string EmitDelete(const Delete& del) {
  std::string out = Concat({"DELETE FROM ", QuoteName(del.table)});
  if (del.where) {
    out += " WHERE ";
    out += EmitExpr(*del.where);
  }
  return out;
}

std::string EmitColumnDef(const ColumnDef& column) {
  const std::optional<ColumnType> type = LookUpColumnType(column.type);
  if (!type) {
    throw Error(ErrorKind::kSyntax,
                Concat({"Syntax error in field definition: unknown type '", column.type, "'"}));
  }
  std::string out = Concat({QuoteName(column.name), " ", type->sqlite_type});
  if (type->auto_increment) {
    out += " PRIMARY KEY AUTOINCREMENT";
    return out;
  }
  if (type->sized_text && column.size) {
    const std::string size = std::to_string(*column.size);
    out += Concat({"(", size, ") ", EmitFieldSizeCheck(column.name, *column.size)});
  }
  if (column.not_null) out += " NOT NULL";
  if (column.primary_key) out += " PRIMARY KEY";
  return out;
}

std::string EmitFieldSizeCheck(std::string_view column, int size) {
  return Concat({"CONSTRAINT ", QuoteName(kFieldSizeConstraint), " CHECK (length(",
                 QuoteName(column), ") <= ", std::to_string(size), ")"});
}

std::string EmitCreateTable(const CreateTable& create) {
  std::string out = Concat({"CREATE TABLE ", QuoteName(create.table), " ("});
  for (std::size_t i = 0; i < create.columns.size(); ++i) {
    if (i > 0) out += ", ";
    out += EmitColumnDef(create.columns[i]);
  }
  out += ")";
  return out;
}

std::string EmitDropTable(const DropTable& drop) {
  return Concat({"DROP TABLE ", QuoteName(drop.table)});
}

}  // namespace dt::engine::standin
