// The host log call: one message to the host application's log function,
// with this library's module handle and the entry kind 3, as a length-
// prefixed UTF-16 text that lives only for the call.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/stdcall.h"

namespace dt {

// The host's log function: module handle, entry kind, message (a system
// wide string: NUL-terminated UTF-16 after a 4-byte length prefix).
using WriteLogFunction = void(DT_STDCALL*)(void* module, std::int32_t kind,
                                           const char16_t* message);

// Every entry this library writes has this kind.
inline constexpr std::int32_t kHostLogKind = 3;

// Copyable handle on the host's log. A null function makes a log that
// drops every message (for callers that have no host).
class HostLog {
 public:
  HostLog() = default;
  HostLog(WriteLogFunction write, void* module) : write_(write), module_(module) {}

  // Converts the ANSI `message` to UTF-16 and makes the call. Raises only
  // what the conversion raises (exhausted memory); the host raises nothing.
  void Write(std::string_view ansi_message) const;

  void* Module() const { return module_; }

 private:
  WriteLogFunction write_ = nullptr;
  void* module_ = nullptr;
};

}  // namespace dt
