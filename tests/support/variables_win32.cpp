#include "support/installation.h"

#include "platform/environment.h"
#include "platform/windows_headers.h"

// The C runtime keeps no empty variable: _putenv("NAME=") removes it, and
// getenv reads the runtime's own copy of the environment, which never sees
// what SetEnvironmentVariableA sets. An empty value therefore reaches the
// children alone, through the system's environment block; the tool's own
// getenv sees the variable unset, as Windows allows nothing else.
void setVariable(const std::string& name, const std::optional<std::string>& value) {
  setEnvironment(name, value.value_or(""));
  SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}
