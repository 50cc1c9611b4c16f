// The keys of one table, as the join check looks them up several million
// times a run: a set of byte strings held in one open-addressing table whose
// slots carry a key's hash and, for a key as short as codes are, the key
// itself, so that a lookup touches one slot, mostly, and no string elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dt::cli {

class KeySet {
 public:
  // The hash a lookup of `key` starts from.
  static std::uint32_t Hash(std::string_view key) noexcept;

  // Adds `key` unless it is there already.
  void Insert(std::string_view key);
  bool Contains(std::string_view key) const { return Contains(key, Hash(key)); }
  // REQUIRES: `hash` is Hash(key).
  bool Contains(std::string_view key, std::uint32_t hash) const;
  // Starts bringing the slot of `hash` into the processor's cache, so that
  // several lookups wait for memory at once rather than one after another.
  void Prefetch(std::uint32_t hash) const noexcept;
  std::size_t size() const noexcept { return count_; }

 private:
  static constexpr std::size_t kInline = 23;  // a slot is 32 bytes
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t index = 0;  // 1 + the key's place in long_keys_ when longer than kInline
    std::uint8_t size = 0;    // 0 empty; else 1 + the key's size, at most kInline + 2
    char head[kInline] = {};
  };

  bool Holds(const Slot& slot, std::uint32_t hash, std::string_view key) const;
  void Grow();

  std::vector<Slot> slots_;
  std::vector<std::string> long_keys_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace dt::cli
