// The connection's shared state, which commands and queries reach through a
// weak link: released with the connection, so that a later use of a command
// or query raises instead of touching freed memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/engine_factory.h"

namespace dt::detail {

struct ConnectionState {
  engine::EngineKind kind = engine::EngineKind::kStandIn;
  std::unique_ptr<engine::Engine> engine;  // made on the first open
  std::string connection_string;           // ANSI, as set
  // Counts the opens, so that a snapshot taken before a reconnection is
  // never written back into another data source.
  std::uint64_t generation = 0;

  bool IsOpen() const { return engine && engine->IsOpen(); }
  // The engine, its data source opened from the connection string unless
  // open already; EOleException when it cannot be opened.
  engine::Engine& Open();
};

// The bound connection's state; EDatabaseError when none is bound (never
// bound, or the connection has been released).
std::shared_ptr<ConnectionState> Bound(const std::weak_ptr<ConnectionState>& link);

}  // namespace dt::detail
