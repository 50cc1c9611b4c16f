// The OLE strings allocator: BSTRs in the Windows layout on the C heap.
// It is a C ABI allocator shared by the plug-in and its host, so it uses
// malloc and free rather than the C++ heap of either side.
#include "platform/oleaut/oleaut.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);

// The byte count must fit the 4-byte prefix and the block must fit size_t.
constexpr std::uint32_t kMaxLength =
    (std::numeric_limits<std::uint32_t>::max() - kPrefixBytes - sizeof(char16_t)) /
    sizeof(char16_t);

char* BlockOf(BSTR text) { return reinterpret_cast<char*>(text) - kPrefixBytes; }

}  // namespace

extern "C" {

BSTR SysAllocStringLen(const char16_t* text, std::uint32_t length) {
  if (length > kMaxLength) return nullptr;
  const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(char16_t));
  char* block = static_cast<char*>(std::malloc(kPrefixBytes + bytes + sizeof(char16_t)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &bytes, kPrefixBytes);
  char* units = block + kPrefixBytes;
  if (text != nullptr) {
    std::memcpy(units, text, bytes);
  } else {
    std::memset(units, 0, bytes);
  }
  std::memset(units + bytes, 0, sizeof(char16_t));
  return reinterpret_cast<BSTR>(units);
}

int SysReAllocStringLen(BSTR* target, const char16_t* text, std::uint32_t length) {
  if (target == nullptr) return 0;
  // A new block first: `text` may point into the old string.
  BSTR fresh = SysAllocStringLen(text, length);
  if (fresh == nullptr) return 0;
  SysFreeString(*target);
  *target = fresh;
  return 1;
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(BlockOf(text));
}

std::uint32_t SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, BlockOf(text), kPrefixBytes);
  return bytes / static_cast<std::uint32_t>(sizeof(char16_t));
}

}  // extern "C"
