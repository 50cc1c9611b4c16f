// The export model against the statements it declares: the references of
// the derived tables are exactly the outer joins and the filter their
// statements make, read by the stand-in's own parser, and each source
// table's join keys are the columns those joins compare.
#include "src/model/export_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <variant>

#include "engine/jetsql/parser.h"
#include "platform/codepage.h"

namespace dt {
namespace {

using engine::Expr;
using engine::Parse;
using engine::Select;
using engine::TableRef;

using Reference = std::tuple<std::string, std::string, std::string, std::string, std::string,
                             std::string, std::string>;

std::string Upper(std::string_view text) { return platform::AsciiUpperCase(text); }

// Every left join of `from`, as references of `derived`, with the
// statement's filter; tables named by their aliases in `tables`.
void CollectJoins(const TableRef& from, const std::string& derived,
                  std::map<std::string, std::string>& tables, const Expr* where,
                  std::vector<Reference>& out) {
  if (from.kind == TableRef::Kind::kTable) {
    tables[Upper(from.alias.empty() ? from.name : from.alias)] = Upper(from.name);
    return;
  }
  CollectJoins(*from.left, derived, tables, where, out);
  CollectJoins(*from.right, derived, tables, where, out);
  ASSERT_EQ(from.join, TableRef::JoinType::kLeft);
  ASSERT_TRUE(from.on && from.on->kind == Expr::Kind::kBinary && from.on->text == "=");
  const Expr& key = *from.on->args[0];
  const Expr& looked_up = *from.on->args[1];
  std::string filter_column, filter_value;
  if (where != nullptr) {
    ASSERT_TRUE(where->kind == Expr::Kind::kBinary && where->text == "=");
    ASSERT_EQ(Upper(where->args[0]->qualifier), Upper(key.qualifier)) << "a filter of the rows";
    filter_column = Upper(where->args[0]->text);
    filter_value = where->args[1]->text;
  }
  out.emplace_back(derived, tables.at(Upper(key.qualifier)), Upper(key.text),
                   tables.at(Upper(looked_up.qualifier)), Upper(looked_up.text), filter_column,
                   filter_value);
}

TEST(ExportModelTest, ReferencesAreExactlyTheStatementsJoins) {
  std::vector<Reference> made;
  for (const std::u8string_view statement : DerivedStatements()) {
    const auto parsed =
        Parse(std::string_view(reinterpret_cast<const char*>(statement.data()), statement.size()));
    const auto* select = std::get_if<Select>(&parsed);
    if (select == nullptr || !select->into || select->from.empty()) continue;
    std::map<std::string, std::string> tables;
    for (const auto& from : select->from) {
      CollectJoins(*from, Upper(*select->into), tables, select->where.get(), made);
    }
  }
  std::vector<Reference> declared;
  for (const JoinReference& r : JoinReferences()) {
    declared.emplace_back(Upper(r.derived_table), Upper(r.rows_table), Upper(r.key_column),
                          Upper(r.looked_up_table), Upper(r.looked_up_column),
                          Upper(r.filter_column), std::string(r.filter_value));
  }
  std::sort(made.begin(), made.end());
  std::sort(declared.begin(), declared.end());
  EXPECT_EQ(made, declared);
}

TEST(ExportModelTest, JoinKeysAreTheColumnsTheJoinsCompare) {
  std::map<std::string, std::set<std::string>> compared;
  for (const JoinReference& r : JoinReferences()) {
    compared[Upper(r.rows_table) + ".TXT"].insert(std::string(r.key_column));
    compared[Upper(r.looked_up_table) + ".TXT"].insert(std::string(r.looked_up_column));
  }
  for (const SourceTable& table : SourceTables()) {
    const std::set<std::string> keys(table.join_keys.begin(), table.join_keys.end());
    EXPECT_EQ(keys, compared[table.file_name]) << table.file_name;
    for (const std::string& key : keys) {
      EXPECT_NE(("," + table.header_line + ",").find("," + key + ","), std::string::npos)
          << table.file_name << " has no column " << key;
    }
  }
}

}  // namespace
}  // namespace dt
