// The Session: opens the data source a connection string names and hands
// each call to it.
#include "platform/jet/session.h"

#include "platform/jet/connection_string.h"
#include "platform/jet/data_source.h"
#include "platform/jet/database_source.h"
#include "platform/jet/text_source.h"

namespace dt::jet {

class Session::Impl {
 public:
  std::unique_ptr<DataSource> source;
};

Session::Session() : impl_(std::make_unique<Impl>()) {}
Session::~Session() = default;

void Session::Open(std::string_view connection_string) {
  if (IsOpen()) throw Error(ErrorKind::kInvalidArgument, "The session is already open");
  const ConnectionSettings settings = ParseConnectionString(connection_string);
  if (settings.text) {
    impl_->source = std::make_unique<TextSource>(settings.data_source, settings.character_set);
  } else {
    impl_->source = std::make_unique<DatabaseSource>(settings.data_source);
  }
}

void Session::Close() { impl_->source.reset(); }

bool Session::IsOpen() const { return impl_->source != nullptr; }

namespace {

DataSource& Require(const std::unique_ptr<DataSource>& source) {
  if (!source) throw Error(ErrorKind::kInvalidArgument, "The session is not open");
  return *source;
}

}  // namespace

std::int64_t Session::Execute(std::string_view sql) { return Require(impl_->source).Execute(sql); }

Snapshot Session::Query(std::string_view sql) { return Require(impl_->source).Query(sql); }

void Session::UpdateRow(const Snapshot& snapshot, std::size_t row,
                        const std::vector<Change>& changes) {
  Require(impl_->source).UpdateRow(snapshot, row, changes);
}

void Session::RewriteColumns(std::string_view table, const std::vector<std::string>& read_columns,
                             const std::vector<std::string>& set_columns, const Rewrite& rewrite) {
  Require(impl_->source).RewriteColumns(table, read_columns, set_columns, rewrite);
}

}  // namespace dt::jet
