// The run sequence shared by the run window and the command-line tool.
#include "src/entry/run_sequence.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "src/workdb/build.h"
#include "src/staging/discovery.h"

namespace dt {
namespace {

// Spelled as the host has always been told, capital L included.
constexpr std::string_view kStagingFolder = "TempLateTemp";
// The spelling the staging and the build look the folder up by. The result
// is looked up the same way, so that where letter case tells folders apart
// it names the folder the work database was written to.
constexpr std::string_view kBuildStagingFolder = "TemplateTemp";
constexpr std::string_view kWorkDatabase = "KORVA.mdb";

}  // namespace

std::string RunSequence(const std::string& source_directory, const std::string& base_directory,
                        std::vector<std::string>& source_list, Connection& connection,
                        BuildEvents& events, const std::function<void()>& after_entry) {
  DiscoverSources(source_directory + platform::PathDelim, source_list, after_entry);
  RunBuild(base_directory, source_list, connection, events);
  return ResultPathFor(base_directory);
}

std::string StagingDirectoryFor(std::string_view base_directory) {
  std::string staging(base_directory);
  staging += kStagingFolder;
  staging += platform::PathDelim;
  return staging;
}

std::string ResultPathFor(const std::string& base_directory) {
  std::string path = base_directory;
  path += platform::ResolveChild(base_directory, kBuildStagingFolder);
  path += platform::PathDelim;
  path += kWorkDatabase;
  return path;
}

std::string RunFailureMessage(std::string_view error_text) {
  static const std::string frame = platform::Ansi(u8"数据预处理出现异常！");
  std::string message = frame;
  message += error_text;
  return message;
}

std::string RunFailureMessage(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  return RunFailureMessage(own != nullptr ? std::string_view(own->Message())
                                          : std::string_view(error.what()));
}

}  // namespace dt
