// The ADO interface over the system's ADO: msado15's Connection and
// Recordset objects through their vtables (early binding; late binding
// through IDispatch needs a registered type library, which not every
// system has). ADO's own header compiles in C++ only with -fpermissive
// (engine/CMakeLists.txt).
//
// The objects are asked for _Connection 00000550-... and _Recordset
// 00000556-..., the identifiers every ADO since 2.x answers to; the
// header's defaults (0000155x, from Windows 7 SP1 on) are refused by older
// systems and by Wine (ado_iids.h). What the connection's Errors
// collection adds to a failure is read in connection_errors.cpp.
#include <windows.h>
// After windows.h, which they need.
#include <ole2.h>
#include <wrl/client.h>
// After ole2.h: initguid.h makes adoid.h define the class identifiers here.
#include <initguid.h>
// After initguid.h.
#include <adoid.h>
#include <adoint.h>

#include <limits>

#include "engine/ado/com/ado_iids.h"
#include "engine/ado/com/com_support.h"
#include "engine/ado/com/connection_errors.h"
#include "engine/ado/com_connection.h"

namespace dt::engine::ado {
namespace {

using com::Bstr;
using com::Variant;
using Microsoft::WRL::ComPtr;

using com::kConnectionIid;
using com::kFieldIid;
using com::kFieldsIid;
using com::kRecordsetIid;

// ADO's adErrObjectClosed as an HRESULT.
constexpr std::int32_t kObjectClosed = static_cast<std::int32_t>(0x800A0E78);

// A statement: text, and any rows it returns are not wanted.
constexpr long kExecuteOptions =
    static_cast<long>(adCmdText) | static_cast<long>(adExecuteNoRecords);

// Raises the failure of a call on `object` (through `iid`) that belongs to
// `connection`: the description first, before another call can clear it,
// then what the connection's Errors collection holds.
void Check(HRESULT hr, _ADOConnection* connection, IUnknown* object, REFIID iid) {
  if (SUCCEEDED(hr)) return;
  const Failure failure = com::FailureOf(hr, object, iid);
  ComPtr<ADOErrors> errors;
  if (FAILED(connection->get_Errors(&errors))) errors.Reset();
  throw com::WithConnectionErrors(failure, errors.Get());
}

bool IsOpen(_ADORecordset* rows) {
  LONG state = adStateClosed;
  return SUCCEEDED(rows->get_State(&state)) && (state & adStateOpen) != 0;
}

class ComRecordset : public Recordset {
 public:
  // REQUIRES: `rows` open.
  ComRecordset(ComPtr<_ADOConnection> connection, ComPtr<_ADORecordset> rows)
      : connection_(std::move(connection)), rows_(std::move(rows)) {
    ComPtr<ADOFields> fields;
    CheckRows(rows_->get_Fields(&fields));
    long count = 0;
    Check(fields->get_Count(&count), connection_.Get(), fields.Get(), kFieldsIid);
    // Field objects follow the current row: taken once, read on every row.
    for (long i = 0; i < count; ++i) {
      ComPtr<ADOField> field;
      Check(fields->get_Item(com::Long(i), &field), connection_.Get(), fields.Get(), kFieldsIid);
      fields_.push_back(std::move(field));
    }
  }
  ~ComRecordset() override {
    if (IsOpen(rows_.Get())) rows_->Close();
  }
  ComRecordset(const ComRecordset&) = delete;
  ComRecordset& operator=(const ComRecordset&) = delete;

  int FieldCount() override { return static_cast<int>(fields_.size()); }

  std::string FieldName(int field) override {
    Bstr name;
    CheckField(field, Field(field).get_Name(name.out()));
    return name.Utf8();
  }

  Value FieldValue(int field) override {
    Variant value;
    CheckField(field, Field(field).get_Value(value.out()));
    return com::ValueOf(value.get());
  }

  bool Eof() override {
    VARIANT_BOOL eof = VARIANT_FALSE;
    CheckRows(rows_->get_EOF(&eof));
    return eof != VARIANT_FALSE;
  }

  void MoveFirst() override { CheckRows(rows_->MoveFirst()); }
  void MoveNext() override { CheckRows(rows_->MoveNext()); }

  void Move(std::int64_t rows) override {
    constexpr std::int64_t kStep = std::numeric_limits<long>::max();
    while (rows > 0) {
      const std::int64_t step = rows < kStep ? rows : kStep;
      CheckRows(rows_->Move(static_cast<long>(step), com::MissingArgument()));
      rows -= step;
    }
  }

  void SetValue(int field, const Value& value) override {
    Variant variant;
    com::ToVariant(value, variant);
    CheckField(field, Field(field).put_Value(variant.get()));
  }

  void Update() override {
    CheckRows(rows_->Update(com::MissingArgument(), com::MissingArgument()));
  }
  void CancelUpdate() override { CheckRows(rows_->CancelUpdate()); }

 private:
  ADOField& Field(int field) { return *fields_.at(static_cast<std::size_t>(field)).Get(); }
  void CheckRows(HRESULT hr) { Check(hr, connection_.Get(), rows_.Get(), kRecordsetIid); }
  void CheckField(int field, HRESULT hr) { Check(hr, connection_.Get(), &Field(field), kFieldIid); }

  ComPtr<_ADOConnection> connection_;
  ComPtr<_ADORecordset> rows_;
  std::vector<ComPtr<ADOField>> fields_;
};

class ComConnection : public Connection {
 public:
  explicit ComConnection(ComPtr<_ADOConnection> connection) : connection_(std::move(connection)) {}
  ~ComConnection() override {
    if (IsOpen()) connection_->Close();
  }
  ComConnection(const ComConnection&) = delete;
  ComConnection& operator=(const ComConnection&) = delete;

  void Open(std::string_view connection_string) override {
    CheckConnection(connection_->put_CursorLocation(adUseClient));
    const Bstr text(connection_string);
    const Bstr empty("");
    CheckConnection(connection_->Open(text.get(), empty.get(), empty.get(), adConnectUnspecified));
  }

  void Close() override { CheckConnection(connection_->Close()); }

  bool IsOpen() override {
    LONG state = adStateClosed;
    return SUCCEEDED(connection_->get_State(&state)) && (state & adStateOpen) != 0;
  }

  std::int64_t Execute(std::string_view sql) override {
    const Bstr text(sql);
    Variant affected;
    ComPtr<_ADORecordset> none;
    CheckConnection(connection_->Execute(text.get(), affected.out(), kExecuteOptions, &none));
    const Value count = com::ValueOf(affected.get());
    const auto* number = std::get_if<std::int64_t>(&count);
    return number != nullptr && *number > 0 ? *number : 0;
  }

  std::unique_ptr<Recordset> OpenRecordset(std::string_view sql, CursorLocation location,
                                           CursorType type, LockType lock) override {
    ComPtr<_ADORecordset> rows;
    com::Check(
        CoCreateInstance(CLSID_CADORecordset, nullptr, CLSCTX_INPROC_SERVER, kRecordsetIid, &rows),
        nullptr, IID_NULL);
    auto check = [&](HRESULT hr) { Check(hr, connection_.Get(), rows.Get(), kRecordsetIid); };
    check(
        rows->put_CursorLocation(location == CursorLocation::kClient ? adUseClient : adUseServer));
    // ADO answers this itself; Wine's ADO crashes instead.
    if (!IsOpen()) {
      throw Failure(kObjectClosed, "Operation is not allowed when the object is closed", "", {});
    }
    // The text is allocated before the VARIANT says it holds one.
    Variant source;
    com::ToVariant(Value(std::string(sql)), source);
    VARIANT active;
    VariantInit(&active);
    active.vt = VT_DISPATCH;
    active.pdispVal = connection_.Get();  // lent for the call
    check(rows->Open(source.get(), active, CursorTypeOf(type), LockTypeOf(lock), adCmdText));
    if (!ado::IsOpen(rows.Get())) return nullptr;
    return std::make_unique<ComRecordset>(connection_, std::move(rows));
  }

  std::vector<std::string> TableNames() override {
    ComPtr<_ADORecordset> schema;
    CheckConnection(connection_->OpenSchema(adSchemaTables, com::MissingArgument(),
                                            com::MissingArgument(), &schema));
    ComRecordset rows(connection_, std::move(schema));
    int name = -1;
    int type = -1;
    for (int i = 0; i < rows.FieldCount(); ++i) {
      const std::string field = rows.FieldName(i);
      if (field == "TABLE_NAME") name = i;
      if (field == "TABLE_TYPE") type = i;
    }
    std::vector<std::string> names;
    for (; name >= 0 && !rows.Eof(); rows.MoveNext()) {
      if (type >= 0) {
        const Value kind = rows.FieldValue(type);
        const auto* text = std::get_if<std::string>(&kind);
        if (text == nullptr || (*text != "TABLE" && *text != "VIEW")) continue;
      }
      const Value value = rows.FieldValue(name);
      if (const auto* text = std::get_if<std::string>(&value)) names.push_back(*text);
    }
    return names;
  }

  std::string Text(const Value& value) override { return com::Text(value); }

 private:
  static CursorTypeEnum CursorTypeOf(CursorType type) {
    return type == CursorType::kKeyset ? adOpenKeyset : adOpenForwardOnly;
  }
  static LockTypeEnum LockTypeOf(LockType lock) {
    return lock == LockType::kOptimistic ? adLockOptimistic : adLockReadOnly;
  }
  void CheckConnection(HRESULT hr) {
    Check(hr, connection_.Get(), connection_.Get(), kConnectionIid);
  }

  ComPtr<_ADOConnection> connection_;
};

}  // namespace

std::unique_ptr<Connection> NewComConnection() {
  ComPtr<_ADOConnection> connection;
  com::Check(CoCreateInstance(CLSID_CADOConnection, nullptr, CLSCTX_INPROC_SERVER, kConnectionIid,
                              &connection),
             nullptr, IID_NULL);
  return std::make_unique<ComConnection>(std::move(connection));
}

}  // namespace dt::engine::ado
