// Fuzz target: the settings file's line parser, fed every line of the input
// in turn as the file reader hands them over. Any line must leave usable
// settings behind; only a crash or a sanitizer report counts as a finding.
#include "config/settings.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  ConfigSettings settings;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    parseConfigLine(settings, text.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
