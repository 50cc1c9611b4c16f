// The join check: the small tables' keys held in memory, the voucher lines
// and balances walked once each in table order.
#include "cli/join_report.h"

#include <sqlite3.h>

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include "engine/database_format.h"
#include "engine/standin/sql/jet_functions.h"
#include "platform/codepage.h"
#include "src/staging/line_list.h"
#include "src/staging/text_utils.h"
#include "src/workdb/account_codes.h"

namespace dt::cli {
namespace {

using engine::standin::TextKey;

enum RelationIndex : std::size_t {
  kLineVoucher,
  kLineAccount,
  kLineBudget,
  kLineItem,
  kBalanceAccount,
  kBalanceBudget,
  kBalanceItem,
  kAccountLevels,
  kRelationCount
};

struct DatabaseCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close(db); }
};
struct StatementFinalizer {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, DatabaseCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

[[noreturn]] void Fail(sqlite3* db, std::string_view doing) {
  throw std::runtime_error(std::string(doing) + ": " + sqlite3_errmsg(db));
}

// Refuses a work database the host's own engine made: only SQLite can be
// read here, and an Access file is no database to it.
void RequireSqliteFile(const std::string& utf8_path) {
  char header[engine::kDatabaseHeaderSize] = {};
  std::ifstream file(platform::PathOf(utf8_path), std::ios::binary);
  file.read(header, sizeof header);
  const engine::DatabaseFormat format = engine::DetectDatabaseFormat(
      std::string_view(header, static_cast<std::size_t>(file.gcount())));
  if (format != engine::DatabaseFormat::kSqlite) {
    throw std::runtime_error("the work database is not an SQLite file (" +
                             std::string(engine::DatabaseFormatName(format)) +
                             "): only the stand-in engine's work database can be checked");
  }
}

DatabaseHandle OpenReadOnly(const std::string& utf8_path) {
  RequireSqliteFile(utf8_path);
  sqlite3* raw = nullptr;
  const int status = sqlite3_open_v2(utf8_path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  DatabaseHandle db(raw);
  if (status != SQLITE_OK) {
    throw std::runtime_error("cannot open " + utf8_path + ": " +
                             (raw != nullptr ? sqlite3_errmsg(raw) : "out of memory"));
  }
  // The build holds no lock between its statements; a busy moment of
  // another reader is waited out rather than taken for a failure.
  sqlite3_busy_timeout(raw, 5000);
  return db;
}

// Runs `sql` and calls `row` for each result row.
template <typename OnRow>
void ForEachRow(sqlite3* db, const std::string& sql, OnRow row) {
  // The statements read one table each, named after FROM.
  const std::string doing = "reading " + sql.substr(sql.rfind(' ') + 1);
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) Fail(db, doing);
  const StatementHandle statement(raw);
  int status = SQLITE_ROW;
  while ((status = sqlite3_step(raw)) == SQLITE_ROW) row(raw);
  if (status != SQLITE_DONE) Fail(db, doing);
}

// The text of column `i`, or nullptr for NULL; numbers are given as text.
const char* TextOrNull(sqlite3_stmt* statement, int i, std::size_t& size) {
  const unsigned char* text = sqlite3_column_text(statement, i);
  size = static_cast<std::size_t>(sqlite3_column_bytes(statement, i));
  return reinterpret_cast<const char*>(text);
}

// The keys a join of `column` of `table` finds: every value that is not NULL.
std::unordered_set<std::string> KeysOf(sqlite3* db, const char* table, const char* column) {
  std::unordered_set<std::string> keys;
  ForEachRow(db, std::string("SELECT \"") + column + "\" FROM \"" + table + "\"",
             [&keys](sqlite3_stmt* statement) {
               std::size_t size = 0;
               if (const char* text = TextOrNull(statement, 0, size)) {
                 keys.insert(TextKey(std::string_view(text, size)));
               }
             });
  return keys;
}

// Notes the row's value in `result` when it is a code (not NULL, not empty
// as the engine compares) that `keys` lacks.
void CheckReference(sqlite3_stmt* statement, int column, std::int64_t row,
                    const std::unordered_set<std::string>& keys, RelationResult& result) {
  std::size_t size = 0;
  const char* text = TextOrNull(statement, column, size);
  if (text == nullptr) return;
  const std::string_view value(text, size);
  const std::string key = TextKey(value);
  if (key.empty() || keys.contains(key)) return;
  result.rows.push_back({std::string(value), row, 0});
}

bool IsNotCancelled(sqlite3_stmt* statement, int column) {
  std::size_t size = 0;
  const char* text = TextOrNull(statement, column, size);
  return text != nullptr && TextKey(std::string_view(text, size)) == "0";
}

}  // namespace

const std::vector<Relation>& Relations() {
  static const std::vector<Relation> relations = {
      {"PZ", "BOOKDETAIL", "voucher line", "voucher lines", "BOOKNO", "voucher", "BOOK"},
      {"PZ", "BOOKDETAIL", "voucher line", "voucher lines", "SID", "account", "ACCOUNTSECTIONS"},
      {"PZ", "BOOKDETAIL", "voucher line", "voucher lines", "BID", "budget section",
       "BUDGETSECTION"},
      {"PZ", "BOOKDETAIL", "voucher line", "voucher lines", "IID", "item", "ITEM"},
      {"KMYE", "REMAIN", "balance", "balances", "SID", "account", "ACCOUNTSECTIONS"},
      {"KMYE", "REMAIN", "balance", "balances", "BID", "budget section", "BUDGETSECTION"},
      {"KMYE", "REMAIN", "balance", "balances", "IID", "item", "ITEM"},
      {"ACCOUNTSECTIONS", "ACCOUNTSECTIONS", "account", "accounts", "SID",
       "code (SID) has more than five levels, of which NewCode keeps five", ""},
  };
  return relations;
}

JoinCheck CheckJoins(const std::string& utf8_path) {
  const DatabaseHandle handle = OpenReadOnly(utf8_path);
  sqlite3* db = handle.get();
  JoinCheck check;
  for (const Relation& relation : Relations()) check.results.push_back({&relation, {}, {}});
  std::vector<RelationResult>& results = check.results;

  const auto books = KeysOf(db, "BOOK", "BOOKNO");
  const auto accounts = KeysOf(db, "ACCOUNTSECTIONS", "SID");
  const auto budgets = KeysOf(db, "BUDGETSECTION", "BID");
  const auto items = KeysOf(db, "ITEM", "IID");

  // The lines PZ took: CANCELED "0" as the engine compares it.
  ForEachRow(db, "SELECT _rowid_, CANCELED, BOOKNO, SID, BID, IID FROM BOOKDETAIL",
             [&](sqlite3_stmt* statement) {
               if (!IsNotCancelled(statement, 1)) return;
               const std::int64_t row = sqlite3_column_int64(statement, 0);
               CheckReference(statement, 2, row, books, results[kLineVoucher]);
               CheckReference(statement, 3, row, accounts, results[kLineAccount]);
               CheckReference(statement, 4, row, budgets, results[kLineBudget]);
               CheckReference(statement, 5, row, items, results[kLineItem]);
             });
  // Every balance is a row of KMYE.
  ForEachRow(db, "SELECT _rowid_, SID, BID, IID FROM REMAIN", [&](sqlite3_stmt* statement) {
    const std::int64_t row = sqlite3_column_int64(statement, 0);
    CheckReference(statement, 1, row, accounts, results[kBalanceAccount]);
    CheckReference(statement, 2, row, budgets, results[kBalanceBudget]);
    CheckReference(statement, 3, row, items, results[kBalanceItem]);
  });
  // The levels as the account code rebuild cuts them, in its own text.
  ForEachRow(db, "SELECT _rowid_, SID FROM ACCOUNTSECTIONS", [&](sqlite3_stmt* statement) {
    std::size_t size = 0;
    const char* text = TextOrNull(statement, 1, size);
    if (text == nullptr) return;
    const std::string value(text, size);
    LineList levels;
    if (SplitItems(".", " #.", platform::Utf8ToAnsi(value), levels) > dt::kAccountLevels) {
      results[kAccountLevels].rows.push_back({value, sqlite3_column_int64(statement, 0), 0});
    }
  });
  return check;
}

}  // namespace dt::cli
