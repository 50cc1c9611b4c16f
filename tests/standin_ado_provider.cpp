// The provider for tests: ADO's connection and recordsets over the stand-in
// engine, typed values from the stand-in's column declarations.
#include "tests/standin_ado_provider.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>

#include "engine/ado/ado_engine.h"
#include "engine/engine_factory.h"
#include "engine/error.h"
#include "engine/standin/connection_string.h"
#include "engine/jetsql/column_types.h"
#include "engine/standin/standin_engine.h"
#include "engine/standin/store/schema.h"
#include "engine/standin/store/sqlite_db.h"
#include "platform/codepage.h"

namespace dt::testing {
namespace {

namespace ado = engine::ado;
using engine::ErrorKind;

constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);  // E_FAIL

// ADO's own errors (adErr...), as it raises them.
ado::Failure AdoError(std::uint32_t hresult, std::string description) {
  return ado::Failure(static_cast<std::int32_t>(hresult), std::move(description), "", {});
}
ado::Failure NoCurrentRecord() {
  return AdoError(0x800A0BCD,
                  "Either BOF or EOF is True, or the current record has been deleted. Requested "
                  "operation requires a current record.");
}
ado::Failure ObjectClosed() {
  return AdoError(0x800A0E78, "Operation is not allowed when the object is closed.");
}
ado::Failure ObjectOpen() {
  return AdoError(0x800A0E79, "Operation is not allowed when the object is open.");
}
ado::Failure NotUpdatable() {
  return AdoError(0x800A0CB3,
                  "Current Recordset does not support updating. This may be a limitation of the "
                  "provider, or of the selected locktype.");
}
ado::Failure NoFetchingBackward() {
  return AdoError(0x80040E24, "Rowset does not support fetching backward.");
}
ado::Failure TypeMismatch() { return AdoError(0x80020005, "Type mismatch."); }

// The stand-in's failure as the host's provider reports one: the failures
// of the system under it carry Jet's native number for them.
ado::Failure FailureOf(const engine::Error& error) {
  std::vector<std::int32_t> native;
  switch (error.kind()) {
    case ErrorKind::kIo:
      native.push_back(3043);  // disk or network error
      break;
    case ErrorKind::kResources:
      native.push_back(3035);  // system resource exceeded
      break;
    case ErrorKind::kLocked:
      native.push_back(3045);  // could not use the file; already in use
      break;
    default:
      break;
  }
  return ado::Failure(kFail, engine::Message(error), "", std::move(native));
}

template <class Call>
decltype(auto) StandIn(Call&& call) {
  try {
    return call();
  } catch (const engine::Error& error) {
    throw FailureOf(error);
  }
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (platform::EqualIgnoringAsciiCase(text.substr(i, part.size()), part)) return true;
  }
  return false;
}

// --- Dates: OLE Automation days and the stand-in's ISO text ----------------

// Days from 1 January 1970 (proleptic Gregorian), and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}
constexpr std::int64_t kOleEpoch = -25569;  // 30 December 1899

std::string DateText(ado::Date date) {
  // The day is the whole part and the time of day the fraction, taken
  // positive also before the epoch, as OLE Automation has it.
  const double whole = std::trunc(date.days);
  const auto seconds = static_cast<long>(std::llround(std::fabs(date.days - whole) * 86400));
  std::int64_t y = 0;
  unsigned m = 0;
  unsigned d = 0;
  CivilFromDays(static_cast<std::int64_t>(whole) + kOleEpoch, y, m, d);
  char text[48];
  if (seconds == 0) {
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u", static_cast<long long>(y), m, d);
  } else {
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02ld:%02ld:%02ld",
                  static_cast<long long>(y), m, d, seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return text;
}

// 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS' exactly as DateText writes it.
std::optional<ado::Date> ParseDate(std::string_view text) {
  if (text.size() != 10 && text.size() != 19) return std::nullopt;
  auto number = [&](std::size_t at, std::size_t length, int& out) {
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + length, out);
    return error == std::errc() && end == first + length;
  };
  int y = 0, m = 0, d = 0, hh = 0, mm = 0, ss = 0;
  if (text[4] != '-' || text[7] != '-' || !number(0, 4, y) || !number(5, 2, m) ||
      !number(8, 2, d) || m < 1 || m > 12 || d < 1 || d > 31) {
    return std::nullopt;
  }
  if (text.size() == 19 && (text[10] != ' ' || text[13] != ':' || text[16] != ':' ||
                            !number(11, 2, hh) || !number(14, 2, mm) || !number(17, 2, ss))) {
    return std::nullopt;
  }
  const std::int64_t days =
      DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kOleEpoch;
  const ado::Date date{static_cast<double>(days) + (hh * 3600 + mm * 60 + ss) / 86400.0};
  if (DateText(date) != text) return std::nullopt;  // 31 February and the like
  return date;
}

// SQLite's text of a real, as the stand-in hands one out.
std::string RealText(double value) {
  char text[64];
  sqlite3_snprintf(sizeof text, text, "%!.15g", value);
  return text;
}

std::string TextOf(const ado::Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&value)) return RealText(*real);
  if (const auto* date = std::get_if<ado::Date>(&value)) return DateText(*date);
  throw TypeMismatch();  // Null has no text
}

// --- Field types ------------------------------------------------------------

enum class FieldKind { kText, kInteger, kReal, kDate, kUndeclared };

FieldKind KindOfDeclared(std::string_view declared) {
  std::string_view word = declared.substr(0, declared.find('('));
  while (!word.empty() && word.back() == ' ') word.remove_suffix(1);
  if (word.empty()) return FieldKind::kUndeclared;
  for (const std::string_view date : {"DATETIME", "DATE", "TIME", "TIMESTAMP"}) {
    if (platform::EqualIgnoringAsciiCase(word, date)) return FieldKind::kDate;
  }
  const std::optional<engine::ColumnType> type = engine::LookUpColumnType(word);
  if (!type) return FieldKind::kText;
  if (type->sqlite_type == "INTEGER") return FieldKind::kInteger;
  if (type->sqlite_type == "REAL") return FieldKind::kReal;
  return FieldKind::kText;  // text; currency and decimal arrive as text too
}

// A stored value as ADO hands it out. A value its field's type cannot hold
// (SQLite keeps what it is given) stays text.
ado::Value Typed(const engine::Value& stored, FieldKind kind) {
  if (!stored) return std::monostate{};
  const std::string& text = *stored;
  switch (kind) {
    case FieldKind::kInteger: {
      std::int64_t number = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      if (error == std::errc() && end == text.data() + text.size()) return number;
      break;
    }
    case FieldKind::kReal: {
      double real = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), real);
      if (error == std::errc() && end == text.data() + text.size() && RealText(real) == text) {
        return real;
      }
      break;
    }
    case FieldKind::kDate:
    case FieldKind::kUndeclared:
      if (const std::optional<ado::Date> date = ParseDate(text)) return *date;
      break;
    case FieldKind::kText:
      break;
  }
  return text;
}

// --- The connection's state, shared with its recordsets --------------------

struct ProviderState {
  engine::standin::StandInEngine engine;
  std::string connection_string;  // as opened
  std::string database;           // the open database file; empty for a text folder
  bool open = false;
  std::uint64_t generation = 0;  // counts the closes
  std::shared_ptr<ProviderScript> script;

  void Before(std::string_view call, std::string_view subject) {
    if (script) script->Before(call, subject);
  }
};

class ProviderRecordset : public ado::Recordset {
 public:
  ProviderRecordset(std::shared_ptr<ProviderState> state, engine::Snapshot rows,
                    std::vector<FieldKind> kinds, ado::CursorType type, ado::LockType lock)
      : state_(std::move(state)),
        generation_(state_->generation),
        rows_(std::move(rows)),
        kinds_(std::move(kinds)),
        forward_only_(type == ado::CursorType::kForwardOnly),
        updatable_(lock == ado::LockType::kOptimistic && !rows_.table.empty()) {}

  int FieldCount() override {
    RequireOpen();
    return static_cast<int>(rows_.columns.size());
  }
  std::string FieldName(int field) override {
    RequireOpen();
    return rows_.columns.at(Index(field));
  }
  ado::Value FieldValue(int field) override {
    const std::size_t row = CurrentRow();
    const std::size_t index = Index(field);
    if (const auto pending = pending_.find(index); pending != pending_.end()) {
      return pending->second;
    }
    return Typed(rows_.rows[row].at(index), kinds_.at(index));
  }

  bool Eof() override {
    RequireOpen();
    return position_ >= Count();
  }
  void MoveFirst() override {
    RequireOpen();
    if (Count() == 0) throw NoCurrentRecord();
    LeaveRow();
    position_ = 0;
  }
  void MoveNext() override { Move(1); }
  void Move(std::int64_t rows) override {
    RequireOpen();
    if (rows < 0 && forward_only_) throw NoFetchingBackward();
    const bool bof = position_ < 0;
    const bool eof = position_ >= Count();
    if ((rows >= 0 && eof) || (rows <= 0 && bof)) throw NoCurrentRecord();
    LeaveRow();
    position_ = std::clamp<std::int64_t>(position_ + rows, -1, Count());
  }

  void SetValue(int field, const ado::Value& value) override {
    CurrentRow();
    if (!updatable_) throw NotUpdatable();
    pending_[Index(field)] = value;
  }
  void Update() override {
    const std::size_t row = CurrentRow();
    if (pending_.empty()) return;
    state_->Before("Update", rows_.table);
    std::vector<engine::Change> changes;
    for (const auto& [field, value] : pending_) {
      engine::Value text;
      if (!std::holds_alternative<std::monostate>(value)) text = TextOf(value);
      changes.push_back({field, std::move(text)});
    }
    StandIn([&] { state_->engine.UpdateRow(rows_, row, changes); });
    for (engine::Change& change : changes) rows_.rows[row][change.column] = std::move(change.value);
    pending_.clear();
  }
  void CancelUpdate() override {
    CurrentRow();
    pending_.clear();
  }

 private:
  std::int64_t Count() const { return static_cast<std::int64_t>(rows_.rows.size()); }
  std::size_t Index(int field) const {
    if (field < 0 || static_cast<std::size_t>(field) >= rows_.columns.size()) {
      throw AdoError(0x800A0CC1,
                     "Item cannot be found in the collection corresponding to the "
                     "requested name or ordinal.");
    }
    return static_cast<std::size_t>(field);
  }
  void RequireOpen() const {
    if (!state_->open || state_->generation != generation_) throw ObjectClosed();
  }
  std::size_t CurrentRow() const {
    RequireOpen();
    if (position_ < 0 || position_ >= Count()) throw NoCurrentRecord();
    return static_cast<std::size_t>(position_);
  }
  // Moving off a row with changes writes them first, as ADO does.
  void LeaveRow() {
    if (!pending_.empty() && position_ >= 0 && position_ < Count()) Update();
  }

  std::shared_ptr<ProviderState> state_;
  std::uint64_t generation_;
  engine::Snapshot rows_;  // values as the stand-in stores them
  std::vector<FieldKind> kinds_;
  bool forward_only_;
  bool updatable_;
  std::int64_t position_ = 0;  // -1 before the first row, Count() after the last
  std::map<std::size_t, ado::Value> pending_;
};

class ProviderConnection : public ado::Connection {
 public:
  explicit ProviderConnection(std::shared_ptr<ProviderScript> script)
      : state_(std::make_shared<ProviderState>()) {
    state_->script = std::move(script);
  }

  void Open(std::string_view connection_string) override {
    if (state_->open) throw ObjectOpen();
    state_->Before("Open", connection_string);
    StandIn([&] {
      const auto settings = engine::standin::ParseConnectionString(connection_string);
      state_->engine.Open(connection_string);
      state_->database = settings.text ? std::string() : settings.data_source;
    });
    state_->connection_string = connection_string;
    state_->open = true;
  }
  void Close() override {
    if (!state_->open) throw ObjectClosed();
    state_->Before("Close", state_->connection_string);
    StandIn([&] { state_->engine.Close(); });
    state_->open = false;
    ++state_->generation;
  }
  bool IsOpen() override { return state_->open; }

  std::int64_t Execute(std::string_view sql) override {
    RequireOpen();
    state_->Before("Execute", sql);
    return StandIn([&] { return state_->engine.Execute(sql); });
  }

  std::unique_ptr<ado::Recordset> OpenRecordset(std::string_view sql, ado::CursorLocation,
                                                ado::CursorType type, ado::LockType lock) override {
    RequireOpen();
    state_->Before("Recordset", sql);
    engine::Snapshot rows;
    try {
      rows = state_->engine.Query(sql);
    } catch (const engine::NoResultSetError&) {
      // ADO runs the command before it can tell that it returns no rows.
      StandIn([&] { state_->engine.Execute(sql); });
      return nullptr;
    } catch (const engine::Error& error) {
      throw FailureOf(error);
    }
    std::vector<FieldKind> kinds = StandIn([&] { return KindsOf(rows); });
    // Both cursor locations hold the rows fixed at opening: a client-side
    // recordset is a copy, and a keyset cursor's membership and order are
    // fixed; what this engine writes goes through the recordset itself.
    return std::make_unique<ProviderRecordset>(state_, std::move(rows), std::move(kinds), type,
                                               lock);
  }

  std::vector<std::string> TableNames() override {
    RequireOpen();
    std::vector<std::string> names;
    if (state_->database.empty()) return names;  // a folder of text files
    StandIn([&] {
      const auto db = engine::standin::Database::OpenExisting(state_->database);
      engine::standin::Statement list(
          db,
          "SELECT name FROM sqlite_schema WHERE type IN ('table', 'view') AND name NOT LIKE "
          "'sqlite\\_%' ESCAPE '\\' ORDER BY name");
      while (list.Step()) names.push_back(list.ColumnText(0).value_or(""));
    });
    return names;
  }

  std::string Text(const ado::Value& value) override { return TextOf(value); }

 private:
  void RequireOpen() const {
    if (!state_->open) throw ObjectClosed();
  }

  // Each field's type, from the stand-in's declarations of the one table
  // the rows come from; text for the rows of anything else.
  std::vector<FieldKind> KindsOf(const engine::Snapshot& rows) const {
    std::vector<FieldKind> kinds(rows.columns.size(), FieldKind::kText);
    if (rows.table.empty() || state_->database.empty()) return kinds;
    const auto db = engine::standin::Database::OpenExisting(state_->database);
    const std::vector<engine::standin::ColumnInfo> columns =
        engine::standin::ColumnsOf(db, rows.table);
    for (std::size_t i = 0; i < rows.columns.size(); ++i) {
      for (const engine::standin::ColumnInfo& column : columns) {
        if (platform::EqualIgnoringAsciiCase(column.name, rows.columns[i])) {
          kinds[i] = KindOfDeclared(column.type);
          break;
        }
      }
    }
    return kinds;
  }

  std::shared_ptr<ProviderState> state_;
};

}  // namespace

void ProviderScript::Before(std::string_view call, std::string_view subject) {
  for (Armed& armed : faults_) {
    ProviderFault& fault = armed.fault;
    if (armed.fired || fault.call != call) continue;
    if (!fault.subject.empty() && !ContainsIgnoringCase(subject, fault.subject)) continue;
    if (fault.skip > 0) {
      --fault.skip;
      continue;
    }
    armed.fired = true;
    throw fault.failure;
  }
}

int ProviderScript::Fired() const {
  int fired = 0;
  for (const Armed& armed : faults_) fired += armed.fired ? 1 : 0;
  return fired;
}

engine::ado::Failure JetFailure(std::int32_t native_error, std::string description) {
  return engine::ado::Failure(kFail, std::move(description), "", {native_error});
}

std::unique_ptr<engine::ado::Connection> NewProviderConnection(
    std::shared_ptr<ProviderScript> script) {
  return std::make_unique<ProviderConnection>(std::move(script));
}

ProviderEngines::ProviderEngines(std::shared_ptr<ProviderScript> script) {
  engine::SetEngineMakerForTesting([script](engine::EngineKind) {
    return std::unique_ptr<engine::Engine>(
        std::make_unique<engine::ado::AdoEngine>(NewProviderConnection(script)));
  });
}

ProviderEngines::~ProviderEngines() { engine::SetEngineMakerForTesting(nullptr); }

}  // namespace dt::testing
