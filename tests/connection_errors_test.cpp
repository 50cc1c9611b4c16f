// The connection's Errors collection as the ADO engine reads it (Windows
// form; Wine's ADO has no Errors collection): COM objects of the test's own
// implement ADO's Errors and Error interfaces as ADO documents them (the
// layout of msado15's type library, declared here, not taken from the
// header the engine reads them with), and a lock, a full disk and a plain
// statement failure, reported as Jet reports them (its number as the
// SQLState), are read and classed as the engine's callers need them.
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string>
#include <vector>

#include "engine/ado/ado_errors.h"
#include "engine/ado/com/com_support.h"
#include "engine/ado/com/connection_errors.h"
#include "platform/com_scope.h"

namespace dt {
namespace {

namespace ado = engine::ado;
namespace com = engine::ado::com;
using engine::ErrorKind;

// ADO's Error and Errors (the _Collection Errors derives from included),
// in the order of their type library: IDispatch's methods first.
constexpr IID kErrorIid = {0x500, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x6D, 0x2E, 0xA4}};
constexpr IID kErrorsIid = {0x501, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x6D, 0x2E, 0xA4}};

struct AdoError : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Number(long* number) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Source(BSTR* source) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Description(BSTR* description) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* file) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_HelpContext(long* context) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SQLState(BSTR* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_NativeError(long* number) = 0;
};

struct AdoErrors : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Count(long* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** items) = 0;
  virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, AdoError** error) = 0;
  virtual HRESULT STDMETHODCALLTYPE Clear() = 0;
};

// ADO's adErrItemNotFound, for an index outside the collection.
constexpr HRESULT kItemNotFound = static_cast<HRESULT>(0x800A0CC1);
constexpr HRESULT kFailed = static_cast<HRESULT>(0x80004005);  // E_FAIL, as Jet's Number

// IDispatch's own methods, which the engine does not call, and reference
// counting for objects that live on the test's stack: AddRef and Release
// only count, so that the test sees every reference given back.
template <class Interface>
class StackObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == own_) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references_); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // References held by others.
  int references() const { return references_; }

 protected:
  explicit StackObject(REFIID own) : own_(own) {}

 private:
  IID own_;
  int references_ = 0;
};

// What one Error says; `readable` false makes every property fail.
struct ErrorFacts {
  long number = kFailed;
  std::string source = "Microsoft JET Database Engine";
  std::string description;
  std::string sql_state;
  long native_error = 0;
  bool readable = true;
};

// An Error as a provider reports one; Jet gives its number as the SQLState
// and a NativeError of its own.
ErrorFacts Reported(std::string description, std::string sql_state, long native_error = -1,
                    std::string source = "Microsoft JET Database Engine") {
  ErrorFacts facts;
  facts.description = std::move(description);
  facts.sql_state = std::move(sql_state);
  facts.native_error = native_error;
  facts.source = std::move(source);
  return facts;
}

ErrorFacts Unreadable() {
  ErrorFacts facts;
  facts.readable = false;
  return facts;
}

HRESULT Give(const std::string& text, BSTR* out) {
  *out = com::Bstr(text).Release();
  return S_OK;
}

class Error : public StackObject<AdoError> {
 public:
  explicit Error(ErrorFacts facts) : StackObject(kErrorIid), facts_(std::move(facts)) {}

  HRESULT STDMETHODCALLTYPE get_Number(long* number) override {
    if (!facts_.readable) return E_FAIL;
    *number = facts_.number;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Source(BSTR* source) override {
    return facts_.readable ? Give(facts_.source, source) : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_Description(BSTR* description) override {
    return facts_.readable ? Give(facts_.description, description) : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* file) override {
    return facts_.readable ? Give("", file) : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_HelpContext(long* context) override {
    if (!facts_.readable) return E_FAIL;
    *context = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_SQLState(BSTR* state) override {
    return facts_.readable ? Give(facts_.sql_state, state) : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_NativeError(long* number) override {
    if (!facts_.readable) return E_FAIL;
    *number = facts_.native_error;
    return S_OK;
  }

 private:
  ErrorFacts facts_;
};

class Errors : public StackObject<AdoErrors> {
 public:
  explicit Errors(std::vector<Error*> items) : StackObject(kErrorsIid), items_(std::move(items)) {}

  HRESULT STDMETHODCALLTYPE get_Count(long* count) override {
    *count = static_cast<long>(items_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }
  // Item takes an index from 0 as any whole number a VARIANT holds.
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, AdoError** error) override {
    *error = nullptr;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, &index, 0, VT_I4)) || number.lVal < 0 ||
        static_cast<std::size_t>(number.lVal) >= items_.size()) {
      return kItemNotFound;
    }
    *error = items_[static_cast<std::size_t>(number.lVal)];
    (*error)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clear() override {
    items_.clear();
    return S_OK;
  }

 private:
  std::vector<Error*> items_;
};

// A failure whose object left no description of its own: the message and
// the kind then rest on the Errors collection.
ado::Failure CallFailed() { return ado::Failure(kFailed, "", "Unspecified error", {}); }

TEST(ConnectionErrorsTest, JetsFailuresAreReadAndClassed) {
  const platform::ComScope scope;
  struct Case {
    const char* what;
    std::vector<ErrorFacts> errors;
    ErrorKind kind;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"a lock",
       {Reported("Could not update; currently locked.", "3218", -105121349)},
       ErrorKind::kLocked,
       "Could not update; currently locked"},
      {"the work database held by another",
       {Reported("The database has been placed in a state by user 'Admin' on machine 'PC' that "
                 "prevents it from being opened or locked.",
                 "3734")},
       ErrorKind::kLocked,
       "The database has been placed in a state by user 'Admin' on machine 'PC' that prevents it "
       "from being opened or locked"},
      {"a full disk",
       {Reported("Not enough space on disk.", "3026")},
       ErrorKind::kIo,
       "Not enough space on disk"},
      {"a plain statement failure",
       {Reported("The Microsoft Jet database engine cannot find the input table or query "
                 "'Remain'.  Make sure it exists and that its name is spelled correctly.",
                 "3078")},
       ErrorKind::kOther,
       "The Microsoft Jet database engine cannot find the input table or query 'Remain'.  Make "
       "sure it exists and that its name is spelled correctly"},
      // A provider that gives its number as NativeError and a standard
      // SQLSTATE, which is no number of Jet's.
      {"another provider's lock",
       {Reported("Could not lock file.", "3045", 3050, "other")},
       ErrorKind::kLocked,
       "Could not lock file"},
      {"a standard SQLSTATE",
       {Reported("Syntax error.", "42000", 0, "other")},
       ErrorKind::kOther,
       "Syntax error"},
      // The number of any entry counts; the first entry's description is
      // the message.
      {"a lock told second",
       {Reported("Operation failed.", ""),
        Reported("Could not lock table; currently in use.", "3211")},
       ErrorKind::kLocked,
       "Operation failed"},
      // An entry that cannot be read does not hide the next.
      {"an unreadable entry",
       {Unreadable(), Reported("Not enough space on disk.", "3026")},
       ErrorKind::kIo,
       "Unspecified error"},
      {"no entries", {}, ErrorKind::kOther, "Unspecified error"},
  };
  for (const Case& c : cases) {
    std::vector<Error> entries(c.errors.begin(), c.errors.end());
    std::vector<Error*> pointers;
    for (Error& entry : entries) pointers.push_back(&entry);
    Errors errors(pointers);
    const ado::Failure failure = com::WithConnectionErrors(CallFailed(), &errors);
    const engine::Error error = ado::ToError(failure);
    EXPECT_EQ(error.kind(), c.kind) << c.what;
    EXPECT_EQ(error.detail(), c.message) << c.what;
    // Read once: the collection is cleared, and every reference given back.
    long left = -1;
    errors.get_Count(&left);
    EXPECT_EQ(left, 0) << c.what;
    EXPECT_EQ(errors.references(), 0) << c.what;
    for (const Error& entry : entries) EXPECT_EQ(entry.references(), 0) << c.what;
  }
}

TEST(ConnectionErrorsTest, TheCallsOwnDescriptionAndNumbersComeFirst) {
  const platform::ComScope scope;
  Error locked(Reported("Could not update; currently locked.", "3218", 0));
  Errors errors({&locked});
  const ado::Failure failure = com::WithConnectionErrors(
      ado::Failure(kFailed, "Its own description.", "Unspecified error", {3026}), &errors);
  EXPECT_EQ(failure.description(), "Its own description.");
  EXPECT_EQ(failure.errors_description(), "Could not update; currently locked.");
  EXPECT_EQ(failure.native_errors(), (std::vector<std::int32_t>{3026, 0, 3218}));
  EXPECT_EQ(ado::FailureMessage(failure), "Its own description");
}

TEST(ConnectionErrorsTest, WithoutAnErrorsCollectionTheFailureStaysAsItWas) {
  const platform::ComScope scope;
  Error other(Reported("Not enough space on disk.", "3026"));
  for (IUnknown* none : {static_cast<IUnknown*>(nullptr), static_cast<IUnknown*>(&other)}) {
    const ado::Failure failure = com::WithConnectionErrors(CallFailed(), none);
    EXPECT_TRUE(failure.native_errors().empty());
    EXPECT_EQ(failure.errors_description(), "");
    EXPECT_EQ(ado::FailureKind(failure), ErrorKind::kOther);
  }
  EXPECT_EQ(other.references(), 0);
}

}  // namespace
}  // namespace dt

#endif  // _WIN32
