#include "platform/environment.h"

#include <cstdlib>

bool getEnvironment(const std::string& name, std::string* value) {
  const char* text = std::getenv(name.c_str());
  if (text == nullptr) return false;
  *value = text;
  return true;
}
