// The stand-in engine: opens the data source a connection string names, a
// text folder for the imports or a database for everything else.
#include "engine/standin/standin_engine.h"

#include "engine/standin/connection_string.h"
#include "engine/standin/database_source.h"
#include "engine/standin/text_source.h"

namespace dt::engine::standin {
namespace {

constexpr const char* kNotOpen = "The session is not open";

}  // namespace

StandInEngine::StandInEngine() = default;
StandInEngine::~StandInEngine() = default;

void StandInEngine::Open(std::string_view connection_string) {
  if (IsOpen()) throw Error(ErrorKind::kInvalidArgument, "The session is already open");
  const ConnectionSettings settings = ParseConnectionString(connection_string);
  if (settings.text) {
    text_ =
        std::make_unique<TextSource>(settings.data_source, settings.character_set, import_target_);
  } else {
    import_target_.Release();
    database_ = std::make_unique<DatabaseSource>(settings.data_source);
  }
}

void StandInEngine::Close() {
  text_.reset();
  database_.reset();
}

bool StandInEngine::IsOpen() const { return text_ || database_; }

DatabaseSource& StandInEngine::Database() {
  if (database_) return *database_;
  if (text_) throw Error(ErrorKind::kUnsupported, TextSource::kOnlyImport);
  throw Error(ErrorKind::kInvalidArgument, kNotOpen);
}

std::int64_t StandInEngine::Execute(std::string_view sql) {
  if (text_) return text_->Import(sql);
  return Database().Execute(sql);
}

Snapshot StandInEngine::Query(std::string_view sql) { return Database().Query(sql); }

void StandInEngine::UpdateRow(const Snapshot& snapshot, std::size_t row,
                              const std::vector<Change>& changes) {
  Database().UpdateRow(snapshot, row, changes);
}

void StandInEngine::RewriteColumns(std::string_view table,
                                   const std::vector<std::string>& read_columns,
                                   const std::vector<std::string>& set_columns,
                                   const std::vector<std::string>& keys, const Rewrite& rewrite) {
  Database().RewriteColumns(table, read_columns, set_columns, keys, rewrite);
}

bool StandInEngine::HasTable(std::string_view table) { return Database().HasTable(table); }

void StandInEngine::Flush() {
  if (!IsOpen()) throw Error(ErrorKind::kInvalidArgument, kNotOpen);
  import_target_.Release();
}

}  // namespace dt::engine::standin
