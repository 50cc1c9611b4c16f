// The line list: an ordered list of ANSI text lines, the working store of
// staging and of the build's small lists (items, segments). It loads a text
// file by the system's line-splitting rule and saves it back with CR LF after
// every line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dt {

// Indices are int; an index outside the documented range (negative ones
// included) raises EStringListError "List index out of bounds (<index>)".
// The list owns its lines; a reference returned by Get stays valid until the
// list is next changed.
class LineList {
 public:
  int Count() const noexcept { return static_cast<int>(lines_.size()); }

  // REQUIRES 0 <= i < Count(), else EStringListError.
  const std::string& Get(int i) const;
  // Replaces line i. REQUIRES 0 <= i < Count(), else EStringListError.
  void Put(int i, std::string text);
  // Appends a line (empty ones too) and returns its index.
  int Add(std::string text);
  // Inserts before line i. REQUIRES 0 <= i <= Count() (Count() appends),
  // else EStringListError.
  void Insert(int i, std::string text);
  // Removes line i. REQUIRES 0 <= i < Count(), else EStringListError.
  void Delete(int i);
  void Clear() noexcept { lines_.clear(); }

  // Empties the list, then adds the lines of `text`: CR LF, a lone CR and a
  // lone LF each end a line; a last line without an end is a line; the text
  // ends at its first zero byte.
  void SetText(std::string_view text);
  // Every line followed by CR LF, the last one included; "" when empty.
  std::string GetText() const;

  // Reads the whole file and applies SetText. Raises EFOpenError
  // "Cannot open file "<absolute path>". <system text>" when the file cannot
  // be opened; the list is then left as it was.
  void LoadFromFile(const std::string& ansi_path);
  // Creates or truncates the file and writes GetText() in one piece. Raises
  // EFCreateError "Cannot create file "<absolute path>". <system text>" or
  // EWriteError "Stream write error"; the file may then be partly written.
  void SaveToFile(const std::string& ansi_path) const;

 private:
  void CheckIndex(int i, int limit) const;
  std::vector<std::string> lines_;
};

}  // namespace dt
