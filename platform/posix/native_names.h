// File names between the system's ANSI text and the POSIX file system, both
// ways. The file system spells names in UTF-8, but an archive made on
// Windows and unpacked here leaves names in the code page's own bytes,
// which are no UTF-8. Such a name is taken as ANSI text as it stands, and
// the path of it leads back to those bytes. Only platform/posix includes
// this; NativePath (paths.h) is defined with it.
#pragma once

#include <string>
#include <string_view>

namespace dt::platform::posix {

// The ANSI form of the name `native` of a directory entry: a name in UTF-8
// converted, any other name as it stands. `exact` (when given) is false
// when the name holds a character the code page lacks, so that the ANSI
// form ('?' in its place) names no file.
std::string AnsiName(std::string_view native, bool* exact = nullptr);

}  // namespace dt::platform::posix
