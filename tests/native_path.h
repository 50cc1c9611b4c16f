// Expected paths written once for every platform.
#pragma once

#include <algorithm>
#include <string>

#include "platform/paths.h"

namespace dt::testing {

// `path` with each '/' made the platform's path delimiter.
inline std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::PathDelim);
  return path;
}

}  // namespace dt::testing
