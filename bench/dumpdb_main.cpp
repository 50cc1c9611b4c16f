// dealtext-dumpdb: every table of a work database as one text, so that the
// work databases of two engines can be compared. Each table, in name order
// (ASCII letter case ignored), gives a line "== <name>", a line of its
// column names joined by "|", then its rows in stored order, one a line,
// values as SQL literals joined by ",": 'text' (quotes doubled), numbers,
// NULL, and a date as the text 'YYYY-MM-DD' ('YYYY-MM-DD HH:MM:SS' with a
// time of day), the way the stand-in stores it. Column types are left out:
// the engines name them differently.
//
// An SQLite file (the stand-in's work database) is read with SQLite;
// anything else, in the Windows form, as a Jet database through ADO.
//
//   dealtext-dumpdb DATABASE         prints the text (UTF-8)
//   dealtext-dumpdb DATABASE OTHER   compares the two texts: exit 0 when they
//                                    are the same, 1 with the first lines
//                                    that differ when not
// Exit 2 when a database cannot be read.
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/command_line.h"

#ifdef _WIN32
#include "engine/ado/ado_api.h"
#include "engine/ado/ado_errors.h"
#include "engine/ado/com_connection.h"
#include "platform/com_scope.h"
#endif

namespace {

struct Table {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;  // values as literals
};

std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

std::string Number(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string Dump(std::vector<Table> tables) {
  std::sort(tables.begin(), tables.end(),
            [](const Table& a, const Table& b) { return Folded(a.name) < Folded(b.name); });
  std::string out;
  for (const Table& table : tables) {
    out += "== " + table.name + "\n";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      out += (i > 0 ? "|" : "") + table.columns[i];
    }
    out += "\n";
    for (const auto& row : table.rows) {
      for (std::size_t i = 0; i < row.size(); ++i) out += (i > 0 ? "," : "") + row[i];
      out += "\n";
    }
  }
  return out;
}

bool IsSqliteFile(const std::string& path) {
  std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())),
                   std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  return in && std::string_view(header, sizeof header) == std::string_view("SQLite format 3\0", 16);
}

struct SqliteClose {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct SqliteFinalize {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteFinalize>;

SqliteStatement Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
  return SqliteStatement(statement);
}

std::string SqliteLiteral(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      return "NULL";
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
      return Number(sqlite3_column_double(statement, column));
    default:
      return Quoted(
          std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                           static_cast<std::size_t>(sqlite3_column_bytes(statement, column))));
  }
}

std::vector<Table> ReadSqlite(const std::string& path) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  const std::unique_ptr<sqlite3, SqliteClose> db(raw);
  if (opened != SQLITE_OK) throw std::runtime_error(raw ? sqlite3_errmsg(raw) : "out of memory");
  std::vector<Table> tables;
  const SqliteStatement names = Prepare(
      db.get(), "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
  while (sqlite3_step(names.get()) == SQLITE_ROW) {
    tables.push_back({reinterpret_cast<const char*>(sqlite3_column_text(names.get(), 0)), {}, {}});
  }
  for (Table& table : tables) {
    std::string quoted = "\"";
    for (const char c : table.name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    const SqliteStatement rows = Prepare(db.get(), "SELECT * FROM " + quoted + "\" ORDER BY rowid");
    const int count = sqlite3_column_count(rows.get());
    for (int i = 0; i < count; ++i) table.columns.push_back(sqlite3_column_name(rows.get(), i));
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
      auto& row = table.rows.emplace_back();
      for (int i = 0; i < count; ++i) row.push_back(SqliteLiteral(rows.get(), i));
    }
  }
  return tables;
}

#ifdef _WIN32
namespace ado = dt::engine::ado;

// An OLE date (days since 30 December 1899) as the stand-in writes dates.
std::string DateText(ado::Date date) {
  using namespace std::chrono;
  const auto seconds_in_day = static_cast<long long>(date.days * 86400.0 + 0.5);
  long long days = seconds_in_day / 86400;
  long long seconds = seconds_in_day % 86400;
  if (seconds < 0) {
    seconds += 86400;
    --days;
  }
  const year_month_day ymd{sys_days{1899y / December / 30} + std::chrono::days{days}};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  std::string out = text;
  if (seconds != 0) {
    std::snprintf(text, sizeof text, " %02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    out += text;
  }
  return Quoted(out);
}

std::string AdoLiteral(const ado::Value& value) {
  if (std::holds_alternative<std::monostate>(value)) return "NULL";
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&value)) return Number(*real);
  if (const auto* date = std::get_if<ado::Date>(&value)) return DateText(*date);
  return Quoted(std::get<std::string>(value));
}

std::vector<Table> ReadJet(const std::string& path) {
  std::unique_ptr<ado::Connection> connection = ado::NewComConnection();
  connection->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                   ";Mode=Read;Persist Security Info=False");
  std::vector<Table> tables;
  for (const std::string& name : connection->TableNames()) {
    Table& table = tables.emplace_back(Table{name, {}, {}});
    const auto rows =
        connection->OpenRecordset("SELECT * FROM [" + name + "]", ado::CursorLocation::kServer,
                                  ado::CursorType::kForwardOnly, ado::LockType::kReadOnly);
    const int count = rows->FieldCount();
    for (int i = 0; i < count; ++i) table.columns.push_back(rows->FieldName(i));
    for (; !rows->Eof(); rows->MoveNext()) {
      auto& row = table.rows.emplace_back();
      for (int i = 0; i < count; ++i) row.push_back(AdoLiteral(rows->FieldValue(i)));
    }
  }
  connection->Close();
  return tables;
}
#endif

std::string DumpOf(const std::string& path) {
  if (IsSqliteFile(path)) return Dump(ReadSqlite(path));
#ifdef _WIN32
  try {
    return Dump(ReadJet(path));
  } catch (const ado::Failure& failure) {
    throw std::runtime_error(ado::FailureMessage(failure));
  }
#else
  throw std::runtime_error("not an SQLite database; this form reads no other");
#endif
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Prints the first lines where the two texts differ; whether they do.
bool Differ(const std::string& a, const std::string& b, const std::string& name_a,
            const std::string& name_b) {
  if (a == b) {
    const auto lines = Lines(a);
    const auto tables = std::count_if(lines.begin(), lines.end(),
                                      [](const std::string& l) { return l.rfind("== ", 0) == 0; });
    std::cout << "same: " << tables << " tables, " << lines.size() - 2 * tables << " rows\n";
    return false;
  }
  const auto lines_a = Lines(a);
  const auto lines_b = Lines(b);
  int shown = 0;
  std::string table;
  for (std::size_t i = 0; i < std::max(lines_a.size(), lines_b.size()) && shown < 10; ++i) {
    const std::string* line_a = i < lines_a.size() ? &lines_a[i] : nullptr;
    const std::string* line_b = i < lines_b.size() ? &lines_b[i] : nullptr;
    if (line_a && line_a->rfind("== ", 0) == 0) table = *line_a;
    if (line_a && line_b && *line_a == *line_b) continue;
    std::cout << "line " << i + 1 << " (" << table << "):\n  " << name_a << ": "
              << (line_a ? *line_a : "(none)") << "\n  " << name_b << ": "
              << (line_b ? *line_b : "(none)") << "\n";
    ++shown;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: dealtext-dumpdb DATABASE [OTHER]\n";
    return 2;
  }
#ifdef _WIN32
  const dt::platform::ComScope com;
#endif
  const std::vector<std::string> paths = dt::platform::Utf8Arguments(argc, argv);
  std::vector<std::string> dumps;
  for (std::size_t i = 1; i < paths.size(); ++i) {
    try {
      dumps.push_back(DumpOf(paths[i]));
    } catch (const std::exception& error) {
      std::cerr << "dealtext-dumpdb: cannot read " << paths[i] << ": " << error.what() << '\n';
      return 2;
    }
  }
  if (dumps.size() == 1) {
    std::cout << dumps[0];
    return std::cout.flush() ? 0 : 2;
  }
  return Differ(dumps[0], dumps[1], paths[1], paths[2]) ? 1 : 0;
}
