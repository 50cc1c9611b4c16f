// The key set's table: linear probing over any number of slots (a key's
// first slot is its hash scaled to the table, so the table need not be a
// power of two), kept at most seven tenths full.
//
// A slot's top byte tells what it holds: 1 to 8, a key of 0 to 7 bytes in
// its low bytes; kLong, a longer key, with the hash's top 24 bits above the
// key's place in long_keys_.
#include "cli/key_set.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace dt::cli {
namespace {

constexpr std::size_t kInline = 7;
constexpr std::uint64_t kLong = 0xFF;

std::uint64_t Tag(std::uint64_t slot) { return slot >> 56; }

}  // namespace

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

std::uint64_t KeySet::SlotOf(std::string_view key, std::uint32_t hash, std::uint64_t place) {
  if (key.size() <= kInline) {
    std::uint64_t slot = 0;
    for (std::size_t i = 0; i < key.size(); ++i) {
      slot |= std::uint64_t{static_cast<unsigned char>(key[i])} << (8 * i);
    }
    return slot | (std::uint64_t{key.size() + 1} << 56);
  }
  return (kLong << 56) | (std::uint64_t{hash >> 8} << 32) | place;
}

std::size_t KeySet::Home(std::uint32_t hash) const noexcept {
  return static_cast<std::size_t>((std::uint64_t{hash} * slots_.size()) >> 32);
}

std::string_view KeySet::LongKey(std::uint64_t slot) const {
  const std::size_t place = slot & 0xFFFFFFFFu;
  std::uint32_t size = 0;
  std::memcpy(&size, long_keys_.data() + place, sizeof size);
  return std::string_view(long_keys_).substr(place + sizeof size, size);
}

bool KeySet::Holds(std::uint64_t slot, std::uint64_t short_slot, std::uint32_t hash,
                   std::string_view key) const {
  if (key.size() <= kInline) return slot == short_slot;
  return Tag(slot) == kLong && (slot >> 32 & 0xFFFFFFu) == hash >> 8 && LongKey(slot) == key;
}

void KeySet::Prefetch(std::uint32_t hash) const noexcept {
  if (!slots_.empty()) __builtin_prefetch(&slots_[Home(hash)]);
}

void KeySet::Reserve(std::size_t count) {
  const std::size_t slot_count = std::max<std::size_t>(64, count / 7 * 10 + 10);
  if (slot_count > slots_.size()) Rebuild(slot_count);
}

void KeySet::Insert(std::string_view key) {
  if ((count_ + 1) * 10 > slots_.size() * 7) {
    Rebuild(std::max<std::size_t>(64, slots_.size() * 2));
  }
  const std::uint32_t hash = Hash(key);
  const std::uint64_t short_slot = SlotOf(key, hash, 0);
  std::size_t i = Home(hash);
  for (; slots_[i] != 0; i = i + 1 == slots_.size() ? 0 : i + 1) {
    if (Holds(slots_[i], short_slot, hash, key)) return;
  }
  std::uint64_t place = 0;
  if (key.size() > kInline) {
    place = long_keys_.size();
    if (place > 0xFFFFFFFFu || key.size() > 0xFFFFFFFFu) {
      throw std::length_error("the join check's keys exceed 4 GB");
    }
    const auto size = static_cast<std::uint32_t>(key.size());
    long_keys_.append(reinterpret_cast<const char*>(&size), sizeof size);
    long_keys_.append(key);
  }
  slots_[i] = SlotOf(key, hash, place);
  ++count_;
}

bool KeySet::Contains(std::string_view key, std::uint32_t hash) const {
  if (slots_.empty()) return false;
  const std::uint64_t short_slot = SlotOf(key, hash, 0);
  for (std::size_t i = Home(hash); slots_[i] != 0; i = i + 1 == slots_.size() ? 0 : i + 1) {
    if (Holds(slots_[i], short_slot, hash, key)) return true;
  }
  return false;
}

void KeySet::Rebuild(std::size_t slot_count) {
  std::vector<std::uint64_t> old = std::move(slots_);
  slots_.assign(slot_count, 0);
  for (const std::uint64_t slot : old) {
    if (slot == 0) continue;
    std::uint32_t hash = 0;
    if (Tag(slot) == kLong) {
      hash = Hash(LongKey(slot));
    } else {
      char bytes[kInline];
      const std::size_t size = Tag(slot) - 1;
      for (std::size_t b = 0; b < size; ++b) bytes[b] = static_cast<char>(slot >> (8 * b));
      hash = Hash(std::string_view(bytes, size));
    }
    std::size_t i = Home(hash);
    while (slots_[i] != 0) i = i + 1 == slots_.size() ? 0 : i + 1;
    slots_[i] = slot;
  }
}

}  // namespace dt::cli
