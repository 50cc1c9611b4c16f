// The key set's table: linear probing over a power of two of slots, kept at
// most half full.
#include "cli/key_set.h"

#include <algorithm>
#include <cstring>

namespace dt::cli {
// Eight bytes at a time, each mixed in by a multiplication: codes are short,
// so a lookup hashes in a few steps.
std::uint32_t KeySet::Hash(std::string_view key) noexcept {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = key.size() * kMultiplier;
  std::size_t i = 0;
  for (; i + 8 <= key.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data() + i, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  if (i < key.size()) {
    std::uint64_t word = 0;
    std::memcpy(&word, key.data() + i, key.size() - i);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

void KeySet::Prefetch(std::uint32_t hash) const noexcept {
  if (!slots_.empty()) __builtin_prefetch(&slots_[hash & mask_]);
}

bool KeySet::Holds(const Slot& slot, std::uint32_t hash, std::string_view key) const {
  if (slot.hash != hash) return false;
  if (key.size() <= kInline) {
    return slot.size == key.size() + 1 && std::memcmp(slot.head, key.data(), key.size()) == 0;
  }
  if (slot.size != kLong) return false;
  std::uint32_t index = 0;
  std::memcpy(&index, slot.head, sizeof index);
  return long_keys_[index] == key;
}

void KeySet::Reserve(std::size_t count) {
  std::size_t slot_count = 64;
  while (slot_count < count * 2) slot_count *= 2;
  if (slot_count > slots_.size()) Rebuild(slot_count);
}

void KeySet::Insert(std::string_view key) {
  if ((count_ + 1) * 2 > slots_.size()) Rebuild(std::max<std::size_t>(64, slots_.size() * 2));
  const std::uint32_t hash = Hash(key);
  std::size_t i = hash & mask_;
  for (; slots_[i].size != 0; i = (i + 1) & mask_) {
    if (Holds(slots_[i], hash, key)) return;
  }
  Slot& slot = slots_[i];
  slot.hash = hash;
  if (key.size() <= kInline) {
    slot.size = static_cast<std::uint8_t>(key.size() + 1);
    std::memcpy(slot.head, key.data(), key.size());
  } else {
    const auto index = static_cast<std::uint32_t>(long_keys_.size());
    long_keys_.emplace_back(key);
    slot.size = kLong;
    std::memcpy(slot.head, &index, sizeof index);
  }
  ++count_;
}

bool KeySet::Contains(std::string_view key, std::uint32_t hash) const {
  if (slots_.empty()) return false;
  for (std::size_t i = hash & mask_; slots_[i].size != 0; i = (i + 1) & mask_) {
    if (Holds(slots_[i], hash, key)) return true;
  }
  return false;
}

void KeySet::Rebuild(std::size_t slot_count) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(slot_count, Slot{});
  mask_ = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.size == 0) continue;
    std::size_t i = slot.hash & mask_;
    while (slots_[i].size != 0) i = (i + 1) & mask_;
    slots_[i] = slot;
  }
}

}  // namespace dt::cli
