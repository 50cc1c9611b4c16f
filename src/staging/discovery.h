// Source discovery: lists the exported text files of the source directory,
// in the order the file system reports them. It only lists; it neither opens
// the files nor filters them by the known table names.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace dt {

// REQUIRES: `directory_text` ends with PathDelim (it is used exactly as
// passed). Appends directory_text + name for every entry matching "*.txt"
// (letter case ignored) that is not a directory, hidden files included.
// `after_entry` runs after each entry after the first, whether it was listed
// or skipped; never after the first and never when nothing matched.
//
// A file whose name holds a character the code page lacks cannot be named
// in ANSI text: it is skipped, and `log` (when given) gets the message
// "Skipped "<directory><name>": its name holds a character that code page
// 936 lacks", the name's UTF-8 bytes outside printable ASCII shown as \xHH.
//
// A missing directory or an empty search adds nothing and raises nothing. A
// directory that is there but cannot be read raises EFOpenError
// "Cannot read folder "<directory_text>". <system text>". Otherwise only
// what `after_entry`, `log` or the list raises propagates.
void DiscoverSources(const std::string& directory_text, std::vector<std::string>& source_list,
                     const std::function<void()>& after_entry,
                     const std::function<void(const std::string&)>& log = nullptr);

}  // namespace dt
