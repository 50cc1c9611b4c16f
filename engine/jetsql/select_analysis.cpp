// Walks the parsed form of a SELECT for the tables it reads and for
// aggregates.
#include "engine/jetsql/select_analysis.h"

#include <array>

#include "platform/codepage.h"

namespace dt::engine {
namespace {

void Collect(const TableRef& ref, std::vector<const TableRef*>& tables) {
  if (ref.kind == TableRef::Kind::kTable) {
    tables.push_back(&ref);
    return;
  }
  Collect(*ref.left, tables);
  Collect(*ref.right, tables);
}

bool HasAggregate(const Expr& expr) {
  static constexpr std::array<std::string_view, 5> kAggregates = {"COUNT", "SUM", "MIN", "MAX",
                                                                  "AVG"};
  if (expr.kind == Expr::Kind::kCall) {
    for (std::string_view name : kAggregates) {
      if (platform::EqualIgnoringAsciiCase(expr.text, name)) return true;
    }
  }
  for (const ExprPtr& arg : expr.args) {
    if (HasAggregate(*arg)) return true;
  }
  return false;
}

}  // namespace

std::vector<const TableRef*> TableRefsRead(const Select& select) {
  std::vector<const TableRef*> tables;
  for (const TableRefPtr& ref : select.from) Collect(*ref, tables);
  return tables;
}

std::optional<SingleTable> SingleTableOf(const Select& select) {
  if (select.from.size() != 1 || select.from[0]->kind != TableRef::Kind::kTable ||
      select.distinct || !select.group_by.empty() || select.having) {
    return std::nullopt;
  }
  for (const SelectItem& item : select.items) {
    if (item.expr && HasAggregate(*item.expr)) return std::nullopt;
  }
  const TableRef& ref = *select.from[0];
  return SingleTable{ref.name, ref.alias.empty() ? ref.name : ref.alias};
}

std::optional<ImportReading> ImportOf(const ParsedStatement& statement) {
  const auto* select = std::get_if<Select>(&statement);
  const bool is_import =
      select != nullptr && select->into && select->into_db && select->items.size() == 1 &&
      select->items[0].kind == SelectItem::Kind::kStar && select->from.size() == 1 &&
      select->from[0]->kind == TableRef::Kind::kTable && !select->where && !select->distinct &&
      !select->top && select->group_by.empty() && !select->having && select->order_by.empty();
  if (!is_import) return std::nullopt;
  return ImportReading{*select->into, *select->into_db, select->from[0]->name};
}

}  // namespace dt::engine
