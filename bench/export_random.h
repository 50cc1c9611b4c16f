// Deterministic random numbers for the export generator: the same seed gives
// the same sequence on every platform and library version, so the same
// options always give the same bytes. Only std::mt19937_64, whose output the
// standard fixes, is used; the distributions are our own (the standard
// library's are not portable across implementations).
#pragma once

#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace dt::bench {

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}

  std::uint64_t Bits() { return engine_(); }

  // Uniform in [lo, hi], both included. REQUIRES: lo <= hi.
  std::uint64_t Between(std::uint64_t lo, std::uint64_t hi) {
    const std::uint64_t span = hi - lo;
    if (span == std::numeric_limits<std::uint64_t>::max()) return Bits();
    const std::uint64_t range = span + 1;
    // Reject the top sliver so that every value is equally likely.
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() -
                                std::numeric_limits<std::uint64_t>::max() % range;
    std::uint64_t draw;
    do {
      draw = Bits();
    } while (draw >= limit);
    return lo + draw % range;
  }

  // True with probability `per_mille` / 1000.
  bool PerMille(std::uint64_t per_mille) { return Between(0, 999) < per_mille; }

  // An element of `items`, each equally likely. REQUIRES: !items.empty().
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[Between(0, items.size() - 1)];
  }

 private:
  std::mt19937_64 engine_;
};

// An independent seed for each table, so that tables do not shift one
// another's numbers (splitmix64 of the seed and the table's number).
inline std::uint64_t StreamSeed(std::uint64_t seed, std::uint64_t stream) {
  std::uint64_t z = seed + (stream + 1) * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace dt::bench
