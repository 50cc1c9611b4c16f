// The temporary siblings' names: made, and recognised again.
#include "platform/common/temporary_names.h"

#include <atomic>

namespace dt::platform {
namespace {

constexpr std::string_view kPrefix = "~dt";
constexpr std::string_view kSuffix = ".tmp";

std::atomic<unsigned> counter{0};

bool IsDigits(std::string_view text) noexcept {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::string TemporaryName(unsigned long process_id) {
  return std::string(kPrefix) + std::to_string(process_id) + "." +
         std::to_string(counter.fetch_add(1)) + std::string(kSuffix);
}

bool IsTemporaryName(std::string_view name) noexcept {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix) ||
      name.size() < kPrefix.size() + kSuffix.size()) {
    return false;
  }
  const std::string_view numbers =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  const std::size_t dot = numbers.find('.');
  return dot != std::string_view::npos && IsDigits(numbers.substr(0, dot)) &&
         IsDigits(numbers.substr(dot + 1));
}

}  // namespace dt::platform
