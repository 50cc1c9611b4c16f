// Whether a standard stream is an interactive terminal, so the tool can draw
// a live progress bar there and write plain lines everywhere else.
#pragma once

namespace dt::platform {

bool StandardErrorIsTerminal() noexcept;

}  // namespace dt::platform
