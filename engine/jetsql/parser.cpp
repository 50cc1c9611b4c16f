// Entry of the Jet SQL parser and the token cursor its two halves share.
#include "engine/jetsql/parser.h"

#include <algorithm>
#include <array>

#include "engine/error.h"
#include "engine/jetsql/parser_impl.h"
#include "platform/codepage.h"

namespace dt::engine {
namespace internal {

bool IsReservedWord(std::string_view word) {
  static constexpr std::array<std::string_view, 38> kReserved = {
      "ADD",    "ALL",    "ALTER",  "AND",   "AS",       "ASC",  "BETWEEN", "BY",
      "COLUMN", "CREATE", "DELETE", "DESC",  "DISTINCT", "DROP", "FROM",    "FULL",
      "GROUP",  "HAVING", "IN",     "INNER", "INSERT",   "INTO", "IS",      "JOIN",
      "LEFT",   "LIKE",   "NOT",    "NULL",  "ON",       "OR",   "ORDER",   "OUTER",
      "RIGHT",  "SELECT", "SET",    "UNION", "VALUES",   "WHERE"};
  for (std::string_view reserved : kReserved) {
    if (platform::EqualIgnoringAsciiCase(word, reserved)) return true;
  }
  return false;
}

const Token& Parser::Peek(std::size_t ahead) const {
  const std::size_t index = pos_ + ahead;
  return index < tokens_.size() ? tokens_[index] : tokens_.back();
}

const Token& Parser::Advance() {
  const Token& token = tokens_[pos_];
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return token;
}

bool Parser::AcceptKeyword(std::string_view keyword) {
  if (!IsKeyword(Peek(), keyword)) return false;
  Advance();
  return true;
}

bool Parser::AcceptSymbol(std::string_view symbol) {
  if (!IsSymbol(Peek(), symbol)) return false;
  Advance();
  return true;
}

void Parser::ExpectKeyword(std::string_view keyword) {
  if (!AcceptKeyword(keyword)) Fail(Peek(), keyword);
}

void Parser::ExpectSymbol(std::string_view symbol) {
  if (!AcceptSymbol(symbol)) Fail(Peek(), "'" + std::string(symbol) + "'");
}

void Parser::Fail(const Token& token, std::string_view expected) const {
  std::string message = "Syntax error near '" + Describe(token) + "'";
  if (token.kind != TokenKind::kEnd) message += " at position " + std::to_string(token.offset + 1);
  if (!expected.empty()) message += ": expected " + std::string(expected);
  throw Error(ErrorKind::kSyntax, message);
}

bool Parser::AtName() const {
  const Token& token = Peek();
  return token.kind == TokenKind::kBracketName ||
         (token.kind == TokenKind::kWord && !IsReservedWord(token.text));
}

std::string Parser::ExpectName(std::string_view what) {
  if (!AtName()) Fail(Peek(), what);
  return Advance().text;
}

Parser::Nesting::Nesting(Parser& parser) : parser_(parser) {
  if (++parser_.nesting_ > kMaxNesting) {
    --parser_.nesting_;
    throw Error(ErrorKind::kTooComplex,
                "Statement too complex: more than " + std::to_string(kMaxNesting) +
                    " nested levels at position " + std::to_string(parser_.Peek().offset + 1));
  }
}

ExprPtr Parser::Measured(ExprPtr expr) const {
  int deepest = 0;
  for (const ExprPtr& arg : expr->args) deepest = std::max(deepest, arg->depth);
  expr->depth = deepest + 1;
  if (expr->depth > kMaxNesting) {
    throw Error(ErrorKind::kTooComplex, "Expression too complex: it nests more than " +
                                            std::to_string(kMaxNesting) + " levels deep");
  }
  return expr;
}

void Parser::ExpectEnd() {
  AcceptSymbol(";");
  if (Peek().kind != TokenKind::kEnd) Fail(Peek(), "end of statement");
}

}  // namespace internal

ParsedStatement Parse(std::string_view sql) {
  internal::Parser parser(Tokenize(sql));
  return parser.ParseStatement();
}

}  // namespace dt::engine
