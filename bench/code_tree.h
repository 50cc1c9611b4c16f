// Dotted code hierarchies for the export generator: account codes (SID),
// budget section codes (BID) and item codes (IID) as the accounting system
// numbers them, one segment per level joined by ".", with segment widths
// that differ from one parent to the next (101, 101.01, 101.1.003,
// 5.02.1.1.07).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bench/export_random.h"

namespace dt::bench {

struct Code {
  std::string text;                   // the dotted code, e.g. 101.01.3
  std::vector<std::string> segments;  // its levels, e.g. 101, 01, 3
  bool leaf = true;                   // no other code lies below it
};

struct CodeTreeShape {
  std::size_t count;  // codes in all
  std::size_t max_levels;
  std::vector<std::size_t> root_widths;   // digits of a level-1 segment, one picked per root
  std::vector<std::size_t> child_widths;  // digits of the segments below one parent
};

// `shape.count` distinct codes in pre-order (each parent before its
// children, children in ascending order); fewer only when a single level
// cannot number that many. REQUIRES: max_levels >= 1, both width lists
// non-empty, every width at least 1.
std::vector<Code> MakeCodeTree(Random& random, const CodeTreeShape& shape);

}  // namespace dt::bench
