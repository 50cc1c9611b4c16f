// The run's paths and connection strings, made from its base directory.
#include "src/workdb/work_paths.h"

#include "platform/paths.h"

namespace dt {
namespace {

constexpr char kProvider[] = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
constexpr char kWorkDatabase[] = "KORVA.mdb";

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

}  // namespace dt
