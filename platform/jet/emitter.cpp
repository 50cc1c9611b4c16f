// Jet statements as SQLite statements. Join chains written with Jet's
// parentheses are laid out flat when they nest to the left, which SQLite
// reads with the same meaning; other nestings keep their parentheses.
#include "platform/jet/emitter.h"

#include "platform/jet/column_types.h"
#include "platform/jet/session.h"

namespace dt::jet {
namespace {

std::string EmitTableRef(const TableRef& ref) {
  if (ref.kind == TableRef::Kind::kTable) {
    std::string out = QuoteName(ref.name);
    if (!ref.alias.empty()) out += " AS " + QuoteName(ref.alias);
    return out;
  }
  std::string out = EmitTableRef(*ref.left);
  switch (ref.join) {
    case TableRef::JoinType::kInner:
      out += " INNER JOIN ";
      break;
    case TableRef::JoinType::kLeft:
      out += " LEFT JOIN ";
      break;
    case TableRef::JoinType::kRight:
      out += " RIGHT JOIN ";
      break;
  }
  if (ref.right->kind == TableRef::Kind::kJoin) {
    out += "(" + EmitTableRef(*ref.right) + ")";
  } else {
    out += EmitTableRef(*ref.right);
  }
  return out + " ON " + EmitExpr(*ref.on);
}

std::string ExprList(const std::vector<ExprPtr>& list) {
  std::string out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += ", ";
    out += EmitExpr(*list[i]);
  }
  return out;
}

}  // namespace

std::string EmitSelect(const Select& select, std::string_view row_id_of) {
  std::string out = select.distinct ? "SELECT DISTINCT " : "SELECT ";
  if (!row_id_of.empty()) out += QuoteName(row_id_of) + ".rowid, ";
  for (std::size_t i = 0; i < select.items.size(); ++i) {
    const SelectItem& item = select.items[i];
    if (i > 0) out += ", ";
    switch (item.kind) {
      case SelectItem::Kind::kStar:
        out += "*";
        break;
      case SelectItem::Kind::kTableStar:
        out += QuoteName(item.qualifier) + ".*";
        break;
      case SelectItem::Kind::kExpr:
        out += EmitExpr(*item.expr);
        if (!item.alias.empty()) {
          out += " AS " + QuoteName(item.alias);
        } else if (item.expr->kind == Expr::Kind::kColumn) {
          // Named as written, not as declared in its table: a new table made
          // by SELECT ... INTO gets the names the statement spells.
          out += " AS " + QuoteName(item.expr->text);
        }
        break;
    }
  }
  out += " FROM ";
  for (std::size_t i = 0; i < select.from.size(); ++i) {
    if (i > 0) out += ", ";
    out += EmitTableRef(*select.from[i]);
  }
  if (select.where) out += " WHERE " + EmitExpr(*select.where);
  if (!select.group_by.empty()) out += " GROUP BY " + ExprList(select.group_by);
  if (select.having) out += " HAVING " + EmitExpr(*select.having);
  if (!select.order_by.empty()) {
    out += " ORDER BY ";
    for (std::size_t i = 0; i < select.order_by.size(); ++i) {
      if (i > 0) out += ", ";
      out += EmitExpr(*select.order_by[i].expr);
      if (select.order_by[i].descending) out += " DESC";
    }
  }
  if (select.top) out += " LIMIT " + std::to_string(*select.top);
  return out;
}

std::string EmitInsert(const Insert& insert) {
  std::string out = "INSERT INTO " + QuoteName(insert.table);
  if (!insert.columns.empty()) {
    out += " (";
    for (std::size_t i = 0; i < insert.columns.size(); ++i) {
      if (i > 0) out += ", ";
      out += QuoteName(insert.columns[i]);
    }
    out += ")";
  }
  if (insert.select) return out + " " + EmitSelect(*insert.select);
  return out + " VALUES (" + ExprList(insert.values) + ")";
}

std::string EmitUpdate(const Update& update) {
  std::string out = "UPDATE " + QuoteName(update.table) + " SET ";
  for (std::size_t i = 0; i < update.assignments.size(); ++i) {
    if (i > 0) out += ", ";
    out += QuoteName(update.assignments[i].column) + " = " + EmitExpr(*update.assignments[i].value);
  }
  if (update.where) out += " WHERE " + EmitExpr(*update.where);
  return out;
}

std::string EmitDelete(const Delete& del) {
  std::string out = "DELETE FROM " + QuoteName(del.table);
  if (del.where) out += " WHERE " + EmitExpr(*del.where);
  return out;
}

std::string EmitColumnDef(const ColumnDef& column) {
  const std::optional<ColumnType> type = LookUpColumnType(column.type);
  if (!type) throw Error("Syntax error in field definition: unknown type '" + column.type + "'");
  std::string out = QuoteName(column.name) + " " + std::string(type->sqlite_type);
  if (type->auto_increment) return out + " PRIMARY KEY AUTOINCREMENT";
  if (column.not_null) out += " NOT NULL";
  if (column.primary_key) out += " PRIMARY KEY";
  return out;
}

std::string EmitCreateTable(const CreateTable& create) {
  std::string out = "CREATE TABLE " + QuoteName(create.table) + " (";
  for (std::size_t i = 0; i < create.columns.size(); ++i) {
    if (i > 0) out += ", ";
    out += EmitColumnDef(create.columns[i]);
  }
  return out + ")";
}

std::string EmitDropTable(const DropTable& drop) { return "DROP TABLE " + QuoteName(drop.table); }

}  // namespace dt::jet
