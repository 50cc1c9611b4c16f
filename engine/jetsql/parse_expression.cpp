// The expression half of the Jet SQL parser: precedence climbing over one
// table of Jet's operators, which is the only statement of their precedence.
#include <climits>
#include <utility>

#include "engine/error.h"
#include "engine/jetsql/parser_impl.h"

namespace dt::engine::internal {

enum class Associativity {
  kLeft,   // a - b - c is (a - b) - c
  kRight,  // the operand of a prefix operator may start with the same operator: NOT NOT a
  kNone,   // a = b = c is an error
};

struct Operator {
  std::string_view text;  // the symbol, or the word in upper case
  int precedence;         // higher binds tighter
  Associativity associativity;
  // kUnary for a prefix operator; kBinary for an infix one; kIsNull,
  // kBetween, kLike and kInList for the comparisons written with words.
  Expr::Kind kind;
};

// Jet's operators, loosest first. NOT takes a whole comparison (NOT a = b is
// NOT (a = b)); the signs take a single operand (-a * b is (-a) * b).
// Comparisons do not chain. ^ and \ are not supported.
constexpr Operator kOperators[] = {
    {"OR", 1, Associativity::kLeft, Expr::Kind::kBinary},
    {"AND", 2, Associativity::kLeft, Expr::Kind::kBinary},
    {"NOT", 3, Associativity::kRight, Expr::Kind::kUnary},
    {"=", 4, Associativity::kNone, Expr::Kind::kBinary},
    {"<>", 4, Associativity::kNone, Expr::Kind::kBinary},
    {"<", 4, Associativity::kNone, Expr::Kind::kBinary},
    {">", 4, Associativity::kNone, Expr::Kind::kBinary},
    {"<=", 4, Associativity::kNone, Expr::Kind::kBinary},
    {">=", 4, Associativity::kNone, Expr::Kind::kBinary},
    {"IS", 4, Associativity::kNone, Expr::Kind::kIsNull},        // IS [NOT] NULL
    {"BETWEEN", 4, Associativity::kNone, Expr::Kind::kBetween},  // [NOT] BETWEEN x AND y
    {"LIKE", 4, Associativity::kNone, Expr::Kind::kLike},        // [NOT] LIKE
    {"IN", 4, Associativity::kNone, Expr::Kind::kInList},        // [NOT] IN (list)
    {"&", 5, Associativity::kLeft, Expr::Kind::kBinary},
    {"+", 6, Associativity::kLeft, Expr::Kind::kBinary},
    {"-", 6, Associativity::kLeft, Expr::Kind::kBinary},
    {"MOD", 7, Associativity::kLeft, Expr::Kind::kBinary},
    {"*", 8, Associativity::kLeft, Expr::Kind::kBinary},
    {"/", 8, Associativity::kLeft, Expr::Kind::kBinary},
    {"-", 9, Associativity::kRight, Expr::Kind::kUnary},
    {"+", 9, Associativity::kRight, Expr::Kind::kUnary},
};

namespace {

// The operator `token` is, prefix or infix as `prefix` asks; or null.
const Operator* FindOperator(const Token& token, bool prefix) {
  for (const Operator& op : kOperators) {
    if ((op.kind == Expr::Kind::kUnary) == prefix &&
        (IsKeyword(token, op.text) || IsSymbol(token, op.text))) {
      return &op;
    }
  }
  return nullptr;
}

// The infix operator `first` is, or that `second` is when `first` is the
// NOT of NOT BETWEEN, NOT LIKE or NOT IN (then `negated` is set); or null.
const Operator* InfixOperator(const Token& first, const Token& second, bool& negated) {
  negated = IsKeyword(first, "NOT");
  const Operator* op = FindOperator(negated ? second : first, /*prefix=*/false);
  const bool negatable =
      op != nullptr && (op->kind == Expr::Kind::kBetween || op->kind == Expr::Kind::kLike ||
                        op->kind == Expr::Kind::kInList);
  return !negated || negatable ? op : nullptr;
}

// How tightly the operators of the operand right of `op` must bind.
int RightPrecedence(const Operator& op) {
  return op.associativity == Associativity::kRight ? op.precedence : op.precedence + 1;
}

ExprPtr MakeExpr(Expr::Kind kind, std::string text = {}) {
  auto expr = std::make_unique<Expr>();
  expr->kind = kind;
  expr->text = std::move(text);
  return expr;
}

}  // namespace

// Precedence 0 is below every operator's.
ExprPtr Parser::ParseExpr() { return ParseOperation(0); }

ExprPtr Parser::ParseOperation(int min_precedence) {
  ExprPtr left;
  // Operators from this precedence up cannot follow `left`: either its last
  // operand would have taken them, or they do not chain.
  int bound = INT_MAX;
  const Operator* prefix = FindOperator(Peek(), /*prefix=*/true);
  if (prefix != nullptr && prefix->precedence >= min_precedence) {
    Advance();
    const Nesting nesting(*this);
    left = MakeExpr(Expr::Kind::kUnary, std::string(prefix->text));
    left->args.push_back(ParseOperation(RightPrecedence(*prefix)));
    left = Measured(std::move(left));
    bound = RightPrecedence(*prefix);
  } else {
    left = ParsePrimary();
  }
  while (true) {
    bool negated = false;
    const Operator* op = InfixOperator(Peek(), Peek(1), negated);
    if (op == nullptr || op->precedence < min_precedence || op->precedence >= bound) return left;
    if (negated) Advance();
    Advance();
    left = ParseInfix(*op, negated, std::move(left));
    bound = op->associativity == Associativity::kNone ? op->precedence : RightPrecedence(*op);
  }
}

ExprPtr Parser::ParseInfix(const Operator& op, bool negated, ExprPtr left) {
  const int right_precedence = RightPrecedence(op);
  auto expr = MakeExpr(op.kind);
  expr->negated = negated;
  expr->args.push_back(std::move(left));
  switch (op.kind) {
    case Expr::Kind::kIsNull:
      expr->negated = AcceptKeyword("NOT");
      ExpectKeyword("NULL");
      break;
    case Expr::Kind::kBetween:
      expr->args.push_back(ParseOperation(right_precedence));
      ExpectKeyword("AND");
      expr->args.push_back(ParseOperation(right_precedence));
      break;
    case Expr::Kind::kInList:
      ExpectSymbol("(");
      for (ExprPtr& item : ParseExprList()) expr->args.push_back(std::move(item));
      ExpectSymbol(")");
      break;
    default:  // kBinary, kLike
      if (op.kind == Expr::Kind::kBinary) expr->text = op.text;
      expr->args.push_back(ParseOperation(right_precedence));
      break;
  }
  return Measured(std::move(expr));
}

ExprPtr Parser::ParsePrimary() {
  const Token& token = Peek();
  switch (token.kind) {
    case TokenKind::kString:
      return MakeExpr(Expr::Kind::kString, Advance().text);
    case TokenKind::kNumber:
      return MakeExpr(Expr::Kind::kNumber, Advance().text);
    case TokenKind::kDate:
      return MakeExpr(Expr::Kind::kDate, Advance().text);
    case TokenKind::kSymbol:
      if (AcceptSymbol("(")) {
        const Nesting nesting(*this);
        ExprPtr inner = ParseExpr();
        ExpectSymbol(")");
        return inner;
      }
      break;
    case TokenKind::kWord:
      if (AcceptKeyword("NULL")) return MakeExpr(Expr::Kind::kNull);
      if (AcceptKeyword("TRUE")) return MakeExpr(Expr::Kind::kBool, "-1");
      if (AcceptKeyword("FALSE")) return MakeExpr(Expr::Kind::kBool, "0");
      break;
    default:
      break;
  }
  if (AtName()) return ParseNameOrCall();
  Fail(token, "an expression");
}

ExprPtr Parser::ParseNameOrCall() {
  const bool bracketed = Peek().kind == TokenKind::kBracketName;
  std::string first = Advance().text;
  if (!bracketed && AcceptSymbol("(")) {
    auto call = MakeExpr(Expr::Kind::kCall, std::move(first));
    const Nesting nesting(*this);
    if (AcceptSymbol("*")) {
      call->star_argument = true;
    } else if (!IsSymbol(Peek(), ")")) {
      call->args = ParseExprList();
    }
    ExpectSymbol(")");
    return Measured(std::move(call));
  }
  auto column = MakeExpr(Expr::Kind::kColumn);
  if (AcceptSymbol(".")) {
    column->qualifier = std::move(first);
    column->text = ExpectName("a field name");
  } else {
    column->text = std::move(first);
  }
  return column;
}

std::vector<ExprPtr> Parser::ParseExprList() {
  std::vector<ExprPtr> list;
  do {
    list.push_back(ParseExpr());
  } while (AcceptSymbol(","));
  return list;
}

}  // namespace dt::engine::internal
