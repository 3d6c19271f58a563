#include "util/output.h"

#include <cstdarg>
#include <cstdio>

namespace {

ConsoleWriter consoleWriter = nullptr;

}  // namespace

void setConsoleWriter(ConsoleWriter writer) { consoleWriter = writer; }

void printOut(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  std::vsnprintf(&text[0], text.size() + 1, format, again);
  va_end(again);
  if (consoleWriter == nullptr || !consoleWriter(text))
    std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}
