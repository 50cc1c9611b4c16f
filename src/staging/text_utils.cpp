// The text operations: item splitting, equality, file name parts, decimal
// text and template filling, all on ANSI bytes.
#include "src/staging/text_utils.h"

#include <cstddef>
#include <cstdint>

#include "platform/codepage.h"
#include "platform/paths.h"

namespace dt {
namespace {

bool IsLead(char c) { return platform::IsAnsiLeadByte(static_cast<unsigned char>(c)); }

bool InSet(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

// The width in bytes of the character at `pos`: 2 for a lead byte followed
// by another byte before the end of `text`, else 1.
std::size_t CharWidth(std::string_view text, std::size_t pos) {
  return (IsLead(text[pos]) && pos + 1 < text.size()) ? 2 : 1;
}

}  // namespace

int SplitItems(std::string_view separators, std::string_view white_space, std::string_view text,
               LineList& list) {
  // The text ends at its first zero byte; past the end reads as zero.
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  const std::size_t size = text.size();
  int count = 0;
  char quote = 0;
  std::size_t pos = 0;
  if (size == 0) return 0;
  for (;;) {
    while (pos < size &&
           (text[pos] == '\r' || text[pos] == '\n' || InSet(white_space, text[pos]))) {
      pos += CharWidth(text, pos);
    }
    const std::size_t start = pos;
    std::size_t end = pos;
    while (end < size) {
      const char c = text[end];
      if (c == '\'' || c == '"') {
        if (quote == 0) {
          quote = c;
        } else if (quote == c) {
          quote = 0;
        }
        ++end;
        continue;
      }
      if (quote == 0 && (c == '\r' || c == '\n' || InSet(separators, c))) break;
      end += CharWidth(text, end);
    }
    if (end > size) end = size;
    if (end > start) {
      list.Add(std::string(text.substr(start, end - start)));
      ++count;
    }
    if (end >= size) return count;
    pos = end + CharWidth(text, end);  // the separator, CR or LF is consumed
  }
}

bool Equal(std::string_view a, std::string_view b) noexcept { return a == b; }

std::string FileNamePart(std::string_view path) {
  std::size_t after = 0;  // the index just past the last delimiter
  std::size_t pos = 0;
  while (pos < path.size()) {
    const char c = path[pos];
#ifdef _WIN32
    const bool delimiter = c == platform::PathDelim || c == ':';
#else
    const bool delimiter = c == platform::PathDelim;
#endif
    if (delimiter) {
      after = pos + 1;
      ++pos;
    } else {
      pos += CharWidth(path, pos);
    }
  }
  return std::string(path.substr(after));
}

std::string LeadingPart(std::string_view text, int n) {
  if (n <= 0) return std::string();
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string DecimalText(std::int32_t value) {
  // Through 64 bits so that the most negative value has a positive magnitude.
  std::int64_t wide = value;
  const bool negative = wide < 0;
  std::uint64_t magnitude = static_cast<std::uint64_t>(negative ? -wide : wide);
  char digits[16];
  std::size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::string text;
  if (negative) text += '-';
  while (n > 0) text += digits[--n];
  return text;
}

std::string FillTemplate(std::string_view tmpl, std::initializer_list<std::string_view> texts) {
  std::size_t total = tmpl.size();
  for (std::string_view t : texts) total += t.size();
  std::string result;
  result.reserve(total);
  auto next = texts.begin();
  std::size_t pos = 0;
  while (pos < tmpl.size()) {
    const std::size_t mark = tmpl.find("%s", pos);
    if (mark == std::string_view::npos) break;
    result.append(tmpl, pos, mark - pos);
    if (next != texts.end()) result.append(*next++);
    pos = mark + 2;
  }
  result.append(tmpl, pos, std::string_view::npos);
  return result;
}

}  // namespace dt
