// The parsed form of one Jet SQL statement, as the parser builds it and the
// emitter and the session read it. Names keep the letter case as written;
// every node owns its children.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace dt::engine {

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
  enum class Kind {
    kColumn,  // qualifier (may be empty) . name
    kString,  // text
    kNumber,  // text as written
    kDate,    // text between the hashes
    kNull,
    kBool,     // text "-1" (Jet's True) or "0"
    kUnary,    // op ("-", "+" or "NOT") args[0]
    kBinary,   // args[0] op args[1]; op as written in Jet, upper case for words
    kCall,     // name(args); star_argument for count(*)
    kIsNull,   // args[0] IS [NOT] NULL
    kBetween,  // args[0] [NOT] BETWEEN args[1] AND args[2]
    kInList,   // args[0] [NOT] IN (args[1..])
    kLike,     // args[0] [NOT] LIKE args[1], Jet's wildcards * ? # [..] [!..]
  };
  Kind kind;
  std::string text;       // literal text, column name, call name, operator
  std::string qualifier;  // kColumn: table or alias
  std::vector<ExprPtr> args;
  bool negated = false;        // kIsNull, kBetween, kInList
  bool star_argument = false;  // kCall: name(*)
  // kBinary comparison, kBetween, kInList: the operands are compared as
  // text, ignoring ASCII letter case and trailing spaces. Set from the
  // operands' types by MarkTextComparisons (text_comparison.h).
  bool compare_text = false;
  int depth = 1;  // levels of the tree below and including this node
};

struct TableRef;
using TableRefPtr = std::unique_ptr<TableRef>;

struct TableRef {
  enum class Kind { kTable, kJoin };
  enum class JoinType { kInner, kLeft, kRight };
  Kind kind;
  std::string name;   // kTable: the table
  std::string alias;  // kTable: optional alias
  JoinType join = JoinType::kInner;
  TableRefPtr left, right;  // kJoin
  ExprPtr on;               // kJoin
};

struct SelectItem {
  enum class Kind { kStar, kTableStar, kExpr };
  Kind kind;
  std::string qualifier;  // kTableStar
  ExprPtr expr;           // kExpr
  std::string alias;      // kExpr, optional
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct Select {
  bool distinct = false;
  std::optional<std::int64_t> top;
  std::vector<SelectItem> items;
  std::optional<std::string> into;     // SELECT ... INTO table
  std::optional<std::string> into_db;  // ... IN "database"
  std::vector<TableRefPtr> from;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  ExprPtr having;
  std::vector<OrderItem> order_by;
};

struct Insert {
  std::string table;
  std::vector<std::string> columns;  // empty: every column in table order
  std::optional<Select> select;      // INSERT ... SELECT
  std::vector<ExprPtr> values;       // INSERT ... VALUES (...)
};

struct Assignment {
  std::string column;
  ExprPtr value;
};

struct Update {
  std::string table;
  std::vector<Assignment> assignments;
  ExprPtr where;
};

struct Delete {
  std::string table;
  ExprPtr where;
};

struct ColumnDef {
  std::string name;
  std::string type;  // Jet type word, as written
  std::optional<int> size;
  bool not_null = false;
  bool primary_key = false;
};

struct CreateTable {
  std::string table;
  std::vector<ColumnDef> columns;
};

struct AddColumn {
  std::string table;
  ColumnDef column;
};

struct DropTable {
  std::string table;
};

using ParsedStatement =
    std::variant<Select, Insert, Update, Delete, CreateTable, AddColumn, DropTable>;

}  // namespace dt::engine
