// The places the tool's log and report may not go.
#include "cli/output_targets.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "src/workdb/work_paths.h"

namespace dt::cli {
namespace {

std::string AnsiOf(const std::filesystem::path& path) {
  return platform::Utf8ToAnsi(platform::Utf8Of(path));
}

std::string FolderOf(const std::string& ansi_path) {
  return ansi_path.substr(0, ansi_path.rfind(platform::PathDelim));
}

// The folders the file would be in: the one its name says and, when it is
// a link, the one of the file it leads to (ANSI).
std::vector<std::string> FoldersOf(const std::filesystem::path& path) {
  std::vector<std::string> folders{AnsiOf(path.parent_path())};
  std::error_code error;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  if (!error) folders.push_back(AnsiOf(target.parent_path()));
  return folders;
}

}  // namespace

std::optional<std::string> RefusedOutputTarget(const std::string& utf8_path, OutputKind kind,
                                               const WorkPaths& paths,
                                               const std::string& source_directory) {
  const std::filesystem::path path = std::filesystem::absolute(platform::PathOf(utf8_path));
  const std::string ansi = AnsiOf(path);
  if (platform::SameFile(ansi, paths.work_database))
    return "is the work database, which the run writes";
  if (platform::SameFile(ansi, paths.template_database))
    return "is the template database, which the run reads";
  const std::string template_folder = FolderOf(paths.template_database);
  for (const std::string& folder : FoldersOf(path)) {
    if (platform::SameFile(folder, paths.staging_folder)) {
      return "is in the staging folder, which the run writes";
    }
    if (platform::SameFile(folder, template_folder)) {
      return "is in the template database's folder";
    }
    if (platform::SameFile(folder, source_directory)) {
      if (!platform::WildcardMatch("*.txt", platform::Utf8Of(path.filename()))) {
        return "is in the source directory, among the exports";
      }
      return kind == OutputKind::kLog
                 ? "is a .txt file in the source directory: the run would import it"
                 : "is a .txt file in the source directory: the next run would import it";
    }
  }
  // A device or a pipe would take the output in place of a file, or be
  // replaced by one (the report is renamed into place).
  if (platform::FileExists(ansi) && !platform::IsRegularFile(ansi)) {
    return "is not a regular file";
  }
  return std::nullopt;
}

}  // namespace dt::cli
