// dealtext-probe: Jet SQL statements run in order on one connection of one
// engine, each answer printed, so that scripts/check-jet.js can ask Jet and
// the stand-in the same questions and show the answers side by side.
//
//   dealtext-probe ENGINE CONNECTION STATEMENT...
//
// ENGINE is "standin" or, in the Windows form, "jet" (the host's engine
// through ADO); CONNECTION a connection string as the system writes them.
// A statement that begins with SELECT and has no INTO is a query, printed as
//   columns: <names joined by |>
//   row: <values as SQL literals joined by ,>       (one line a row)
// any other is run as a command, printed as "done: <rows affected>". The
// first statement that fails is printed as "error: <message>" and ends the
// run. Output is UTF-8. Exit 0 when every statement ran, 1 when one failed,
// 2 on bad usage or when the connection cannot be opened.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/engine_factory.h"
#include "engine/error.h"
#include "platform/command_line.h"

#ifdef _WIN32
#include "platform/com_scope.h"
#endif

namespace {

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool IsQuery(const std::string& statement) {
  const std::string folded = Folded(statement);
  const std::size_t first = folded.find_first_not_of(" \t\r\n");
  return first != std::string::npos && folded.compare(first, 7, "SELECT ") == 0 &&
         folded.find(" INTO ") == std::string::npos;
}

std::string Literal(const dt::engine::Value& value) {
  if (!value) return "NULL";
  std::string out = "'";
  for (const char c : *value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

void Print(const dt::engine::Snapshot& snapshot) {
  std::string line = "columns: ";
  for (std::size_t i = 0; i < snapshot.columns.size(); ++i) {
    line += (i > 0 ? "|" : "") + snapshot.columns[i];
  }
  std::cout << line << '\n';
  for (const auto& row : snapshot.rows) {
    line = "row: ";
    for (std::size_t i = 0; i < row.size(); ++i) line += (i > 0 ? "," : "") + Literal(row[i]);
    std::cout << line << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = dt::platform::Utf8Arguments(argc, argv);
  if (arguments.size() < 4 || (arguments[1] != "standin" && arguments[1] != "jet")) {
    std::cerr << "usage: dealtext-probe standin|jet CONNECTION STATEMENT...\n";
    return 2;
  }
#ifdef _WIN32
  const dt::platform::ComScope com;
#endif
  std::unique_ptr<dt::engine::Engine> engine;
  try {
    engine = dt::engine::MakeEngine(arguments[1] == "jet" ? dt::engine::EngineKind::kAdo
                                                          : dt::engine::EngineKind::kStandIn);
    engine->Open(arguments[2]);
  } catch (const dt::engine::Error& error) {
    std::cerr << "dealtext-probe: cannot open the connection: " << error.what() << '\n';
    return 2;
  }
  int status = 0;
  for (std::size_t i = 3; i < arguments.size() && status == 0; ++i) {
    try {
      if (IsQuery(arguments[i])) {
        Print(engine->Query(arguments[i]));
      } else {
        std::cout << "done: " << engine->Execute(arguments[i]) << '\n';
      }
    } catch (const dt::engine::Error& error) {
      std::cout << "error: " << error.what() << '\n';
      status = 1;
    }
  }
  try {
    engine->Close();
  } catch (const dt::engine::Error& error) {
    std::cerr << "dealtext-probe: cannot close the connection: " << error.what() << '\n';
    return 2;
  }
  return std::cout.flush() ? status : 2;
}
