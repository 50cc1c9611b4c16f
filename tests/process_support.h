// What the tests ask of the process and its children on either platform:
// setting an environment variable that a loaded library reads, and running
// one of the project's programs with its standard output and error going to
// files, the way a script would.
#pragma once

#include <string>
#include <vector>

namespace dt::testing {

// Sets (or, with an empty value, removes) an environment variable of this
// process, where the libraries it loads see it too. False on failure.
bool SetEnvironment(const std::string& name, const std::string& value);

// Runs `program` (a path) with `arguments` (UTF-8, passed as they are, no
// shell in between), standard output to the file `out_path` and standard
// error to `err_path`, and waits for it. Returns its exit code, or -1 when
// it could not be started or did not exit normally.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& out_path, const std::string& err_path);

// `name` with the platform's suffix for programs (".exe" on Windows).
std::string ProgramFile(const std::string& name);

}  // namespace dt::testing
