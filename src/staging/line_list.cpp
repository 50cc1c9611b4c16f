// The line list's storage, its indexed access and the line-splitting rule.
#include "src/staging/line_list.h"

#include <cstddef>
#include <utility>

#include "platform/errors.h"
#include "src/staging/text_utils.h"

namespace dt {

const std::string& LineList::Get(int i) const {
  if (i < 0 || i >= Count()) {
    throw EStringListError("List index out of bounds (" + DecimalText(i) + ")");
  }
  return lines_[static_cast<std::size_t>(i)];
}

int LineList::Add(std::string text) {
  lines_.push_back(std::move(text));
  return Count() - 1;
}

void LineList::SetText(std::string_view text) {
  lines_.clear();
  std::size_t pos = 0;
  const std::size_t size = text.size();
  while (pos < size && text[pos] != '\0') {
    std::size_t end = pos;
    while (end < size && text[end] != '\r' && text[end] != '\n' && text[end] != '\0') ++end;
    lines_.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < size && text[pos] == '\r') ++pos;
    if (pos < size && text[pos] == '\n') ++pos;
  }
}

std::string LineList::GetText() const {
  std::size_t total = 0;
  for (const std::string& line : lines_) total += line.size() + 2;
  std::string text;
  text.reserve(total);
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace dt
