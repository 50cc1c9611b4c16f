// System wide strings (BSTR) in the Windows layout, for POSIX: a 4-byte
// length prefix counting bytes, the UTF-16 code units, a terminating zero;
// a BSTR points just after the prefix. The plug-in hands its run result to
// the host in one, so both must use this one shared allocator.
//
// A null BSTR is a valid empty string. A BSTR that did not come from these
// functions must never reach SysReAllocStringLen or SysFreeString.
#pragma once

#include <cstdint>

#include "platform/stdcall.h"

extern "C" {

typedef char16_t* BSTR;

// A new string of `length` code units copied from `text`, or zero-filled
// when `text` is null. Null when memory is exhausted or `length` is too big.
DT_OLE_API BSTR DT_STDCALL SysAllocStringLen(const char16_t* text, std::uint32_t length);

// Replaces *`target` (null or a BSTR) by a new string as SysAllocStringLen
// makes it, then frees the old one; `text` may point into the old string.
// Returns 1 on success, 0 (leaving *`target` untouched) on failure or when
// `target` is null.
DT_OLE_API int DT_STDCALL SysReAllocStringLen(BSTR* target, const char16_t* text,
                                              std::uint32_t length);

// Frees a BSTR; null does nothing.
DT_OLE_API void DT_STDCALL SysFreeString(BSTR text);

// Length in code units (0 for null).
DT_OLE_API std::uint32_t DT_STDCALL SysStringLen(BSTR text);

}  // extern "C"

#include <string_view>
#include <utility>

namespace dt::platform {

// Owns one BSTR and frees it when destroyed; for hosts of the plug-in.
class OleString {
 public:
  OleString() = default;
  explicit OleString(std::u16string_view text)
      : value_(SysAllocStringLen(text.data(), static_cast<std::uint32_t>(text.size()))) {}
  ~OleString() { SysFreeString(value_); }
  OleString(OleString&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  OleString& operator=(OleString&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  OleString(const OleString&) = delete;
  OleString& operator=(const OleString&) = delete;

  BSTR* Address() { return &value_; }  // for functions that write the string
  BSTR Get() const { return value_; }
  std::u16string_view View() const { return {value_ ? value_ : u"", SysStringLen(value_)}; }

 private:
  BSTR value_ = nullptr;
};

}  // namespace dt::platform
