// RunBuild: the phases of the build in their order, and the short steps of
// the work database itself.
#include "src/workdb/build.h"

#include "engine/database_format.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/file_sync.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/workdb/account_codes.h"
#include "src/workdb/build_checks.h"
#include "src/workdb/code_cleanup.h"
#include "src/workdb/data_access.h"
#include "src/workdb/derived_tables.h"
#include "src/workdb/imports.h"
#include "src/workdb/side_files.h"

namespace dt {
namespace {

// The first bytes of the file at `path`, as many as there are up to `size`.
std::string ReadFileStart(const std::string& path, std::size_t size) {
  platform::InputFile file;
  std::string bytes(size, '\0');
  std::size_t filled = 0;
  std::size_t count = 0;
  bool ok = file.Open(path);
  while (ok && filled < size) {
    ok = file.Read(bytes.data() + filled, size - filled, &count);
    if (count == 0) break;
    filled += count;
  }
  if (!ok) {
    throw EFOpenError("Cannot open file \"" + platform::AbsolutePath(path) + "\". " +
                      platform::SystemErrorText(file.error()));
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

void RunBuild(const WorkPaths& paths, const std::vector<std::string>& source_list,
              Connection& connection, BuildEvents& events, SourceEncoding encoding,
              TemplateRule templates) {
  // The template is copied over the work database, which must not be held
  // open meanwhile (the connection would go on seeing the replaced file, and
  // on Windows the copy would fail).
  connection.ReleaseEngine();

  events.PhaseStarted(BuildPhase::kChecks, "");
  const std::vector<std::string> tables = CheckSourceTables(paths, source_list);
  ChooseEngine(paths, connection, templates);  // refuses a template it cannot copy soundly

  events.PhaseStarted(BuildPhase::kTemplateCopy, paths.work_database);
  CopyTemplate(paths);
  events.PhaseStarted(BuildPhase::kChecks, paths.template_database);
  ConnectWorkDatabase(paths, connection);
  CheckTemplateTables(paths.template_database, source_list, tables, connection);

  ImportSources(paths, source_list, connection, events, encoding);
  ConnectWorkDatabase(paths, connection);

  events.PhaseStarted(BuildPhase::kAccountCodes, "ACCOUNTSECTIONS");
  RebuildAccountCodes(connection, events);

  events.PhaseStarted(BuildPhase::kDerivedTables, "");
  BuildDerivedTables(connection, events);

  CleanUpCodes(connection, events);  // announces each table it cleans

  events.PhaseStarted(BuildPhase::kSave, paths.work_database);
  SaveWorkDatabase(paths, connection);
}

void ChooseEngine(const WorkPaths& paths, Connection& connection, TemplateRule templates) {
  const std::string& path = paths.template_database;
  const std::string named = "The template database \"" + path + "\" ";
  // A device or a pipe would be copied until the disk is full, or forever.
  if (platform::FileExists(path) && !platform::IsRegularFile(path)) {
    throw Exception(named + "is not a regular file");
  }
  const std::string header = ReadFileStart(path, engine::kDatabaseHeaderSize);
  const engine::DatabaseFormat format = engine::DetectDatabaseFormat(header);
  const std::string format_name(engine::DatabaseFormatName(format));
  if (format == engine::DatabaseFormat::kAce) {
    throw Exception(named + "is an " + format_name +
                    " database (Access 2007 and later), which the Jet 4.0 provider that reads "
                    "the work database cannot open: save it as an Access 2000-2003 database");
  }
  const bool jet =
      format == engine::DatabaseFormat::kJet3 || format == engine::DatabaseFormat::kJet4;
  if (templates == TemplateRule::kJetOnly && !jet) {
    throw Exception(named + "is an " + format_name +
                    " database, not an Access (Jet 3 or Jet 4) file: the host reads the work "
                    "database with the Jet 4.0 provider, so the installation's template must be "
                    "an Access database");
  }
  const std::optional<engine::EngineKind> kind = engine::EngineForTemplate(format);
  if (!kind) {
    throw Exception(named + "is an " + format_name +
                    " database: this form reads SQLite templates (an empty file serves as an "
                    "empty database)");
  }
  if (*kind == engine::EngineKind::kStandIn) {
    // The copy takes the file alone: what a log or a journal beside it
    // holds would be lost, or an edit that never committed kept.
    for (const std::string& side : PendingSideFiles(path)) {
      throw Exception(named + "has changes that are not in the file itself, in \"" + side +
                      "\": open the template once with SQLite (sqlite3 \"" + path +
                      "\" \"pragma integrity_check\") to settle them, then run again");
    }
  }
  connection.SetEngine(*kind);
}

void CopyTemplate(const WorkPaths& paths) {
  DiscardSideFiles(paths.work_database);
  std::string system_text;
  if (!platform::CopyFile(paths.template_database, paths.work_database, false, &system_text)) {
    throw Exception("Cannot copy file \"" + paths.template_database + "\" to \"" +
                    paths.work_database + "\". " + system_text);
  }
}

void ConnectWorkDatabase(const WorkPaths& paths, Connection& connection) {
  // The connection string can only change while the connection is closed.
  connection.Close();
  connection.SetConnectionString(paths.work_connection);
  connection.Open();
}

void SaveWorkDatabase(const WorkPaths& paths, Connection& connection) {
  // Flushed before the engine lets go of the file: a write the disk failed
  // in the background is then reported here, to the first flush that asks.
  connection.FlushAndClose([&] {
    int error = 0;
    if (!platform::SyncToDisk(paths.work_database, &error)) {
      throw Exception("Cannot write \"" + paths.work_database + "\" to disk. " +
                      platform::SystemErrorText(error));
    }
  });
}

}  // namespace dt
