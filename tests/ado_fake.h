// A scripted fake of the ADO interface (engine/ado/ado_api.h): tables held
// in memory, every call written to a log, and failures scripted per call.
//
// A recordset over "SELECT * FROM [T]" or "SELECT * FROM T" reads table T:
// a client-side one a copy of its rows, a server-side one the rows
// themselves, so that what it writes lands in the table. Any other
// statement reads the rows scripted for it in `results`, or returns no
// rows. The "OLE DB Services" property of a connection string is OLE DB's
// service layer's, not the provider's: Open keeps its value apart, in
// `ole_db_services`, and logs the rest. The log holds one line per call
// that reaches ADO: "Open <string>",
// "Close", "Execute <sql>", "Recordset <sql> client|server <type> <lock>",
// "Move <n>", "MoveFirst", "Set <field> <value>", "Update", "CancelUpdate",
// "Text".
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ado/ado_api.h"

namespace dt::testing {

namespace ado = engine::ado;

struct FakeTable {
  std::vector<std::string> columns;
  std::vector<std::vector<ado::Value>> rows;
};

struct FakeAdo {
  std::map<std::string, FakeTable> tables;
  std::map<std::string, FakeTable> results;  // by statement
  std::vector<std::string> log;
  // The next call of that name ("Open", "Execute", "Recordset", "Set",
  // "Update", "CancelUpdate", "TableNames", and "Move", which fails once it
  // has moved, as a provider may) raises this failure.
  std::map<std::string, ado::Failure> failures;
  std::int64_t affected = 0;  // what Execute reports
  // Per Open, the "OLE DB Services" value of its string; none when absent.
  std::vector<std::optional<std::int64_t>> ole_db_services;
  bool open = false;
  // Server-side recordsets read a table's rows last to first, as Jet may
  // hand out the rows of two reads in different orders.
  bool server_reads_backwards = false;

  void MaybeFail(const std::string& call) {
    const auto found = failures.find(call);
    if (found == failures.end()) return;
    const ado::Failure failure = found->second;
    failures.erase(found);
    throw failure;
  }
  // The lines of the log that begin with `prefix`.
  std::vector<std::string> Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : log) {
      if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    }
    return out;
  }
};

inline ado::Failure AdoFailure(std::string description, std::string system_text = "",
                               std::int32_t hresult = static_cast<std::int32_t>(0x80004005),
                               std::vector<std::int32_t> native_errors = {}) {
  return ado::Failure(hresult, std::move(description), std::move(system_text),
                      std::move(native_errors));
}

class FakeRecordset : public ado::Recordset {
 public:
  FakeRecordset(FakeAdo& ado, FakeTable* live, FakeTable copy, bool backwards = false)
      : ado_(ado), live_(live), copy_(std::move(copy)), backwards_(backwards) {}

  int FieldCount() override { return static_cast<int>(Table().columns.size()); }
  std::string FieldName(int field) override { return Table().columns.at(Index(field)); }
  ado::Value FieldValue(int field) override {
    const auto pending = pending_.find(field);
    if (pending != pending_.end()) return pending->second;
    return Row().at(Index(field));
  }
  bool Eof() override { return position_ >= Table().rows.size(); }
  void MoveFirst() override {
    ado_.log.push_back("MoveFirst");
    position_ = 0;
  }
  void MoveNext() override {
    if (Eof()) throw AdoFailure("Either BOF or EOF is True");
    ++position_;
  }
  void Move(std::int64_t rows) override {
    ado_.log.push_back("Move " + std::to_string(rows));
    position_ = std::min(position_ + static_cast<std::size_t>(rows), Table().rows.size());
    ado_.MaybeFail("Move");
  }
  void SetValue(int field, const ado::Value& value) override {
    const auto* text = std::get_if<std::string>(&value);
    ado_.log.push_back("Set " + std::to_string(field) + " " + (text ? *text : "NULL"));
    ado_.MaybeFail("Set");
    Row();  // on a row
    pending_[field] = value;
  }
  void Update() override {
    ado_.log.push_back("Update");
    ado_.MaybeFail("Update");
    for (const auto& [field, value] : pending_) Row().at(Index(field)) = value;
    pending_.clear();
  }
  void CancelUpdate() override {
    ado_.log.push_back("CancelUpdate");
    ado_.MaybeFail("CancelUpdate");
    pending_.clear();
  }

 private:
  FakeTable& Table() { return live_ != nullptr ? *live_ : copy_; }
  std::vector<ado::Value>& Row() {
    if (Eof())
      throw AdoFailure("Either BOF or EOF is True, or the current record has been deleted");
    return Table().rows[backwards_ ? Table().rows.size() - 1 - position_ : position_];
  }
  static std::size_t Index(int field) { return static_cast<std::size_t>(field); }

  FakeAdo& ado_;
  FakeTable* live_;
  FakeTable copy_;
  bool backwards_;
  std::size_t position_ = 0;
  std::map<int, ado::Value> pending_;
};

// Takes the "OLE DB Services" property, with the separator before it, out of
// `connection_string`; its value (decimal, or hexadecimal after 0x).
inline std::optional<std::int64_t> TakeOleDbServices(std::string& connection_string) {
  static const std::string kKey = "ole db services=";
  std::string lower = connection_string;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::size_t start = lower.find(kKey);
  while (start != std::string::npos && start != 0 && lower[start - 1] != ';') {
    start = lower.find(kKey, start + 1);
  }
  if (start == std::string::npos) return std::nullopt;
  const std::size_t end = std::min(connection_string.find(';', start), connection_string.size());
  const std::string value =
      connection_string.substr(start + kKey.size(), end - start - kKey.size());
  connection_string.erase(start != 0 ? start - 1 : start, end - start + 1);
  return std::stoll(value, nullptr, 0);
}

class FakeConnection : public ado::Connection {
 public:
  explicit FakeConnection(FakeAdo& ado) : ado_(ado) {}

  void Open(std::string_view connection_string) override {
    std::string provider_string(connection_string);
    ado_.ole_db_services.push_back(TakeOleDbServices(provider_string));
    ado_.log.push_back("Open " + provider_string);
    if (ado_.open) throw AdoFailure("Operation is not allowed when the object is open");
    ado_.MaybeFail("Open");
    ado_.open = true;
  }
  void Close() override {
    ado_.log.push_back("Close");
    if (!ado_.open) throw AdoFailure("Operation is not allowed when the object is closed");
    ado_.open = false;
  }
  bool IsOpen() override { return ado_.open; }

  std::int64_t Execute(std::string_view sql) override {
    ado_.log.push_back("Execute " + std::string(sql));
    RequireOpen();
    ado_.MaybeFail("Execute");
    return ado_.affected;
  }

  std::unique_ptr<ado::Recordset> OpenRecordset(std::string_view sql, ado::CursorLocation location,
                                                ado::CursorType type, ado::LockType lock) override {
    const bool client = location == ado::CursorLocation::kClient;
    const char* type_name = type == ado::CursorType::kKeyset ? "keyset" : "forward-only";
    ado_.log.push_back("Recordset " + std::string(sql) + (client ? " client " : " server ") +
                       type_name +
                       (lock == ado::LockType::kOptimistic ? " optimistic" : " read-only"));
    RequireOpen();
    ado_.MaybeFail("Recordset");
    std::string statement(sql);
    while (!statement.empty() && (statement.back() == '\r' || statement.back() == '\n')) {
      statement.pop_back();
    }
    if (const auto result = ado_.results.find(statement); result != ado_.results.end()) {
      return std::make_unique<FakeRecordset>(ado_, nullptr, result->second);
    }
    const std::string prefix = "SELECT * FROM ";
    if (statement.compare(0, prefix.size(), prefix) != 0) return nullptr;
    std::string name = statement.substr(prefix.size());
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') {
      name = name.substr(1, name.size() - 2);
    }
    const auto table = ado_.tables.find(name);
    if (table == ado_.tables.end()) {
      throw AdoFailure("The Microsoft Jet database engine cannot find the input table or query '" +
                       name + "'.");
    }
    if (client) return std::make_unique<FakeRecordset>(ado_, nullptr, table->second);
    return std::make_unique<FakeRecordset>(ado_, &table->second, FakeTable{},
                                           ado_.server_reads_backwards);
  }

  std::vector<std::string> TableNames() override {
    RequireOpen();
    ado_.MaybeFail("TableNames");
    std::vector<std::string> names;
    for (const auto& [name, table] : ado_.tables) names.push_back(name);
    return names;
  }

  // Recognisably the system's text, not the engine's own.
  std::string Text(const ado::Value& value) override {
    ado_.log.push_back("Text");
    if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
    if (const auto* real = std::get_if<double>(&value)) return "real " + std::to_string(*real);
    if (const auto* date = std::get_if<ado::Date>(&value)) {
      return "date " + std::to_string(date->days);
    }
    return "?";
  }

 private:
  void RequireOpen() {
    if (!ado_.open) throw AdoFailure("Operation is not allowed when the object is closed");
  }

  FakeAdo& ado_;
};

}  // namespace dt::testing
