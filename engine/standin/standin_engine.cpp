// The stand-in engine: opens the data source a connection string names and
// hands each call to it.
#include "engine/standin/standin_engine.h"

#include "engine/standin/connection_string.h"
#include "engine/standin/data_source.h"
#include "engine/standin/database_source.h"
#include "engine/standin/text_source.h"

namespace dt::engine::standin {

StandInEngine::StandInEngine() = default;
StandInEngine::~StandInEngine() = default;

void StandInEngine::Open(std::string_view connection_string) {
  if (IsOpen()) throw Error(ErrorKind::kInvalidArgument, "The session is already open");
  const ConnectionSettings settings = ParseConnectionString(connection_string);
  if (settings.text) {
    source_ =
        std::make_unique<TextSource>(settings.data_source, settings.character_set, import_target_);
  } else {
    import_target_.Release();
    source_ = std::make_unique<DatabaseSource>(settings.data_source);
  }
}

void StandInEngine::Close() { source_.reset(); }

bool StandInEngine::IsOpen() const { return source_ != nullptr; }

namespace {

DataSource& Require(const std::unique_ptr<DataSource>& source) {
  if (!source) throw Error(ErrorKind::kInvalidArgument, "The session is not open");
  return *source;
}

}  // namespace

std::int64_t StandInEngine::Execute(std::string_view sql) { return Require(source_).Execute(sql); }

Snapshot StandInEngine::Query(std::string_view sql) { return Require(source_).Query(sql); }

void StandInEngine::UpdateRow(const Snapshot& snapshot, std::size_t row,
                              const std::vector<Change>& changes) {
  Require(source_).UpdateRow(snapshot, row, changes);
}

void StandInEngine::RewriteColumns(std::string_view table,
                                   const std::vector<std::string>& read_columns,
                                   const std::vector<std::string>& set_columns,
                                   const std::vector<std::string>& keys, const Rewrite& rewrite) {
  Require(source_).RewriteColumns(table, read_columns, set_columns, keys, rewrite);
}

bool StandInEngine::HasTable(std::string_view table) { return Require(source_).HasTable(table); }

void StandInEngine::Flush() {
  Require(source_);
  import_target_.Release();
}

}  // namespace dt::engine::standin
