#include "platform/environment.h"

#include <cstdlib>

void setEnvironment(const std::string& name, const std::string& value) {
  // An empty value removes the variable, as it does on Windows, so that a
  // child cannot tell "set to nothing" from "unset" on one platform only.
  if (value.empty())
    unsetenv(name.c_str());
  else
    setenv(name.c_str(), value.c_str(), 1);
}
