#include "config/connection_file.h"

#include "util/output.h"
#include "util/status.h"
#include "util/text.h"

#include <cstdio>
#include <cstring>

int readConnectionString(const std::string& filePath, std::string& connectionString) {
  std::FILE* file = std::fopen(filePath.c_str(), "r");
  if (file == nullptr) {
    printOut("Failed to read connection string from file(%s)", filePath.c_str());
    return kFailure;
  }
  int result = kFailure;
  // A line longer than the buffer arrives in pieces, each read as a line of
  // its own; the value of a long CONNECTION line is cut at the first piece.
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
    std::string line(buffer, std::strlen(buffer));
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    trimLeft(trimRight(key));
    trimLeft(trimRight(value));
    if (key == "CONNECTION") {
      connectionString = value;
      result = kSuccess;
    }
  }
  std::fclose(file);
  if (result != kSuccess)
    printOut("Failed to read connection string from file(%s)", filePath.c_str());
  return result;
}
