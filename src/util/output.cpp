#include "util/output.h"

#include "util/text.h"

#include <cstdarg>
#include <cstdio>

namespace {

ConsoleWriter consoleWriter = nullptr;

}  // namespace

void setConsoleWriter(ConsoleWriter writer) { consoleWriter = writer; }

void printOut(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = formatText(format, arguments);
  va_end(arguments);
  if (consoleWriter == nullptr || !consoleWriter(text))
    std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}
