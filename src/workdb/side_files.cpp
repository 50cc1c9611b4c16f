// Removing a database file's side files, through the engine that names them.
#include "src/workdb/side_files.h"

#include "engine/side_files.h"
#include "platform/codepage.h"
#include "src/workdb/engine_translation.h"

namespace dt {

void DiscardSideFiles(const std::string& ansi_database_path) {
  const std::string utf8 = platform::AnsiToUtf8(ansi_database_path);
  detail::CallEngine([&] { engine::DiscardSideFiles(utf8); });
}

std::vector<std::string> PendingSideFiles(const std::string& ansi_database_path) {
  std::vector<std::string> pending;
  for (const std::string& side :
       engine::PendingSideFiles(platform::AnsiToUtf8(ansi_database_path))) {
    pending.push_back(platform::Utf8ToAnsi(side));
  }
  return pending;
}

}  // namespace dt
