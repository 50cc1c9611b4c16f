// Joining pieces of SQL text: one allocation per result. The translator
// builds all of its output this way rather than with chains of "text" +
// std::string, which GCC 12 misreads in optimised builds (-Wrestrict).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace dt::engine::standin {

inline std::string Concat(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (std::string_view part : parts) out.append(part);
  return out;
}

}  // namespace dt::engine::standin
