// The ADO interface over the system's own ADO and COM (Windows form; under
// Wine its msado15, which has no Jet provider): the objects are made with
// the identifiers every system answers to, opening a Jet database fails as
// an engine error and leaves the connection closed, VARIANTs become values
// and text as the system converts them, a failure's description is taken
// only from an object that says it leaves one (under either identifier of
// an ADO interface), and COM is initialised for a run and undone after it.
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <thread>

#include "engine/ado/ado_engine.h"
#include "engine/ado/com/ado_iids.h"
#include "engine/ado/com/com_support.h"
#include "engine/ado/com_connection.h"
#include "engine/engine_factory.h"
#include "platform/com_scope.h"
#include "tests/build_test_util.h"

namespace dt {
namespace {

namespace ado = engine::ado;
namespace com = engine::ado::com;
using testing::U8;

constexpr char kJetDatabase[] =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\nowhere\\TemplateTemp\\KORVA.mdb;"
    "Persist Security Info=False";

TEST(ComAdoTest, BothObjectsAreMadeWithTheIdentifiersEverySystemTakes) {
  const platform::ComScope scope;
  // The header's own identifiers are refused here: E_NOINTERFACE.
  std::unique_ptr<ado::Connection> connection = ado::NewComConnection();
  EXPECT_FALSE(connection->IsOpen());
  // A recordset is made before it is opened; on a closed connection the
  // opening fails, but not for want of the object.
  try {
    connection->OpenRecordset("SELECT * FROM T", ado::CursorLocation::kClient,
                              ado::CursorType::kKeyset, ado::LockType::kOptimistic);
    ADD_FAILURE() << "opened on a closed connection";
  } catch (const ado::Failure& failure) {
    EXPECT_EQ(failure.description(), "Operation is not allowed when the object is closed");
  }
}

TEST(ComAdoTest, OpeningAJetDatabaseWithoutTheProviderFailsAndStaysClosed) {
  const platform::ComScope scope;
  std::unique_ptr<engine::Engine> engine = engine::MakeEngine(engine::EngineKind::kAdo);
  try {
    engine->Open(kJetDatabase);
    GTEST_SKIP() << "this system has the Jet provider";
  } catch (const engine::Error& error) {
    EXPECT_FALSE(engine::IsSystemFailure(error.kind()));
    EXPECT_FALSE(error.detail().empty());
    EXPECT_NE(error.detail().back(), '\n');
    std::printf("opening a Jet database: %s\n", error.detail().c_str());
  }
  EXPECT_FALSE(engine->IsOpen());
  engine->Close();  // nothing to close
  EXPECT_THROW(engine->Execute("drop table T"), engine::Error);
}

TEST(ComAdoTest, WithoutComTheEngineCannotBeMade) {
  // A thread of its own, where nothing has initialised COM.
  std::thread([] {
    try {
      engine::MakeEngine(engine::EngineKind::kAdo);
      ADD_FAILURE() << "made without COM";
    } catch (const engine::Error& error) {
      EXPECT_FALSE(error.detail().empty());
    }
  }).join();
}

// A VARIANT of `type` set by `set`.
template <class Set>
VARIANT Make(VARTYPE type, Set set) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  set(v);
  return v;
}

TEST(ComAdoTest, VariantsBecomeValuesAndTextAsTheSystemConvertsThem) {
  const std::string chinese = U8(u8"预算 𠀀 '2.1' ");
  const std::wstring wide = L"\u9884\u7b97 \U00020000 '2.1' ";
  com::Variant text;
  text.get().vt = VT_BSTR;
  text.get().bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  EXPECT_EQ(com::ValueOf(text.get()), ado::Value(chinese));

  EXPECT_EQ(com::ValueOf(Make(VT_NULL, [](VARIANT&) {})), ado::Value());
  EXPECT_EQ(com::ValueOf(Make(VT_EMPTY, [](VARIANT&) {})), ado::Value());
  EXPECT_EQ(com::ValueOf(Make(VT_I4, [](VARIANT& v) { v.lVal = -17; })),
            ado::Value(std::int64_t{-17}));
  EXPECT_EQ(com::ValueOf(Make(VT_UI1, [](VARIANT& v) { v.bVal = 200; })),
            ado::Value(std::int64_t{200}));
  EXPECT_EQ(com::ValueOf(Make(VT_R8, [](VARIANT& v) { v.dblVal = 2.5; })), ado::Value(2.5));
  EXPECT_EQ(com::ValueOf(Make(VT_DATE, [](VARIANT& v) { v.date = 45322.5; })),
            ado::Value(ado::Date{45322.5}));
  // Types without a counterpart arrive as their text.
  EXPECT_EQ(com::ValueOf(Make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 25000; })),
            ado::Value(std::string("2.5")));
  EXPECT_EQ(com::ValueOf(Make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; })),
            ado::Value(std::string("True")));

  EXPECT_EQ(com::Text(ado::Value(std::int64_t{17})), "17");
  EXPECT_EQ(com::Text(ado::Value(0.1)), "0.1");
  EXPECT_NE(com::Text(ado::Value(ado::Date{45322.5})).find("2024"), std::string::npos);

  // What a field is set to: text as BSTR, NULL as VT_NULL.
  com::Variant written;
  com::ToVariant(ado::Value(chinese), written);
  ASSERT_EQ(written.get().vt, VT_BSTR);
  EXPECT_EQ(std::wstring(written.get().bstrVal, SysStringLen(written.get().bstrVal)), wide);
  com::Variant null;
  com::ToVariant(ado::Value(), null);
  EXPECT_EQ(null.get().vt, VT_NULL);
}

// An object that says it leaves error information for one interface only.
class ErrorSource : public ISupportErrorInfo {
 public:
  explicit ErrorSource(REFIID supported) : supported_(supported) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == supported_ ? S_OK : S_FALSE;
  }

 private:
  IID supported_;
};

// Leaves `description` as the thread's error information.
void LeaveError(const wchar_t* description) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetDescription(const_cast<wchar_t*>(description));
  IErrorInfo* info = nullptr;
  create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
  SetErrorInfo(0, info);
  info->Release();
  create->Release();
}

TEST(ComAdoTest, TheDescriptionComesOnlyFromAnObjectThatLeavesOne) {
  const platform::ComScope scope;
  constexpr HRESULT kFailed = E_FAIL;
  ErrorSource source(IID_IDispatch);

  LeaveError(L"Syntax error in FROM clause.");
  ado::Failure failure = com::FailureOf(kFailed, &source, IID_IDispatch);
  EXPECT_EQ(failure.description(), "Syntax error in FROM clause.");
  EXPECT_EQ(failure.hresult(), static_cast<std::int32_t>(kFailed));

  // An object that does not leave one for the interface: an old
  // description is not taken for this failure, and is gone afterwards.
  LeaveError(L"an earlier failure");
  failure = com::FailureOf(kFailed, &source, IID_IUnknown);
  EXPECT_EQ(failure.description(), "");
  IErrorInfo* left = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE);

  failure = com::FailureOf(kFailed, &source, IID_IDispatch);  // none left at all
  EXPECT_EQ(failure.description(), "");
  EXPECT_FALSE(failure.system_text().empty());  // E_FAIL has a system text
}

TEST(ComAdoTest, AnAdoObjectsDescriptionIsTakenUnderEitherOfItsInterfacesIdentifiers) {
  const platform::ComScope scope;
  // The identifiers the objects are called through, and those ADO's header
  // gives the same interfaces since Windows 7 SP1 (adoint.h).
  struct Case {
    const wchar_t* called;
    const wchar_t* newer;
    IID used;  // what the COM layer calls through
  };
  const Case cases[] = {
      {L"{00000550-0000-0010-8000-00AA006D2EA4}", L"{00001550-0000-0010-8000-00AA006D2EA4}",
       com::kConnectionIid},
      {L"{00000556-0000-0010-8000-00AA006D2EA4}", L"{00001556-0000-0010-8000-00AA006D2EA4}",
       com::kRecordsetIid},
      {L"{00000564-0000-0010-8000-00AA006D2EA4}", L"{00001564-0000-0010-8000-00AA006D2EA4}",
       com::kFieldsIid},
      {L"{00000569-0000-0010-8000-00AA006D2EA4}", L"{00001569-0000-0010-8000-00AA006D2EA4}",
       com::kFieldIid},
  };
  IID other_newer = IID_NULL;  // the previous case's
  for (const Case& c : cases) {
    IID called;
    IID newer;
    ASSERT_EQ(IIDFromString(c.called, &called), S_OK);
    ASSERT_EQ(IIDFromString(c.newer, &newer), S_OK);
    EXPECT_TRUE(IsEqualIID(c.used, called)) << c.called;
    for (const IID& answered : {called, newer}) {
      ErrorSource source(answered);
      LeaveError(L"Could not update; currently locked.");
      EXPECT_EQ(com::FailureOf(E_FAIL, &source, called).description(),
                "Could not update; currently locked.");
    }
    // Another interface's newer identifier is not this one's.
    if (!IsEqualIID(other_newer, IID_NULL)) {
      ErrorSource source(other_newer);
      LeaveError(L"an earlier failure");
      EXPECT_EQ(com::FailureOf(E_FAIL, &source, called).description(), "");
    }
    other_newer = newer;
  }
}

// Whether COM is initialised on this thread: initialising it again says so.
bool ComInitialised() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE || hr == RPC_E_CHANGED_MODE;
}

TEST(ComScopeTest, InitialisesForItsLengthAndLeavesTheCallersComAsItWas) {
  std::thread([] {
    {
      const platform::ComScope scope;
      EXPECT_TRUE(ComInitialised());
    }
    EXPECT_FALSE(ComInitialised());

    // A host that initialised COM itself, in either model, keeps it.
    for (const DWORD model : {COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED}) {
      ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, model)));
      { const platform::ComScope scope; }
      EXPECT_TRUE(ComInitialised()) << model;
      CoUninitialize();
      EXPECT_FALSE(ComInitialised()) << model;
    }
  }).join();
}

}  // namespace
}  // namespace dt

#endif  // _WIN32
