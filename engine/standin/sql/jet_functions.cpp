// Jet's +, & and cdate as deterministic SQLite scalar functions.
#include "engine/standin/sql/jet_functions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "engine/error.h"
#include "engine/standin/sql/cdate.h"
#include "platform/codepage.h"

namespace dt::engine::standin {
namespace {

// The text of `a` followed by that of `b` as the function's result. SQLite
// copies it into the result's own buffer, which it keeps from one row to
// the next (PZ's date adds up four texts for each of a million voucher
// lines), so short texts are joined on the stack and nothing is allocated.
void ResultJoined(sqlite3_context* context, std::string_view a, std::string_view b) {
  const std::size_t size = a.size() + b.size();
  char local[256];
  std::string heap;
  char* joined = local;
  if (size > sizeof(local)) {
    heap.resize(size);
    joined = heap.data();
  }
  std::char_traits<char>::copy(joined, a.data(), a.size());
  std::char_traits<char>::copy(joined + a.size(), b.data(), b.size());
  sqlite3_result_text64(context, joined, size, SQLITE_TRANSIENT, SQLITE_UTF8);
}

// The numeric reading of a text operand, as Jet converts one for +: a
// decimal number with "." as its point whatever the process locale, spaces
// around it allowed. Hexadecimal, "inf", "nan" and text holding a zero byte
// are no numbers.
std::optional<double> ParseNumber(std::string_view text) {
  if (text.find_first_not_of(" +-.0123456789eE") != std::string_view::npos) return std::nullopt;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  const bool plus = text.front() == '+';  // from_chars takes no plus sign
  if (plus) text.remove_prefix(1);
  if (text.empty() || (plus && (text.front() == '-' || text.front() == '+'))) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

void Mismatch(sqlite3_context* context, std::string_view value, std::string_view wanted) {
  const std::string message = "Data type mismatch in expression: '" + std::string(value) +
                              "' is not " + std::string(wanted);
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
  // The code, not the text, tells the caller what kind of failure it was.
  sqlite3_result_error_code(context, SQLITE_MISMATCH);
}

void AddNumbers(sqlite3_context* context, sqlite3_value* a, sqlite3_value* b) {
  if (sqlite3_value_type(a) == SQLITE_INTEGER && sqlite3_value_type(b) == SQLITE_INTEGER) {
    sqlite3_int64 sum = 0;
    if (!__builtin_add_overflow(sqlite3_value_int64(a), sqlite3_value_int64(b), &sum)) {
      sqlite3_result_int64(context, sum);
      return;
    }
  }
  sqlite3_result_double(context, sqlite3_value_double(a) + sqlite3_value_double(b));
}

void JetAdd(sqlite3_context* context, int, sqlite3_value** argv) {
  sqlite3_value* a = argv[0];
  sqlite3_value* b = argv[1];
  const int type_a = sqlite3_value_type(a);
  const int type_b = sqlite3_value_type(b);
  if (type_a == SQLITE_NULL || type_b == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const bool number_a = type_a == SQLITE_INTEGER || type_a == SQLITE_FLOAT;
  const bool number_b = type_b == SQLITE_INTEGER || type_b == SQLITE_FLOAT;
  if (number_a && number_b) {
    AddNumbers(context, a, b);
    return;
  }
  if (!number_a && !number_b) {
    ResultJoined(context, TextOf(a), TextOf(b));
    return;
  }
  sqlite3_value* text = number_a ? b : a;
  sqlite3_value* number = number_a ? a : b;
  const std::optional<double> parsed = ParseNumber(TextOf(text));
  if (!parsed) {
    Mismatch(context, TextOf(text), "a number");
    return;
  }
  // A whole-number text with an integer stays an integer ("1" + 2 is 3).
  const double whole = std::trunc(*parsed);
  sqlite3_int64 sum = 0;
  if (sqlite3_value_type(number) == SQLITE_INTEGER && whole == *parsed &&
      std::fabs(whole) < 9.0e15 &&
      !__builtin_add_overflow(static_cast<sqlite3_int64>(whole), sqlite3_value_int64(number),
                              &sum)) {
    sqlite3_result_int64(context, sum);
    return;
  }
  sqlite3_result_double(context, *parsed + sqlite3_value_double(number));
}

void JetConcat(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL && sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  ResultJoined(context, TextOf(argv[0]), TextOf(argv[1]));
}

// The last text jet_cdate read on a connection, and its date: the lines of
// one voucher ask for the voucher's date in turn.
struct LastDate {
  std::string text;
  std::string date;
};

void JetCdate(sqlite3_context* context, int, sqlite3_value** argv) {
  // Jet's CDate is the system's conversion to a date, which refuses a Null:
  // a statement must keep Nulls away from it, as it must on Jet.
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    static constexpr std::string_view kNull = "Invalid use of Null";
    sqlite3_result_error(context, kNull.data(), static_cast<int>(kNull.size()));
    sqlite3_result_error_code(context, SQLITE_MISMATCH);
    return;
  }
  const std::string_view text = TextOf(argv[0]);
  auto& last = *static_cast<LastDate*>(sqlite3_user_data(context));
  const bool known =
      sqlite3_value_type(argv[0]) == SQLITE_TEXT && !last.date.empty() && last.text == text;
  if (!known) {
    const std::optional<std::string> date =
        sqlite3_value_type(argv[0]) == SQLITE_TEXT ? ParseJetDate(text) : std::nullopt;
    if (!date) {
      Mismatch(context, text, "a date");
      return;
    }
    last.text = text;
    last.date = *date;
  }
  sqlite3_result_text64(context, last.date.data(), last.date.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Jet's IIf takes its three arguments as values, every one evaluated
// whichever it returns, so a failing branch fails the statement even where
// it is not taken. The condition is true as SQLite's CASE finds it true.
void JetIif(sqlite3_context* context, int, sqlite3_value** argv) {
  const bool taken =
      sqlite3_value_type(argv[0]) != SQLITE_NULL && sqlite3_value_double(argv[0]) != 0.0;
  sqlite3_result_value(context, argv[taken ? 1 : 2]);
}

void JetTextKey(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  std::string buffer;
  const std::string_view key = TextKeyOf(TextOf(argv[0]), buffer);
  // (A pointer, never NULL, even for no text: that would be a NULL key.)
  sqlite3_result_text64(context, key.empty() ? "" : key.data(), key.size(), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

void JetLikePattern(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const std::string_view jet = TextOf(argv[0]);
  std::string glob;
  glob.reserve(jet.size() + 8);
  bool in_brackets = false;
  for (std::size_t i = 0; i < jet.size(); ++i) {
    const char c = jet[i];
    if (in_brackets) {
      glob += c;
      if (c == ']') in_brackets = false;
    } else if (c == '[') {
      glob += c;
      in_brackets = true;
      if (i + 1 < jet.size() && jet[i + 1] == '!') {
        glob += '^';
        ++i;
      }
    } else if (c == '#') {
      glob += "[0-9]";
    } else {
      glob += c;
    }
  }
  sqlite3_result_text64(context, glob.data(), glob.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Registers `function`, with `state` as its user data: SQLite owns it from
// then on, and destroys it with the connection.
template <class State = std::nullptr_t>
void Register(sqlite3* db, const char* name, int arity,
              void (*function)(sqlite3_context*, int, sqlite3_value**),
              std::unique_ptr<State> state = nullptr) {
  void (*destroy)(void*) = nullptr;
  if (state)
    destroy = [](void* data) { std::unique_ptr<State>(static_cast<State*>(data)).reset(); };
  if (sqlite3_create_function_v2(db, name, arity, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                 state.release(), function, nullptr, nullptr,
                                 destroy) != SQLITE_OK) {
    throw Error(ErrorKind::kOther, std::string("Cannot register the function ") + name);
  }
}

}  // namespace

std::string_view TextOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  const int size = sqlite3_value_bytes(value);
  return text != nullptr ? std::string_view(text, static_cast<std::size_t>(size))
                         : std::string_view();
}

void RegisterJetFunctions(sqlite3* db) {
  Register(db, "jet_add", 2, JetAdd);
  Register(db, "jet_concat", 2, JetConcat);
  Register(db, "jet_cdate", 1, JetCdate, std::make_unique<LastDate>());
  Register(db, "jet_iif", 3, JetIif);
  Register(db, "jet_text_key", 1, JetTextKey);
  Register(db, "jet_like_pattern", 1, JetLikePattern);
}

}  // namespace dt::engine::standin
