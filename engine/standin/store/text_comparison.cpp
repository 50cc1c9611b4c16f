// Typing the operands of comparisons, and marking those that compare text.
#include "engine/standin/store/text_comparison.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "engine/jetsql/select_analysis.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

enum class Type { kText, kNumber, kOther };

// SQLite's affinity rules, in their order, on a declared field type.
Type TypeOfDeclared(std::string_view declared) {
  const std::string upper = platform::AsciiUpperCase(declared);
  auto has = [&](std::string_view part) { return upper.find(part) != std::string::npos; };
  if (has("INT")) return Type::kNumber;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return Type::kText;
  if (upper.empty() || has("BLOB")) return Type::kOther;
  return Type::kNumber;  // REAL, and NUMERIC for every other name
}

bool IsComparison(std::string_view op) {
  static constexpr std::array<std::string_view, 6> kComparisons = {"=", "<>", "<", ">", "<=", ">="};
  return std::find(kComparisons.begin(), kComparisons.end(), op) != kComparisons.end();
}

// The type of both of two values: the one they share, else neither.
Type Common(Type a, Type b) { return a == b ? a : Type::kOther; }

Type TypeOf(const Expr& expr, const StatementScope& scope);

Type TypeOfCall(const Expr& call, const StatementScope& scope) {
  auto is = [&](std::string_view name) {
    return platform::EqualIgnoringAsciiCase(call.text, name);
  };
  if (is("COUNT") || is("SUM") || is("AVG") || is("LEN")) return Type::kNumber;
  if (is("TRIM") || is("LTRIM") || is("RTRIM") || is("UCASE") || is("LCASE")) return Type::kText;
  if (call.args.empty()) return Type::kOther;
  if (is("MIN") || is("MAX")) return TypeOf(*call.args[0], scope);
  if (is("NZ")) {
    const Type value = TypeOf(*call.args[0], scope);
    return call.args.size() == 2 ? Common(value, TypeOf(*call.args[1], scope)) : value;
  }
  if (is("IIF") && call.args.size() == 3) {
    return Common(TypeOf(*call.args[1], scope), TypeOf(*call.args[2], scope));
  }
  return Type::kOther;  // CDATE gives a date
}

Type TypeOf(const Expr& expr, const StatementScope& scope) {
  switch (expr.kind) {
    case Expr::Kind::kColumn: {
      const auto field = scope.Resolve(expr);
      return field ? TypeOfDeclared(scope.ColumnOf(*field).type) : Type::kOther;
    }
    case Expr::Kind::kString:
      return Type::kText;
    case Expr::Kind::kDate:
    case Expr::Kind::kNull:
      return Type::kOther;
    case Expr::Kind::kCall:
      return TypeOfCall(expr, scope);
    case Expr::Kind::kBinary:
      if (expr.text == "&") return Type::kText;
      if (expr.text == "+") {
        // Text + text joins; a number on either side makes a sum.
        const Type left = TypeOf(*expr.args[0], scope);
        const Type right = TypeOf(*expr.args[1], scope);
        if (left == Type::kNumber || right == Type::kNumber) return Type::kNumber;
        return Common(left, right);
      }
      return Type::kNumber;  // arithmetic, and the truth of AND, OR, comparisons
    default:
      return Type::kNumber;  // numbers, truths, signs and NOT, IS NULL, BETWEEN, IN, LIKE
  }
}

void Mark(Expr& expr, const StatementScope& scope) {
  for (ExprPtr& arg : expr.args) Mark(*arg, scope);
  const bool comparison = (expr.kind == Expr::Kind::kBinary && IsComparison(expr.text)) ||
                          expr.kind == Expr::Kind::kBetween || expr.kind == Expr::Kind::kInList;
  if (!comparison) return;
  bool text = false;
  for (const ExprPtr& operand : expr.args) {
    const Type type = TypeOf(*operand, scope);
    if (type == Type::kNumber) return;
    text = text || type == Type::kText;
  }
  expr.compare_text = text;
}

void Mark(ExprPtr& expr, const StatementScope& scope) {
  if (expr) Mark(*expr, scope);
}

void MarkSelect(Select& select, const StatementScope& scope) {
  ForEachClause(select, [&](Expr& expr) { Mark(expr, scope); });
}

}  // namespace

void MarkTextComparisons(ParsedStatement& statement, const StatementScope& scope) {
  std::visit(
      [&](auto& parsed) {
        using Kind = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Kind, Select>) {
          MarkSelect(parsed, scope);
        } else if constexpr (std::is_same_v<Kind, Insert>) {
          if (parsed.select) MarkSelect(*parsed.select, scope);
          for (ExprPtr& value : parsed.values) Mark(value, scope);
        } else if constexpr (std::is_same_v<Kind, Update>) {
          for (Assignment& assignment : parsed.assignments) Mark(assignment.value, scope);
          Mark(parsed.where, scope);
        } else if constexpr (std::is_same_v<Kind, Delete>) {
          Mark(parsed.where, scope);
        }
      },
      statement);
}

}  // namespace dt::engine::standin
