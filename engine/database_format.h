// What kind of database file a template is, told from its first bytes, and
// which engine of this form opens it. The run reads the template's first
// bytes before it copies it and sets its connection's engine from them, so
// that a template it cannot use is refused before anything is written, and
// the text import, the work database and every query of the run go through
// the one engine that reads the template.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "engine/engine_factory.h"

namespace dt::engine {

enum class DatabaseFormat {
  kEmpty,    // no bytes at all: an empty database to the stand-in
  kSqlite,   // "SQLite format 3\0"
  kJet3,     // Access 97 and before
  kJet4,     // Access 2000 to 2003, what the host's provider makes
  kAce,      // Access 2007 and later
  kUnknown,  // anything else, a file cut short among them
};

// Bytes of the start of a file that DetectDatabaseFormat needs at most.
inline constexpr std::size_t kDatabaseHeaderSize = 32;

// The format of a file whose first bytes are `header` (the whole file when it
// is shorter than kDatabaseHeaderSize).
DatabaseFormat DetectDatabaseFormat(std::string_view header);

// The format's name for messages: "Access (Jet 4)", "SQLite", "empty" ...
std::string_view DatabaseFormatName(DatabaseFormat format);

// The forms the system is built in.
enum class Form { kPosix, kWindows };
#ifdef _WIN32
inline constexpr Form kThisForm = Form::kWindows;
#else
inline constexpr Form kThisForm = Form::kPosix;
#endif

// The engine that opens a template of `format` in `form`: in the Windows
// form, a Jet file or one nobody recognises goes to the host's own engine
// (which answers in its own words for what it cannot open), an empty or
// SQLite file to the stand-in; the POSIX form has the stand-in only.
// nullopt says that the form cannot make a work database of it: an Access
// file on POSIX, and an ACE file (Access 2007 and later) on either form,
// since the host reads the result with the Jet 4.0 provider.
std::optional<EngineKind> EngineForTemplate(DatabaseFormat format, Form form = kThisForm);

}  // namespace dt::engine
