// The side files of every engine of this form.
#include "engine/side_files.h"

#include "engine/standin/store/database_file.h"

namespace dt::engine {

void DiscardSideFiles(const std::string& path) { standin::DiscardSideFiles(path); }

std::vector<std::string> PendingSideFiles(const std::string& path) {
  return standin::PendingSideFiles(path);
}

}  // namespace dt::engine
