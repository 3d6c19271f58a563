#include "platform/system.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <vector>

const char* const kNarrowEncoding = "UTF-8";

bool executablePath(std::string* path) {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) < buffer.size()) {
      path->assign(buffer.data(), static_cast<size_t>(length));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string commonAppDataFolder() { return "/var/lib"; }

bool commandLinePath(const std::string& path, std::string* word) {
  // There are no short names here; escaping every byte that /bin/sh would
  // treat specially keeps the path one word, whatever it holds.
  static const char kPlain[] = "+-./:=@_,%";
  std::string escaped;
  escaped.reserve(path.size() + 8);
  for (char c : path) {
    unsigned char byte = static_cast<unsigned char>(c);
    bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                 (byte >= '0' && byte <= '9') || byte >= 0x80 ||
                 (c != '\0' && std::strchr(kPlain, c) != nullptr);
    if (c == '\n') {
      // A backslash before a newline is a line continuation, not an escape.
      escaped += "'\n'";
      continue;
    }
    if (!plain) escaped += '\\';
    escaped += c;
  }
  word->swap(escaped);
  return true;
}

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }
