#include "util/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::vector<std::string>& secrets() {
  static std::vector<std::string> registered;
  return registered;
}

std::string masked(std::string line) {
  for (const std::string& secret : secrets())
    for (size_t at = line.find(secret); at != std::string::npos; at = line.find(secret, at + 3))
      line.replace(at, secret.size(), "***");
  return line;
}

}  // namespace

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
  std::fprintf(stderr, "zerinctl: %s\n", masked(line).c_str());
  std::fflush(stderr);
}

void traceSecret(const std::string& secret) {
  // Longer forms first, so that an escaped password is masked whole rather
  // than around the plain one inside it.
  if (secret.empty()) return;
  std::vector<std::string>& list = secrets();
  auto at = list.begin();
  while (at != list.end() && at->size() >= secret.size()) ++at;
  list.insert(at, secret);
}

void traceForgetSecrets() { secrets().clear(); }
