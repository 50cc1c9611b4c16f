// Byte tests eight bytes at a time for the text driver's scans: exports are
// mostly ASCII, so most words are passed over whole.
#pragma once

#include <cstdint>
#include <cstring>

namespace dt::engine::standin {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// The eight bytes at `p`, in any alignment.
inline std::uint64_t LoadWord(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

}  // namespace dt::engine::standin
