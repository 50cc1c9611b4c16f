// The Errors collection of an ADO connection, read through ADO's own
// interfaces (adoint.h, which compiles in C++ only with -fpermissive:
// engine/CMakeLists.txt).
#include "engine/ado/com/connection_errors.h"

// After windows.h (connection_errors.h), which they need.
#include <ole2.h>
#include <wrl/client.h>
// After ole2.h.
#include <adoint.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/ado/com/ado_iids.h"
#include "engine/ado/com/com_support.h"

namespace dt::engine::ado::com {
namespace {

using Microsoft::WRL::ComPtr;

// Jet's own error number as the Error's SQLState gives it; 0 when it is
// none.
std::int32_t JetNumber(const std::string& state) {
  if (state.empty() || state.size() > 4 ||
      state.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  return std::stoi(state);
}

}  // namespace

Failure WithConnectionErrors(const Failure& failure, IUnknown* errors) {
  ComPtr<ADOErrors> collection;
  long count = 0;
  if (errors == nullptr || FAILED(errors->QueryInterface(kErrorsIid, &collection)) || !collection ||
      FAILED(collection->get_Count(&count))) {
    return failure;
  }
  std::vector<std::int32_t> numbers = failure.native_errors();
  std::string description;
  for (long i = 0; i < count; ++i) {
    ComPtr<ADOError> error;
    if (FAILED(collection->get_Item(Long(i), &error)) || !error) continue;
    long native = 0;
    if (SUCCEEDED(error->get_NativeError(&native))) numbers.push_back(native);
    Bstr state;
    if (SUCCEEDED(error->get_SQLState(state.out()))) {
      if (const std::int32_t number = JetNumber(state.Utf8())) numbers.push_back(number);
    }
    if (i == 0) {
      Bstr text;
      if (SUCCEEDED(error->get_Description(text.out()))) description = text.Utf8();
    }
  }
  collection->Clear();
  return Failure(failure.hresult(), failure.description(), failure.system_text(),
                 std::move(numbers), std::move(description));
}

}  // namespace dt::engine::ado::com
