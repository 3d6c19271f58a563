#include "util/output.h"

#include <cstdarg>
#include <cstdio>

void printOut(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stdout, format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}
