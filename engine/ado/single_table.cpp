// Recognising a query over every row and field of one table.
#include "engine/ado/single_table.h"

#include <vector>

namespace dt::engine::ado {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SameWord(std::string_view word, std::string_view keyword) {
  if (word.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[i]) return false;
  }
  return true;
}

// A bare name: letters, digits, "_" and any byte of a multi-byte character.
bool IsBareName(std::string_view word) {
  if (word.empty()) return false;
  for (const char c : word) {
    const auto byte = static_cast<unsigned char>(c);
    const bool ok = byte >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                    (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> SingleTableOf(std::string_view sql) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < sql.size()) {
    if (IsSpace(sql[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    if (sql[i] == '[') {
      end = sql.find(']', i);
      if (end == std::string_view::npos) return std::nullopt;
      ++end;
    } else {
      while (end < sql.size() && !IsSpace(sql[end])) ++end;
    }
    words.push_back(sql.substr(i, end - i));
    i = end;
  }
  if (words.size() != 4 || !SameWord(words[0], "SELECT") || words[1] != "*" ||
      !SameWord(words[2], "FROM")) {
    return std::nullopt;
  }
  std::string_view name = words[3];
  if (name.size() > 2 && name.front() == '[' && name.back() == ']') {
    name = name.substr(1, name.size() - 2);
    if (name.find('[') != std::string_view::npos) return std::nullopt;
    return std::string(name);
  }
  if (!IsBareName(name)) return std::nullopt;
  return std::string(name);
}

}  // namespace dt::engine::ado
