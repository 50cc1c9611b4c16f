// Byte tests eight bytes at a time for the text driver's scans: exports are
// mostly ASCII, so most words are passed over whole.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace dt::engine::standin {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// The eight bytes at `p`, in any alignment.
inline std::uint64_t LoadWord(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// True when `text` holds a byte outside ASCII.
inline bool HasHighByte(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  std::uint64_t any = 0;
  for (; end - p >= 8; p += 8) any |= LoadWord(p);
  for (; p < end; ++p) any |= static_cast<unsigned char>(*p);
  return (any & kHighBits) != 0;
}

}  // namespace dt::engine::standin
