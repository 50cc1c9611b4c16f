// A temporary left as a writer killed in the middle of its work leaves it,
// for the tests of the clean-up that removes such files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "tests/staging_temp_dir.h"

namespace dt::testing {

// Leaves in `folder` the temporary sibling of its file `target`, with some
// bytes in it, and returns its name: the name the platform's writer gave it
// while it was at work, so that the file is what a killed writer leaves.
inline std::string LeaveTemporaryOf(const std::string& folder, const std::string& target) {
  const std::vector<std::string> before = EntryNames(folder);
  std::string temporary;
  {
    platform::OutputFile out;
    EXPECT_TRUE(out.Create(folder + platform::PathDelim + target));
    for (const std::string& name : EntryNames(folder)) {
      if (std::find(before.begin(), before.end(), name) == before.end()) temporary = name;
    }
  }
  EXPECT_FALSE(temporary.empty()) << "the writer made no temporary beside " << target;
  if (!temporary.empty()) WriteBytes(folder + platform::PathDelim + temporary, "half of it");
  return temporary;
}

}  // namespace dt::testing
