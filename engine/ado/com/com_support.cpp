// COM's strings, variants and failures for the ADO interface.
#include "engine/ado/com/com_support.h"

#include <wrl/client.h>

#include <limits>

#include "engine/ado/com/ado_iids.h"

namespace dt::engine::ado::com {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

// The system's text for `hr`, without the line break it ends with.
std::string SystemText(HRESULT hr) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return std::string();
  std::string utf8 = Utf8(text, length);
  LocalFree(text);
  return utf8;
}

// Whether `object` says that it leaves error information for calls through
// `iid`, under that identifier or, for an ADO interface, its newer one.
bool LeavesErrorInfo(IUnknown* object, REFIID iid) {
  ComPtr<ISupportErrorInfo> support;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&support)))) return false;
  if (support->InterfaceSupportsErrorInfo(iid) == S_OK) return true;
  const IID* newer = NewerAdoIid(iid);
  return newer != nullptr && support->InterfaceSupportsErrorInfo(*newer) == S_OK;
}

// The description left for the failed call, when the object says that it
// leaves one for calls through `iid`. The thread's error object is taken
// in any case, so that an old one is never read for a later failure.
std::string Description(IUnknown* object, REFIID iid) {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info || object == nullptr) return std::string();
  if (!LeavesErrorInfo(object, iid)) return std::string();
  Bstr description;
  if (FAILED(info->GetDescription(description.out()))) return std::string();
  return description.Utf8();
}

}  // namespace

std::string Utf8(const wchar_t* text, std::size_t length) {
  if (text == nullptr || length == 0) return std::string();
  const int size = static_cast<int>(length);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

Bstr::Bstr(std::string_view utf8) {
  const std::wstring wide = Wide(utf8);
  text_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (text_ == nullptr) throw FailureOf(E_OUTOFMEMORY, nullptr, IID_NULL);
}

std::string Bstr::Utf8() const { return com::Utf8(text_, SysStringLen(text_)); }

VARIANT MissingArgument() {
  VARIANT missing;
  VariantInit(&missing);
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  return missing;
}

VARIANT Long(std::int32_t value) {
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = value;
  return number;
}

std::string Text(const VARIANT& value) {
  if (value.vt == VT_NULL || value.vt == VT_EMPTY) return std::string();
  if (value.vt == VT_BSTR) return Utf8(value.bstrVal, SysStringLen(value.bstrVal));
  Variant text;
  // The header declares the source without const; the call only reads it.
  const HRESULT hr = VariantChangeTypeEx(text.out(), const_cast<VARIANT*>(&value),
                                         LOCALE_USER_DEFAULT, VARIANT_ALPHABOOL, VT_BSTR);
  if (FAILED(hr)) throw FailureOf(hr, nullptr, IID_NULL);
  return Utf8(text.get().bstrVal, SysStringLen(text.get().bstrVal));
}

std::string Text(const Value& value) {
  Variant variant;
  ToVariant(value, variant);
  return Text(variant.get());
}

Value ValueOf(const VARIANT& value) {
  switch (value.vt) {
    case VT_NULL:
    case VT_EMPTY:
      return std::monostate();
    case VT_BSTR:
      return Utf8(value.bstrVal, SysStringLen(value.bstrVal));
    case VT_I1:
      return std::int64_t{value.cVal};
    case VT_I2:
      return std::int64_t{value.iVal};
    case VT_I4:
      return std::int64_t{value.lVal};
    case VT_INT:
      return std::int64_t{value.intVal};
    case VT_I8:
      return std::int64_t{value.llVal};
    case VT_UI1:
      return std::int64_t{value.bVal};
    case VT_UI2:
      return std::int64_t{value.uiVal};
    case VT_UI4:
      return std::int64_t{value.ulVal};
    case VT_UINT:
      return std::int64_t{value.uintVal};
    case VT_R8:
      return value.dblVal;
    case VT_DATE:
      return Date{value.date};
    default:
      return Text(value);
  }
}

void ToVariant(const Value& value, Variant& out) {
  VARIANT& v = out.get();
  if (const auto* text = std::get_if<std::string>(&value)) {
    Bstr bstr(*text);
    v.vt = VT_BSTR;
    v.bstrVal = bstr.Release();
  } else if (const auto* number = std::get_if<std::int64_t>(&value)) {
    if (*number >= std::numeric_limits<std::int32_t>::min() &&
        *number <= std::numeric_limits<std::int32_t>::max()) {
      v.vt = VT_I4;
      v.lVal = static_cast<LONG>(*number);
    } else {
      v.vt = VT_I8;
      v.llVal = *number;
    }
  } else if (const auto* real = std::get_if<double>(&value)) {
    v.vt = VT_R8;
    v.dblVal = *real;
  } else if (const auto* date = std::get_if<Date>(&value)) {
    v.vt = VT_DATE;
    v.date = date->days;
  } else {
    v.vt = VT_NULL;
  }
}

Failure FailureOf(HRESULT hr, IUnknown* object, REFIID iid,
                  std::vector<std::int32_t> native_errors) {
  return Failure(static_cast<std::int32_t>(hr), Description(object, iid), SystemText(hr),
                 std::move(native_errors));
}

void Check(HRESULT hr, IUnknown* object, REFIID iid) {
  if (FAILED(hr)) throw FailureOf(hr, object, iid);
}

}  // namespace dt::engine::ado::com
