// The ADO engine: the engine interface over ADO's connection and
// recordsets.
#include "engine/ado/ado_engine.h"

#include <algorithm>

#include "engine/ado/ado_errors.h"
#include "engine/ado/single_table.h"
#include "engine/error.h"

namespace dt::engine::ado {
namespace {

// Runs one or more ADO calls; a failure leaves as the engine's error.
template <class Call>
decltype(auto) Ado(Call&& call) {
  try {
    return call();
  } catch (const Failure& failure) {
    throw ToError(failure);
  }
}

bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// Every OLE DB service but session pooling (DBPROPVAL_OS_ENABLEALL without
// DBPROPVAL_OS_RESOURCEPOOLING; the client cursor service the queries use
// stays). A pooled session keeps Jet's hold on the file for about a minute
// after Close: its lock file, its unwritten pages and its page cache, so a
// reopen could read a stale database and the next run meet a held one.
constexpr char kNoSessionPooling[] = "OLE DB Services=-2";

// The connection string as handed to ADO: the system's own, which is what
// the host's log shows, with the services property after it. The system's
// strings never name that property themselves.
std::string WithoutSessionPooling(std::string_view connection_string) {
  std::string handed(connection_string);
  if (!handed.empty() && handed.back() != ';') handed += ';';
  handed += kNoSessionPooling;
  return handed;
}

std::string TableCommand(std::string_view table) {
  return "SELECT * FROM [" + std::string(table) + "]";
}

// A server-side cursor over every row of `table`, for writing rows back.
std::unique_ptr<Recordset> OpenForWriting(Connection& connection, std::string_view table) {
  std::unique_ptr<Recordset> rows = Ado([&] {
    return connection.OpenRecordset(TableCommand(table), CursorLocation::kServer,
                                    CursorType::kKeyset, LockType::kOptimistic);
  });
  if (!rows)
    throw Error(ErrorKind::kUnsupported, "Table '" + std::string(table) + "' has no rows to write");
  return rows;
}

// Sets fields of the current row and writes it. When either fails, the
// row's changes are dropped, so that it keeps its stored values and the next
// write does not carry them.
template <class SetFields>
void WriteRow(Recordset& rows, SetFields&& set_fields) {
  try {
    set_fields();
    rows.Update();
  } catch (const Failure& failure) {
    try {
      rows.CancelUpdate();
    } catch (const Failure&) {
      // The first failure is the one to report.
    }
    throw ToError(failure);
  }
}

// One text for a row's values, NULL told from every text.
std::string ValuesKey(const std::vector<engine::Value>& values) {
  std::string key;
  for (const engine::Value& value : values) {
    if (!value) {
      key += '\0';
      continue;
    }
    key += std::to_string(value->size()) + ':';
    key += *value;
  }
  return key;
}

Error RowMoved(std::string_view table) {
  return Error(ErrorKind::kNotFound, "Row cannot be located for updating: table '" +
                                         std::string(table) + "' has changed since it was read");
}

}  // namespace

AdoEngine::AdoEngine(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

AdoEngine::~AdoEngine() {
  try {
    Close();
  } catch (...) {
    // Releasing never fails; the provider keeps what finished statements wrote.
  }
}

void AdoEngine::Open(std::string_view connection_string) {
  if (IsOpen()) throw Error(ErrorKind::kInvalidArgument, "The connection is already open");
  Ado([&] { connection_->Open(WithoutSessionPooling(connection_string)); });
}

void AdoEngine::Close() {
  cursor_.reset();
  if (IsOpen()) Ado([&] { connection_->Close(); });
}

bool AdoEngine::IsOpen() const {
  try {
    return connection_->IsOpen();
  } catch (const Failure&) {
    return false;
  }
}

Connection& AdoEngine::RequireOpen() {
  if (!IsOpen()) throw Error(ErrorKind::kInvalidArgument, "The connection is not open");
  cursor_.reset();
  return *connection_;
}

engine::Value AdoEngine::TextOf(const ado::Value& value) {
  if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return connection_->Text(value);
}

std::int64_t AdoEngine::Execute(std::string_view sql) {
  Connection& connection = RequireOpen();
  return Ado([&] { return connection.Execute(sql); });
}

Snapshot AdoEngine::Query(std::string_view sql) {
  Connection& connection = RequireOpen();
  return Ado([&] {
    std::unique_ptr<Recordset> rows = connection.OpenRecordset(
        sql, CursorLocation::kClient, CursorType::kKeyset, LockType::kOptimistic);
    if (!rows) throw NoResultSetError("The statement does not return a result set");
    Snapshot snapshot;
    const int count = rows->FieldCount();
    for (int i = 0; i < count; ++i) snapshot.columns.push_back(rows->FieldName(i));
    for (; !rows->Eof(); rows->MoveNext()) {
      std::vector<engine::Value>& row = snapshot.rows.emplace_back();
      row.reserve(static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) row.push_back(TextOf(rows->FieldValue(i)));
    }
    if (std::optional<std::string> table = SingleTableOf(sql)) {
      snapshot.table = std::move(*table);
      for (std::size_t i = 0; i < snapshot.rows.size(); ++i) {
        snapshot.row_ids.push_back(static_cast<std::int64_t>(i));
      }
    }
    return snapshot;
  });
}

AdoEngine::UpdateCursor& AdoEngine::CursorFor(const Snapshot& snapshot) {
  if (cursor_ && cursor_->table == snapshot.table) return *cursor_;
  Connection& connection = RequireOpen();
  UpdateCursor cursor{snapshot.table, OpenForWriting(connection, snapshot.table), 0, {}};
  const bool same_fields = Ado([&] {
    const int count = cursor.rows->FieldCount();
    if (static_cast<std::size_t>(count) != snapshot.columns.size()) return false;
    for (int i = 0; i < count; ++i) {
      if (cursor.rows->FieldName(i) != snapshot.columns[static_cast<std::size_t>(i)]) return false;
    }
    return true;
  });
  if (!same_fields) throw RowMoved(snapshot.table);
  return cursor_.emplace(std::move(cursor));
}

bool AdoEngine::MoveTo(UpdateCursor& cursor, std::int64_t position) {
  Recordset& rows = *cursor.rows;
  return Ado([&] {
    if (position < cursor.position) {
      rows.MoveFirst();
      cursor.position = 0;
    }
    if (position > cursor.position) rows.Move(position - cursor.position);
    cursor.position = position;
    return !rows.Eof();
  });
}

bool AdoEngine::Holds(UpdateCursor& cursor, const std::vector<engine::Value>& values) {
  return Ado([&] {
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (TextOf(cursor.rows->FieldValue(static_cast<int>(i))) != values[i]) return false;
    }
    return true;
  });
}

void AdoEngine::SeekRow(UpdateCursor& cursor, std::int64_t position,
                        const std::vector<engine::Value>& values) {
  if (MoveTo(cursor, position) && Holds(cursor, values)) return;
  if (!cursor.by_values) {
    auto& by_values = cursor.by_values.emplace();
    Ado([&] {
      cursor.rows->MoveFirst();
      const int count = cursor.rows->FieldCount();
      std::vector<engine::Value> row(static_cast<std::size_t>(count));
      for (std::int64_t at = 0; !cursor.rows->Eof(); ++at, cursor.rows->MoveNext()) {
        for (int i = 0; i < count; ++i) {
          row[static_cast<std::size_t>(i)] = TextOf(cursor.rows->FieldValue(i));
        }
        by_values.emplace(ValuesKey(row), at);
      }
      cursor.rows->MoveFirst();
      cursor.position = 0;
    });
  }
  // A row found by its values earlier may have been written since: each
  // candidate is checked where it stands, and leaves the index either way.
  auto& by_values = *cursor.by_values;
  const std::string key = ValuesKey(values);
  for (auto found = by_values.find(key); found != by_values.end(); found = by_values.find(key)) {
    const std::int64_t candidate = found->second;
    by_values.erase(found);
    if (MoveTo(cursor, candidate) && Holds(cursor, values)) return;
  }
  throw RowMoved(cursor.table);
}

void AdoEngine::UpdateRow(const Snapshot& snapshot, std::size_t row,
                          const std::vector<Change>& changes) {
  RequireWritableRow(snapshot, row, changes);
  if (changes.empty()) return;
  UpdateCursor& cursor = CursorFor(snapshot);
  try {
    SeekRow(cursor, snapshot.row_ids[row], snapshot.rows[row]);
  } catch (const Error&) {
    cursor_.reset();  // where it stands is no longer known
    throw;
  }
  WriteRow(*cursor.rows, [&] {
    for (const Change& change : changes) {
      ado::Value value;
      if (change.value) value = *change.value;
      cursor.rows->SetValue(static_cast<int>(change.column), value);
    }
  });
}

void AdoEngine::RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                               const std::vector<std::string>& set_columns,
                               const std::vector<std::string>& keys, const Rewrite& rewrite) {
  Connection& connection = RequireOpen();
  std::unique_ptr<Recordset> rows = OpenForWriting(connection, table);
  // As a reading query's rows are read: no field of a table without rows.
  if (Ado([&] { return rows->Eof(); })) return;
  std::vector<std::string> fields;
  Ado([&] {
    const int count = rows->FieldCount();
    for (int i = 0; i < count; ++i) fields.push_back(rows->FieldName(i));
  });
  // A field the reading query lacks, in the data access component's words.
  auto field_of = [&](const std::string& name) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (SameName(fields[i], name)) return static_cast<int>(i);
    }
    throw Error(ErrorKind::kMissingField, "Field '" + name + "' not found");
  };
  for (const std::string& name : read_columns) field_of(name);
  std::vector<int> key_fields;
  for (const std::string& name : keys) key_fields.push_back(field_of(name));
  std::vector<int> targets;
  for (const std::string& name : set_columns) {
    const int field = field_of(name);
    if (std::find(targets.begin(), targets.end(), field) == targets.end()) targets.push_back(field);
  }
  if (targets.empty()) return;

  std::vector<std::optional<std::string>> new_values(targets.size());
  while (!Ado([&] { return rows->Eof(); })) {
    const bool keys_held = !key_fields.empty() && Ado([&] {
      return std::all_of(key_fields.begin(), key_fields.end(), [&](int field) {
        const engine::Value key = TextOf(rows->FieldValue(field));
        return key && KeyFindsItsRow(*key);
      });
    });
    bool changed = false;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const engine::Value stored = Ado([&] { return TextOf(rows->FieldValue(targets[i])); });
      new_values[i].reset();
      if (!stored && !keys_held) continue;  // a NULL the row's keys cannot reach
      std::string value = rewrite(stored.value_or(std::string()));
      if (!stored || value != *stored) {
        new_values[i] = std::move(value);
        changed = true;
      }
    }
    if (changed) {
      WriteRow(*rows, [&] {
        for (std::size_t i = 0; i < targets.size(); ++i) {
          if (new_values[i]) rows->SetValue(targets[i], *new_values[i]);
        }
      });
    }
    Ado([&] { rows->MoveNext(); });
  }
}

bool AdoEngine::HasTable(std::string_view table) {
  Connection& connection = RequireOpen();
  const std::vector<std::string> names = Ado([&] { return connection.TableNames(); });
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return SameName(name, table); });
}

void AdoEngine::Flush() { Close(); }

}  // namespace dt::engine::ado
