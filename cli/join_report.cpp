// The join check: the small tables' keys held in memory, the voucher lines
// and balances walked once each in table order.
#include "cli/join_report.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "cli/key_set.h"
#include "engine/database_format.h"
#include "engine/text_key.h"
#include "platform/codepage.h"
#include "src/model/export_model.h"
#include "src/staging/line_list.h"
#include "src/staging/text_utils.h"
#include "src/workdb/account_codes.h"

namespace dt::cli {
namespace {

using engine::TextKeyOf;

// The relations, in the order of the export model's references (PZ's four,
// then KMYE's three), and the accounts' levels after them.
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

const JoinReference& ReferenceAt(RelationIndex index) { return JoinReferences().at(index); }

// The query of the rows of the references `first` to `last`, which share
// their rows' table: the row id, the filter's column when there is one, and
// each reference's key.
std::string RowsQuery(RelationIndex first, RelationIndex last) {
  const JoinReference& rows = ReferenceAt(first);
  std::string sql = "SELECT _rowid_";
  if (!rows.filter_column.empty()) sql += ", \"" + std::string(rows.filter_column) + "\"";
  for (std::size_t i = first; i <= last; ++i) {
    sql += ", \"" + std::string(ReferenceAt(static_cast<RelationIndex>(i)).key_column) + "\"";
  }
  return sql + " FROM \"" + std::string(rows.rows_table) + "\"";
}

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
  // One thread: SQLite need not lock its own structures at every call.
  const int status =
      sqlite3_open_v2(utf8_path.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
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
void ForEachRow(sqlite3* db, const std::string& sql, const char* table, OnRow row) {
  const std::string doing = std::string("reading ") + table;
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

// The greatest row id of `table`, 0 when it is empty.
std::int64_t LastRow(sqlite3* db, const char* table) {
  std::int64_t last = 0;
  ForEachRow(db, std::string("SELECT max(_rowid_) FROM \"") + table + "\"", table,
             [&last](sqlite3_stmt* statement) { last = sqlite3_column_int64(statement, 0); });
  return last;
}

// The keys a join of `column` of `table` finds: every value that is not NULL.
KeySet KeysOf(sqlite3* db, const char* table, const char* column) {
  KeySet keys;
  // The greatest row id, which an import makes the row count, found at
  // once where counting would read the whole table.
  keys.Reserve(static_cast<std::size_t>(LastRow(db, table)));
  ForEachRow(db, std::string("SELECT \"") + column + "\" FROM \"" + table + "\"", table,
             [&keys, made = std::string()](sqlite3_stmt* statement) mutable {
               std::size_t size = 0;
               if (const char* text = TextOrNull(statement, 0, size)) {
                 keys.Insert(TextKeyOf(std::string_view(text, size), made));
               }
             });
  return keys;
}

// One relation's lookups. Where rows in a row mostly hold the same code
// (the lines of one voucher its BOOKNO), `repeats` keeps the last answer.
class ReferenceCheck {
 public:
  ReferenceCheck(const KeySet& keys, RelationResult& result, bool repeats = false)
      : keys_(keys), result_(result), repeats_(repeats) {}

  // The first half of a row's check: reads its value and, unless it is the
  // last row's, starts fetching where its key would be.
  void Read(sqlite3_stmt* statement, int column) {
    std::size_t size = 0;
    const char* text = TextOrNull(statement, column, size);
    is_null_ = text == nullptr;
    if (is_null_) return;
    value_ = std::string_view(text, size);
    same_ = repeats_ && has_last_ && value_ == last_;
    if (same_) return;
    // Keys are looked up as they stand where they are keys already, which
    // most codes are, so that a million lookups make no million strings.
    key_ = TextKeyOf(value_, made_key_);
    hash_ = KeySet::Hash(key_);
    keys_.Prefetch(hash_);
  }

  // The second half: notes the value of row `row` when it is a code (not
  // NULL, not empty as the engine compares) that the keys lack.
  void Note(std::int64_t row) {
    if (is_null_) return;
    if (!same_) {
      if (repeats_) {
        last_.assign(value_);
        has_last_ = true;
      }
      last_broken_ = !key_.empty() && !keys_.Contains(key_, hash_);
    }
    if (last_broken_) result_.Add({std::string(value_), row, 0});
  }

 private:
  const KeySet& keys_;
  RelationResult& result_;
  bool repeats_;
  bool is_null_ = true;
  bool same_ = false;
  std::string_view value_;
  std::string_view key_;
  std::string made_key_;
  std::uint32_t hash_ = 0;
  std::string last_;
  bool has_last_ = false;
  bool last_broken_ = false;
};

// Whether the filter's column holds `value` as the engine compares text
// (trailing spaces ignored; the filter's value has no ASCII letter).
bool HoldsValue(sqlite3_stmt* statement, int column, std::string_view value) {
  std::size_t size = 0;
  const char* text = TextOrNull(statement, column, size);
  if (text == nullptr || size < value.size()) return false;
  const std::string_view held(text, size);
  return held.substr(0, value.size()) == value &&
         held.find_first_not_of(' ', value.size()) == std::string_view::npos;
}

// The keys the voucher lines are looked up in.
struct LineKeys {
  const KeySet& books;
  const KeySet& accounts;
  const KeySet& budgets;
  const KeySet& items;
};

// The voucher lines with row ids `first` to `last` that PZ took (CANCELED
// "0" as the engine compares it), into the first four of `results`.
void CheckLines(sqlite3* db, std::int64_t first, std::int64_t last, const LineKeys& keys,
                std::vector<RelationResult>& results) {
  ReferenceCheck voucher(keys.books, results[kLineVoucher], /*repeats=*/true);
  ReferenceCheck account(keys.accounts, results[kLineAccount]);
  ReferenceCheck budget(keys.budgets, results[kLineBudget]);
  ReferenceCheck item(keys.items, results[kLineItem]);
  const JoinReference& lines = ReferenceAt(kLineVoucher);
  ForEachRow(db,
             RowsQuery(kLineVoucher, kLineItem) + " WHERE _rowid_ BETWEEN " +
                 std::to_string(first) + " AND " + std::to_string(last),
             lines.rows_table.data(), [&](sqlite3_stmt* statement) {
               if (!HoldsValue(statement, 1, lines.filter_value)) return;
               const std::int64_t row = sqlite3_column_int64(statement, 0);
               voucher.Read(statement, 2);
               account.Read(statement, 3);
               budget.Read(statement, 4);
               item.Read(statement, 5);
               voucher.Note(row);
               account.Note(row);
               budget.Note(row);
               item.Note(row);
             });
}

// Every balance is a row of KMYE.
void CheckBalances(sqlite3* db, const KeySet& accounts, const KeySet& budgets, const KeySet& items,
                   std::vector<RelationResult>& results) {
  ReferenceCheck account(accounts, results[kBalanceAccount]);
  ReferenceCheck budget(budgets, results[kBalanceBudget]);
  ReferenceCheck item(items, results[kBalanceItem]);
  ForEachRow(db, RowsQuery(kBalanceAccount, kBalanceItem),
             ReferenceAt(kBalanceAccount).rows_table.data(), [&](sqlite3_stmt* statement) {
               const std::int64_t row = sqlite3_column_int64(statement, 0);
               account.Read(statement, 1);
               budget.Read(statement, 2);
               item.Read(statement, 3);
               account.Note(row);
               budget.Note(row);
               item.Note(row);
             });
}

// Accounts with more levels than NewCode keeps, cut as the account code
// rebuild cuts them, in its own text.
void CheckAccountLevels(sqlite3* db, RelationResult& result) {
  ForEachRow(
      db, "SELECT _rowid_, SID FROM ACCOUNTSECTIONS", "ACCOUNTSECTIONS",
      [&result](sqlite3_stmt* statement) {
        std::size_t size = 0;
        const char* text = TextOrNull(statement, 1, size);
        if (text == nullptr) return;
        const std::string value(text, size);
        LineList levels;
        if (SplitItems(".", " #.", platform::Utf8ToAnsi(value), levels) > dt::kAccountLevels) {
          result.Add({value, sqlite3_column_int64(statement, 0), 0});
        }
      });
}

}  // namespace

void RelationResult::Add(BrokenReference row) {
  if (examples_only) {
    const bool seen = std::any_of(rows.begin(), rows.end(), [&row](const BrokenReference& kept) {
      return kept.value == row.value;
    });
    if (seen || rows.size() >= kExamples) {
      ++not_kept;
      return;
    }
  }
  rows.push_back(std::move(row));
}

const std::vector<Relation>& Relations() {
  // What the rows of a derived table and the rows a key names are called.
  static constexpr std::pair<std::string_view, std::array<const char*, 2>> kRows[] = {
      {"PZ", {"voucher line", "voucher lines"}}, {"KMYE", {"balance", "balances"}}};
  static constexpr std::pair<std::string_view, const char*> kNamed[] = {
      {"BOOK", "voucher"},
      {"ACCOUNTSECTIONS", "account"},
      {"BUDGETSECTION", "budget section"},
      {"ITEM", "item"}};
  static const std::vector<Relation> relations = [] {
    std::vector<Relation> made;
    for (const JoinReference& reference : JoinReferences()) {
      const auto rows = std::find_if(std::begin(kRows), std::end(kRows), [&](const auto& r) {
        return r.first == reference.derived_table;
      });
      const auto named = std::find_if(std::begin(kNamed), std::end(kNamed), [&](const auto& n) {
        return n.first == reference.looked_up_table;
      });
      if (rows == std::end(kRows) || named == std::end(kNamed)) {
        throw std::logic_error("the join check has no words for a reference of " +
                               std::string(reference.derived_table));
      }
      made.push_back({reference.derived_table.data(), reference.rows_table.data(), rows->second[0],
                      rows->second[1], reference.key_column.data(), named->second,
                      reference.looked_up_table.data()});
    }
    made.push_back({"ACCOUNTSECTIONS", "ACCOUNTSECTIONS", "account", "accounts", "SID",
                    "code (SID) has more than five levels, of which NewCode keeps five", ""});
    return made;
  }();
  return relations;
}

JoinCheck CheckJoins(const std::string& utf8_path, bool examples_only) {
  JoinCheck check;
  for (const Relation& relation : Relations()) {
    check.results.push_back({&relation, {}, {}, examples_only});
  }
  std::vector<RelationResult>& results = check.results;

  // The check has the machine to itself (the build waits for it), and
  // reading is most of its cost: the vouchers' keys and then the second
  // half of the voucher lines are read on a second thread, each on a
  // connection of its own.
  // The balances are looked up in the tables the voucher lines' accounts,
  // budget sections and items are, and their keys are read once.
  for (std::size_t i = 0; i < 3; ++i) {
    const JoinReference& line = ReferenceAt(static_cast<RelationIndex>(kLineAccount + i));
    const JoinReference& balance = ReferenceAt(static_cast<RelationIndex>(kBalanceAccount + i));
    if (line.looked_up_table != balance.looked_up_table ||
        line.looked_up_column != balance.looked_up_column) {
      throw std::logic_error("the join check reads " + std::string(balance.looked_up_table) +
                             " for balances where the lines read " +
                             std::string(line.looked_up_table));
    }
  }
  auto keys_of = [](sqlite3* db, RelationIndex index) {
    const JoinReference& reference = ReferenceAt(index);
    return KeysOf(db, reference.looked_up_table.data(), reference.looked_up_column.data());
  };
  std::future<KeySet> books_read = std::async(std::launch::async, [&utf8_path, &keys_of] {
    const DatabaseHandle db = OpenReadOnly(utf8_path);
    return keys_of(db.get(), kLineVoucher);
  });
  const DatabaseHandle handle = OpenReadOnly(utf8_path);
  sqlite3* db = handle.get();
  const KeySet accounts = keys_of(db, kLineAccount);
  const KeySet budgets = keys_of(db, kLineBudget);
  const KeySet items = keys_of(db, kLineItem);
  CheckBalances(db, accounts, budgets, items, results);
  CheckAccountLevels(db, results[kAccountLevels]);
  const std::int64_t last_line = LastRow(db, ReferenceAt(kLineVoucher).rows_table.data());
  const KeySet books = books_read.get();

  const LineKeys keys{books, accounts, budgets, items};
  const std::int64_t half = last_line / 2;
  std::future<std::vector<RelationResult>> second_half =
      std::async(std::launch::async, [&utf8_path, &keys, half, last_line, examples_only] {
        std::vector<RelationResult> part(kLineItem + 1);
        for (RelationResult& result : part) result.examples_only = examples_only;
        const DatabaseHandle db = OpenReadOnly(utf8_path);
        CheckLines(db.get(), half + 1, last_line, keys, part);
        return part;
      });
  CheckLines(db, 1, half, keys, results);
  std::vector<RelationResult> part = second_half.get();
  for (std::size_t i = kLineVoucher; i <= kLineItem; ++i) {
    for (BrokenReference& row : part[i].rows) results[i].Add(std::move(row));
    results[i].not_kept += part[i].not_kept;
  }
  return check;
}

}  // namespace dt::cli
