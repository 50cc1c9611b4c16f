// The keys of one table, as the join check looks them up several million
// times a run: a set of byte strings in one open-addressing table of 8-byte
// slots. A key as short as most codes are (7 bytes at most) sits in its slot
// whole, so a lookup compares one word and touches nothing else; a longer
// key sits in one shared block of text, its slot holding its place there
// and part of its hash. A voucher table of 3.3 million numbers then takes
// about 36 MB, where a slot of 16 bytes in a table kept half full took 128.
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
  // The slot `key` fills; for a long key, `place` is its place in long_keys_.
  static std::uint64_t SlotOf(std::string_view key, std::uint32_t hash, std::uint64_t place);
  std::size_t Home(std::uint32_t hash) const noexcept;
  bool Holds(std::uint64_t slot, std::uint64_t short_slot, std::uint32_t hash,
             std::string_view key) const;
  std::string_view LongKey(std::uint64_t slot) const;
  void Rebuild(std::size_t slot_count);

  std::vector<std::uint64_t> slots_;  // 0 is empty
  std::string long_keys_;             // each long key: its size (4 bytes), then its bytes
  std::size_t count_ = 0;
};

}  // namespace dt::cli
