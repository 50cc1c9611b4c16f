// The engine's side files of a database: those holding changes, and their
// removal before the database is replaced (through the platform's file
// layer, as the engine's other file calls).
#include "engine/standin/store/database_file.h"

#include <filesystem>
#include <system_error>

#include "engine/error.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace dt::engine::standin {

std::vector<std::string> PendingSideFiles(const std::string& path) {
  std::vector<std::string> pending;
  for (const char* suffix : {"-wal", "-journal"}) {
    const std::string side = path + suffix;
    std::error_code error;
    const auto size = std::filesystem::file_size(platform::PathOf(side), error);
    if (!error && size > 0) pending.push_back(side);
  }
  return pending;
}

void DiscardSideFiles(const std::string& path) {
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    const std::string side = path + suffix;
    int error = 0;
    if (!platform::RemoveFile(platform::Utf8ToAnsi(side), &error)) {
      throw Error(ErrorKind::kIo, "Cannot remove '" + side + "': " +
                                      platform::AnsiToUtf8(platform::SystemErrorText(error)));
    }
  }
}

}  // namespace dt::engine::standin
