// Row-level work on a work database: snapshots of a query, writing back one
// changed row, and rewriting columns of every row through a caller's
// function.
#include <algorithm>
#include <exception>
#include <limits>
#include <utility>

#include "engine/standin/database_source.h"
#include "engine/standin/sql/emitter.h"
#include "engine/jetsql/parser.h"
#include "engine/jetsql/select_analysis.h"
#include "engine/standin/store/failure_diagnosis.h"
#include "engine/standin/store/join_indexes.h"
#include "engine/standin/store/page_rewrite.h"
#include "engine/standin/store/schema.h"
#include "engine/standin/store/statement_scope.h"
#include "engine/standin/store/text_comparison.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

constexpr const char* kRewriteFunction = "jet_rewrite";
constexpr const char* kKeyFunction = "jet_key_held";

// The caller's rewrite, reachable from SQLite's callback. An exception of
// the rewrite is kept here and raised again once SQLite has stopped.
// jet_rewrite(value, keys_held) rewrites a value, and a NULL only where
// keys_held is true (as empty text); any other NULL stays NULL.
struct RewriteCall {
  const Rewrite* rewrite;
  std::exception_ptr failure;
};

void CallRewrite(sqlite3_context* context, int, sqlite3_value** argv) {
  auto* call = static_cast<RewriteCall*>(sqlite3_user_data(context));
  try {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL && sqlite3_value_int(argv[1]) == 0) {
      sqlite3_result_null(context);
      return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string_view value =
        text != nullptr
            ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(argv[0])))
            : std::string_view();
    const std::string result = (*call->rewrite)(value);
    sqlite3_result_text64(context, result.data(), result.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  } catch (...) {
    call->failure = std::current_exception();
    sqlite3_result_error(context, "the rewrite failed", -1);
  }
}

// jet_key_held(key): whether a key holds a value the original's update
// finds its row by (KeyFindsItsRow).
void CallKeyHeld(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const bool held =
      text != nullptr && KeyFindsItsRow(std::string_view(
                             text, static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))));
  sqlite3_result_int(context, held ? 1 : 0);
}

// Registers jet_rewrite and jet_key_held for its lifetime.
class RewriteFunction {
 public:
  RewriteFunction(Database& db, RewriteCall& call) : db_(db) {
    if (sqlite3_create_function_v2(db.get(), kRewriteFunction, 2, SQLITE_UTF8, &call, CallRewrite,
                                   nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db.get(), kKeyFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   nullptr, CallKeyHeld, nullptr, nullptr, nullptr) != SQLITE_OK) {
      throw Error(ErrorKind::kOther, "Cannot register the rewrite function");
    }
  }
  RewriteFunction(const RewriteFunction&) = delete;
  RewriteFunction& operator=(const RewriteFunction&) = delete;
  ~RewriteFunction() {
    for (const auto& [name, arguments] :
         {std::pair{kRewriteFunction, 2}, std::pair{kKeyFunction, 1}}) {
      sqlite3_create_function_v2(db_.get(), name, arguments, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                 nullptr, nullptr);
    }
  }

 private:
  Database& db_;
};

// The index of the field `name` among `columns`, or the data access
// component's own error for a field its reading query lacks.
std::size_t FieldOf(const std::vector<ColumnInfo>& columns, const std::string& name) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (platform::EqualIgnoringAsciiCase(columns[i].name, name)) return i;
  }
  throw Error(ErrorKind::kMissingField, "Field '" + name + "' not found");
}

}  // namespace

Snapshot DatabaseSource::Query(std::string_view sql) {
  ParsedStatement parsed = Parse(sql);
  auto* select = std::get_if<Select>(&parsed);
  if (select == nullptr || select->into) {
    throw NoResultSetError("The statement does not return a result set");
  }
  try {
    return TakeSnapshot(*select, parsed);
  } catch (const SqliteFailure& failure) {
    throw ExplainFailure(db_, parsed, failure);
  }
}

Snapshot DatabaseSource::TakeSnapshot(Select& select, ParsedStatement& parsed) {
  const StatementScope scope = StatementScope::Of(db_, select);
  MarkTextComparisons(parsed, scope);
  // Reads only: the indexes go again with the transaction.
  const JoinIndexes indexes(db_, select, scope);
  std::optional<SingleTable> single = SingleTableOf(select);
  const std::optional<std::string> row_id = single ? RowIdName(db_, single->table) : std::nullopt;
  if (!row_id) single.reset();
  Snapshot snapshot;
  if (single) snapshot.table = RequireTable(db_, single->table);
  Statement run(db_, single ? EmitSelect(select, single->reference, *row_id) : EmitSelect(select));
  const int first = single ? 1 : 0;
  const int count = run.ColumnCount();
  for (int i = first; i < count; ++i) snapshot.columns.push_back(run.ColumnName(i));
  while (run.Step()) {
    std::vector<Value>& row = snapshot.rows.emplace_back();
    row.reserve(static_cast<std::size_t>(count - first));
    for (int i = first; i < count; ++i) row.push_back(run.ColumnText(i));
    if (single) snapshot.row_ids.push_back(run.ColumnInt(0));
  }
  return snapshot;
}

void DatabaseSource::UpdateRow(const Snapshot& snapshot, std::size_t row,
                               const std::vector<Change>& changes) {
  RequireWritableRow(snapshot, row, changes);
  if (changes.empty()) return;
  if (last_row_update_ && Fits(*last_row_update_, snapshot, changes)) {
    try {
      RunRowUpdate(*last_row_update_, snapshot.row_ids[row], changes);
      return;
    } catch (const Error&) {
      // Another connection may have changed the table since: checked
      // again below, the failure is told in the catalogue's words.
      last_row_update_.reset();
    }
  }
  last_row_update_.reset();
  RowUpdate update = PrepareRowUpdate(snapshot, changes);
  try {
    RunRowUpdate(update, snapshot.row_ids[row], changes);
  } catch (const SqliteFailure& failure) {
    throw ExplainRefusedRow(db_, update.stored_table, failure);
  }
  last_row_update_.emplace(std::move(update));
}

DatabaseSource::RowUpdate DatabaseSource::PrepareRowUpdate(const Snapshot& snapshot,
                                                           const std::vector<Change>& changes) {
  const std::string table = RequireTable(db_, snapshot.table);
  const std::vector<ColumnInfo> columns = ColumnsOf(db_, table);
  const std::optional<std::string> row_id = RowIdName(columns);
  if (!row_id) {
    throw Error(ErrorKind::kUnsupported,
                "The rows of table '" + table + "' cannot be updated one by one");
  }
  std::vector<std::string> names;
  std::string sql = "UPDATE " + QuoteName(table) + " SET ";
  for (std::size_t i = 0; i < changes.size(); ++i) {
    names.push_back(snapshot.columns[changes[i].column]);
    const std::size_t index = RequireColumn(columns, names.back(), table);
    if (i > 0) sql += ", ";
    sql += QuoteName(columns[index].name) + " = ?" + std::to_string(i + 1);
  }
  sql += " WHERE " + *row_id + " = ?" + std::to_string(changes.size() + 1);
  return RowUpdate{snapshot.table, table, std::move(names), Statement(db_, sql)};
}

bool DatabaseSource::Fits(const RowUpdate& update, const Snapshot& snapshot,
                          const std::vector<Change>& changes) const {
  if (update.table != snapshot.table || update.columns.size() != changes.size()) return false;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].column >= snapshot.columns.size() ||
        snapshot.columns[changes[i].column] != update.columns[i]) {
      return false;
    }
  }
  return true;
}

void DatabaseSource::RunRowUpdate(RowUpdate& row_update, std::int64_t row_id,
                                  const std::vector<Change>& changes) {
  Statement& update = row_update.statement;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const int index = static_cast<int>(i + 1);
    if (changes[i].value) {
      update.BindText(index, *changes[i].value);
    } else {
      update.BindNull(index);
    }
  }
  update.BindInt(static_cast<int>(changes.size() + 1), row_id);
  update.Step();
  update.Reset();
  if (db_.Changes() != 1) {
    throw Error(ErrorKind::kNotFound,
                "Row cannot be located for updating: it was deleted from table '" +
                    row_update.stored_table + "'");
  }
}

void DatabaseSource::RewriteColumns(std::string_view table,
                                    const std::vector<std::string>& read_columns,
                                    const std::vector<std::string>& set_columns,
                                    const std::vector<std::string>& keys, const Rewrite& rewrite) {
  const std::string stored = RequireTable(db_, table);
  // As a reading query's rows are read: no field of a table without rows.
  if (!Statement(db_, "SELECT 1 FROM " + QuoteName(stored) + " LIMIT 1").Step()) return;
  const std::vector<ColumnInfo> columns = ColumnsOf(db_, stored);
  for (const std::string& column : read_columns) FieldOf(columns, column);
  // Whether the row's keys all hold a value its update would find it by:
  // false with no keys at all.
  std::string keys_held = keys.empty() ? "0" : "";
  for (const std::string& key : keys) {
    if (!keys_held.empty()) keys_held += " AND ";
    keys_held +=
        std::string(kKeyFunction) + "(" + QuoteName(columns[FieldOf(columns, key)].name) + ")";
  }
  std::vector<std::size_t> targets;
  for (const std::string& column : set_columns) {
    const std::size_t index = FieldOf(columns, column);
    if (std::find(targets.begin(), targets.end(), index) == targets.end()) {
      targets.push_back(index);
    }
  }
  if (targets.empty()) return;
  std::vector<std::size_t> key_columns;
  for (const std::string& key : keys) key_columns.push_back(FieldOf(columns, key));
  std::string sql = "UPDATE " + QuoteName(stored) + " SET ";
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const std::string name = QuoteName(columns[targets[i]].name);
    if (i > 0) sql += ", ";
    sql += name + " = " + kRewriteFunction + "(" + name + ", " + keys_held + ")";
  }
  RewriteCall call{&rewrite, nullptr};
  RewriteFunction function(db_, call);
  const bool in_place = CanRewriteInPlace(db_, stored, columns, targets);
  const std::optional<std::string> row_id = RowIdName(columns);
  try {
    // The first row not rewritten yet; none when every row is.
    std::optional<std::int64_t> from = std::numeric_limits<std::int64_t>::min();
    if (in_place) {
      // Leaves patched whole (page_rewrite.h) leave every row rewritten or
      // as it was, and the table sound, wherever a failure stops them: they
      // need no journal, which would write each of them twice. The rows
      // from the first leaf that needs SQL on are rewritten as one
      // statement, journaled.
      const JournalOff journal_off(db_);
      Transaction transaction(db_);
      try {
        from = PatchWholeLeaves(db_, stored, columns, targets, key_columns, rewrite);
      } catch (...) {
        // Without a journal SQLite cannot roll back (its documentation
        // leaves the result undefined): the leaves written are whole, so
        // they are committed, and the failure is reported. Should the
        // commit fail too, the first failure is the one to report.
        try {
          transaction.Commit();
        } catch (...) {
        }
        throw;
      }
      transaction.Commit();
    }
    if (!from) return;
    Transaction transaction(db_);
    // Rows are patched where they lie when their new values keep their size
    // (page_rewrite.h); the others, and every row of a table that cannot be
    // patched, are updated through SQL, by the same statement.
    bool done = false;
    if (in_place) {
      std::optional<Statement> update_row;
      done = RewriteInPlace(db_, stored, columns, targets, key_columns, rewrite, *from,
                            [&](std::int64_t id) {
                              if (!update_row) {
                                update_row.emplace(db_, sql + " WHERE " + *row_id + " = ?1");
                              }
                              update_row->BindInt(1, id);
                              update_row->Step();
                              update_row->Reset();
                            });
    }
    if (!done) {
      Statement update(db_, in_place ? sql + " WHERE " + *row_id + " >= ?1" : sql);
      if (in_place) update.BindInt(1, *from);
      update.Step();
    }
    transaction.Commit();
  } catch (const SqliteFailure& failure) {
    if (call.failure) std::rethrow_exception(call.failure);
    throw ExplainRefusedRow(db_, stored, failure);
  } catch (const Error&) {
    if (call.failure) std::rethrow_exception(call.failure);
    throw;
  }
}

}  // namespace dt::engine::standin
