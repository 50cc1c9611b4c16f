// What the names of one statement stand for: the tables it reads, each with
// the name the statement calls it by and its fields as the work database
// declares them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/jetsql/ast.h"
#include "engine/standin/store/schema.h"

namespace dt::engine::standin {

struct ScopeTable {
  std::string reference;  // the alias, else the name as written
  std::string table;      // the name as stored
  bool stored;            // a table, not a view
  std::vector<ColumnInfo> columns;
};

class StatementScope {
 public:
  // A scope without tables: no name resolves.
  StatementScope() = default;
  // The tables `select` reads, in the order its FROM part names them.
  // Raises engine::Error for a table that does not exist.
  static StatementScope Of(const Database& db, const Select& select);
  // The one table of an UPDATE or DELETE; raises engine::Error when it does
  // not exist.
  static StatementScope OfTable(const Database& db, std::string_view table);

  struct Field {
    std::size_t table;   // index into tables()
    std::size_t column;  // index into that table's columns
  };
  // The field a column reference names: a qualified one in the table that
  // goes by the qualifier, an unqualified one in the first table that has
  // it; letter case ignored. nullopt for a name no table has, or an
  // expression that is no column reference.
  std::optional<Field> Resolve(const Expr& expr) const;
  const ColumnInfo& ColumnOf(Field field) const {
    return tables_[field.table].columns[field.column];
  }

  const std::vector<ScopeTable>& tables() const { return tables_; }

 private:
  void Add(const Database& db, std::string_view name, std::string_view alias);

  std::vector<ScopeTable> tables_;
};

}  // namespace dt::engine::standin
