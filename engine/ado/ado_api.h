// The part of ADO the ADO engine uses, as an interface of our own with no
// COM type in it: a connection that opens, runs statements and opens
// recordsets, and a recordset that is browsed, read and written field by
// field. com/com_ado.cpp implements it over the system's msado15 (Windows
// form only); tests implement it with a scripted fake, so the engine built
// on it runs on every form.
//
// Text is UTF-8 everywhere. Every failing call raises ado::Failure with
// everything known about the failure at that moment, gathered before any
// other call can clear it; the engine decides what it means (ado_errors.h).
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace dt::engine::ado {

// An OLE Automation date: days since 30 December 1899, the time of day as
// the fraction.
struct Date {
  double days = 0;
  bool operator==(const Date&) const = default;
};

// A field's value. std::monostate is ADO's Null and Empty. A value of a type
// with no counterpart here (currency, decimal, single, boolean, ...) arrives
// as the system's text of it.
using Value = std::variant<std::monostate, std::int64_t, double, Date, std::string>;

// A failed ADO call.
class Failure : public std::exception {
 public:
  Failure(std::int32_t hresult, std::string description, std::string system_text,
          std::vector<std::int32_t> native_errors, std::string errors_description = {})
      : hresult_(hresult),
        description_(std::move(description)),
        system_text_(std::move(system_text)),
        native_errors_(std::move(native_errors)),
        errors_description_(std::move(errors_description)) {}

  std::int32_t hresult() const noexcept { return hresult_; }
  // The provider's description (IErrorInfo), as given; empty when none.
  const std::string& description() const noexcept { return description_; }
  // The system's text for the HRESULT; empty when it has none.
  const std::string& system_text() const noexcept { return system_text_; }
  // The native error numbers in the connection's Errors collection at the
  // time of the failure; empty when it holds none or cannot be read.
  const std::vector<std::int32_t>& native_errors() const noexcept { return native_errors_; }
  // The Description of the first entry of that collection, as given; empty
  // when there is none. Where the object that failed leaves no description
  // of its own, this is still the provider's.
  const std::string& errors_description() const noexcept { return errors_description_; }
  const char* what() const noexcept override { return "ADO call failed"; }

 private:
  std::int32_t hresult_;
  std::string description_;
  std::string system_text_;
  std::vector<std::int32_t> native_errors_;
  std::string errors_description_;
};

// ADO's CursorLocationEnum, CursorTypeEnum and LockTypeEnum, as far as used.
enum class CursorLocation { kServer, kClient };
enum class CursorType { kForwardOnly, kKeyset };
enum class LockType { kReadOnly, kOptimistic };

// An open recordset. Fields are numbered from 0 in the order the recordset
// reports them. REQUIRES for the field calls and SetValue: not at the end.
// Closed when released.
class Recordset {
 public:
  virtual ~Recordset() = default;

  virtual int FieldCount() = 0;
  virtual std::string FieldName(int field) = 0;
  virtual Value FieldValue(int field) = 0;

  virtual bool Eof() = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  // Moves `rows` rows forward from the current row.
  virtual void Move(std::int64_t rows) = 0;

  // Sets a field of the current row; Update writes the row's changed fields
  // to the database, CancelUpdate drops them.
  virtual void SetValue(int field, const Value& value) = 0;
  virtual void Update() = 0;
  virtual void CancelUpdate() = 0;
};

// An ADO Connection. Releasing it closes it when open.
class Connection {
 public:
  virtual ~Connection() = default;

  // Opens the connection string with an empty user name and password,
  // prompting for nothing, its cursors on the client side unless a
  // recordset asks otherwise. REQUIRES: closed.
  virtual void Open(std::string_view connection_string) = 0;
  // REQUIRES: open (ADO refuses to close a closed connection).
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;

  // Execute(sql, &affected, adCmdText | adExecuteNoRecords).
  virtual std::int64_t Execute(std::string_view sql) = 0;

  // Opens a recordset over the text command `sql` on this connection.
  // Null when the command ran but returned no rows (the recordset stayed
  // closed). REQUIRES: open.
  virtual std::unique_ptr<Recordset> OpenRecordset(std::string_view sql, CursorLocation location,
                                                   CursorType type, LockType lock) = 0;

  // The names of the open database's tables and views (OpenSchema).
  virtual std::vector<std::string> TableNames() = 0;

  // The system's text of a number or a date (VariantChangeTypeEx to text,
  // the user's locale).
  virtual std::string Text(const Value& value) = 0;
};

}  // namespace dt::engine::ado
