// The command-line tool with every engine of its run made an AdoEngine over
// the stand-in provider (standin_ado_provider.h): a program for tests only,
// built from the tool's own sources and this file, so that the tool's whole
// build is run through the ADO engine on every form.
//
// DEALTEXT_PROVIDER_FAULT, when set, scripts one failure into the provider:
// "CALL|SUBJECT|SKIP|NATIVE|DESCRIPTION" (ProviderFault's fields; NATIVE the
// Jet native error number the failure carries, 0 for none).
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "tests/standin_ado_provider.h"

namespace {

std::shared_ptr<dt::testing::ProviderScript> ScriptFromEnvironment() {
  auto script = std::make_shared<dt::testing::ProviderScript>();
  const char* setting = std::getenv("DEALTEXT_PROVIDER_FAULT");
  if (setting == nullptr || *setting == '\0') return script;
  std::istringstream in(setting);
  std::string call, subject, skip, native, description;
  std::getline(in, call, '|');
  std::getline(in, subject, '|');
  std::getline(in, skip, '|');
  std::getline(in, native, '|');
  std::getline(in, description);
  const int number = std::atoi(native.c_str());
  script->Add({call, subject, std::atoi(skip.c_str()),
               number != 0 ? dt::testing::JetFailure(number, description)
                           : dt::engine::ado::Failure(static_cast<std::int32_t>(0x80004005),
                                                      description, "", {})});
  return script;
}

// Installed before main runs, for the whole of the program.
const dt::testing::ProviderEngines engines(ScriptFromEnvironment());

}  // namespace
