// Row queries: a statement's rows held in a client-side snapshot, browsed
// row by row, with single-row edits written back to the engine at once.
#include <charconv>

#include "platform/codepage.h"
#include "src/staging/line_list.h"
#include "src/workdb/connection_state.h"
#include "src/workdb/engine_translation.h"
#include "src/workdb/row_query.h"

namespace dt {

struct RowQuery::Snapshot {
  engine::Snapshot data;
  std::vector<std::string> ansi_columns;
  std::uint64_t generation = 0;  // of the connection it was read from
};

RowQuery::RowQuery() = default;
RowQuery::~RowQuery() = default;

void RowQuery::SetConnection(Connection& connection) {
  if (connection_.lock() == connection.state_) return;
  Close();
  connection_ = connection.state_;
}

void RowQuery::SetSQL(std::string_view ansi_sql) {
  Close();
  // The statement travels as lines, each ended by CR LF, whatever line ends
  // the caller wrote.
  LineList lines;
  lines.SetText(ansi_sql);
  sql_ = platform::AnsiToUtf8(lines.GetText());
}

void RowQuery::Open() {
  if (active_) return;
  auto state = detail::Bound(connection_);
  engine::Engine& engine = state->Open();
  auto snapshot = std::make_unique<Snapshot>();
  snapshot->data = detail::CallEngine([&] { return engine.Query(sql_); });
  snapshot->generation = state->generation;
  snapshot->ansi_columns.reserve(snapshot->data.columns.size());
  for (const auto& name : snapshot->data.columns) {
    snapshot->ansi_columns.push_back(platform::Utf8ToAnsi(name));
  }
  snapshot_ = std::move(snapshot);
  active_ = true;
  First();
}

void RowQuery::Close() {
  active_ = false;
  snapshot_.reset();
  position_ = 0;
  eof_ = true;
  editing_ = false;
  pending_.clear();
}

void RowQuery::RequireActive() const {
  if (!active_) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

std::int64_t RowQuery::RecordCount() const {
  RequireActive();
  return static_cast<std::int64_t>(snapshot_->data.rows.size());
}

void RowQuery::First() {
  RequireActive();
  if (editing_) Post();
  position_ = 0;
  eof_ = snapshot_->data.rows.empty();
}

void RowQuery::Next() {
  RequireActive();
  if (editing_) Post();
  if (position_ + 1 < snapshot_->data.rows.size()) {
    ++position_;
    eof_ = false;
  } else {
    eof_ = true;  // stays on the last row, as browsing past the end does
  }
}

bool RowQuery::Eof() const {
  RequireActive();
  return eof_;
}

std::size_t RowQuery::ColumnIndex(std::string_view ansi_name) const {
  RequireActive();
  const auto& names = snapshot_->ansi_columns;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (platform::AnsiEqualIgnoringAsciiCase(names[i], ansi_name)) return i;
  }
  throw EDatabaseError("Field '" + std::string(ansi_name) + "' not found");
}

Field RowQuery::FieldByName(std::string_view ansi_name) const {
  return Field(*this, ColumnIndex(ansi_name));
}

const std::string* RowQuery::CurrentValue(std::size_t column) const {
  RequireActive();
  if (column >= snapshot_->data.columns.size()) {
    throw EDatabaseError("Field index out of range");  // a field of an earlier open
  }
  const auto& rows = snapshot_->data.rows;
  if (rows.empty()) return nullptr;
  if (editing_) {
    for (const auto& [pending_column, value] : pending_) {
      if (pending_column == column) return &value;
    }
  }
  const auto& value = rows[position_][column];
  return value ? &*value : nullptr;
}

void RowQuery::Edit() {
  RequireActive();
  if (editing_) return;
  if (snapshot_->data.rows.empty()) {
    throw EDatabaseError("Cannot perform this operation on an empty dataset");
  }
  editing_ = true;
  pending_.clear();
}

void RowQuery::SetFieldText(std::string_view ansi_name, std::string_view ansi_text) {
  const std::size_t column = ColumnIndex(ansi_name);
  if (!editing_) throw EDatabaseError("Dataset not in edit or insert mode");
  std::string value = platform::AnsiToUtf8(ansi_text);
  for (auto& [pending_column, pending_value] : pending_) {
    if (pending_column == column) {
      pending_value = std::move(value);
      return;
    }
  }
  pending_.emplace_back(column, std::move(value));
}

void RowQuery::Post() {
  RequireActive();
  if (!editing_) return;
  auto state = detail::Bound(connection_);
  if (snapshot_->data.table.empty()) {
    throw EDatabaseError("Insufficient key column information for updating or refreshing");
  }
  // A snapshot read before the connection was closed or pointed elsewhere
  // must not be written into whatever the connection holds now.
  if (!state->IsOpen() || state->generation != snapshot_->generation) {
    throw EDatabaseError("Row cannot be located for updating");
  }
  std::vector<engine::Change> changes;
  changes.reserve(pending_.size());
  for (const auto& [column, value] : pending_) changes.push_back({column, value});
  try {
    detail::CallEngine([&] { state->engine->UpdateRow(snapshot_->data, position_, changes); });
  } catch (const EOleIoError&) {
    throw;  // the disk, memory or a lock: it ends the run as such
  } catch (const Exception& e) {
    throw EDatabaseError(e.Message());
  }
  auto& row = snapshot_->data.rows[position_];
  for (auto& [column, value] : pending_) row[column] = std::move(value);
  pending_.clear();
  editing_ = false;
}

std::string Field::AsString() const {
  const std::string* value = query_->CurrentValue(column_);
  return value ? platform::Utf8ToAnsi(*value) : std::string();
}

std::int64_t Field::AsInteger() const {
  const std::string* value = query_->CurrentValue(column_);
  if (!value) return 0;
  std::string_view text = *value;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    throw EDatabaseError("'" + platform::Utf8ToAnsi(*value) + "' is not a valid integer value");
  }
  return number;
}

}  // namespace dt
