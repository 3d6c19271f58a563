#include "util/shell_word.h"

#include <cstring>

std::string shellWord(const std::string& text) {
  static const char kPlain[] = "+-./:=@_,%";
  std::string escaped;
  escaped.reserve(text.size() + 8);
  for (char c : text) {
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
  return escaped;
}
