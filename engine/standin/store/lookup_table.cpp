// The jet_lookup module: a small table's rows in memory, found by the text
// key of their join field.
#include "engine/standin/store/lookup_table.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/error.h"
#include "engine/standin/sql/emitter.h"
#include "engine/standin/sql/jet_functions.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

// One field's value as the table holds it; text and blobs keep their bytes.
struct Value {
  int type = SQLITE_NULL;
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;
};

// The rows of each key: an open-addressed table of the keys' hashes, their
// bytes in one string. A few thousand short codes are probed once per row
// of millions: no node to follow and no division on the way.
class KeyRanges {
 public:
  struct Range {
    std::size_t first = 0;
    std::size_t end = 0;  // past the last row
  };

  // `keys` distinct, each with its rows.
  void Build(const std::vector<std::pair<std::string, Range>>& keys) {
    std::size_t size = 16;
    while (size < keys.size() * 2) size *= 2;
    slots_.assign(size, Slot{});
    for (const auto& [key, range] : keys) {
      const std::size_t hash = std::hash<std::string_view>{}(key);
      std::size_t at = hash & (size - 1);
      while (slots_[at].used) at = (at + 1) & (size - 1);
      slots_[at] = Slot{hash, bytes_.size(), key.size(), range, true};
      bytes_ += key;
    }
  }

  // The rows of `key`; none when it has none.
  Range Find(std::string_view key) const {
    const std::size_t hash = std::hash<std::string_view>{}(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask; slots_[at].used; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.hash == hash && std::string_view(bytes_).substr(slot.at, slot.size) == key) {
        return slot.range;
      }
    }
    return Range{};
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::size_t at = 0;  // the key's bytes in bytes_
    std::size_t size = 0;
    Range range;
    bool used = false;
  };
  std::vector<Slot> slots_;
  std::string bytes_;
};

struct LookupTable : sqlite3_vtab {
  std::size_t fields = 0;     // the table's; jet_probe comes after them
  std::size_t kept = 0;       // the fields whose values are held
  std::vector<int> slot;      // each field's place among the kept, -1 for none
  std::vector<Value> values;  // row after row, `kept` each, in the index's order
  KeyRanges rows_of;
  std::size_t rows() const { return kept == 0 ? 0 : values.size() / kept; }
};

struct LookupCursor : sqlite3_vtab_cursor {
  std::size_t row = 0;
  std::size_t end = 0;
  std::string key;  // a probe's key, when it differs from its text
};

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

StatementPtr Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  return StatementPtr(statement);
}

// A module argument as written: a name in double quotes, its quotes doubled.
std::string Unquote(std::string_view argument) {
  if (argument.size() < 2 || argument.front() != '"' || argument.back() != '"') {
    return std::string(argument);
  }
  std::string name;
  for (std::size_t i = 1; i + 1 < argument.size(); ++i) {
    name += argument[i];
    if (argument[i] == '"') ++i;
  }
  return name;
}

// Reads the table named by the module's arguments into `table`, and
// declares its fields to SQLite.
void Load(sqlite3* db, int argc, const char* const* argv, LookupTable& table) {
  if (argc < 6) throw std::runtime_error("jet_lookup takes a table, its key and its row id");
  const std::string name = Unquote(argv[3]);
  std::vector<std::string> kept;
  for (int i = 6; i < argc; ++i) kept.push_back(Unquote(argv[i]));
  const bool all = kept.empty();
  StatementPtr info = Prepare(db, "SELECT name, type FROM pragma_table_info(?1, 'main')");
  sqlite3_bind_text(info.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  std::string declared;
  std::vector<std::string> fields;
  while (sqlite3_step(info.get()) == SQLITE_ROW) {
    fields.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
    declared += QuoteName(fields.back()) + " " + (type != nullptr ? type : "") + ", ";
    if (all) kept.push_back(fields.back());
  }
  if (fields.empty()) throw std::runtime_error("no such table: " + name);
  if (sqlite3_declare_vtab(db, ("CREATE TABLE x(" + declared + "jet_probe HIDDEN)").c_str()) !=
      SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  table.fields = fields.size();
  table.kept = kept.size();
  table.slot.assign(fields.size(), -1);
  std::string read = "SELECT jet_text_key(" + QuoteName(Unquote(argv[4])) + ")";
  std::string order = " ORDER BY 1";
  for (std::size_t k = 0; k < kept.size(); ++k) {
    std::size_t field = 0;
    while (field < fields.size() && !platform::EqualIgnoringAsciiCase(fields[field], kept[k])) {
      ++field;
    }
    if (field == fields.size()) throw std::runtime_error("no such field: " + kept[k]);
    table.slot[field] = static_cast<int>(k);
    read += ", " + QuoteName(kept[k]);
    if (!all) order += ", " + QuoteName(kept[k]);
  }
  StatementPtr rows = Prepare(
      db, read + " FROM main." + QuoteName(name) + order + ", " + QuoteName(Unquote(argv[5])));
  std::vector<std::pair<std::string, KeyRanges::Range>> keys;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(rows.get())) == SQLITE_ROW) {
    // A NULL key is never found: its rows need not be kept.
    if (sqlite3_column_type(rows.get(), 0) == SQLITE_NULL) continue;
    const std::size_t row = table.rows();
    const std::string_view key = TextOf(sqlite3_column_value(rows.get(), 0));
    // The rows come in the order of their keys: those of a key follow on.
    if (keys.empty() || keys.back().first != key)
      keys.emplace_back(key, KeyRanges::Range{row, row});
    ++keys.back().second.end;
    for (int i = 1; i <= static_cast<int>(table.kept); ++i) {
      sqlite3_value* field = sqlite3_column_value(rows.get(), i);
      Value& value = table.values.emplace_back();
      value.type = sqlite3_value_type(field);
      if (value.type == SQLITE_INTEGER) value.integer = sqlite3_value_int64(field);
      if (value.type == SQLITE_FLOAT) value.real = sqlite3_value_double(field);
      if (value.type == SQLITE_TEXT) value.bytes = TextOf(field);
      if (value.type == SQLITE_BLOB) {
        const auto* blob = static_cast<const char*>(sqlite3_value_blob(field));
        value.bytes.assign(blob != nullptr ? blob : "",
                           static_cast<std::size_t>(sqlite3_value_bytes(field)));
      }
    }
  }
  table.rows_of.Build(keys);
  if (step != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
}

int Connect(sqlite3* db, void*, int argc, const char* const* argv, sqlite3_vtab** out,
            char** error) {
  auto table = std::make_unique<LookupTable>();
  try {
    Load(db, argc, argv, *table);
  } catch (const std::exception& failure) {
    *error = sqlite3_mprintf("%s", failure.what());
    return SQLITE_ERROR;
  }
  *out = table.release();
  return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* table) {
  std::unique_ptr<LookupTable>(static_cast<LookupTable*>(table)).reset();
  return SQLITE_OK;
}

int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  const auto* table = static_cast<const LookupTable*>(vtab);
  const int probe = static_cast<int>(table->fields);
  bool unusable = false;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& constraint = info->aConstraint[i];
    if (constraint.iColumn != probe || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
    if (!constraint.usable) {
      unusable = true;
      continue;
    }
    info->aConstraintUsage[i].argvIndex = 1;
    info->aConstraintUsage[i].omit = 1;
    info->idxNum = 1;
    info->estimatedCost = 1;
    info->estimatedRows = 1;
    return SQLITE_OK;
  }
  // jet_probe compared with a value the plan does not have yet: not this
  // way. (A scan would compare jet_probe itself, which holds nothing.)
  if (unusable) return SQLITE_CONSTRAINT;
  info->idxNum = 0;
  info->estimatedCost = 1e12;
  info->estimatedRows = static_cast<sqlite3_int64>(table->rows());
  return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  *out = std::make_unique<LookupCursor>().release();
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
  std::unique_ptr<LookupCursor>(static_cast<LookupCursor*>(cursor)).reset();
  return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int index, const char*, int argc, sqlite3_value** argv) {
  auto* cursor = static_cast<LookupCursor*>(base);
  const auto* table = static_cast<const LookupTable*>(base->pVtab);
  cursor->row = cursor->end = 0;
  if (index == 0) {
    cursor->end = table->rows();
    return SQLITE_OK;
  }
  if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) return SQLITE_OK;
  std::string_view key;
  try {
    key = TextKeyOf(TextOf(argv[0]), cursor->key);
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  }
  const KeyRanges::Range rows = table->rows_of.Find(key);
  cursor->row = rows.first;
  cursor->end = rows.end;
  return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cursor) {
  ++static_cast<LookupCursor*>(cursor)->row;
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* base) {
  const auto* cursor = static_cast<const LookupCursor*>(base);
  return cursor->row >= cursor->end ? 1 : 0;
}

int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int field) {
  const auto* cursor = static_cast<const LookupCursor*>(base);
  const auto* table = static_cast<const LookupTable*>(base->pVtab);
  const int slot =
      field >= 0 && static_cast<std::size_t>(field) < table->fields ? table->slot[field] : -1;
  if (slot < 0) {
    sqlite3_result_null(context);
    return SQLITE_OK;
  }
  // The values outlive the statement that reads them: SQLite need not copy.
  const Value& value = table->values[cursor->row * table->kept + static_cast<std::size_t>(slot)];
  switch (value.type) {
    case SQLITE_INTEGER:
      sqlite3_result_int64(context, value.integer);
      break;
    case SQLITE_FLOAT:
      sqlite3_result_double(context, value.real);
      break;
    case SQLITE_TEXT:
      sqlite3_result_text64(context, value.bytes.data(), value.bytes.size(), SQLITE_STATIC,
                            SQLITE_UTF8);
      break;
    case SQLITE_BLOB:
      sqlite3_result_blob64(context, value.bytes.data(), value.bytes.size(), SQLITE_STATIC);
      break;
    default:
      sqlite3_result_null(context);
  }
  return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* cursor, sqlite3_int64* row_id) {
  *row_id = static_cast<sqlite3_int64>(static_cast<const LookupCursor*>(cursor)->row) + 1;
  return SQLITE_OK;
}

sqlite3_module MakeModule() {
  sqlite3_module module{};
  module.iVersion = 1;
  module.xCreate = Connect;
  module.xConnect = Connect;
  module.xBestIndex = BestIndex;
  module.xDisconnect = Disconnect;
  module.xDestroy = Disconnect;
  module.xOpen = Open;
  module.xClose = Close;
  module.xFilter = Filter;
  module.xNext = Next;
  module.xEof = Eof;
  module.xColumn = Column;
  module.xRowid = RowId;
  return module;
}

}  // namespace

void RegisterLookupModule(sqlite3* db) {
  static const sqlite3_module kModule = MakeModule();
  if (sqlite3_create_module_v2(db, "jet_lookup", &kModule, nullptr, nullptr) != SQLITE_OK) {
    throw Error(ErrorKind::kOther, "Cannot register the module jet_lookup");
  }
}

}  // namespace dt::engine::standin
