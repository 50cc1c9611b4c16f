// The one place where the database engine's failures become the
// system's error kinds (EOleException, EOleIoError, EDatabaseError) with
// ANSI messages.
// Every call of the data access component into the engine goes through
// CallEngine.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "engine/error.h"
#include "platform/errors.h"

namespace dt::detail {

// The engine's UTF-8 message as the provider's description in ANSI: its
// trailing periods, spaces and control characters removed; a message left
// empty becomes the system's text for an unspecified failure.
std::string OleMessage(std::string_view utf8_message);

// Runs `call`; a failure of the engine leaves as the system's error kind:
// a statement without a result set as EDatabaseError; a failure of the disk
// or the system (engine::IsSystemFailure) as EOleIoError; any other engine error
// as EOleException. The message is formatted here, once, with the text file
// and line it names. The system's own errors pass unchanged. Memory that
// ran out inside the engine (std::bad_alloc) is a failure of the system too,
// and leaves as EOleIoError "Out of memory"; anything else the engine lets
// through is still the provider's failure and leaves as EOleException with
// its text.
template <class Call>
decltype(auto) CallEngine(Call&& call) {
  try {
    return call();
  } catch (const engine::NoResultSetError&) {
    throw EDatabaseError("CommandText does not return a result set");
  } catch (const engine::Error& error) {
    std::string message = OleMessage(engine::Message(error));
    if (engine::IsSystemFailure(error.kind())) throw EOleIoError(std::move(message));
    throw EOleException(std::move(message));
  } catch (const Exception&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw EOleIoError("Out of memory");
  } catch (const std::exception& e) {
    throw EOleException(OleMessage(e.what()));
  }
}

}  // namespace dt::detail
