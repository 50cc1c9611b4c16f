// Patching the records of a table's leaf pages in place. The layout read
// here is SQLite's file format (sqlite.org/fileformat2.html): b-tree pages,
// cells, varints, records and serial types.
#include "engine/standin/store/page_rewrite.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/standin/sql/emitter.h"
#include "engine/standin/store/sqlite_format.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

using namespace sqlite_format;

// The pages are not as SQLite writes them: the in-place way gives up.
struct Malformed {};

class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  std::uint8_t At(std::size_t at) const {
    if (at >= data_.size()) throw Malformed{};
    return static_cast<std::uint8_t>(data_[at]);
  }
  std::uint32_t Big(std::size_t at, std::size_t size) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = (value << 8) | At(at + i);
    return value;
  }
  // SQLite's varint at `at`; `at` moves past it.
  std::uint64_t Varint(std::size_t& at) const {
    std::uint64_t value = 0;
    for (int i = 0; i < kVarintSevenBitBytes; ++i) {
      const std::uint8_t byte = At(at++);
      value = (value << 7) | (byte & 0x7F);
      if ((byte & 0x80) == 0) return value;
    }
    return (value << 8) | At(at++);
  }
  std::string_view View(std::size_t at, std::size_t size) const {
    if (at > data_.size() || size > data_.size() - at) throw Malformed{};
    return data_.substr(at, size);
  }

 private:
  std::string_view data_;
};

// The offset of cell `cell` of a page whose cell pointer array starts at
// `pointers`.
std::size_t CellAt(const Bytes& bytes, std::size_t pointers, std::size_t cell) {
  return bytes.Big(pointers + kCellPointerSize * cell, kCellPointerSize);
}

// Bytes in the record's body of a field of serial type `type`.
std::uint64_t FieldSize(std::uint64_t type) {
  if (type < std::size(kNumberSizes)) return kNumberSizes[type];
  if (type < kFirstBlobOrText) throw Malformed{};  // reserved
  return (type - kFirstBlobOrText) / 2;
}

bool IsText(std::uint64_t type) { return type >= kFirstBlobOrText && type % 2 == 1; }

std::size_t Characters(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// The affinity SQLite gives a declared type: true for TEXT and for none
// (BLOB), which store a text value as text.
bool KeepsText(std::string_view declared) {
  const std::string upper = platform::AsciiUpperCase(declared);
  auto has = [&](std::string_view part) { return upper.find(part) != std::string::npos; };
  if (has("INT")) return false;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return true;
  if (upper.empty() || has("BLOB")) return true;
  return false;
}

// The table's CHECK constraints are only the engine's own size checks: once
// those are taken out, no CHECK is left as a word of the definition outside
// its quoted names and texts (a field named ISCHECKED is no constraint).
bool OnlySizeChecks(const std::string& sql) {
  static const std::regex kSizeCheck(
      R"(CONSTRAINT "jet_field_size" CHECK \(length\("([^"]|"")*"\) <= [0-9]+\))");
  const std::string rest = std::regex_replace(sql, kSizeCheck, " ");
  std::string word;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    const char c = i < rest.size() ? rest[i] : ' ';
    if (c == '"' || c == '\'' || c == '`' || c == '[') {
      const char close = c == '[' ? ']' : c;
      const std::size_t end = rest.find(close, i + 1);
      if (end == std::string::npos) return false;
      i = end;  // a doubled quote reads as two quoted parts: the same words
      word.clear();
      continue;
    }
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    if (letter) {
      word += c;
      continue;
    }
    if (platform::EqualIgnoringAsciiCase(word, "CHECK")) return false;
    word.clear();
  }
  return true;
}

std::optional<std::string> TextOf(const Database& db, const std::string& sql,
                                  const std::string& argument = "") {
  Statement query(db, sql);
  if (!argument.empty()) query.BindText(1, argument);
  if (!query.Step()) return std::nullopt;
  return query.ColumnText(0);
}

// One field of a record as it lies in a cell.
struct Field {
  std::size_t type_at;  // offset of its serial type in the page
  std::uint64_t type;
  std::uint64_t body_at;  // offset of its bytes in the page (within it when `local`)
  bool local;             // its bytes are all in the page
};

// A change to a page: `size` bytes at `at` become `bytes` (or the one serial
// type byte of an empty text).
struct Patch {
  std::size_t at;
  std::string bytes;
};

class PageRewriter {
 public:
  PageRewriter(Database& db, const std::vector<ColumnInfo>& columns,
               const std::vector<std::size_t>& set, const std::vector<std::size_t>& keys,
               const Rewrite& rewrite, const RewriteRow& rewrite_row)
      : db_(db),
        read_(db, "SELECT data FROM sqlite_dbpage('main') WHERE pgno = ?1"),
        write_(db, "UPDATE sqlite_dbpage SET data = ?1 WHERE pgno = ?2 AND schema = 'main'"),
        set_(set),
        any_keys_(!keys.empty()),
        rewrite_(rewrite),
        rewrite_row_(rewrite_row) {
    for (std::size_t key : keys) {
      // The table has no index (CanRewriteInPlace), so an INTEGER PRIMARY
      // KEY is the row id itself, stored as NULL in the record and never
      // NULL.
      const bool row_id = columns[key].primary_key &&
                          platform::EqualIgnoringAsciiCase(columns[key].type, "INTEGER");
      if (!row_id) keys_.push_back(key);
    }
    // Only the fields up to the last one read or written are parsed.
    std::size_t needed = 0;
    for (std::size_t column : set_) needed = std::max(needed, column + 1);
    for (std::size_t key : keys_) needed = std::max(needed, key + 1);
    fields_.resize(needed);
    const std::string page_size = TextOf(db, "PRAGMA main.page_size").value_or("0");
    page_size_ = static_cast<std::size_t>(std::stoul(page_size));
    std::string first;
    ReadPage(1, first);
    usable_ = page_size_ - Bytes(first).At(kReservedBytesAt);
    if (page_size_ < kMinPageSize || usable_ < kMinUsableSize) throw Malformed{};
    max_local_ = usable_ - kMaxLocalReserve;
    min_local_ =
        (usable_ - kMinLocalReserve) * kMinLocalNumerator / kMinLocalDenominator - kMinLocalLess;
  }

  // Patches the leaves from row id `from` on, in row-id order. With
  // `whole_leaves`, stops before the first leaf that holds a row for SQL
  // and returns the row id it was looked up by: nothing of it is written.
  std::optional<std::int64_t> Run(std::uint32_t root, std::int64_t from, bool whole_leaves) {
    next_ = from;
    while (true) {
      std::optional<std::int64_t> upper;
      const std::uint32_t leaf = FindLeaf(root, next_, upper);
      std::vector<std::int64_t> slow;
      if (!PatchLeaf(leaf, next_, slow, whole_leaves)) return next_;
      for (std::int64_t row_id : slow) rewrite_row_(row_id);
      // Rows updated through SQL may have moved between pages.
      if (!slow.empty()) interior_.clear();
      if (!upper || *upper == std::numeric_limits<std::int64_t>::max()) return std::nullopt;
      next_ = *upper + 1;
    }
  }

  // The row id the leaf being patched was looked up by.
  std::int64_t next() const { return next_; }

 private:
  // Page `page` as the transaction sees it, into `data`.
  void ReadPage(std::uint32_t page, std::string& data) {
    read_.BindInt(1, page);
    if (!read_.Step()) throw Malformed{};
    data.assign(read_.ColumnBlob(0));
    read_.Reset();
    if (data.size() != page_size_) throw Malformed{};
  }

  static std::size_t HeaderAt(std::uint32_t page) { return page == 1 ? kFileHeaderSize : 0; }

  // The leaf holding the first row id >= `next`, read into leaf_; `upper`
  // becomes the largest row id that leaf may hold (none: the last leaf).
  std::uint32_t FindLeaf(std::uint32_t page, std::int64_t next,
                         std::optional<std::int64_t>& upper) {
    for (int depth = 0; depth < 64; ++depth) {
      auto found = interior_.find(page);
      if (found == interior_.end()) {
        ReadPage(page, leaf_);
        const std::uint8_t type = Bytes(leaf_).At(HeaderAt(page) + kPageTypeAt);
        if (type == kLeafTablePage) return page;
        if (type != kInteriorTablePage) throw Malformed{};
        found = interior_.emplace(page, leaf_).first;
      }
      const Bytes bytes(found->second);
      const std::size_t header = HeaderAt(page);
      const std::size_t cells = bytes.Big(header + kCellCountAt, kCellCountSize);
      std::uint32_t child = bytes.Big(header + kRightChildAt, kChildPointerSize);
      // The first cell whose key is >= next leads to it; else the right
      // child does. Cells are in key order: a binary search.
      std::size_t low = 0;
      std::size_t high = cells;
      std::int64_t key_found = 0;
      while (low < high) {
        const std::size_t middle = (low + high) / 2;
        std::size_t at = CellAt(bytes, header + kInteriorHeaderSize, middle) + kChildPointerSize;
        const auto key = static_cast<std::int64_t>(bytes.Varint(at));
        if (key >= next) {
          high = middle;
          key_found = key;
        } else {
          low = middle + 1;
        }
      }
      if (low < cells) {
        child = bytes.Big(CellAt(bytes, header + kInteriorHeaderSize, low), kChildPointerSize);
        if (!upper || key_found < *upper) upper = key_found;
      }
      page = child;
    }
    throw Malformed{};
  }

  // The fields of the record in the cell at `at`, or false when the row
  // must go through SQL.
  bool ParseRecord(const Bytes& bytes, std::size_t at, std::int64_t& row_id) {
    const std::uint64_t payload = bytes.Varint(at);
    row_id = static_cast<std::int64_t>(bytes.Varint(at));
    std::uint64_t local = payload;
    if (payload > max_local_) {
      const std::uint64_t spill =
          min_local_ + (payload - min_local_) % (usable_ - kOverflowPointerSize);
      local = spill <= max_local_ ? spill : min_local_;
    }
    // Sizes are 64 bits until checked against the page: a 32-bit size_t
    // must not wrap a size no page holds into one it does.
    const std::uint64_t end = std::uint64_t{at} + local;
    if (end > page_size_) throw Malformed{};
    std::size_t type_at = at;
    const std::uint64_t header = bytes.Varint(type_at);
    if (at + header > end) return false;  // its header runs on to other pages
    std::uint64_t body_at = std::uint64_t{at} + header;
    std::size_t field = 0;
    while (type_at < at + header && field < fields_.size()) {
      const std::size_t here = type_at;
      const std::uint64_t type = bytes.Varint(type_at);
      const std::uint64_t size = FieldSize(type);
      fields_[field++] = Field{here, type, body_at, body_at + size <= end};
      body_at += size;
    }
    if (type_at > at + header) throw Malformed{};
    // Fields added to the table after the row was written are not in it:
    // they read as their default, which SQL alone knows.
    present_ = field;
    return true;
  }

  // The row's patches, or false when it must go through SQL.
  bool PlanRow(const Bytes& bytes, std::vector<Patch>& patches) {
    bool held = any_keys_;
    for (std::size_t key : keys_) {
      if (key >= present_) return false;
      const Field& field = fields_[key];
      if (field.type == 0) {
        held = false;
      } else if (field.type >= kFirstBlobOrText) {  // text or bytes: as jet_key_held reads them
        if (!field.local) return false;
        held = held && KeyFindsItsRow(bytes.View(static_cast<std::size_t>(field.body_at),
                                                 static_cast<std::size_t>(FieldSize(field.type))));
      }
    }
    for (std::size_t column : set_) {
      if (column >= present_) return false;
      const Field& field = fields_[column];
      if (field.type == 0) {
        if (!held) continue;
        if (!rewrite_(std::string_view()).empty()) return false;
        // '' takes no bytes: only its serial type differs from NULL's.
        patches.push_back(Patch{field.type_at, std::string(1, static_cast<char>(kEmptyText))});
        continue;
      }
      if (!IsText(field.type) || !field.local) return false;
      const std::string_view value = bytes.View(static_cast<std::size_t>(field.body_at),
                                                static_cast<std::size_t>(FieldSize(field.type)));
      std::string rewritten = rewrite_(value);
      if (rewritten == value) continue;
      if (rewritten.size() != value.size() || Characters(rewritten) != Characters(value)) {
        return false;
      }
      patches.push_back(Patch{static_cast<std::size_t>(field.body_at), std::move(rewritten)});
    }
    return true;
  }

  // False, with nothing written, when `whole_leaves` and a row is for SQL.
  bool PatchLeaf(std::uint32_t leaf, std::int64_t next, std::vector<std::int64_t>& slow,
                 bool whole_leaves) {
    std::string& data = leaf_;  // as FindLeaf read it
    const std::size_t header = HeaderAt(leaf);
    bool changed = false;
    {
      const Bytes bytes(data);
      const std::size_t cells = bytes.Big(header + kCellCountAt, kCellCountSize);
      for (std::size_t cell = 0; cell < cells; ++cell) {
        std::int64_t row_id = 0;
        const bool parsed =
            ParseRecord(bytes, CellAt(bytes, header + kLeafHeaderSize, cell), row_id);
        if (row_id < next) continue;
        patches_.clear();
        if (!parsed || !PlanRow(bytes, patches_)) {
          if (whole_leaves) return false;
          slow.push_back(row_id);
          continue;
        }
        // A row's patches lie within its own record: they change nothing
        // the rows after it are read from.
        for (const Patch& patch : patches_) {
          std::copy(patch.bytes.begin(), patch.bytes.end(),
                    data.begin() + static_cast<std::ptrdiff_t>(patch.at));
          changed = true;
        }
      }
    }
    if (!changed) return true;
    write_.BindStaticBlob(1, data);
    write_.BindInt(2, leaf);
    write_.Step();
    write_.Reset();
    return true;
  }

  Database& db_;
  Statement read_;
  Statement write_;
  const std::vector<std::size_t>& set_;
  const bool any_keys_;
  std::vector<std::size_t> keys_;  // those stored in the record
  const Rewrite& rewrite_;
  const RewriteRow& rewrite_row_;
  std::vector<Field> fields_;
  std::vector<Patch> patches_;  // the row's being planned
  std::string leaf_;            // the leaf being patched
  std::size_t present_ = 0;     // fields in the record parsed last
  std::int64_t next_ = 0;       // the row id the leaf being patched was looked up by
  std::size_t page_size_ = 0;
  std::size_t usable_ = 0;
  std::uint64_t max_local_ = 0;
  std::uint64_t min_local_ = 0;
  std::unordered_map<std::uint32_t, std::string> interior_;  // read since rows last moved
};

// A savepoint that rolls back what was done since it began, unless released.
class Savepoint {
 public:
  explicit Savepoint(Database& db) : db_(db) { db_.Exec("SAVEPOINT jet_in_place"); }
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  ~Savepoint() {
    if (!open_) return;
    sqlite3_exec(db_.get(), "ROLLBACK TO jet_in_place", nullptr, nullptr, nullptr);
    sqlite3_exec(db_.get(), "RELEASE jet_in_place", nullptr, nullptr, nullptr);
  }
  void Release() {
    db_.Exec("RELEASE jet_in_place");
    open_ = false;
  }

 private:
  Database& db_;
  bool open_ = true;
};

std::optional<std::string> RootPage(const Database& db, const std::string& table) {
  return TextOf(db, "SELECT rootpage FROM sqlite_schema WHERE type = 'table' AND name = ?1", table);
}

}  // namespace

bool CanRewriteInPlace(const Database& db, const std::string& table,
                       const std::vector<ColumnInfo>& columns,
                       const std::vector<std::size_t>& set) {
  if (TextOf(db, "PRAGMA main.encoding") != "UTF-8") return false;
  if (!RowIdName(db, table)) return false;
  for (std::size_t column : set) {
    if (!KeepsText(columns[column].type)) return false;
  }
  if (!IndexesAndTriggersOf(db, table).empty()) return false;
  Statement hidden(db, "SELECT count(*) FROM pragma_table_xinfo(?1, 'main') WHERE hidden <> 0");
  hidden.BindText(1, table);
  if (!hidden.Step() || hidden.ColumnInt(0) != 0) return false;
  const std::optional<std::string> sql =
      TextOf(db, "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = ?1", table);
  if (!sql || !OnlySizeChecks(*sql)) return false;
  // SQLite built without its page interface, or a connection that keeps it
  // read-only: the SQL way only.
  int defensive = 0;
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, -1, &defensive);
  if (defensive != 0) return false;
  sqlite3_stmt* probe = nullptr;
  const bool pages = sqlite3_prepare_v2(db.get(), "SELECT pgno FROM sqlite_dbpage('main')", -1,
                                        &probe, nullptr) == SQLITE_OK;
  sqlite3_finalize(probe);
  return pages;
}

std::optional<std::int64_t> PatchWholeLeaves(Database& db, const std::string& table,
                                             const std::vector<ColumnInfo>& columns,
                                             const std::vector<std::size_t>& set,
                                             const std::vector<std::size_t>& keys,
                                             const Rewrite& rewrite) {
  constexpr std::int64_t kFirst = std::numeric_limits<std::int64_t>::min();
  const std::optional<std::string> root = RootPage(db, table);
  if (!root) return kFirst;
  const RewriteRow none = [](std::int64_t) {};
  std::optional<PageRewriter> rewriter;
  try {
    rewriter.emplace(db, columns, set, keys, rewrite, none);
    return rewriter->Run(static_cast<std::uint32_t>(std::stoul(*root)), kFirst,
                         /*whole_leaves=*/true);
  } catch (const Malformed&) {
    return rewriter ? rewriter->next() : kFirst;
  }
}

bool RewriteInPlace(Database& db, const std::string& table, const std::vector<ColumnInfo>& columns,
                    const std::vector<std::size_t>& set, const std::vector<std::size_t>& keys,
                    const Rewrite& rewrite, std::int64_t from, const RewriteRow& rewrite_row) {
  const std::optional<std::string> root = RootPage(db, table);
  if (!root) return false;
  Savepoint savepoint(db);
  try {
    PageRewriter rewriter(db, columns, set, keys, rewrite, rewrite_row);
    rewriter.Run(static_cast<std::uint32_t>(std::stoul(*root)), from, /*whole_leaves=*/false);
  } catch (const Malformed&) {
    return false;
  }
  savepoint.Release();
  return true;
}

}  // namespace dt::engine::standin
