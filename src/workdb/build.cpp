// RunBuild: the phases of the build in their order.
#include "src/workdb/build.h"

#include "src/workdb/account_codes.h"
#include "src/workdb/build_checks.h"
#include "src/workdb/code_cleanup.h"
#include "src/workdb/data_access.h"
#include "src/workdb/derived_tables.h"

namespace dt {

void RunBuild(const WorkPaths& paths, const std::vector<std::string>& source_list,
              Connection& connection, BuildEvents& events, SourceEncoding encoding) {
  // The template is copied over the work database, which must not be held
  // open meanwhile (the connection would go on seeing the replaced file, and
  // on Windows the copy would fail).
  connection.ReleaseEngine();

  events.PhaseStarted(BuildPhase::kChecks, "");
  CheckSourceTables(paths, source_list);
  ChooseEngine(paths, connection);  // refuses a template it cannot copy soundly

  events.PhaseStarted(BuildPhase::kTemplateCopy, paths.work_database);
  CopyTemplate(paths);
  events.PhaseStarted(BuildPhase::kChecks, paths.template_database);
  CheckTemplateTables(paths, source_list, connection);

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

}  // namespace dt
