#include "platform/files.h"

#include "platform/system.h"

std::string replacementPath(const std::string& path) {
  return path + "." + std::to_string(currentProcessId()) + ".tmp";
}
