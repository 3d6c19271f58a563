#include "util/trace.h"

#include "util/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

bool traceEnabled() {
  const char* value = std::getenv("ZERINCTL_TRACE");
  return value != nullptr && *value != '\0';
}

void trace(const char* format, ...) {
  if (!traceEnabled()) return;
  va_list arguments;
  va_start(arguments, format);
  const std::string line = formatText(format, arguments);
  va_end(arguments);
  std::fprintf(stderr, "zerinctl: %s\n", line.c_str());
  std::fflush(stderr);
}
