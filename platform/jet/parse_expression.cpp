// The expression half of the Jet SQL parser. Levels from loosest to
// tightest: OR, AND, NOT, comparisons (= <> < > <= >=, IS [NOT] NULL,
// [NOT] BETWEEN, [NOT] IN), &, + -, MOD, * /, unary - +, primaries.
#include <utility>

#include "platform/jet/parser_impl.h"
#include "platform/jet/session.h"

namespace dt::jet::internal {
namespace {

ExprPtr MakeExpr(Expr::Kind kind, std::string text = {}) {
  auto expr = std::make_unique<Expr>();
  expr->kind = kind;
  expr->text = std::move(text);
  return expr;
}

ExprPtr MakeBinary(std::string op, ExprPtr left, ExprPtr right) {
  auto expr = MakeExpr(Expr::Kind::kBinary, std::move(op));
  expr->args.push_back(std::move(left));
  expr->args.push_back(std::move(right));
  return expr;
}

}  // namespace

ExprPtr Parser::ParseExpr() { return ParseOr(); }

ExprPtr Parser::ParseOr() {
  ExprPtr left = ParseAnd();
  while (AcceptKeyword("OR")) left = Measured(MakeBinary("OR", std::move(left), ParseAnd()));
  return left;
}

ExprPtr Parser::ParseAnd() {
  ExprPtr left = ParseNot();
  while (AcceptKeyword("AND")) left = Measured(MakeBinary("AND", std::move(left), ParseNot()));
  return left;
}

ExprPtr Parser::ParseNot() {
  if (AcceptKeyword("NOT")) {
    const Nesting nesting(*this);
    auto expr = MakeExpr(Expr::Kind::kUnary, "NOT");
    expr->args.push_back(ParseNot());
    return Measured(std::move(expr));
  }
  return ParseComparison();
}

ExprPtr Parser::ParseComparison() {
  ExprPtr left = ParseConcat();
  static constexpr std::string_view kOperators[] = {"=", "<>", "<", ">", "<=", ">="};
  for (std::string_view op : kOperators) {
    if (AcceptSymbol(op)) {
      return Measured(MakeBinary(std::string(op), std::move(left), ParseConcat()));
    }
  }
  if (AcceptKeyword("IS")) {
    auto expr = MakeExpr(Expr::Kind::kIsNull);
    expr->negated = AcceptKeyword("NOT");
    ExpectKeyword("NULL");
    expr->args.push_back(std::move(left));
    return Measured(std::move(expr));
  }
  const bool negated =
      IsKeyword(Peek(), "NOT") &&
      (IsKeyword(Peek(1), "BETWEEN") || IsKeyword(Peek(1), "IN") || IsKeyword(Peek(1), "LIKE"));
  if (negated) Advance();
  if (AcceptKeyword("BETWEEN")) {
    auto expr = MakeExpr(Expr::Kind::kBetween);
    expr->negated = negated;
    expr->args.push_back(std::move(left));
    expr->args.push_back(ParseConcat());
    ExpectKeyword("AND");
    expr->args.push_back(ParseConcat());
    return Measured(std::move(expr));
  }
  if (AcceptKeyword("LIKE")) {
    auto expr = MakeExpr(Expr::Kind::kLike);
    expr->negated = negated;
    expr->args.push_back(std::move(left));
    expr->args.push_back(ParseConcat());
    return Measured(std::move(expr));
  }
  if (AcceptKeyword("IN")) {
    auto expr = MakeExpr(Expr::Kind::kInList);
    expr->negated = negated;
    expr->args.push_back(std::move(left));
    ExpectSymbol("(");
    for (ExprPtr& item : ParseExprList()) expr->args.push_back(std::move(item));
    ExpectSymbol(")");
    return Measured(std::move(expr));
  }
  return left;
}

ExprPtr Parser::ParseConcat() {
  ExprPtr left = ParseAdditive();
  while (AcceptSymbol("&")) left = Measured(MakeBinary("&", std::move(left), ParseAdditive()));
  return left;
}

ExprPtr Parser::ParseAdditive() {
  ExprPtr left = ParseModulo();
  while (true) {
    if (AcceptSymbol("+")) {
      left = Measured(MakeBinary("+", std::move(left), ParseModulo()));
    } else if (AcceptSymbol("-")) {
      left = Measured(MakeBinary("-", std::move(left), ParseModulo()));
    } else {
      return left;
    }
  }
}

ExprPtr Parser::ParseModulo() {
  ExprPtr left = ParseMultiplicative();
  while (AcceptKeyword("MOD"))
    left = Measured(MakeBinary("MOD", std::move(left), ParseMultiplicative()));
  return left;
}

ExprPtr Parser::ParseMultiplicative() {
  ExprPtr left = ParseUnary();
  while (true) {
    if (AcceptSymbol("*")) {
      left = Measured(MakeBinary("*", std::move(left), ParseUnary()));
    } else if (AcceptSymbol("/")) {
      left = Measured(MakeBinary("/", std::move(left), ParseUnary()));
    } else {
      return left;
    }
  }
}

ExprPtr Parser::ParseUnary() {
  for (std::string_view op : {"-", "+"}) {
    if (AcceptSymbol(op)) {
      const Nesting nesting(*this);
      auto expr = MakeExpr(Expr::Kind::kUnary, std::string(op));
      expr->args.push_back(ParseUnary());
      return Measured(std::move(expr));
    }
  }
  return ParsePrimary();
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

}  // namespace dt::jet::internal
