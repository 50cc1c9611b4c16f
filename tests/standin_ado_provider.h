// A provider for tests: the ADO engine's own interface (engine/ado/ado_api.h)
// implemented over the stand-in engine, so that the whole build runs through
// AdoEngine on every form and its work database can be held against the
// stand-in's own run. It behaves as ADO with the Jet provider does where the
// ADO engine relies on it, never as whatever would make the engine pass:
//
// - Connection: Open hands the connection string to a StandInEngine (keys it
//   does not know are ignored there); Execute runs one statement there;
//   OpenRecordset runs a query there and, for a statement without rows, runs
//   it and returns null; TableNames lists the open database's tables and
//   views. Opening an open connection, or using or closing a closed one,
//   fails as ADO fails (3705, 3704); closing it closes its recordsets.
// - Values are typed from the stand-in's own column declarations, for a
//   query over one table: integer and counter fields give integers, real
//   fields doubles, date fields ado::Date, NULL std::monostate, anything
//   else text. The stand-in keeps a date as its ISO text ('YYYY-MM-DD'):
//   the dates the build makes (cdate's, in a field with no declared type)
//   are dates; a field declared DATETIME in Jet SQL the stand-in declares
//   TEXT, so its values read as text. The fields of a query over several
//   tables are text. Text(value)
//   gives the text the stand-in gives for the same stored value.
// - A recordset holds the rows of the query, membership and order fixed when
//   it opens. A client-side one is a copy; a server-side keyset one is a
//   positioned view over the table. An updatable one (optimistic locking over
//   one table) writes a row's changed fields with Update at once, through
//   StandInEngine::UpdateRow by the row's identity; a failed Update keeps the
//   changes pending until CancelUpdate; moving off a changed row updates it
//   first. Eof holds after the last row; reading, setting or moving forward
//   without a current row raises ADO's 3021; Move past the last row stops
//   at EOF; a forward-only cursor does not move back.
// - The stand-in's failures become ado::Failure with its message as the
//   description; a failure of the system (disk, resources, lock) carries the
//   Jet native error the host's provider gives for it.
// - ProviderScript: failures scripted into chosen calls (below).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ado/ado_api.h"
#include "engine/engine.h"

namespace dt::testing {

// A failure scripted into the provider: the call named `call` ("Open",
// "Close", "Execute", "Recordset", "Update") raises `failure` after `skip`
// such calls have passed it. With `subject` set, only calls over a subject
// holding that text count (ASCII letter case ignored): the connection
// string of Open and Close, the statement of Execute and Recordset, the
// table of Update. Each fault fires once.
struct ProviderFault {
  std::string call;
  std::string subject;
  int skip = 0;
  engine::ado::Failure failure;
};

// The faults of one run, shared by every connection the run makes (the
// engine is made again between the imports and the build).
class ProviderScript {
 public:
  void Add(ProviderFault fault) { faults_.push_back({std::move(fault), false}); }
  // Raises the failure of the first armed fault due at this call.
  void Before(std::string_view call, std::string_view subject);
  // How many faults have fired.
  int Fired() const;

 private:
  struct Armed {
    ProviderFault fault;
    bool fired;
  };
  std::vector<Armed> faults_;
};

// ADO's failure with a Jet native error number, as the host's provider
// raises it (E_FAIL, the engine's description).
engine::ado::Failure JetFailure(std::int32_t native_error, std::string description);

// A closed connection of this provider. `script` may be null.
std::unique_ptr<engine::ado::Connection> NewProviderConnection(
    std::shared_ptr<ProviderScript> script = nullptr);

// Makes every engine the run asks for (engine_factory.h) an AdoEngine over
// a new connection of this provider, all sharing `script`, until it goes.
class ProviderEngines {
 public:
  explicit ProviderEngines(std::shared_ptr<ProviderScript> script = nullptr);
  ~ProviderEngines();
  ProviderEngines(const ProviderEngines&) = delete;
  ProviderEngines& operator=(const ProviderEngines&) = delete;
};

}  // namespace dt::testing
