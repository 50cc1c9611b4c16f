// The line list's storage, its indexed operations and the line-splitting
// rule shared by set text and load.
#include "src/staging/line_list.h"

#include <cstddef>
#include <utility>

#include "platform/errors.h"
#include "platform/files.h"
#include "src/staging/text_utils.h"

namespace dt {

void LineList::CheckIndex(int i, int limit) const {
  if (i < 0 || i >= limit) {
    throw EStringListError("List index out of bounds (" + DecimalText(i) + ")");
  }
}

const std::string& LineList::Get(int i) const {
  CheckIndex(i, Count());
  return lines_[static_cast<std::size_t>(i)];
}

void LineList::Put(int i, std::string text) {
  CheckIndex(i, Count());
  lines_[static_cast<std::size_t>(i)] = std::move(text);
}

int LineList::Add(std::string text) {
  lines_.push_back(std::move(text));
  return Count() - 1;
}

void LineList::Insert(int i, std::string text) {
  CheckIndex(i, Count() + 1);
  lines_.insert(lines_.begin() + i, std::move(text));
}

void LineList::Delete(int i) {
  CheckIndex(i, Count());
  lines_.erase(lines_.begin() + i);
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

void LineList::LoadFromFile(const std::string& ansi_path) {
  const std::string bytes = platform::ReadWholeFile(ansi_path);
  SetText(bytes);
}

void LineList::SaveToFile(const std::string& ansi_path) const {
  platform::WriteWholeFile(ansi_path, GetText());
}

}  // namespace dt
