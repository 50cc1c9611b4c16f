// What the COM implementation of the ADO interface needs from COM itself,
// with nothing of ADO in it but its interfaces' identifiers: owners for
// BSTRs and VARIANTs, conversions between them and the interface's UTF-8
// text and values, and the facts of a failed call. Includes the system's COM headers; only
// engine/ado/com includes it.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ado/ado_api.h"

namespace dt::engine::ado::com {

// Owns a BSTR.
class Bstr {
 public:
  Bstr() = default;
  // REQUIRES: `utf8` is UTF-8. Raises Failure (E_OUTOFMEMORY) when the
  // system has no memory for it.
  explicit Bstr(std::string_view utf8);
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return text_; }
  // For a call that hands out a new BSTR. REQUIRES: empty.
  BSTR* out() { return &text_; }
  // Hands the string to the caller, who frees it.
  BSTR Release() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }
  std::string Utf8() const;

 private:
  BSTR text_ = nullptr;
};

// Owns a VARIANT: initialised empty, cleared when released.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT& get() { return value_; }
  const VARIANT& get() const { return value_; }
  // For a call that hands out a new VARIANT: cleared first.
  VARIANT* out() {
    VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

// A VARIANT that stands for an argument left out.
VARIANT MissingArgument();
// A VARIANT holding a 32-bit integer (no resource to own).
VARIANT Long(std::int32_t value);

std::string Utf8(const wchar_t* text, std::size_t length);

// A field's value from its VARIANT. Null and Empty are std::monostate;
// text becomes UTF-8; whole numbers, doubles and dates keep their type;
// any other type becomes its text (Text below).
Value ValueOf(const VARIANT& value);
// The VARIANT for a value written to a field. REQUIRES: `out` empty.
void ToVariant(const Value& value, Variant& out);
// The system's text of a value (VariantChangeTypeEx to a BSTR in the
// user's locale); empty for Null.
std::string Text(const VARIANT& value);
std::string Text(const Value& value);

// The failure of a call on `object` through interface `iid` that returned
// `hr`: the description the object leaves in IErrorInfo when it says
// (ISupportErrorInfo) that it does for that interface (for one of ADO's,
// under either of its identifiers, ado_iids.h), the system's text for `hr`,
// and the native error numbers given.
Failure FailureOf(HRESULT hr, IUnknown* object, REFIID iid,
                  std::vector<std::int32_t> native_errors = {});
// Raises FailureOf(hr, object, iid) when `hr` is a failure.
void Check(HRESULT hr, IUnknown* object, REFIID iid);

}  // namespace dt::engine::ado::com
