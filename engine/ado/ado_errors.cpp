// ADO failures as engine errors.
#include "engine/ado/ado_errors.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace dt::engine::ado {
namespace {

// The Jet engine's numbers for failures of the system rather than of the
// statement, read from the connection's Errors collection. Their meanings
// are those of DAO's published error list (dbdaoerr.h) and, for 3734 (Jet
// 4 only), Microsoft's knowledge base; for 3262 the list gives only a name
// (a table in use by another user), so its text is assumed.
struct NativeKind {
  std::int32_t number;
  ErrorKind kind;
};
constexpr NativeKind kNativeKinds[] = {
    {3026, ErrorKind::kIo},         // not enough space on disk
    {3043, ErrorKind::kIo},         // disk or network error
    {3183, ErrorKind::kIo},         // not enough temporary space, or the 2 GB limit
    {3035, ErrorKind::kResources},  // system resource exceeded
    {3014, ErrorKind::kResources},  // cannot open any more tables
    {3048, ErrorKind::kResources},  // cannot open any more databases
    {3052, ErrorKind::kResources},  // file sharing lock count exceeded (large imports)
    {3006, ErrorKind::kLocked},     // database is exclusively locked
    {3008, ErrorKind::kLocked},     // table is exclusively locked by another
    {3009, ErrorKind::kLocked},     // could not lock table; currently in use
    {3045, ErrorKind::kLocked},     // file already in use
    {3050, ErrorKind::kLocked},     // could not lock file
    {3051, ErrorKind::kLocked},     // file opened exclusively by another user
    {3211, ErrorKind::kLocked},     // could not lock table; currently in use
    {3218, ErrorKind::kLocked},     // could not update; currently locked
    {3260, ErrorKind::kLocked},     // could not update; locked by a user on a machine
    {3262, ErrorKind::kLocked},     // could not lock table; in use by a user (assumed)
    {3356, ErrorKind::kLocked},     // database opened by a user on a machine
    {3734, ErrorKind::kLocked},     // database placed in a state that prevents opening or locking
};

// HRESULTs of the system's own failures, whichever object reports them.
struct HresultKind {
  std::uint32_t hresult;
  ErrorKind kind;
};
constexpr HresultKind kHresultKinds[] = {
    {0x8007000E, ErrorKind::kResources},  // E_OUTOFMEMORY
    {0x80070070, ErrorKind::kIo},         // ERROR_DISK_FULL as an HRESULT
    {0x80070027, ErrorKind::kIo},         // ERROR_HANDLE_DISK_FULL as an HRESULT
    {0x80030070, ErrorKind::kIo},         // STG_E_MEDIUMFULL
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty()) {
    const auto last = static_cast<unsigned char>(text.back());
    if (last != '.' && last > 32) break;
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::string FailureMessage(const Failure& failure) {
  for (const std::string_view text :
       {Trimmed(failure.description()), Trimmed(failure.errors_description()),
        Trimmed(failure.system_text())}) {
    if (!text.empty()) return std::string(text);
  }
  char code[32];
  std::snprintf(code, sizeof code, "OLE error %.8x", static_cast<unsigned>(failure.hresult()));
  return code;
}

ErrorKind FailureKind(const Failure& failure) {
  for (const std::int32_t number : failure.native_errors()) {
    for (const NativeKind& known : kNativeKinds) {
      if (known.number == number) return known.kind;
    }
  }
  for (const HresultKind& known : kHresultKinds) {
    if (known.hresult == static_cast<std::uint32_t>(failure.hresult())) return known.kind;
  }
  return ErrorKind::kOther;
}

Error ToError(const Failure& failure) {
  return Error(FailureKind(failure), FailureMessage(failure));
}

}  // namespace dt::engine::ado
