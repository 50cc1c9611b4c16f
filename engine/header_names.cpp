// Header naming for both engines: names Jet takes (no character it refuses
// or the schema file's code page lacks, at most 64 characters), F<n> for
// empty ones and numeric suffixes for repeats.
#include "engine/header_names.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "platform/codepage.h"

namespace dt::engine {
namespace {

// A character Jet refuses in a field name, or that schema.ini, written in
// code page 936, cannot carry.
bool Refused(std::string_view character, char32_t code_point) {
  if (code_point < 0x20 || code_point == 0x7F) return true;
  if (std::string_view(".!`[]").find(static_cast<char>(code_point)) != std::string_view::npos &&
      code_point < 0x80) {
    return true;
  }
  return code_point >= 0x80 && platform::AnsiToUtf8(platform::Utf8ToAnsi(character)) != character;
}

// `name` with every refused character made '_', and at most `most`
// characters long.
std::string Acceptable(std::string_view name, std::size_t most) {
  std::string out;
  std::size_t characters = 0;
  while (!name.empty() && characters < most) {
    char32_t code_point = 0;
    std::size_t length = platform::DecodeUtf8Character(name, code_point);
    const bool malformed = length == 0;
    if (malformed) length = platform::MalformedUtf8Length(name);
    const std::string_view character = name.substr(0, length);
    if (malformed || Refused(character, code_point)) {
      out += '_';
    } else {
      out += character;
    }
    name.remove_prefix(length);
    ++characters;
  }
  return out;
}

}  // namespace

std::vector<std::string> HeaderNames(const std::vector<std::string>& fields) {
  std::vector<std::string> names;
  names.reserve(fields.size());
  std::unordered_set<std::string> taken;  // names in ASCII lower case
  // Per name, the suffix to try first: every smaller one is taken already
  // (names are only ever added), so a header of thousands of repeats of one
  // name is named in linear time.
  std::unordered_map<std::string, std::size_t> next_suffix;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string_view trimmed = platform::TrimSpacesAndTabs(fields[i]);
    std::string name = Acceptable(trimmed, kMostNameCharacters);
    if (name.empty()) {
      name.assign(1, 'F');  // built in steps: GCC 12 warns falsely on "F" + string
      name += std::to_string(i + 1);
    }
    std::string unique = name;
    if (taken.count(platform::AsciiLowerCase(unique)) != 0) {
      std::size_t& suffix =
          next_suffix.try_emplace(platform::AsciiLowerCase(name), 1).first->second;
      do {
        const std::string digits = std::to_string(suffix++);
        unique = Acceptable(trimmed.empty() ? std::string_view(name) : trimmed,
                            kMostNameCharacters - digits.size()) +
                 digits;
      } while (taken.count(platform::AsciiLowerCase(unique)) != 0);
    }
    taken.insert(platform::AsciiLowerCase(unique));
    names.push_back(std::move(unique));
  }
  return names;
}

}  // namespace dt::engine
