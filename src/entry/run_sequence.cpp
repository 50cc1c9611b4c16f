// The run sequence shared by the run window and the command-line tool.
#include "src/entry/run_sequence.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/leftover_files.h"
#include "platform/paths.h"
#include "src/staging/discovery.h"
#include "src/workdb/build.h"
#include "src/workdb/work_paths.h"

namespace dt {
namespace {

// Neither a .txt file nor a database, so nothing takes it for an export or
// for the engine's own files.
constexpr std::string_view kRunLock = "dealtext.lock";

// Takes the run lock of `staging_folder` into `lock`, or raises.
void LockStagingFolder(const std::string& staging_folder, platform::FileLock& lock) {
  const std::string lock_path = staging_folder + platform::PathDelim + std::string(kRunLock);
  switch (lock.TryLock(lock_path)) {
    case platform::FileLock::Result::kLocked:
      return;
    case platform::FileLock::Result::kBusy:
      throw Exception("The staging folder \"" + staging_folder + "\" is in use by another run");
    case platform::FileLock::Result::kFailed:
      break;
  }
  throw Exception("Cannot lock the staging folder \"" + staging_folder + "\". " +
                  platform::SystemErrorText(lock.error()));
}

}  // namespace

std::string RunSequence(const std::string& source_directory, const std::string& base_directory,
                        std::vector<std::string>& source_list, Connection& connection,
                        BuildEvents& events, const std::function<void()>& after_entry,
                        SourceEncoding encoding, TemplateRule templates) {
  const WorkPaths paths = MakeWorkPaths(base_directory);
  // The run writes its lock, staged copies and work database into the
  // staging folder: never among the user's exports, whatever name or link
  // leads there.
  events.PhaseStarted(BuildPhase::kLock, paths.staging_folder);
  if (platform::SameFile(paths.staging_folder, source_directory)) {
    throw Exception("The staging folder \"" + paths.staging_folder + "\" is the source folder \"" +
                    source_directory + "\": the run would write among the exports");
  }
  platform::FileLock lock;  // held until the work database is on disk
  LockStagingFolder(paths.staging_folder, lock);
  platform::RemoveLeftoverTemporaries(paths.staging_folder);

  events.PhaseStarted(BuildPhase::kDiscovery, source_directory);
  DiscoverSources(source_directory + platform::PathDelim, source_list, after_entry,
                  [&events](const std::string& message) { events.Log(message); });
  RunBuild(paths, source_list, connection, events, encoding, templates);
  return paths.result_path;
}

std::string RunFailureMessage(std::string_view error_text) {
  static const std::string frame = platform::Ansi(u8"数据预处理出现异常！");
  std::string message = frame;
  message += error_text;
  return message;
}

std::string ErrorText(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  return own != nullptr ? own->Message() : std::string(error.what());
}

std::string RunFailureMessage(const std::exception& error) {
  return RunFailureMessage(ErrorText(error));
}

}  // namespace dt
