#include "util/trace.h"

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
  va_list again;
  va_copy(again, arguments);
  int size = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string line(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(&line[0], line.size() + 1, format, again);
  va_end(again);
  std::fprintf(stderr, "zerinctl: %s\n", line.c_str());
  std::fflush(stderr);
}
