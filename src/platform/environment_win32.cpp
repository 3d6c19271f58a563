#include "platform/environment.h"

#include <cstdlib>

void setEnvironment(const std::string& name, const std::string& value) {
  // _putenv keeps its own copy and also changes the system's environment
  // block, which CreateProcessA and ShellExecuteExA hand to the children;
  // "NAME=" removes the variable.
  std::string assignment = name + "=" + value;
  _putenv(assignment.c_str());
}
