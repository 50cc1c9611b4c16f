// Work database creation and text import.
#include "src/workdb/work_database.h"

#include "engine/database_format.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file_io.h"
#include "platform/file_sync.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/staging/staging.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"
#include "src/workdb/schema_ini.h"
#include "src/workdb/side_files.h"
#include "src/workdb/statement_runner.h"

namespace dt {

namespace {

constexpr char kProvider[] = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
constexpr char kWorkDatabase[] = "KORVA.mdb";

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

// The connection string can only change while the connection is closed.
void Reconnect(Connection& connection, const std::string& connection_string) {
  connection.Close();
  connection.SetConnectionString(connection_string);
  connection.Open();
}

}  // namespace

std::string StagingDirectoryFor(std::string_view base_directory) {
  std::string staging(base_directory);
  staging += "TempLateTemp";
  staging += platform::PathDelim;
  return staging;
}

WorkPaths MakeWorkPaths(const std::string& base_directory) {
  using platform::PathDelim;
  using platform::ResolveChild;
  const std::string database_dir = ResolveChild(base_directory, "DataBase");
  const std::string staging_dir = ResolveChild(base_directory, "TemplateTemp");
  const std::string template_name = ResolveChild(base_directory + database_dir, "empty.mdb");

  WorkPaths paths;
  paths.staging_folder = base_directory + staging_dir;
  paths.staging_directory = base_directory + PathDelim + staging_dir + PathDelim;
  paths.template_database = base_directory + PathDelim + database_dir + PathDelim + template_name;
  paths.work_database = paths.staging_directory + kWorkDatabase;
  paths.text_connection = std::string(kProvider) + paths.staging_folder + PathDelim +
                          ";Extended Properties=text;Persist Security Info=False";
  paths.work_connection = std::string(kProvider) + paths.staging_folder + PathDelim +
                          kWorkDatabase + ";Persist Security Info=False";
  paths.result_path = platform::kNamesIgnoreCase
                          ? StagingDirectoryFor(base_directory) + kWorkDatabase
                          : paths.staging_folder + PathDelim + kWorkDatabase;
  return paths;
}

std::string ImportedTableName(const std::string& file_name) {
  return LeadingPart(file_name, static_cast<int>(file_name.size()) - 4);
}

std::string ImportStatement(const std::string& file_name, const std::string& work_database) {
  return FillTemplate("select * into %s in \"%s\" from %s",
                      {ImportedTableName(file_name), work_database, file_name});
}

void CopyTemplate(const WorkPaths& paths) {
  DiscardSideFiles(paths.work_database);
  std::string system_text;
  if (!platform::CopyFile(paths.template_database, paths.work_database, false, &system_text)) {
    throw Exception("Cannot copy file \"" + paths.template_database + "\" to \"" +
                    paths.work_database + "\". " + system_text);
  }
}

void ChooseEngine(const WorkPaths& paths, Connection& connection) {
  const std::string& path = paths.template_database;
  const std::string named = "The template database \"" + path + "\" ";
  // A device or a pipe would be copied until the disk is full, or forever.
  if (platform::FileExists(path) && !platform::IsRegularFile(path)) {
    throw Exception(named + "is not a regular file");
  }
  const engine::DatabaseFormat format =
      engine::DetectDatabaseFormat(ReadFileStart(path, engine::kDatabaseHeaderSize));
  const std::string format_name(engine::DatabaseFormatName(format));
  if (format == engine::DatabaseFormat::kAce) {
    throw Exception(named + "is an " + format_name +
                    " database (Access 2007 and later), which the Jet 4.0 provider that reads "
                    "the work database cannot open: save it as an Access 2000-2003 database");
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

void ImportSources(const WorkPaths& paths, const std::vector<std::string>& source_list,
                   Connection& connection, BuildEvents& events, SourceEncoding encoding) {
  const std::string schema_path = paths.staging_directory + kSchemaFileName;
  std::string sections;  // of every file staged so far
  const std::size_t count = source_list.size();
  for (std::size_t i = 0; i < count; ++i) {
    events.AdvanceProgress(10);
    events.PhaseStarted(BuildPhase::kStaging, FileNamePart(source_list[i]));
    const StagedFile staged = StageFile(source_list[i], paths.staging_directory, encoding);

    // The driver lets go of the folder's files before their description
    // is replaced.
    connection.Close();
    const std::string section = SchemaSection(staged);
    WriteStagedFile(schema_path, section);
    sections += section;
    Reconnect(connection, paths.text_connection);

    events.PhaseStarted(BuildPhase::kImport, staged.file_name);
    RunStatement(ImportStatement(staged.file_name, paths.work_database), connection, events);
  }
  connection.Close();
  // Nothing staged, nothing to describe: the staging folder gets no file.
  if (count != 0) WriteStagedFile(schema_path, sections);
}

void ConnectWorkDatabase(const WorkPaths& paths, Connection& connection) {
  Reconnect(connection, paths.work_connection);
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
