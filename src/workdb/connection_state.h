// The connection's shared state, which commands and queries reach through a
// weak link: released with the connection, so that a later use of a command
// or query raises instead of touching freed memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/jet/session.h"

namespace dt::detail {

struct ConnectionState {
  jet::Session session;
  std::string connection_string;  // ANSI, as set
  // Counts the opens, so that a snapshot taken before a reconnection is
  // never written back into another data source.
  std::uint64_t generation = 0;
};

// The bound connection's state; EDatabaseError when none is bound (never
// bound, or the connection has been released).
std::shared_ptr<ConnectionState> Bound(const std::weak_ptr<ConnectionState>& link);

// Opens the data source of the state's connection string unless it is open
// already; EOleException when it cannot be opened.
void EnsureOpen(ConnectionState& state);

}  // namespace dt::detail
