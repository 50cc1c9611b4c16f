// ADO failures as engine errors.
#include "engine/ado/ado_errors.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace dt::engine::ado {
namespace {

constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000E);  // E_OUTOFMEMORY

// The Jet engine's numbers for failures of the system rather than of the
// statement. They are read from the connection's Errors collection.
struct NativeKind {
  std::int32_t number;
  ErrorKind kind;
};
constexpr NativeKind kNativeKinds[] = {
    {3026, ErrorKind::kIo},         // not enough space on disk
    {3043, ErrorKind::kIo},         // disk or network error
    {3035, ErrorKind::kResources},  // system resource exceeded
    {3045, ErrorKind::kLocked},     // file already in use
    {3050, ErrorKind::kLocked},     // could not lock file
    {3051, ErrorKind::kLocked},     // file opened exclusively by another user
    {3218, ErrorKind::kLocked},     // could not update; currently locked
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
       {Trimmed(failure.description()), Trimmed(failure.system_text())}) {
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
  if (failure.hresult() == kOutOfMemory) return ErrorKind::kResources;
  return ErrorKind::kOther;
}

Error ToError(const Failure& failure) {
  return Error(FailureKind(failure), FailureMessage(failure));
}

}  // namespace dt::engine::ado
