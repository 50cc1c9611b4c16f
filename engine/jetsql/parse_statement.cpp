// The statement half of the Jet SQL parser: SELECT with its clauses and
// join chains, INSERT, UPDATE, DELETE and the table definitions.
#include <charconv>
#include <utility>

#include "engine/error.h"
#include "engine/jetsql/column_types.h"
#include "engine/jetsql/parser_impl.h"

namespace dt::engine::internal {

ParsedStatement Parser::ParseStatement() {
  const Token& first = Peek();
  ParsedStatement statement;
  if (IsKeyword(first, "SELECT")) {
    statement = ParseSelect();
  } else if (AcceptKeyword("INSERT")) {
    statement = ParseInsert();
  } else if (AcceptKeyword("UPDATE")) {
    statement = ParseUpdate();
  } else if (AcceptKeyword("DELETE")) {
    statement = ParseDelete();
  } else if (AcceptKeyword("CREATE")) {
    statement = ParseCreateTable();
  } else if (AcceptKeyword("ALTER")) {
    statement = ParseAlterTable();
  } else if (AcceptKeyword("DROP")) {
    statement = ParseDropTable();
  } else {
    Fail(first, "SELECT, INSERT, UPDATE, DELETE, CREATE, ALTER or DROP");
  }
  ExpectEnd();
  return statement;
}

Select Parser::ParseSelect(bool allow_into) {
  Select select;
  ExpectKeyword("SELECT");
  if (AcceptKeyword("DISTINCT") || AcceptKeyword("DISTINCTROW")) {
    select.distinct = true;
  } else {
    AcceptKeyword("ALL");
  }
  if (AcceptKeyword("TOP")) {
    const Token& count = Peek();
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(count.text.data(), count.text.data() + count.text.size(), value);
    if (count.kind != TokenKind::kNumber || error != std::errc() ||
        end != count.text.data() + count.text.size()) {
      Fail(count, "a row count after TOP");
    }
    Advance();
    select.top = value;
  }
  ParseSelectItems(select);
  if (allow_into && AcceptKeyword("INTO")) {
    select.into = ParseTableName();
    if (AcceptKeyword("IN")) {
      if (Peek().kind != TokenKind::kString) Fail(Peek(), "a database path in quotes");
      select.into_db = Advance().text;
    }
  }
  ExpectKeyword("FROM");
  do {
    select.from.push_back(ParseTableRef());
  } while (AcceptSymbol(","));
  if (AcceptKeyword("WHERE")) select.where = ParseExpr();
  if (AcceptKeyword("GROUP")) {
    ExpectKeyword("BY");
    select.group_by = ParseExprList();
  }
  if (AcceptKeyword("HAVING")) select.having = ParseExpr();
  if (AcceptKeyword("ORDER")) {
    ExpectKeyword("BY");
    do {
      OrderItem item{ParseExpr(), false};
      if (AcceptKeyword("DESC")) {
        item.descending = true;
      } else {
        AcceptKeyword("ASC");
      }
      select.order_by.push_back(std::move(item));
    } while (AcceptSymbol(","));
  }
  return select;
}

void Parser::ParseSelectItems(Select& select) {
  do {
    SelectItem item{};
    if (AcceptSymbol("*")) {
      item.kind = SelectItem::Kind::kStar;
    } else if (AtName() && IsSymbol(Peek(1), ".") && IsSymbol(Peek(2), "*")) {
      item.kind = SelectItem::Kind::kTableStar;
      item.qualifier = Advance().text;
      Advance();
      Advance();
    } else {
      item.kind = SelectItem::Kind::kExpr;
      item.expr = ParseExpr();
      if (AcceptKeyword("AS")) {
        item.alias = ExpectName("a column alias");
      } else if (AtName()) {
        item.alias = Advance().text;
      }
    }
    select.items.push_back(std::move(item));
  } while (AcceptSymbol(","));
}

std::string Parser::ParseTableName() {
  // "Book.txt" names a file of a text source: the dotted parts make one name.
  std::string name = ExpectName("a table name");
  while (IsSymbol(Peek(), ".") &&
         (Peek(1).kind == TokenKind::kWord || Peek(1).kind == TokenKind::kBracketName)) {
    Advance();
    name += "." + Advance().text;
  }
  return name;
}

TableRefPtr Parser::ParseTableRef() {
  TableRefPtr left = ParseTablePrimary();
  while (true) {
    TableRef::JoinType type;
    if (AcceptKeyword("LEFT")) {
      type = TableRef::JoinType::kLeft;
      AcceptKeyword("OUTER");
    } else if (AcceptKeyword("RIGHT")) {
      type = TableRef::JoinType::kRight;
      AcceptKeyword("OUTER");
    } else if (AcceptKeyword("INNER")) {
      type = TableRef::JoinType::kInner;
    } else if (IsKeyword(Peek(), "JOIN")) {
      type = TableRef::JoinType::kInner;
    } else {
      return left;
    }
    ExpectKeyword("JOIN");
    auto join = std::make_unique<TableRef>();
    join->kind = TableRef::Kind::kJoin;
    join->join = type;
    join->left = std::move(left);
    join->right = ParseTablePrimary();
    ExpectKeyword("ON");
    join->on = ParseExpr();
    left = std::move(join);
  }
}

TableRefPtr Parser::ParseTablePrimary() {
  if (AcceptSymbol("(")) {
    const Nesting nesting(*this);
    TableRefPtr inner = ParseTableRef();
    ExpectSymbol(")");
    return inner;
  }
  if (++tables_ > kMaxTables) {
    throw Error(ErrorKind::kTooComplex,
                "Too many tables: a statement names at most " + std::to_string(kMaxTables));
  }
  auto table = std::make_unique<TableRef>();
  table->kind = TableRef::Kind::kTable;
  table->name = ParseTableName();
  if (AcceptKeyword("AS")) {
    table->alias = ExpectName("a table alias");
  } else if (AtName()) {
    table->alias = Advance().text;
  }
  return table;
}

Insert Parser::ParseInsert() {
  Insert insert;
  ExpectKeyword("INTO");
  insert.table = ParseTableName();
  if (AcceptSymbol("(")) {
    do {
      insert.columns.push_back(ExpectName("a field name"));
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
  }
  if (IsKeyword(Peek(), "SELECT")) {
    insert.select = ParseSelect(false);
  } else {
    ExpectKeyword("VALUES");
    ExpectSymbol("(");
    insert.values = ParseExprList();
    ExpectSymbol(")");
  }
  return insert;
}

Update Parser::ParseUpdate() {
  Update update;
  update.table = ParseTableName();
  ExpectKeyword("SET");
  do {
    Assignment assignment;
    assignment.column = ExpectName("a field name");
    if (AcceptSymbol(".")) assignment.column = ExpectName("a field name");
    ExpectSymbol("=");
    assignment.value = ParseExpr();
    update.assignments.push_back(std::move(assignment));
  } while (AcceptSymbol(","));
  if (AcceptKeyword("WHERE")) update.where = ParseExpr();
  return update;
}

Delete Parser::ParseDelete() {
  Delete del;
  AcceptSymbol("*");
  ExpectKeyword("FROM");
  del.table = ParseTableName();
  if (AcceptKeyword("WHERE")) del.where = ParseExpr();
  return del;
}

CreateTable Parser::ParseCreateTable() {
  CreateTable create;
  ExpectKeyword("TABLE");
  create.table = ParseTableName();
  ExpectSymbol("(");
  do {
    create.columns.push_back(ParseColumnDef());
  } while (AcceptSymbol(","));
  ExpectSymbol(")");
  return create;
}

AddColumn Parser::ParseAlterTable() {
  AddColumn add;
  ExpectKeyword("TABLE");
  add.table = ParseTableName();
  ExpectKeyword("ADD");
  AcceptKeyword("COLUMN");
  add.column = ParseColumnDef();
  return add;
}

DropTable Parser::ParseDropTable() {
  DropTable drop;
  ExpectKeyword("TABLE");
  drop.table = ParseTableName();
  return drop;
}

ColumnDef Parser::ParseColumnDef() {
  ColumnDef column;
  column.name = ExpectName("a field name");
  const Token& type = Peek();
  if (type.kind != TokenKind::kWord || !LookUpColumnType(type.text)) Fail(type, "a field type");
  column.type = Advance().text;
  if (AcceptSymbol("(")) {
    const Token& size = Peek();
    int value = 0;
    const auto [end, error] =
        std::from_chars(size.text.data(), size.text.data() + size.text.size(), value);
    if (size.kind != TokenKind::kNumber || error != std::errc() ||
        end != size.text.data() + size.text.size()) {
      Fail(size, "a field size");
    }
    Advance();
    column.size = value;
    if (AcceptSymbol(",")) {
      if (Peek().kind != TokenKind::kNumber) Fail(Peek(), "a scale");
      Advance();
    }
    ExpectSymbol(")");
  }
  while (true) {
    if (AcceptKeyword("NOT")) {
      ExpectKeyword("NULL");
      column.not_null = true;
    } else if (AcceptKeyword("PRIMARY")) {
      ExpectKeyword("KEY");
      column.primary_key = true;
    } else {
      return column;
    }
  }
}

}  // namespace dt::engine::internal
