// The imports: staging, schema.ini and the import statement of each source
// file in turn.
#include "src/workdb/imports.h"

#include "src/staging/staging.h"
#include "src/staging/text_utils.h"
#include "src/workdb/data_access.h"
#include "src/workdb/schema_ini.h"
#include "src/workdb/statement_runner.h"
#include "src/workdb/work_paths.h"

namespace dt {

std::string ImportedTableName(const std::string& file_name) {
  return LeadingPart(file_name, static_cast<int>(file_name.size()) - 4);
}

std::string ImportStatement(const std::string& file_name, const std::string& work_database) {
  return FillTemplate("select * into %s in \"%s\" from %s",
                      {ImportedTableName(file_name), work_database, file_name});
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
    // is replaced; the connection string can only change while closed.
    connection.Close();
    const std::string section = SchemaSection(staged);
    WriteStagedFile(schema_path, section);
    sections += section;
    connection.SetConnectionString(paths.text_connection);
    connection.Open();

    events.PhaseStarted(BuildPhase::kImport, staged.file_name);
    RunStatement(ImportStatement(staged.file_name, paths.work_database), connection, events);
  }
  connection.Close();
  // Nothing staged, nothing to describe: the staging folder gets no file.
  if (count != 0) WriteStagedFile(schema_path, sections);
}

}  // namespace dt
