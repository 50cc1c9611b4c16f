// Jet expressions as SQLite expressions. Every compound is parenthesised, so
// the precedence the parser found is kept whatever SQLite's own rules are.
#include <array>

#include "engine/error.h"
#include "engine/standin/sql/emitter.h"
#include "engine/standin/sql/jet_functions.h"
#include "engine/standin/sql/sql_text.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

void CheckArity(const Expr& call, std::size_t min, std::size_t max) {
  if (call.star_argument || call.args.size() < min || call.args.size() > max) {
    throw Error(ErrorKind::kSyntax, Concat({"Wrong number of arguments used with function '",
                                            call.text, "' in query expression"}));
  }
}

std::string EmitCall(const Expr& call) {
  const std::string& name = call.text;
  auto is = [&](std::string_view candidate) {
    return platform::EqualIgnoringAsciiCase(name, candidate);
  };
  if (is("COUNT")) {
    if (call.star_argument) return "count(*)";
    CheckArity(call, 1, 1);
    return Concat({"count(", EmitExprList(call.args), ")"});
  }
  static constexpr std::array<std::string_view, 4> kAggregates = {"SUM", "MIN", "MAX", "AVG"};
  for (std::string_view aggregate : kAggregates) {
    if (is(aggregate)) {
      CheckArity(call, 1, 1);
      return Concat({"(", aggregate, "(", EmitExprList(call.args), "))"});
    }
  }
  // Jet's own functions that have an exact SQLite counterpart.
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kSingle = {{
      {"CDATE", "jet_cdate"},
      {"TRIM", "trim"},
      {"LTRIM", "ltrim"},
      {"RTRIM", "rtrim"},
      {"UCASE", "upper"},
      {"LCASE", "lower"},
      {"LEN", "length"},
  }};
  for (const auto& [jet_name, sqlite_name] : kSingle) {
    if (is(jet_name)) {
      CheckArity(call, 1, 1);
      // trim and its kin remove spaces only, as Jet's do.
      return Concat({sqlite_name, "(", EmitExprList(call.args), ")"});
    }
  }
  if (is("IIF")) {
    CheckArity(call, 3, 3);
    // Not SQLite's CASE, which leaves the untaken branch alone: Jet may
    // evaluate it, and a statement must hold either way.
    return Concat({"jet_iif(", EmitExprList(call.args), ")"});
  }
  if (is("NZ")) {
    CheckArity(call, 1, 2);
    const std::string fallback = call.args.size() == 2 ? EmitExpr(*call.args[1]) : "''";
    return Concat({"ifnull(", EmitExpr(*call.args[0]), ", ", fallback, ")"});
  }
  throw Error(ErrorKind::kUnsupported, Concat({"Undefined function '", name, "' in expression"}));
}

// An operand of a comparison of text, as its key. A literal's key is made
// here, once, rather than on every row.
std::string TextOperand(const Expr& operand) {
  if (operand.kind == Expr::Kind::kString) return QuoteText(TextKey(operand.text));
  return EmitTextKey(EmitExpr(operand));
}

// An operand of a comparison: as its key when the comparison compares text.
std::string Operand(const Expr& expr, std::size_t index) {
  return expr.compare_text ? TextOperand(*expr.args[index]) : EmitExpr(*expr.args[index]);
}

std::string EmitBinary(const Expr& expr) {
  if (expr.compare_text) {
    return Concat({"(", Operand(expr, 0), " ", expr.text, " ", Operand(expr, 1), ")"});
  }
  const std::string left = EmitExpr(*expr.args[0]);
  const std::string right = EmitExpr(*expr.args[1]);
  const std::string& op = expr.text;
  if (op == "+") return Concat({"jet_add(", left, ", ", right, ")"});
  if (op == "&") return Concat({"jet_concat(", left, ", ", right, ")"});
  // Jet's / always divides as real numbers.
  if (op == "/") return Concat({"(CAST(", left, " AS REAL) / ", right, ")"});
  if (op == "MOD") return Concat({"(", left, " % ", right, ")"});
  return Concat({"(", left, " ", op, " ", right, ")"});
}

std::string EmitList(const Expr& expr) {
  std::string out = Concat({"(", Operand(expr, 0), expr.negated ? " NOT IN (" : " IN ("});
  for (std::size_t i = 1; i < expr.args.size(); ++i) {
    if (i > 1) out += ", ";
    out += Operand(expr, i);
  }
  out += "))";
  return out;
}

// SQLite reads SQL text up to a zero byte, so a name or a literal cannot
// hold one: refuse it here rather than send a statement cut short.
std::string Quoted(std::string_view text, char quote, std::string_view what) {
  if (text.find('\0') != std::string_view::npos) {
    throw Error(ErrorKind::kUnsupported,
                Concat({"Invalid ", what, " '", text.substr(0, text.find('\0')),
                        "...': it holds a zero byte"}));
  }
  std::string out(1, quote);
  for (char c : text) {
    if (c == quote) out += quote;
    out += c;
  }
  out += quote;
  return out;
}

// Jet reads #1/5/20# month first, cdate year first: only a literal that
// starts with a four-digit year means the same to both.
std::string EmitDateLiteral(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  const std::string_view date = start == std::string_view::npos ? "" : text.substr(start);
  const bool year_first = date.size() > 4 && date.find_first_not_of("0123456789") == 4 &&
                          (date[4] == '-' || date[4] == '/');
  if (!year_first) {
    throw Error(ErrorKind::kUnsupported,
                Concat({"Date literal '#", text, "#' is not supported: write it as #yyyy-mm-dd#"}));
  }
  return Concat({"jet_cdate(", QuoteText(text), ")"});
}

}  // namespace

std::string QuoteName(std::string_view name) { return Quoted(name, '"', "name"); }

std::string QuoteText(std::string_view text) { return Quoted(text, '\'', "text"); }

std::string EmitTextKey(std::string_view operand) {
  return Concat({"jet_text_key(", operand, ")"});
}

std::string EmitExprList(const std::vector<ExprPtr>& list) {
  std::string out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += ", ";
    out += EmitExpr(*list[i]);
  }
  return out;
}

std::string EmitExpr(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::kColumn:
      if (expr.qualifier.empty()) return QuoteName(expr.text);
      return Concat({QuoteName(expr.qualifier), ".", QuoteName(expr.text)});
    case Expr::Kind::kString:
      return QuoteText(expr.text);
    case Expr::Kind::kNumber:
    case Expr::Kind::kBool:
      return expr.text;
    case Expr::Kind::kDate:
      return EmitDateLiteral(expr.text);
    case Expr::Kind::kNull:
      return "NULL";
    case Expr::Kind::kUnary:
      return Concat({"(", expr.text, " ", EmitExpr(*expr.args[0]), ")"});
    case Expr::Kind::kBinary:
      return EmitBinary(expr);
    case Expr::Kind::kCall:
      return EmitCall(expr);
    case Expr::Kind::kIsNull:
      return Concat({"(", EmitExpr(*expr.args[0]), expr.negated ? " IS NOT NULL)" : " IS NULL)"});
    case Expr::Kind::kBetween:
      return Concat({"(", Operand(expr, 0), expr.negated ? " NOT" : "", " BETWEEN ",
                     Operand(expr, 1), " AND ", Operand(expr, 2), ")"});
    case Expr::Kind::kInList:
      return EmitList(expr);
    case Expr::Kind::kLike:
      // GLOB shares Jet's * ? and [..]; jet_like_pattern rewrites # and [!..].
      return Concat({"(", EmitExpr(*expr.args[0]), expr.negated ? " NOT GLOB " : " GLOB ",
                     "jet_like_pattern(", EmitExpr(*expr.args[1]), "))"});
  }
  throw Error(ErrorKind::kUnsupported, "Unsupported expression");
}

}  // namespace dt::engine::standin
