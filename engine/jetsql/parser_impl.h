// The recursive-descent parser behind Parse(): a cursor over the tokens of
// one statement. Shared by the expression and the statement halves of the
// parser; not used elsewhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/jetsql/ast.h"
#include "engine/jetsql/tokenizer.h"

namespace dt::engine::internal {

struct Operator;  // one of Jet's operators (parse_expression.cpp)

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  ParsedStatement ParseStatement();

  // Expressions (parse_expression.cpp).
  ExprPtr ParseExpr();

 private:
  // Cursor.
  const Token& Peek(std::size_t ahead = 0) const;
  const Token& Advance();
  bool AcceptKeyword(std::string_view keyword);
  bool AcceptSymbol(std::string_view symbol);
  void ExpectKeyword(std::string_view keyword);
  void ExpectSymbol(std::string_view symbol);
  [[noreturn]] void Fail(const Token& token, std::string_view expected) const;
  // A name: a bare word that is no reserved word, or a [bracketed] name.
  bool AtName() const;
  std::string ExpectName(std::string_view what);
  void ExpectEnd();

  // Expressions.
  // An expression whose operators bind at least as tightly as
  // `min_precedence` (see the operator table).
  ExprPtr ParseOperation(int min_precedence);
  // What follows the infix operator `op` (its NOT, if `negated`, and the
  // operator taken already), with `left` as its first operand.
  ExprPtr ParseInfix(const Operator& op, bool negated, ExprPtr left);
  ExprPtr ParsePrimary();
  ExprPtr ParseNameOrCall();
  std::vector<ExprPtr> ParseExprList();

  // Statements (parse_statement.cpp).
  // `allow_into`: SELECT ... INTO is a statement of its own, not the source
  // of an INSERT.
  Select ParseSelect(bool allow_into = true);
  void ParseSelectItems(Select& select);
  TableRefPtr ParseTableRef();
  TableRefPtr ParseTablePrimary();
  std::string ParseTableName();
  Insert ParseInsert();
  Update ParseUpdate();
  Delete ParseDelete();
  CreateTable ParseCreateTable();
  AddColumn ParseAlterTable();
  DropTable ParseDropTable();
  ColumnDef ParseColumnDef();

  // Guards against statements nested so deeply that working on them would
  // exhaust the stack: parentheses, NOT and signs, expression trees, joins.
  class Nesting {
   public:
    explicit Nesting(Parser& parser);
    ~Nesting() { --parser_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };
  // Sets `expr`'s depth from its children; raises engine::Error past the limit.
  ExprPtr Measured(ExprPtr expr) const;

  std::vector<Token> tokens_;
  std::size_t pos_ = 0;
  int nesting_ = 0;
  int tables_ = 0;
};

// How deep a statement may nest, and how many tables it may name.
inline constexpr int kMaxNesting = 200;
inline constexpr int kMaxTables = 64;

// True for words that end a clause or start one, and so can be neither a
// bare name nor an alias.
bool IsReservedWord(std::string_view word);

}  // namespace dt::engine::internal
