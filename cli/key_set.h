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

  // Makes room for `count` keys at once (the table grows by itself too).
  void Reserve(std::size_t count);
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
  static constexpr std::size_t kInline = 11;  // a slot is 16 bytes
  static constexpr std::uint8_t kLong = kInline + 2;
  struct Slot {
    std::uint32_t hash = 0;
    std::uint8_t size = 0;    // 0 empty; 1 + the key's size; kLong for a longer key
    char head[kInline] = {};  // the key, or for a longer one its place in long_keys_
  };

  bool Holds(const Slot& slot, std::uint32_t hash, std::string_view key) const;
  void Rebuild(std::size_t slot_count);

  std::vector<Slot> slots_;
  std::vector<std::string> long_keys_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace dt::cli
