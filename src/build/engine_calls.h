// How the data access component calls the work-database engine: the
// connection's shared state that commands and queries reach through a weak
// link, and the translation of the engine's failures into the system's
// error kinds (EOleException, EDatabaseError) with ANSI messages.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "platform/errors.h"
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

// The engine's UTF-8 message as the provider's description in ANSI: its
// trailing periods, spaces and control characters removed; a message left
// empty becomes the system's text for an unspecified failure.
std::string OleMessage(std::string_view utf8_message);

// Runs `call`; a failure of the engine leaves as the system's error kind:
// a statement without a result set as EDatabaseError, anything else the
// engine raises as EOleException.
template <class Call>
decltype(auto) CallEngine(Call&& call) {
  try {
    return call();
  } catch (const jet::NoResultSetError&) {
    throw EDatabaseError("CommandText does not return a result set");
  } catch (const Exception&) {
    throw;
  } catch (const std::exception& e) {
    throw EOleException(OleMessage(e.what()));
  }
}

}  // namespace dt::detail
