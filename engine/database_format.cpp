// Telling database files apart by their first bytes, and the engine each
// form opens them with.
#include "engine/database_format.h"

namespace dt::engine {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kSqliteMagic = "SQLite format 3\0"sv;
// An Access file: a page header, then the engine's name, then its version.
constexpr std::string_view kAccessPageStart = "\x00\x01\x00\x00"sv;
constexpr std::size_t kAccessNameOffset = 4;
constexpr std::string_view kJetName = "Standard Jet DB";
constexpr std::string_view kAceName = "Standard ACE DB";
constexpr std::size_t kAccessVersionOffset = 0x14;

DatabaseFormat AccessFormat(std::string_view header) {
  if (header.size() <= kAccessVersionOffset || !header.starts_with(kAccessPageStart)) {
    return DatabaseFormat::kUnknown;
  }
  const std::string_view name = header.substr(kAccessNameOffset, kJetName.size());
  if (name != kJetName && name != kAceName) return DatabaseFormat::kUnknown;
  switch (static_cast<unsigned char>(header[kAccessVersionOffset])) {
    case 0:
      return DatabaseFormat::kJet3;
    case 1:
      return DatabaseFormat::kJet4;
    default:
      return DatabaseFormat::kAce;
  }
}

}  // namespace

DatabaseFormat DetectDatabaseFormat(std::string_view header) {
  if (header.empty()) return DatabaseFormat::kEmpty;
  if (header.starts_with(kSqliteMagic)) return DatabaseFormat::kSqlite;
  return AccessFormat(header);
}

std::string_view DatabaseFormatName(DatabaseFormat format) {
  switch (format) {
    case DatabaseFormat::kEmpty:
      return "empty";
    case DatabaseFormat::kSqlite:
      return "SQLite";
    case DatabaseFormat::kJet3:
      return "Access (Jet 3)";
    case DatabaseFormat::kJet4:
      return "Access (Jet 4)";
    case DatabaseFormat::kAce:
      return "Access (ACE)";
    case DatabaseFormat::kUnknown:
      break;
  }
  return "unknown";
}

std::optional<EngineKind> EngineForTemplate(DatabaseFormat format, Form form) {
  switch (format) {
    case DatabaseFormat::kEmpty:
    case DatabaseFormat::kSqlite:
      return EngineKind::kStandIn;
    case DatabaseFormat::kJet3:
    case DatabaseFormat::kJet4:
      if (form == Form::kPosix) return std::nullopt;
      return EngineKind::kAdo;
    case DatabaseFormat::kAce:
      // The host reads the work database with the Jet 4.0 provider, which
      // cannot open an ACE file, whatever engine would make it.
      return std::nullopt;
    case DatabaseFormat::kUnknown:
      break;
  }
  // The stand-in's own refusal names a file it cannot open; on Windows the
  // provider's does.
  return form == Form::kWindows ? EngineKind::kAdo : EngineKind::kStandIn;
}

}  // namespace dt::engine
